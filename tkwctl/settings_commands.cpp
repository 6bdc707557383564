#include "tkwctl/commands.h"

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/plugin_settings.h"
#include "store/settings.h"
#include "store/signals.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tkwctl {

namespace {

enum class Kind { Byte, Word32, City, CityList, FileTime, Text };

struct Field {
    const char* name;
    std::size_t offset;
    Kind kind;
    std::size_t count = 1;         // cities in a list, characters of a text
    std::uint32_t largest = 0xff;  // of a number field; 0xffffffff for unbounded 32-bit ones
};

#define FIELD(name, kind) Field { #name, offsetof(store::SettingsRecord, name), Kind::kind }
#define NUMBER(name, kind, largest) Field { #name, offsetof(store::SettingsRecord, name), Kind::kind, 1, largest }
#define LIST(name, count) Field { #name, offsetof(store::SettingsRecord, name), Kind::CityList, count }
#define TEXT(name, count) Field { #name, offsetof(store::SettingsRecord, name), Kind::Text, count }

// Every field of the settings record, in file order, with the largest value each list or
// switch takes.
const Field kSettingsFields[] = {
    NUMBER(alarmVolume, Word32, 3), NUMBER(vibrate, Byte, 1), NUMBER(vibrateAutodetectOff, Byte, 1),
    NUMBER(flashLight, Byte, 1), NUMBER(vibrateDeviceId, Word32, 7), NUMBER(startView, Word32, 13),
    NUMBER(lastView, Word32, 12), NUMBER(statusField1, Word32, 8), NUMBER(statusField2, Word32, 8),
    NUMBER(statusField3, Word32, 8), NUMBER(lastViewItem, Byte, 0xff), NUMBER(stopwatchRunning, Byte, 1),
    FIELD(stopwatchStart, FileTime), LIST(cityListA, 20), LIST(cityListB, 15), FIELD(cityChooserA, City),
    FIELD(cityChooserB, City), FIELD(cityChooserC, City), FIELD(worldCity, City), FIELD(homeCity, City),
    FIELD(visitingCity, City), NUMBER(homeActive, Byte, 1), NUMBER(chime, Byte, 1), NUMBER(chimeInterval, Byte, 5),
    NUMBER(dateFormat, Byte, store::kLargestDateFormat), NUMBER(weekNumbering, Byte, 1), NUMBER(viewOption1, Byte, 1),
    NUMBER(viewOption2, Byte, 0xff), NUMBER(twilightKind, Byte, 3), NUMBER(hintsOff, Byte, 0xff),
    NUMBER(showPhoneEvents, Byte, 1), NUMBER(lockHardwareKeys, Byte, 1), NUMBER(unlockTalkEnd, Byte, 1),
    TEXT(skinName, 64), TEXT(chimeSound, 260),
};

#undef NUMBER
#undef FIELD
#undef LIST
#undef TEXT

std::string textOf(const char16_t* field, std::size_t count)
{
    return platform::toUtf8(std::u16string_view(field, std::find(field, field + count, u'\0') - field));
}

std::string cityJson(const store::CityRef& city)
{
    return "[" + std::to_string(city.continent) + "," + std::to_string(city.index) + "]";
}

std::string valueJson(const store::SettingsRecord& record, const Field& field)
{
    const auto* base = reinterpret_cast<const std::uint8_t*>(&record) + field.offset;
    switch (field.kind) {
    case Kind::Byte: return std::to_string(*base);
    case Kind::Word32: {
        std::uint32_t value;
        std::memcpy(&value, base, 4);
        return std::to_string(value);
    }
    case Kind::FileTime: {
        FILETIME value;
        std::memcpy(&value, base, sizeof value);
        return std::to_string(ticksOf(value));
    }
    case Kind::City: {
        store::CityRef city;
        std::memcpy(&city, base, sizeof city);
        return cityJson(city);
    }
    case Kind::CityList: {
        std::vector<std::string> cities;
        for (std::size_t i = 0; i < field.count; ++i) {
            store::CityRef city;
            std::memcpy(&city, base + i * sizeof city, sizeof city);
            cities.push_back(cityJson(city));
        }
        return jsonArray(cities);
    }
    case Kind::Text: {
        std::vector<char16_t> text(field.count);
        std::memcpy(text.data(), base, field.count * 2);
        return jsonString(textOf(text.data(), field.count));
    }
    }
    return "null";
}

// The record on disk, or the defaults when settings.dat is missing or damaged.
std::pair<store::SettingsRecord, bool> currentSettings();

// The record as settings.dat holds it (true), or the defaults when there is no file or it
// has the wrong size (false); nullopt, with the reason told, when the file is there but
// cannot be read: its contents must not be taken for the defaults, let alone written over.
std::optional<std::pair<store::SettingsRecord, bool>> readSettings()
{
    platform::FileError why = platform::FileError::None;
    std::optional<std::vector<std::byte>> bytes;
    (void)platform::retry(platform::kDataFileRetry, [&] {
        bytes = platform::readWholeFile(store::DataFilePath(store::kSettingsFile), 1 << 20, &why);
        return bytes.has_value() || why != platform::FileError::SharingViolation;
    });
    if (!bytes && why != platform::FileError::NotFound && why != platform::FileError::PathNotFound) {
        fail(std::string("settings.dat cannot be read: ") + platform::describe(why));
        return std::nullopt;
    }
    return currentSettings();
}

std::pair<store::SettingsRecord, bool> currentSettings()
{
    store::SettingsRecord record { };
    const auto bytes = platform::readWholeFile(store::DataFilePath(store::kSettingsFile), 1 << 20);
    if (bytes && bytes->size() == sizeof record) {
        std::memcpy(&record, bytes->data(), sizeof record);
        return { record, true };
    }
    (void)store::ReadLanguage(store::LanguageReader::TodayPlugin); // lang.dat only: nothing is written
    store::DefaultSettings(record, store::currentLanguage());
    return { record, false };
}

int showSettings(bool json)
{
    const auto read = readSettings();
    if (!read)
        return kExitFailure;
    const auto [record, fromFile] = *read;
    if (!fromFile)
        std::fprintf(stderr, "tkwctl: settings.dat is missing or damaged; these are the defaults\n");
    if (json) {
        JsonObject object;
        object.add("source", fromFile ? "file" : "defaults");
        for (const auto& field : kSettingsFields)
            object.addRaw(field.name, valueJson(record, field));
        std::printf("%s\n", object.str().c_str());
        return 0;
    }
    for (const auto& field : kSettingsFields)
        std::printf("%-22s %s\n", field.name, valueJson(record, field).c_str());
    return 0;
}

int setSetting(const std::string& name, const std::string& text)
{
    const Field* field = nullptr;
    for (const auto& candidate : kSettingsFields) {
        if (name == candidate.name)
            field = &candidate;
    }
    if (!field)
        return fail("no settings field " + inQuotes(name) + " (tkwctl settings show lists them)", kExitUsage);
    if (field->kind != Kind::Byte && field->kind != Kind::Word32)
        return fail(inQuotes(name) + " is not a number field", kExitUsage);
    const std::uint32_t limit = field->largest;
    const auto whole = wholeNumber(text, 0, limit);
    if (!whole)
        return fail(inQuotes(text) + " is not a value for " + name + " (a whole number from 0 to "
                + std::to_string(limit) + ")",
            kExitUsage);
    const auto value = std::uint32_t(*whole);
    platform::EditLockError why = platform::EditLockError::None;
    const auto edit = store::editDataFile(store::kSettingsFile, store::kEditWait, &why);
    if (!edit)
        return fail(std::string("settings.dat cannot be changed now: ") + platform::describe(why));
    const auto read = readSettings();
    if (!read)
        return kExitFailure;
    auto [record, fromFile] = *read;
    if (!fromFile && platform::fileExists(store::DataFilePath(store::kSettingsFile)))
        std::fprintf(stderr, "tkwctl: settings.dat had the wrong size; it is replaced by the defaults with this change\n");
    auto* base = reinterpret_cast<std::uint8_t*>(&record) + field->offset;
    if (field->kind == Kind::Byte)
        *base = std::uint8_t(value);
    else
        std::memcpy(base, &value, 4);
    if (!store::SaveSettings(record))
        return fail("cannot write settings.dat");
    store::signalByName(store::kTodaySettingsChanged);
    return 0;
}

std::string pluginJson(const store::PluginSettings& s, bool valid)
{
    std::vector<std::string> order, shown;
    for (int i = 0; i < store::kShortcutCount; ++i) {
        order.push_back(std::to_string(s.shortcutOrder[i]));
        shown.push_back(std::to_string(s.shortcutShown[i]));
    }
    return JsonObject().add("valid", valid).add("clockKind", std::int64_t(s.clockKind))
        .add("showDate", std::int64_t(s.showDate)).add("shortcutCount", std::int64_t(s.shortcutCount))
        .addRaw("shortcutOrder", jsonArray(order)).addRaw("shortcutShown", jsonArray(shown))
        .add("showLockIcon", std::int64_t(s.showLockIcon)).add("lockWithScreenSaver", std::int64_t(s.lockWithScreenSaver))
        .add("lockKind", std::int64_t(s.lockKind)).add("screenSaverMode", std::int64_t(s.screenSaverMode))
        .add("screenSaverTimeout", std::int64_t(s.screenSaverTimeout)).add("actOnTouch", std::int64_t(s.actOnTouch))
        .add("todaySkin", textOf(s.todaySkin, 64)).add("lockSkin", textOf(s.lockSkin, 64))
        .add("screenSaverSkin", textOf(s.screenSaverSkin, 64)).add("datePicture", textOf(s.datePicture, 64)).str();
}

int showPlugin(bool json)
{
    store::PluginSettings settings { };
    const auto bytes = platform::readWholeFile(store::DataFilePath(store::kPluginSettingsFile), 1 << 20);
    bool valid = false;
    if (bytes) {
        std::memcpy(&settings, bytes->data(), std::min(bytes->size(), sizeof settings));
        valid = store::validatePluginSettings(settings);
    }
    if (!valid) {
        std::fprintf(stderr, "tkwctl: plg.dat is %s; these are the defaults\n", bytes ? "invalid" : "missing");
        store::defaultPluginSettings(settings);
    }
    const std::string text = pluginJson(settings, valid);
    if (json) {
        std::printf("%s\n", text.c_str());
    } else {
        // One field a line: the JSON object without its braces.
        std::string body = text.substr(1, text.size() - 2);
        std::size_t depth = 0;
        for (char& c : body) {
            depth += c == '[';
            depth -= c == ']';
            if (c == ',' && depth == 0)
                c = '\n';
        }
        std::printf("%s\n", body.c_str());
    }
    return 0;
}

} // namespace

