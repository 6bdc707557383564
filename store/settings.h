#pragma once
// The settings record: the user's global preferences of the whole suite, settings.dat.

#include "platform/retry.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

namespace store {

// A city of the city database: continent (0-5, 6 the merged list) and index in its list.
struct CityRef {
    std::uint32_t continent;
    std::uint32_t index;
    friend bool operator==(const CityRef&, const CityRef&) = default;
};
static_assert(sizeof(CityRef) == 8);

// These bytes are the file: little-endian, written exactly as they sit in memory.
struct SettingsRecord {
    std::uint32_t alarmVolume;          // 0 Low, 1 Medium, 2 High, 3 use the system's
    std::uint8_t vibrate;
    std::uint8_t vibrateAutodetectOff;
    std::uint8_t reserved6;
    std::uint8_t flashLight;
    std::uint32_t vibrateDeviceId;      // the LED that drives the vibrator
    std::uint32_t startView;            // 0 last used, else view index + 1
    std::uint32_t lastView;             // 0-12
    std::uint32_t statusField1;         // 0 None, 1 Alarm, 2 Timer, 3 Stopwatch, 4 Sunrise,
    std::uint32_t statusField2;         // 5 Sunset, 6 Internet Time, 7 Date, 8 Time
    std::uint32_t statusField3;
    std::uint8_t lastViewItem;
    std::uint8_t stopwatchRunning;
    std::uint8_t reserved34[6];
    FILETIME stopwatchStart;            // running: virtual start (UTC); stopped: elapsed ticks
    CityRef cityListA[20];              // the first four are the Today item's city clocks
    CityRef cityListB[15];
    CityRef cityChooserA;
    CityRef cityChooserB;
    CityRef cityChooserC;
    CityRef worldCity;
    CityRef homeCity;
    CityRef visitingCity;
    std::uint8_t homeActive;
    std::uint8_t chime;
    std::uint8_t chimeInterval;         // 0 5 min, 1 10, 2 15, 3 20, 4 30, 5 1 hour
    std::uint8_t dateFormat;            // Digital Clock date: 0 "MMMM dd, yyyy", 1 "dd MMMM yyyy",
                                        // 2 the locale's long date; set by language at the first start
    std::uint8_t weekNumbering;         // 0 civil, 1 ISO 8601
    std::uint8_t viewOption1;           // Internet Time view: converter direction, restored at start
    std::uint8_t viewOption2;           // Internet Time view: kept as read, saved at exit
    std::uint8_t twilightKind;
    std::uint8_t hintsOff;              // bit 0: the hint that no weekday is selected
    std::uint8_t reserved385;
    std::uint8_t showPhoneEvents;
    std::uint8_t lockHardwareKeys;
    std::uint8_t unlockTalkEnd;
    std::uint8_t reserved389;
    char16_t skinName[64];              // zero-terminated
    char16_t chimeSound[260];           // zero-terminated
    std::uint8_t reserved1038[2];
};
static_assert(std::is_trivially_copyable_v<SettingsRecord>);
static_assert(sizeof(SettingsRecord) == 1040);
static_assert(offsetof(SettingsRecord, alarmVolume) == 0);
static_assert(offsetof(SettingsRecord, vibrate) == 4);
static_assert(offsetof(SettingsRecord, vibrateAutodetectOff) == 5);
static_assert(offsetof(SettingsRecord, flashLight) == 7);
static_assert(offsetof(SettingsRecord, vibrateDeviceId) == 8);
static_assert(offsetof(SettingsRecord, startView) == 12);
static_assert(offsetof(SettingsRecord, lastView) == 16);
static_assert(offsetof(SettingsRecord, statusField1) == 20);
static_assert(offsetof(SettingsRecord, statusField2) == 24);
static_assert(offsetof(SettingsRecord, statusField3) == 28);
static_assert(offsetof(SettingsRecord, lastViewItem) == 32);
static_assert(offsetof(SettingsRecord, stopwatchRunning) == 33);
static_assert(offsetof(SettingsRecord, stopwatchStart) == 40);
static_assert(offsetof(SettingsRecord, cityListA) == 48);
static_assert(offsetof(SettingsRecord, cityListB) == 208);
static_assert(offsetof(SettingsRecord, cityChooserA) == 328);
static_assert(offsetof(SettingsRecord, cityChooserB) == 336);
static_assert(offsetof(SettingsRecord, cityChooserC) == 344);
static_assert(offsetof(SettingsRecord, worldCity) == 352);
static_assert(offsetof(SettingsRecord, homeCity) == 360);
static_assert(offsetof(SettingsRecord, visitingCity) == 368);
static_assert(offsetof(SettingsRecord, homeActive) == 376);
static_assert(offsetof(SettingsRecord, chime) == 377);
static_assert(offsetof(SettingsRecord, chimeInterval) == 378);
static_assert(offsetof(SettingsRecord, dateFormat) == 379);
static_assert(offsetof(SettingsRecord, weekNumbering) == 380);
static_assert(offsetof(SettingsRecord, viewOption1) == 381);
static_assert(offsetof(SettingsRecord, viewOption2) == 382);
static_assert(offsetof(SettingsRecord, twilightKind) == 383);
static_assert(offsetof(SettingsRecord, hintsOff) == 384);
static_assert(offsetof(SettingsRecord, showPhoneEvents) == 386);
static_assert(offsetof(SettingsRecord, lockHardwareKeys) == 387);
static_assert(offsetof(SettingsRecord, unlockTalkEnd) == 388);
static_assert(offsetof(SettingsRecord, skinName) == 390);
static_assert(offsetof(SettingsRecord, chimeSound) == 518);

inline constexpr std::size_t kSettingsSize = sizeof(SettingsRecord);

// The Digital Clock's date-format choices (SettingsRecord::dateFormat).
enum class DateFormat : std::uint8_t {
    MonthFirst = 0, // "MMMM dd, yyyy"
    DayFirst = 1,   // "dd MMMM yyyy"
    LocaleLong = 2, // the locale's long date
};
inline constexpr std::uint8_t kLargestDateFormat = std::uint8_t(DateFormat::LocaleLong);

// The defaults; the world and visiting cities and the date format follow `language`.
void DefaultSettings(SettingsRecord& record, DWORD language);
// The three cities that depend on the language: worldCity, homeCity, visitingCity.
void resetCitiesForLanguage(SettingsRecord& record, DWORD language);
// The date format a user of `language` reads first: day first in German, Spanish, French,
// Italian and Russian, month first in English and any other.
[[nodiscard]] DateFormat defaultDateFormat(DWORD language);

// The main program's record, held for its whole run.
[[nodiscard]] SettingsRecord& settings();

enum class StartMode {
    Normal,
    StartedByWatcher, // screen saver and lock modes do not write the defaults
};

enum class SettingsLoad {
    Loaded,
    Missing,    // no file: the defaults were made and written
    Damaged,    // the wrong size: kept beside as settings.dat.damaged-..., defaults written
    Busy,       // another program held it through the retries: defaults for this run only
    Unreadable, // a folder, no permission: defaults for this run only
};
// How the last LoadSettings went; after Busy and Unreadable, SaveSettings() writes nothing.
[[nodiscard]] SettingsLoad lastSettingsLoad();

// Reads settings.dat into settings(). A missing file, or one of any size but 1040 bytes,
// gives the defaults (InitDataStore), written back unless `mode` says otherwise. Returns
// whether the file could be opened, even when it had the wrong size.
bool LoadSettings(StartMode mode = StartMode::Normal);

// Writes the record whole, replacing the file; retried up to 10 more times, 100 ms apart.
[[nodiscard]] bool SaveSettings(const SettingsRecord& record, platform::RetryPolicy retry = platform::kDataFileRetry);
// The main program's record. Fields it has not changed since it read or last wrote the file
// take what another program wrote meanwhile, so that program's change survives this save.
[[nodiscard]] bool SaveSettings();

// Makes the data directory, fills settings() with the defaults (in the current language),
// keeps path.dat naming the main program's folder and registers the runner for time changes.
void InitDataStore();

// The runner's view: the alert switches, read with up to 7 attempts 1 s apart; all off
// (and `read` false) when the file cannot be read.
struct AlertSettings {
    bool read = false;
    std::uint8_t alarmVolume = 3; // the device's own volume when nothing was read
    bool vibrate = false;
    bool flashLight = false;
    std::uint32_t vibrateDeviceId = 0;
};
[[nodiscard]] AlertSettings ReadAlertSettings(platform::RetryPolicy retry = { 6, 1000 });

// The Today plug-in's own reading and writing of the same file. Reading succeeds only with
// 1040 bytes, else it gives the plug-in's minimal defaults; writing never creates the file.
bool readTodaySettings(SettingsRecord& record);
[[nodiscard]] bool writeTodaySettings(const SettingsRecord& record);
void todayDefaultSettings(SettingsRecord& record);

} // namespace store
