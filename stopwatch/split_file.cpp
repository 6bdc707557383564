#include "stopwatch/split_file.h"

#include "platform/files.h"
#include "platform/retry.h"
#include "platform/text.h"
#include "store/data_files.h"

#include <filesystem>

namespace stopwatch {

namespace {

std::u16string splitFilePath()
{
    return store::DataFilePath(store::kStopwatchFile);
}

void appendText(std::vector<std::byte>& bytes, std::u16string_view text)
{
    const std::u16string_view kept = text.substr(0, kSplitTextChars);
    for (const char16_t unit : kept) {
        bytes.push_back(std::byte(unit & 0xff));
        bytes.push_back(std::byte(unit >> 8));
    }
    bytes.push_back(std::byte(0));
    bytes.push_back(std::byte(0));
}

// An oversized file is kept for the user under another name instead of being replaced by the
// next split; the log says where it went.
bool setAside()
{
    const auto host = platform::hostPathOf(splitFilePath());
    if (!host)
        return false;
    const std::string suffix = platform::damagedFileSuffix();
    std::error_code error;
    std::filesystem::rename(*host, host->string() + suffix, error);
    if (error)
        return false;
    store::AppendLog(u"stopwatch.dat was too large for a split list: kept as stopwatch.dat"
        + platform::toUtf16(suffix) + u", no splits shown");
    return true;
}

} // namespace

SplitList parseSplits(std::span<const std::byte> bytes, bool* trimmed)
{
    bool leftOut = bytes.size() % 2 != 0;
    std::vector<std::u16string> strings;
    std::u16string current;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const auto unit = char16_t(
            std::to_integer<unsigned>(bytes[at]) | std::to_integer<unsigned>(bytes[at + 1]) << 8);
        if (unit != 0) {
            if (current.size() < kSplitTextChars)
                current += unit;
            continue;
        }
        if (!current.empty())
            strings.push_back(std::move(current));
        current.clear();
    }
    // A last string without its zero is still a string.
    if (!current.empty())
        strings.push_back(std::move(current));
    if (strings.size() % 2 != 0) {
        strings.pop_back();
        leftOut = true;
    }
    SplitList splits;
    splits.reserve(strings.size() / 2);
    for (std::size_t i = 0; i + 1 < strings.size(); i += 2)
        splits.push_back({ std::move(strings[i]), std::move(strings[i + 1]) });
    if (trimmed)
        *trimmed = leftOut;
    return splits;
}

std::vector<std::byte> splitFileBytes(const SplitList& splits)
{
    std::vector<std::byte> bytes;
    for (const Split& split : splits) {
        appendText(bytes, split.label);
        appendText(bytes, split.time);
    }
    return bytes;
}

SplitFileRead LoadSplits()
{
    const std::u16string path = splitFilePath();
    platform::FileError why = platform::FileError::None;
    const auto size = platform::fileSize(path, &why);
    if (!size) {
        const bool missing
            = why == platform::FileError::NotFound || why == platform::FileError::PathNotFound;
        return { {}, missing ? SplitFileStatus::Missing : SplitFileStatus::Unreadable };
    }
    if (*size > kLargestSplitFile)
        return { {}, setAside() ? SplitFileStatus::SetAside : SplitFileStatus::Unreadable };
    std::optional<std::vector<std::byte>> bytes;
    // A file another program is replacing at this moment is read again.
    (void)platform::retry(platform::kDataFileRetry, [&] {
        bytes = platform::readWholeFile(path, kLargestSplitFile, &why);
        return bytes.has_value() || why != platform::FileError::SharingViolation;
    });
    if (!bytes) {
        const bool missing
            = why == platform::FileError::NotFound || why == platform::FileError::PathNotFound;
        return { {}, missing ? SplitFileStatus::Missing : SplitFileStatus::Unreadable };
    }
    bool trimmed = false;
    SplitFileRead read;
    read.splits = parseSplits(*bytes, &trimmed);
    read.status = trimmed ? SplitFileStatus::Trimmed : SplitFileStatus::Loaded;
    return read;
}

bool SaveSplits(const SplitList& splits)
{
    const std::vector<std::byte> bytes = splitFileBytes(splits);
    const std::u16string path = splitFilePath();
    return platform::retry(
        platform::kDataFileRetry, [&] { return platform::replaceFile(path, bytes); });
}

} // namespace stopwatch
