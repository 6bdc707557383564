#include "platform/notifications.h"

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/device_root.h"
#include "platform/device_service.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/handle.h"
#include "platform/sqlite_db.h"
#include "platform/text.h"

#include <ctime>
#include <fstream>
#include <mutex>

namespace {

using platform::kSqliteDone;
using platform::kSqliteRow;
using platform::Statement;
using platform::WakeUp;
using platform::WriteTransaction;

constexpr const char* kSchema
    = "CREATE TABLE IF NOT EXISTS wakeups("
      " handle INTEGER PRIMARY KEY AUTOINCREMENT,"
      " type INTEGER NOT NULL, event INTEGER NOT NULL,"
      " application TEXT NOT NULL, arguments TEXT NOT NULL,"
      " start_local INTEGER NOT NULL, end_local INTEGER NOT NULL,"
      " action_flags INTEGER NOT NULL, led_set INTEGER NOT NULL DEFAULT 0,"
      " fired INTEGER NOT NULL DEFAULT 0);"
      "CREATE INDEX IF NOT EXISTS wakeups_by_start ON wakeups(fired, start_local);"
      "CREATE TABLE IF NOT EXISTS event_apps("
      " application TEXT NOT NULL COLLATE NOCASE, event INTEGER NOT NULL,"
      " PRIMARY KEY(application, event));"
      "CREATE TABLE IF NOT EXISTS service_state(name TEXT PRIMARY KEY, value INTEGER NOT NULL);";

constexpr const char* kColumns
    = "handle, type, event, application, arguments, start_local, end_local, action_flags, led_set, fired";

// Local start times become universal with the zone of the moment they are looked at, so a
// registration keeps its local time when the zone changes. Local and universal order
// differ by at most a day's worth of offsets, which this margin covers.
constexpr std::int64_t kZoneMargin = platform::kTicksPerDay;

// Handles are 32-bit values; the database never gives one out twice.
constexpr std::int64_t kMaxHandle = 0xffffffffLL;

struct WakeUpDatabase {
    std::mutex mutex;
    platform::Database db;
    std::uint64_t rootGeneration = 0;
    std::string problem;
    bool damaged = false; // the file is not a database any more (not merely busy)
};

WakeUpDatabase& store()
{
    static auto* instance = new WakeUpDatabase();
    return *instance;
}

std::filesystem::path databasePath() { return platform::platformStateDirectory() / "wakeups.db"; }

// Call with the mutex held.
platform::Database* database()
{
    auto& s = store();
    const auto generation = platform::deviceRootGeneration();
    if (s.db && s.rootGeneration == generation)
        return &s.db;
    s.rootGeneration = generation;
    s.db = platform::Database::open(databasePath(), kSchema, s.problem);
    s.damaged = !s.db && s.problem.rfind("damaged:", 0) == 0;
    return s.db ? &s.db : nullptr;
}

// The programs registered for time changes, kept beside the database as well: a damaged
// database is rebuilt empty, and these programs are what renews every registration then.
std::filesystem::path timeChangeCopyPath() { return platform::platformStateDirectory() / "time-change-apps"; }

// Call with the mutex held.
void copyTimeChangeApplications(platform::Database& db)
{
    Statement query(db.get(), "SELECT application FROM event_apps WHERE event = ?1 ORDER BY rowid");
    query.bind(1, std::int64_t(NOTIFICATION_EVENT_TIME_CHANGE));
    std::string text;
    while (query.step() == kSqliteRow)
        text += query.text(0) + "\n";
    auto replacement = platform::FileReplacement::beginHost(timeChangeCopyPath());
    if (replacement && replacement->write(text.data(), text.size()))
        (void)replacement->commit();
}

// The database with this process's lock on it, for the length of one call.
class LockedDatabase {
public:
    LockedDatabase() : m_lock(store().mutex), m_db(database()) { }
    explicit operator bool() const { return m_db != nullptr; }
    platform::Database* operator->() const { return m_db; }
    platform::Database& operator*() const { return *m_db; }

private:
    std::unique_lock<std::mutex> m_lock;
    platform::Database* m_db;
};

WakeUp readRow(Statement& row)
{
    WakeUp w;
    w.handle = DWORD(row.integer(0));
    w.type = DWORD(row.integer(1));
    w.event = DWORD(row.integer(2));
    w.application = platform::toUtf16(row.text(3));
    w.arguments = platform::toUtf16(row.text(4));
    w.startLocalTicks = std::uint64_t(row.integer(5));
    w.endLocalTicks = std::uint64_t(row.integer(6));
    w.actionFlags = DWORD(row.integer(7));
    w.ledSet = row.integer(8) != 0;
    w.fired = row.integer(9) != 0;
    return w;
}

DWORD handleValue(HANDLE handle)
{
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    return value <= std::uintptr_t(kMaxHandle) ? DWORD(value) : 0;
}

HANDLE asHandle(std::int64_t value) { return reinterpret_cast<HANDLE>(std::uintptr_t(value)); }

struct Trigger {
    std::int64_t type;
    std::int64_t event;
    std::string application;
    std::string arguments;
    std::int64_t start;
    std::int64_t end;
};

std::optional<Trigger> validTrigger(const CE_NOTIFICATION_TRIGGER* trigger)
{
    if (!trigger || !trigger->lpszApplication || !*trigger->lpszApplication)
        return std::nullopt;
    Trigger t { trigger->dwType, trigger->dwEvent, platform::toUtf8(trigger->lpszApplication),
        trigger->lpszArguments ? platform::toUtf8(trigger->lpszArguments) : std::string(), 0, 0 };
    if (trigger->dwType == CNT_TIME) {
        const auto start = platform::ticksOfSystemTime(trigger->stStartTime);
        if (!start)
            return std::nullopt;
        t.start = std::int64_t(*start);
        t.event = 0;
        if (trigger->stEndTime.wYear != 0) {
            const auto end = platform::ticksOfSystemTime(trigger->stEndTime);
            if (!end)
                return std::nullopt;
            t.end = std::int64_t(*end);
        }
        return t;
    }
    if (trigger->dwType == CNT_EVENT && trigger->dwEvent == NOTIFICATION_EVENT_TIME_CHANGE)
        return t;
    return std::nullopt;
}

std::optional<std::uint64_t> universalOf(const TIME_ZONE_INFORMATION& zone, std::uint64_t localTicks)
{
    const auto utc = platform::localToUniversal(zone, localTicks);
    return utc ? std::optional(utc->ticks) : std::nullopt;
}

TIME_ZONE_INFORMATION deviceZone()
{
    TIME_ZONE_INFORMATION zone { };
    GetTimeZoneInformation(&zone);
    return zone;
}

} // namespace

