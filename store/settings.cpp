#include "store/settings.h"

#include "platform/device_profile.h"
#include "platform/files.h"
#include "platform/notifications.h"
#include "platform/processes.h"
#include "platform/text.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/sound_path.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <vector>

namespace store {

namespace {

constexpr CityRef kDefaultCityListA[20] = { { 4, 97 }, { 3, 40 }, { 3, 55 }, { 1, 129 }, { 3, 46 }, { 4, 159 },
    { 1, 124 }, { 0, 15 }, { 0, 18 }, { 2, 5 }, { 2, 26 }, { 4, 39 }, { 4, 93 }, { 4, 76 }, { 5, 3 }, { 5, 23 },
    { 5, 2 }, { 3, 4 }, { 3, 47 }, { 3, 12 } };
constexpr CityRef kDefaultChooser { 3, 40 };

SettingsRecord g_settings { };

template <std::size_t N> void copyText(char16_t (&field)[N], std::u16string_view text)
{
    std::fill(std::begin(field), std::end(field), u'\0');
    std::copy_n(text.begin(), std::min(text.size(), N - 1), field);
}

std::u16string mainProgramFolder()
{
    WCHAR module[261] = { };
    if (GetModuleFileNameW(nullptr, module, 261) == 0)
        return std::u16string(kDefaultInstallFolder);
    return folderOfModulePath(module);
}

std::optional<SettingsRecord> readExactRecord(platform::Share share)
{
    auto file = platform::File::open(DataFilePath(kSettingsFile), platform::Access::Read, share,
        platform::Disposition::OpenExisting);
    if (!file || file->size() != kSettingsSize)
        return std::nullopt;
    SettingsRecord record;
    if (!file->readExactly(&record, sizeof record))
        return std::nullopt;
    return record;
}

} // namespace

void resetCitiesForLanguage(SettingsRecord& record, DWORD language)
{
    switch (language) {
    case kGerman: record.worldCity = { 3, 8 }; record.visitingCity = { 3, 35 }; break;
    case kFrench: record.worldCity = { 3, 55 }; record.visitingCity = { 0, 18 }; break;
    case kItalian: record.worldCity = { 3, 62 }; record.visitingCity = { 4, 97 }; break;
    default: record.worldCity = { 4, 97 }; record.visitingCity = { 3, 55 }; break;
    }
    record.homeCity = record.worldCity;
}

DateFormat defaultDateFormat(DWORD language)
{
    switch (language) {
    case kGerman:
    case kSpanish:
    case kFrench:
    case kItalian:
    case kRussian: return DateFormat::DayFirst;
    default: return DateFormat::MonthFirst;
    }
}

void DefaultSettings(SettingsRecord& record, DWORD language)
{
    record = SettingsRecord { };
    record.alarmVolume = 1;
    record.vibrateDeviceId = std::uint32_t(std::max(platform::notificationLedCount() - 1, 0));
    record.statusField1 = 7;
    record.statusField2 = 4;
    record.statusField3 = 6;
    std::copy(std::begin(kDefaultCityListA), std::end(kDefaultCityListA), record.cityListA);
    // Entries 1 to 12 of the first list, then three more of its cities (13 to 15) so that
    // every cell of the largest grid has a city.
    std::copy(kDefaultCityListA + 1, kDefaultCityListA + 13, record.cityListB);
    std::copy(kDefaultCityListA + 13, kDefaultCityListA + 16, record.cityListB + 12);
    record.cityChooserA = kDefaultChooser;
    record.cityChooserC = kDefaultChooser;
    resetCitiesForLanguage(record, language);
    record.cityChooserB = record.worldCity;
    record.homeActive = 1;
    record.chimeInterval = 5;
    record.dateFormat = std::uint8_t(defaultDateFormat(language));
    record.showPhoneEvents = 1;
    record.lockHardwareKeys = 1;
    record.unlockTalkEnd = 1;
    copyText(record.chimeSound, kDefaultSoundPath);
}

SettingsRecord& settings() { return g_settings; }

void InitDataStore()
{
    (void)createDataDirectory(); // An existing directory is fine; a failure shows in the saves.
    DefaultSettings(g_settings, currentLanguage());
    storeInstallFolder(mainProgramFolder());
    const std::u16string runner(kRunnerPath);
    (void)CeRunAppAtEvent(runner.c_str(), NOTIFICATION_EVENT_TIME_CHANGE);
}

namespace {

SettingsLoad g_lastLoad = SettingsLoad::Loaded;
// settings.dat as this program last read or wrote it: what another program changed since
// is told from it at the next save.
std::optional<SettingsRecord> g_onDisk;

// The record's fields as units of change: a field is taken whole from one side.
struct FieldSpan {
    std::size_t offset;
    std::size_t size;
};

std::vector<FieldSpan> fieldSpans()
{
    std::vector<FieldSpan> spans = { { 0, 4 }, { 4, 1 }, { 5, 1 }, { 6, 1 }, { 7, 1 }, { 8, 4 }, { 12, 4 }, { 16, 4 },
        { 20, 4 }, { 24, 4 }, { 28, 4 }, { 32, 1 }, { 33, 1 }, { 34, 6 }, { 40, 8 } };
    for (std::size_t city = offsetof(SettingsRecord, cityListA); city < offsetof(SettingsRecord, homeActive); city += 8)
        spans.push_back({ city, 8 }); // both city lists, the choosers and the three cities
    for (std::size_t flag = offsetof(SettingsRecord, homeActive); flag < offsetof(SettingsRecord, skinName); ++flag)
        spans.push_back({ flag, 1 });
    spans.push_back({ offsetof(SettingsRecord, skinName), sizeof SettingsRecord::skinName });
    spans.push_back({ offsetof(SettingsRecord, chimeSound), sizeof SettingsRecord::chimeSound });
    spans.push_back({ offsetof(SettingsRecord, chimeSound) + sizeof SettingsRecord::chimeSound, 2 });
    return spans;
}

// The main program holds its record for its whole run and writes it whole: every field it
// left as it found it takes what another program (tkwctl, the Today item) has written
// since, so that change is not undone by this save.
void mergeChangesOnDisk(SettingsRecord& ours, const SettingsRecord& base, const SettingsRecord& disk)
{
    auto* mine = reinterpret_cast<std::byte*>(&ours);
    const auto* before = reinterpret_cast<const std::byte*>(&base);
    const auto* theirs = reinterpret_cast<const std::byte*>(&disk);
    for (const auto& span : fieldSpans()) {
        if (std::memcmp(mine + span.offset, before + span.offset, span.size) == 0)
            std::memcpy(mine + span.offset, theirs + span.offset, span.size);
    }
}

std::optional<SettingsRecord> readSettingsFile()
{
    auto file = platform::File::open(DataFilePath(kSettingsFile), platform::Access::Read, platform::Share::Read,
        platform::Disposition::OpenExisting);
    SettingsRecord record { };
    if (!file || file->size() != sizeof record || !file->readExactly(&record, sizeof record))
        return std::nullopt;
    return record;
}

// A settings file of the wrong size is replaced by the defaults, but the user's bytes are
// kept beside it ("settings.dat.damaged-YYYYMMDD-HHMMSS") and the log says so.
void keepDamagedSettings()
{
    const auto host = platform::hostPathOf(DataFilePath(kSettingsFile));
    if (!host)
        return;
    const std::string stamp = platform::damagedFileSuffix();
    std::error_code error;
    std::filesystem::copy_file(*host, host->string() + stamp, std::filesystem::copy_options::overwrite_existing, error);
    AppendLog(u"settings.dat had the wrong size: kept as settings.dat" + platform::toUtf16(stamp)
        + u", defaults in use");
}

} // namespace

SettingsLoad lastSettingsLoad() { return g_lastLoad; }

bool LoadSettings(StartMode mode)
{
    const auto edit = editDataFile(kSettingsFile);
    platform::FileError why = platform::FileError::None;
    std::optional<platform::File> file;
    // A file another program holds for a moment is read again, never taken for a missing one.
    (void)platform::retry(platform::kDataFileRetry, [&] {
        file = platform::File::open(DataFilePath(kSettingsFile), platform::Access::Read, platform::Share::Read,
            platform::Disposition::OpenExisting, &why);
        return file.has_value() || why != platform::FileError::SharingViolation;
    });
    if (!file && why != platform::FileError::NotFound && why != platform::FileError::PathNotFound) {
        // Busy throughout, a folder, no permission: the defaults serve this run, and nothing
        // is written over a file that may hold the user's settings.
        g_lastLoad = why == platform::FileError::SharingViolation ? SettingsLoad::Busy : SettingsLoad::Unreadable;
        DefaultSettings(g_settings, currentLanguage());
        return true;
    }
    const bool existed = file.has_value();
    if (file && file->size() == kSettingsSize && file->readExactly(&g_settings, sizeof g_settings)) {
        g_lastLoad = SettingsLoad::Loaded;
        g_onDisk = g_settings;
        return true;
    }
    g_onDisk.reset();
    file.reset();
    g_lastLoad = existed ? SettingsLoad::Damaged : SettingsLoad::Missing;
    if (existed)
        keepDamagedSettings();
    InitDataStore();
    if (mode == StartMode::Normal)
        (void)SaveSettings(); // Written again at the next save.
    return existed;
}

bool SaveSettings(const SettingsRecord& record, platform::RetryPolicy retry)
{
    const std::u16string path = DataFilePath(kSettingsFile);
    return platform::retry(retry, [&] {
        return platform::replaceFile(path, { reinterpret_cast<const std::byte*>(&record), sizeof record });
    });
}

bool SaveSettings()
{
    // Defaults that stand in for a file that could not be read must not replace it.
    if (g_lastLoad == SettingsLoad::Busy || g_lastLoad == SettingsLoad::Unreadable)
        return false;
    const auto edit = editDataFile(kSettingsFile);
    if (g_onDisk) {
        if (const auto disk = readSettingsFile(); disk && std::memcmp(&*disk, &*g_onDisk, sizeof *disk) != 0)
            mergeChangesOnDisk(g_settings, *g_onDisk, *disk);
    }
    if (!SaveSettings(g_settings))
        return false;
    g_onDisk = g_settings;
    return true;
}

AlertSettings ReadAlertSettings(platform::RetryPolicy retry)
{
    AlertSettings alert;
    const std::u16string path = DataFilePath(kSettingsFile);
    SettingsRecord record { };
    std::size_t got = 0;
    const bool opened = platform::retry(retry, [&] {
        auto file = platform::File::open(path, platform::Access::Read, platform::Share::Read,
            platform::Disposition::OpenExisting);
        if (!file)
            return false;
        const auto read = file->read({ reinterpret_cast<std::byte*>(&record), sizeof record });
        got = read.value_or(0);
        return true;
    });
    // A short file still carries the switches at its start.
    if (!opened || got < offsetof(SettingsRecord, vibrateDeviceId) + sizeof record.vibrateDeviceId)
        return alert;
    alert.read = true;
    alert.alarmVolume = std::uint8_t(record.alarmVolume & 0xff);
    alert.vibrate = record.vibrate != 0;
    alert.flashLight = record.flashLight != 0;
    alert.vibrateDeviceId = record.vibrateDeviceId;
    return alert;
}

void todayDefaultSettings(SettingsRecord& record)
{
    record = SettingsRecord { };
    std::copy_n(kDefaultCityListA, 4, record.cityListA);
}

bool readTodaySettings(SettingsRecord& record)
{
    if (const auto read = readExactRecord(platform::Share::Read)) {
        record = *read;
        return true;
    }
    todayDefaultSettings(record);
    return false;
}

bool writeTodaySettings(const SettingsRecord& record)
{
    auto file = platform::File::open(DataFilePath(kSettingsFile), platform::Access::Write, platform::Share::None,
        platform::Disposition::TruncateExisting);
    return file && file->write(&record, sizeof record);
}

} // namespace store