int runLanguage(const Arguments& a)
{
    constexpr const char* kUsage = "usage: tkwctl lang [set N]";
    if (!a.words.empty() && a.words[0] != "set")
        return fail(unknownCommand(a.words[0], "lang") + "\n" + kUsage, kExitUsage);
    if (const auto problem = noMoreWords(a.words, a.words.empty() ? 0 : 2, "lang set"))
        return fail(*problem, kExitUsage);
    if (a.words.size() == 1)
        return fail("'lang set' needs a language number\n" + std::string(kUsage), kExitUsage);
    if (a.words.empty()) {
        DWORD fileIndex = 0;
        const auto bytes = platform::readWholeFile(store::DataFilePath(store::kLanguageFile), 16);
        const bool hasFile = bytes && bytes->size() >= 4;
        if (hasFile)
            std::memcpy(&fileIndex, bytes->data(), 4);
        const auto stored = platform::readRegistryDword(platform::RegistryRoot::CurrentUser, store::kSuiteKey,
            store::kLanguageValue);
        if (a.json) {
            JsonObject object;
            if (hasFile)
                object.add("langDat", std::int64_t(fileIndex));
            if (stored)
                object.add("registry", std::int64_t(*stored));
            std::printf("%s\n", object.str().c_str());
        } else {
            std::printf("lang.dat:    %s\nregistry:    %s\n", hasFile ? std::to_string(fileIndex).c_str() : "none",
                stored ? std::to_string(*stored).c_str() : "none");
        }
        return 0;
    }
    const auto& text = a.words[1];
    const auto whole = wholeNumber(text, 0, store::kRussian);
    if (!whole || *whole == store::kSpanish)
        return fail(inQuotes(text) + " is not a language: 0 English, 1 German, 3 French, 4 Italian, 5 Russian",
            kExitUsage);
    const auto index = DWORD(*whole);
    if (!store::WriteLanguage(index))
        return fail("cannot store the language");
    // As the preferences do: the language's cities, saved with the settings.
    auto [record, fromFile] = currentSettings();
    if (fromFile) {
        store::resetCitiesForLanguage(record, index);
        if (!store::SaveSettings(record))
            return fail("cannot write settings.dat");
    }
    return 0;
}

int runSettings(const Arguments& a)
{
    constexpr const char* kUsage = "usage: tkwctl settings show | set FIELD VALUE";
    const std::string command = a.words.empty() ? std::string() : a.words[0];
    if (command != "show" && command != "set")
        return fail((command.empty() ? std::string() : unknownCommand(command, "settings") + "\n") + kUsage,
            kExitUsage);
    if (const auto problem = noMoreWords(a.words, command == "show" ? 1 : 3, "settings " + command))
        return fail(*problem, kExitUsage);
    if (command == "show")
        return showSettings(a.json);
    if (a.words.size() < 3)
        return fail("'settings set' needs a field and a value\n" + std::string(kUsage), kExitUsage);
    return setSetting(a.words[1], a.words[2]);
}

int runPlugin(const Arguments& a)
{
    constexpr const char* kUsage = "usage: tkwctl plg show";
    if (a.words.empty() || a.words[0] != "show")
        return fail((a.words.empty() ? std::string() : unknownCommand(a.words[0], "plg") + "\n") + kUsage,
            kExitUsage);
    if (const auto problem = noMoreWords(a.words, 1, "plg show"))
        return fail(*problem, kExitUsage);
    return showPlugin(a.json);
}

} // namespace tkwctl
