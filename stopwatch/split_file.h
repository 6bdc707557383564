#pragma once
// stopwatch.dat: the split list. A run of UTF-16LE strings, each with its terminating zero,
// no header and no byte-order mark: for each split in list order its label, then its time.
// An empty or missing file means no splits.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace stopwatch {

// Each string of the file holds at most this many characters (the list's 32-character cells).
inline constexpr std::size_t kSplitTextChars = 31;
// A stopwatch.dat larger than this is no split list (tens of thousands of splits).
inline constexpr std::size_t kLargestSplitFile = 1024 * 1024;

struct Split {
    std::u16string label; // "Split 01"
    std::u16string time; // as the display wrote it: "00:01 23.45"
    friend bool operator==(const Split&, const Split&) = default;
};
using SplitList = std::vector<Split>;

enum class SplitFileStatus {
    Loaded, // every string of the file, in pairs (an empty file: no splits)
    Missing, // no file: no splits
    Trimmed, // loaded, but the file ended in an unpaired string or in half a character,
             // which were left out; the next save writes the list without them
    SetAside, // larger than kLargestSplitFile: kept beside as stopwatch.dat.damaged-...,
              // no splits
    Unreadable, // cannot be read (no permission, a folder, held by another program): no
                // splits, and the file is left as it is
};

struct SplitFileRead {
    SplitList splits;
    SplitFileStatus status = SplitFileStatus::Missing;
};

// The splits in the file's bytes: the text cut at zero characters, empty strings skipped,
// the rest taken in pairs (label, time); a last unpaired string and a last odd byte are left
// out. Strings longer than kSplitTextChars are cut to it. `trimmed` tells whether anything
// was left out.
[[nodiscard]] SplitList parseSplits(std::span<const std::byte> bytes, bool* trimmed = nullptr);
// The file's bytes for `splits`.
[[nodiscard]] std::vector<std::byte> splitFileBytes(const SplitList& splits);

// `LoadSplits`: reads stopwatch.dat of the data directory.
[[nodiscard]] SplitFileRead LoadSplits();
// `SaveSplits`: replaces stopwatch.dat whole (a failed save leaves the old file as it was);
// false when it could not be written, after the data files' retries.
[[nodiscard]] bool SaveSplits(const SplitList& splits);

} // namespace stopwatch