HANDLE CeSetUserNotificationEx(HANDLE notification, const CE_NOTIFICATION_TRIGGER* trigger,
    const CE_USER_NOTIFICATION* userNotification)
{
    const auto t = validTrigger(trigger);
    const std::int64_t replacing = notification ? handleValue(notification) : 0;
    if (!t || (notification && replacing == 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::int64_t flags = userNotification ? userNotification->ActionFlags : 0;
    std::int64_t handle = 0;
    {
        LockedDatabase db;
        if (!db) {
            SetLastError(ERROR_GEN_FAILURE);
            return nullptr;
        }
        WriteTransaction transaction(*db);
        if (!transaction.open()) {
            SetLastError(ERROR_GEN_FAILURE);
            return nullptr;
        }
        if (replacing) {
            Statement update(db->get(),
                "UPDATE wakeups SET type = ?2, event = ?3, application = ?4, arguments = ?5, start_local = ?6,"
                " end_local = ?7, action_flags = ?8, fired = 0 WHERE handle = ?1");
            update.bind(1, replacing).bind(2, t->type).bind(3, t->event).bind(4, t->application).bind(5, t->arguments)
                .bind(6, t->start).bind(7, t->end).bind(8, flags);
            if (update.step() != kSqliteDone || db->changes() == 0) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            handle = replacing;
        } else {
            Statement insert(db->get(),
                "INSERT INTO wakeups(type, event, application, arguments, start_local, end_local, action_flags)"
                " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
            insert.bind(1, t->type).bind(2, t->event).bind(3, t->application).bind(4, t->arguments).bind(5, t->start)
                .bind(6, t->end).bind(7, flags);
            if (insert.step() != kSqliteDone) {
                SetLastError(ERROR_GEN_FAILURE);
                return nullptr;
            }
            Statement last(db->get(), "SELECT last_insert_rowid()");
            handle = last.step() == kSqliteRow ? last.integer(0) : 0;
            if (handle <= 0 || handle > kMaxHandle) {
                SetLastError(ERROR_NO_SYSTEM_RESOURCES);
                return nullptr;
            }
        }
        if (!transaction.commit()) {
            SetLastError(ERROR_GEN_FAILURE);
            return nullptr;
        }
    }
    platform::notifyDeviceService();
    return asHandle(handle);
}

BOOL CeClearUserNotification(HANDLE notification)
{
    const DWORD handle = handleValue(notification);
    if (handle == 0)
        return FALSE;
    {
        LockedDatabase db;
        if (!db)
            return FALSE;
        Statement remove(db->get(), "DELETE FROM wakeups WHERE handle = ?1");
        if (remove.bind(1, std::int64_t(handle)).step() != kSqliteDone || db->changes() == 0)
            return FALSE;
    }
    platform::notifyDeviceService();
    return TRUE;
}

BOOL CeRunAppAtEvent(const WCHAR* application, LONG event)
{
    if (!application || !*application || event < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LockedDatabase db;
    if (!db) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    const std::string app = platform::toUtf8(application);
    Statement change(db->get(), event == NOTIFICATION_EVENT_NONE
            ? "DELETE FROM event_apps WHERE application = ?1"
            : "INSERT OR IGNORE INTO event_apps(application, event) VALUES(?1, ?2)");
    change.bind(1, app);
    if (event != NOTIFICATION_EVENT_NONE)
        change.bind(2, std::int64_t(event));
    if (change.step() != kSqliteDone) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    if (db->changes() > 0)
        copyTimeChangeApplications(*db);
    return TRUE;
}

namespace platform {

namespace {

struct FilledTrigger {
    std::u16string program;
    std::u16string arguments;
    CE_NOTIFICATION_TRIGGER trigger { };
    CE_USER_NOTIFICATION notification { };

    explicit FilledTrigger(const ProgramWakeUp& wakeUp)
        : program(wakeUp.program)
        , arguments(wakeUp.arguments)
    {
        trigger.dwSize = sizeof trigger;
        trigger.dwType = CNT_TIME;
        trigger.dwEvent = NOTIFICATION_EVENT_NONE;
        trigger.lpszApplication = program.c_str();
        trigger.lpszArguments = arguments.c_str();
        trigger.stStartTime = wakeUp.start;
        if (wakeUp.end)
            trigger.stEndTime = *wakeUp.end;
        notification.ActionFlags = wakeUp.actionFlags;
    }
    FilledTrigger(const FilledTrigger&) = delete;
    FilledTrigger& operator=(const FilledTrigger&) = delete;
};

} // namespace

HANDLE wakeUpHandle(DWORD number) { return reinterpret_cast<HANDLE>(std::uintptr_t(number)); }

DWORD wakeUpNumber(HANDLE handle) { return handleValue(handle); }

DWORD registerWakeUp(const ProgramWakeUp& wakeUp, DWORD replacing)
{
    const FilledTrigger filled(wakeUp);
    return handleValue(CeSetUserNotificationEx(wakeUpHandle(replacing), &filled.trigger, &filled.notification));
}

DWORD registerSoleWakeUp(const ProgramWakeUp& wakeUp, DWORD keep)
{
    const FilledTrigger filled(wakeUp);
    return setSoleWakeUp(filled.trigger, keep);
}

bool clearWakeUp(DWORD number) { return number != 0 && CeClearUserNotification(wakeUpHandle(number)); }

DWORD setSoleWakeUp(const CE_NOTIFICATION_TRIGGER& trigger, DWORD keep)
{
    const auto t = validTrigger(&trigger);
    if (!t || t->type != CNT_TIME)
        return 0;
    std::int64_t handle = 0;
    {
        LockedDatabase db;
        if (!db)
            return 0;
        WriteTransaction transaction(*db);
        if (!transaction.open())
            return 0;
        Statement others(db->get(),
            "DELETE FROM wakeups WHERE fired = 0 AND type = ?1 AND application = ?2 COLLATE NOCASE"
            " AND arguments = ?3 AND handle != ?4");
        others.bind(1, std::int64_t(CNT_TIME)).bind(2, t->application).bind(3, t->arguments).bind(4, std::int64_t(keep));
        if (others.step() != kSqliteDone)
            return 0;
        if (keep != 0) {
            Statement update(db->get(),
                "UPDATE wakeups SET application = ?2, arguments = ?3, start_local = ?4, end_local = ?5,"
                " action_flags = 0, fired = 0, led_set = 0 WHERE handle = ?1 AND fired = 0 AND type = ?6"
                " AND application = ?2 COLLATE NOCASE AND arguments = ?3");
            update.bind(1, std::int64_t(keep)).bind(2, t->application).bind(3, t->arguments).bind(4, t->start)
                .bind(5, t->end).bind(6, std::int64_t(CNT_TIME));
            if (update.step() != kSqliteDone)
                return 0;
            if (db->changes() > 0)
                handle = keep;
        }
        if (handle == 0) {
            Statement insert(db->get(),
                "INSERT INTO wakeups(type, event, application, arguments, start_local, end_local, action_flags)"
                " VALUES(?1, 0, ?2, ?3, ?4, ?5, 0)");
            insert.bind(1, std::int64_t(CNT_TIME)).bind(2, t->application).bind(3, t->arguments).bind(4, t->start)
                .bind(5, t->end);
            if (insert.step() != kSqliteDone)
                return 0;
            Statement last(db->get(), "SELECT last_insert_rowid()");
            handle = last.step() == kSqliteRow ? last.integer(0) : 0;
            if (handle <= 0 || handle > kMaxHandle)
                return 0;
        }
        if (!transaction.commit())
            return 0;
    }
    notifyDeviceService();
    return DWORD(handle);
}

bool clearWakeUpsOf(std::u16string_view application, std::u16string_view arguments)
{
    {
        LockedDatabase db;
        if (!db)
            return false;
        Statement remove(db->get(),
            "DELETE FROM wakeups WHERE fired = 0 AND type = ?1 AND application = ?2 COLLATE NOCASE AND arguments = ?3");
        remove.bind(1, std::int64_t(CNT_TIME)).bind(2, toUtf8(application)).bind(3, toUtf8(arguments));
        if (remove.step() != kSqliteDone)
            return false;
        if (db->changes() == 0)
            return true;
    }
    notifyDeviceService();
    return true;
}

std::optional<std::vector<WakeUp>> wakeUpsOf(std::u16string_view application)
{
    LockedDatabase db;
    if (!db)
        return std::nullopt;
    Statement query(db->get(), (std::string("SELECT ") + kColumns
        + " FROM wakeups WHERE fired = 0 AND type = ?1 AND application = ?2 COLLATE NOCASE"
          " ORDER BY start_local, handle").c_str());
    query.bind(1, std::int64_t(CNT_TIME)).bind(2, toUtf8(application));
    std::vector<WakeUp> wakeUps;
    while (query.step() == kSqliteRow)
        wakeUps.push_back(readRow(query));
    return wakeUps;
}

std::optional<std::vector<WakeUp>> listWakeUps()
{
    LockedDatabase db;
    if (!db)
        return std::nullopt;
    Statement query(db->get(), (std::string("SELECT ") + kColumns + " FROM wakeups ORDER BY start_local, handle").c_str());
    std::vector<WakeUp> wakeUps;
    while (query.step() == kSqliteRow)
        wakeUps.push_back(readRow(query));
    return wakeUps;
}

std::optional<WakeUp> findWakeUp(DWORD handle)
{
    LockedDatabase db;
    if (!db)
        return std::nullopt;
    Statement query(db->get(), (std::string("SELECT ") + kColumns + " FROM wakeups WHERE handle = ?1").c_str());
    if (query.bind(1, std::int64_t(handle)).step() != kSqliteRow)
        return std::nullopt;
    return readRow(query);
}

std::optional<std::vector<std::u16string>> timeChangeApplications()
{
    LockedDatabase db;
    if (!db)
        return std::nullopt;
    Statement query(db->get(), "SELECT application FROM event_apps WHERE event = ?1 ORDER BY rowid");
    query.bind(1, std::int64_t(NOTIFICATION_EVENT_TIME_CHANGE));
    std::vector<std::u16string> applications;
    while (query.step() == kSqliteRow)
        applications.push_back(toUtf16(query.text(0)));
    return applications;
}

std::optional<std::vector<WakeUp>> dueWakeUps(UniversalTicks deviceNow)
{
    const std::uint64_t deviceUtcTicks = deviceNow.count();
    const auto zone = deviceZone();
    const auto local = universalToLocal(zone, deviceUtcTicks);
    if (!local)
        return std::nullopt;
    LockedDatabase db;
    if (!db)
        return std::nullopt;
    Statement query(db->get(), (std::string("SELECT ") + kColumns
        + " FROM wakeups WHERE fired = 0 AND type = ?1 AND start_local <= ?2 ORDER BY start_local, handle").c_str());
    query.bind(1, std::int64_t(CNT_TIME)).bind(2, std::int64_t(local->ticks) + kZoneMargin);
    std::vector<WakeUp> due;
    while (query.step() == kSqliteRow) {
        WakeUp w = readRow(query);
        const auto utc = universalOf(zone, w.startLocalTicks);
        if (!utc || *utc <= deviceUtcTicks)
            due.push_back(std::move(w));
    }
    return due;
}

std::optional<UniversalTicks> nextWakeUpUniversalTicks()
{
    const auto zone = deviceZone();
    LockedDatabase db;
    if (!db)
        return std::nullopt;
    Statement first(db->get(), "SELECT min(start_local) FROM wakeups WHERE fired = 0 AND type = ?1");
    if (first.bind(1, std::int64_t(CNT_TIME)).step() != kSqliteRow)
        return std::nullopt;
    const std::int64_t earliest = first.integer(0);
    Statement near(db->get(), "SELECT start_local FROM wakeups WHERE fired = 0 AND type = ?1 AND start_local <= ?2");
    near.bind(1, std::int64_t(CNT_TIME)).bind(2, earliest + 2 * kZoneMargin);
    std::optional<std::uint64_t> next;
    while (near.step() == kSqliteRow) {
        const auto utc = universalOf(zone, std::uint64_t(near.integer(0)));
        const std::uint64_t when = utc ? *utc : 0;
        if (!next || when < *next)
            next = when;
    }
    return next ? std::optional(UniversalTicks(*next)) : std::nullopt;
}

bool takeWakeUpForFiring(DWORD handle, WakeUp* taken)
{
    LockedDatabase db;
    if (!db)
        return false;
    WriteTransaction transaction(*db);
    if (!transaction.open())
        return false;
    Statement query(db->get(), (std::string("SELECT ") + kColumns + " FROM wakeups WHERE handle = ?1 AND fired = 0").c_str());
    if (query.bind(1, std::int64_t(handle)).step() != kSqliteRow)
        return false;
    const WakeUp w = readRow(query);
    // A registration that shows the LED stays until its LED is switched off.
    Statement change(db->get(), w.actionFlags & PUN_LED ? "UPDATE wakeups SET fired = 1 WHERE handle = ?1"
                                                        : "DELETE FROM wakeups WHERE handle = ?1");
    if (change.bind(1, std::int64_t(handle)).step() != kSqliteDone || !transaction.commit())
        return false;
    if (taken)
        *taken = w;
    return true;
}

bool setWakeUpLed(DWORD handle, bool on)
{
    {
        LockedDatabase db;
        if (!db)
            return false;
        WriteTransaction transaction(*db);
        if (!transaction.open())
            return false;
        Statement update(db->get(), "UPDATE wakeups SET led_set = ?2 WHERE handle = ?1");
        if (update.bind(1, std::int64_t(handle)).bind(2, std::int64_t(on ? 1 : 0)).step() != kSqliteDone
            || db->changes() == 0)
            return false;
        // Switching the LED off ends a notification that has fired.
        Statement finish(db->get(), "DELETE FROM wakeups WHERE handle = ?1 AND fired = 1 AND led_set = 0");
        if (finish.bind(1, std::int64_t(handle)).step() != kSqliteDone || !transaction.commit())
            return false;
    }
    // The service drives the LED.
    notifyDeviceService();
    return true;
}

bool notificationLedRequested()
{
    LockedDatabase db;
    if (!db)
        return false;
    Statement query(db->get(), "SELECT 1 FROM wakeups WHERE led_set = 1 AND (action_flags & 1) = 1 LIMIT 1");
    return query.step() == kSqliteRow;
}

std::optional<std::uint64_t> handledTimeChangeCount()
{
    LockedDatabase db;
    if (!db)
        return std::nullopt;
    Statement query(db->get(), "SELECT value FROM service_state WHERE name = 'handledTimeChanges'");
    return query.step() == kSqliteRow ? std::uint64_t(query.integer(0)) : 0;
}

bool setHandledTimeChangeCount(std::uint64_t count)
{
    LockedDatabase db;
    if (!db)
        return false;
    Statement update(db->get(), "INSERT OR REPLACE INTO service_state(name, value) VALUES('handledTimeChanges', ?1)");
    return update.bind(1, std::int64_t(count)).step() == kSqliteDone;
}

std::optional<std::u16string> namedEventOfApplication(std::u16string_view application)
{
    const std::u16string_view prefix(kNamedEventPrefix);
    if (application.size() <= prefix.size() || !equalsIgnoringCase(application.substr(0, prefix.size()), prefix))
        return std::nullopt;
    return std::u16string(application.substr(prefix.size()));
}

std::optional<std::vector<std::u16string>> rebuildDamagedWakeUpDatabase()
{
    auto& s = store();
    std::lock_guard lock(s.mutex);
    if (database() || !s.damaged)
        return std::nullopt;
    const auto path = databasePath();
    const std::time_t now = std::time(nullptr);
    std::error_code error;
    std::filesystem::rename(path, path.string() + platform::damagedFileSuffix(), error);
    if (error)
        return std::nullopt;
    for (const char* companion : { "-wal", "-shm" })
        std::filesystem::remove(path.string() + companion, error);
    s.rootGeneration = 0;
    platform::Database* db = database();
    if (!db)
        return std::nullopt;
    // Handles of the lost registrations may still sit in records; new ones start far above.
    const auto seed = std::int64_t(0x40000000) + std::int64_t(now & 0x3fffffff);
    Statement sequence(db->get(), "INSERT INTO sqlite_sequence(name, seq) VALUES('wakeups', ?1)");
    (void)sequence.bind(1, seed).step();
    std::vector<std::u16string> applications;
    std::ifstream copy(timeChangeCopyPath());
    for (std::string line; std::getline(copy, line);) {
        if (line.empty())
            continue;
        Statement add(db->get(), "INSERT OR IGNORE INTO event_apps(application, event) VALUES(?1, ?2)");
        if (add.bind(1, line).bind(2, std::int64_t(NOTIFICATION_EVENT_TIME_CHANGE)).step() == kSqliteDone)
            applications.push_back(toUtf16(line));
    }
    return applications;
}

std::string wakeUpDatabaseProblem()
{
    auto& s = store();
    std::lock_guard lock(s.mutex);
    return database() ? std::string() : s.problem;
}

} // namespace platform

namespace {

// EventModify on a registration's handle switches its LED state.
[[maybe_unused]] const bool g_answersRegistrationHandles = [] {
    platform::answerNumberedHandles([](DWORD number, DWORD function) {
        return (function == EVENT_SET || function == EVENT_RESET) && platform::setWakeUpLed(number, function == EVENT_SET);
    });
    return true;
}();

} // namespace
