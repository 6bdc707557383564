#include "store/plugin_settings.h"

#include "platform/device_profile.h"
#include "platform/files.h"
#include "store/data_files.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace store {

namespace {

template <std::size_t N> void copyText(char16_t (&field)[N], std::u16string_view text)
{
    std::fill(std::begin(field), std::end(field), u'\0');
    std::copy_n(text.begin(), std::min(text.size(), N - 1), field);
}

template <std::size_t N> bool terminated(const char16_t (&field)[N])
{
    return std::find(std::begin(field), std::end(field), u'\0') != std::end(field);
}

// The models whose own locker must be used.
constexpr const char16_t* kStandardLockerModels[] = { u"Palm Treo Pro", u"Palm Treo 800w", u"Palm Treo 800" };

} // namespace

bool validatePluginSettings(const PluginSettings& s)
{
    if (s.formatMarker != 0 || s.clockKind > 3 || s.showDate > 1 || s.shortcutCount > kShortcutCount)
        return false;
    bool seen[kShortcutCount] = { };
    for (int i = 0; i < kShortcutCount; ++i) {
        const auto view = s.shortcutOrder[i];
        if (view >= kShortcutCount || seen[view] || s.shortcutShown[i] > 1)
            return false;
        seen[view] = true;
    }
    return s.showLockIcon < 2 && s.lockWithScreenSaver < 2 && s.lockKind < 2 && s.actOnTouch < 2
        && s.screenSaverMode <= 2 && s.screenSaverTimeout <= 10 && terminated(s.todaySkin) && terminated(s.lockSkin)
        && terminated(s.screenSaverSkin) && terminated(s.datePicture);
}

void defaultPluginSettings(PluginSettings& s)
{
    s = PluginSettings { };
    const auto screen = platform::screenSize();
    const bool highResolution = std::max(screen.width, screen.height) > 479;
    s.clockKind = 2;
    s.showDate = 1;
    s.shortcutCount = highResolution ? 5 : 4;
    std::iota(std::begin(s.shortcutOrder), std::end(s.shortcutOrder), std::uint8_t(0));
    for (int position : { 0, 3, 4, 6 })
        s.shortcutShown[position] = 1;
    if (highResolution)
        s.shortcutShown[7] = 1;
    s.showLockIcon = 1;
    s.lockKind = 1;
    const auto oem = platform::oemInfo();
    for (const char16_t* model : kStandardLockerModels) {
        if (oem == model) {
            s.lockKind = 0;
            break;
        }
    }
    s.actOnTouch = 1;
    copyText(s.todaySkin, u"Compact");
    copyText(s.lockSkin, u"Virevur");
    copyText(s.screenSaverSkin, u"Virevur");
}

PluginSettingsLoad loadPluginSettings(PluginSettings& settings)
{
    auto file = platform::File::open(DataFilePath(kPluginSettingsFile), platform::Access::Read, platform::Share::Read,
        platform::Disposition::OpenExisting);
    if (file) {
        // Only the bytes that arrived replace the record.
        (void)file->read({ reinterpret_cast<std::byte*>(&settings), sizeof settings });
        file.reset();
        if (validatePluginSettings(settings))
            return PluginSettingsLoad::Loaded;
    }
    defaultPluginSettings(settings);
    (void)savePluginSettings(settings); // Made again at the next start.
    return PluginSettingsLoad::Defaulted;
}

bool savePluginSettings(const PluginSettings& settings)
{
    const std::u16string path = DataFilePath(kPluginSettingsFile);
    const std::span<const std::byte> bytes { reinterpret_cast<const std::byte*>(&settings), sizeof settings };
    if (platform::replaceFile(path, bytes))
        return true;
    return createDataDirectory() && platform::replaceFile(path, bytes);
}

std::vector<std::u16string> loadScreenSaverList()
{
    std::vector<std::u16string> rows;
    const auto bytes = platform::readWholeFile(DataFilePath(kScreenSaverListFile), 1 << 20);
    if (!bytes)
        return rows;
    // A trailing odd byte is no character.
    std::u16string text(bytes->size() / 2, u'\0');
    std::memcpy(text.data(), bytes->data(), text.size() * 2);
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find(u'\0', start);
        if (end == std::u16string::npos)
            end = text.size();
        if (end > start)
            rows.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return rows;
}

bool saveScreenSaverList(const std::vector<std::u16string>& rows)
{
    std::u16string text;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        text += *row;
        text += u'\0';
    }
    return platform::replaceFile(DataFilePath(kScreenSaverListFile),
        { reinterpret_cast<const std::byte*>(text.data()), text.size() * 2 });
}

} // namespace store
