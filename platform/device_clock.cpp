#include "platform/device_clock.h"

#include "platform/calendar.h"
#include "platform/device_root.h"
#include "platform/device_service.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/handle.h"
#include "platform/shared_memory.h"
#include "platform/unique_fd.h"
#include "platform/zone_rule.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <fstream>
#include <mutex>
#include <sched.h>
#include <sys/file.h>
#include <thread>

namespace {

// The device clock's persistent state, in the device root as ".platform/clock.dat" and
// mirrored in the runtime directory's shared memory for cheap reads.
struct ClockRecord {
    char magic[8];
    std::int64_t offsetTicks; // device universal time minus host universal time
    TIME_ZONE_INFORMATION zone;
    std::uint32_t daylightFlag;
    std::uint64_t changeCount;
};
static_assert(std::is_trivially_copyable_v<ClockRecord>);
static_assert(sizeof(ClockRecord) == 200);
static_assert(offsetof(ClockRecord, zone) == 16);
static_assert(offsetof(ClockRecord, changeCount) == 192);
constexpr char kClockMagic[8] = { 'T', 'K', 'W', 'C', 'L', 'K', '0', '1' };
constexpr std::size_t kRecordWords = sizeof(ClockRecord) / 8;

// Readers copy the record between two reads of an even sequence number (a sequence lock), so
// reading the clock takes no lock and no system call besides the host clock's.
struct ClockShared {
    std::uint64_t version; // owned by SharedMemory
    std::atomic<std::uint32_t> sequence;
    std::uint32_t reserved;
    std::atomic<std::uint64_t> words[kRecordWords];
};
constexpr std::uint64_t kSharedVersion = 0x544b57434c4b0001ull;

std::filesystem::path recordPath() { return platform::platformStateDirectory() / "clock.dat"; }

std::optional<ClockRecord> loadRecord()
{
    std::ifstream in(recordPath(), std::ios::binary);
    ClockRecord record { };
    if (!in.read(reinterpret_cast<char*>(&record), sizeof record) || in.peek() != EOF)
        return std::nullopt;
    if (std::memcmp(record.magic, kClockMagic, sizeof kClockMagic) != 0 || !platform::isValidZone(record.zone))
        return std::nullopt;
    return record;
}

bool saveRecord(const ClockRecord& record)
{
    auto replacement = platform::FileReplacement::beginHost(recordPath());
    return replacement && replacement->write(&record, sizeof record) && replacement->commit();
}

ClockRecord newDeviceRecord()
{
    ClockRecord record { };
    std::memcpy(record.magic, kClockMagic, sizeof kClockMagic);
    record.zone = platform::hostZone();
    return record;
}

// A new device, or one whose record was lost: take the host's zone and keep it.
ClockRecord loadOrCreateRecord()
{
    if (auto record = loadRecord())
        return *record;
    ClockRecord record = newDeviceRecord();
    saveRecord(record); // A device without a writable root still has a clock.
    return record;
}

void storeWords(ClockShared* shared, const ClockRecord& record)
{
    std::uint64_t words[kRecordWords];
    std::memcpy(words, &record, sizeof record);
    for (std::size_t i = 0; i < kRecordWords; ++i)
        shared->words[i].store(words[i], std::memory_order_relaxed);
}

ClockRecord loadWords(const ClockShared* shared)
{
    std::uint64_t words[kRecordWords];
    for (std::size_t i = 0; i < kRecordWords; ++i)
        words[i] = shared->words[i].load(std::memory_order_relaxed);
    ClockRecord record;
    std::memcpy(&record, words, sizeof record);
    return record;
}

struct ClockState {
    std::mutex mutex;
    std::uint64_t rootGeneration = 0;
    platform::SharedMemory memory;
    platform::UniqueFd writerLock;
    std::optional<ClockRecord> privateCopy; // when shared memory cannot be had
};

ClockState& state()
{
    static auto* clock = new ClockState();
    return *clock;
}

ClockShared* shared()
{
    auto& s = state();
    const auto generation = platform::deviceRootGeneration();
    std::lock_guard lock(s.mutex);
    if (s.rootGeneration == generation)
        return static_cast<ClockShared*>(s.memory.data());
    std::string problem;
    s.memory = platform::SharedMemory::open("clock.shm", sizeof(ClockShared), kSharedVersion,
        [](void* memory) {
            auto* fresh = static_cast<ClockShared*>(memory);
            storeWords(fresh, loadOrCreateRecord());
        },
        problem);
    s.writerLock.reset();
    const auto& runtime = platform::runtimeDirectory();
    if (!runtime.empty())
        s.writerLock.reset(::open((runtime / "clock.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    s.privateCopy.reset();
    if (!s.memory)
        s.privateCopy = loadOrCreateRecord();
    s.rootGeneration = generation;
    return static_cast<ClockShared*>(s.memory.data());
}

class WriterLock {
public:
    WriterLock()
    {
        int fd = state().writerLock.get();
        if (fd >= 0) {
            while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) { }
            m_fd = fd;
        }
    }
    ~WriterLock()
    {
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_UN);
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

private:
    int m_fd = -1;
};

// A writer that died between its two sequence steps left the sequence odd; the record it
// was writing is already in the file (it saves before it publishes), so publish the file.
void repairWithLockHeld(ClockShared* shared)
{
    if ((shared->sequence.load(std::memory_order_acquire) & 1) == 0)
        return;
    storeWords(shared, loadOrCreateRecord());
    shared->sequence.fetch_add(1, std::memory_order_release);
}

ClockRecord currentRecord()
{
    auto* s = shared();
    if (!s) {
        std::lock_guard lock(state().mutex);
        return state().privateCopy ? *state().privateCopy : newDeviceRecord();
    }
    for (int spins = 0;; ++spins) {
        const std::uint32_t before = s->sequence.load(std::memory_order_acquire);
        if ((before & 1) == 0) {
            ClockRecord record = loadWords(s);
            std::atomic_thread_fence(std::memory_order_acquire);
            if (s->sequence.load(std::memory_order_relaxed) == before)
                return record;
        }
        if (spins > 200) {
            WriterLock lock;
            repairWithLockHeld(s);
        } else {
            sched_yield();
        }
    }
}

void announceTimeChange()
{
    platform::setNamedEvent(platform::kTimeChangedEvent);
    // The service starts the programs registered for time changes and re-times its sleep.
    platform::notifyDeviceService();
}

// Changes the record under the writers' lock: saved first, then published, so that a writer
// killed half-way leaves either the old state or the new one everywhere.
bool updateRecord(const std::function<bool(ClockRecord&)>& change, bool isTimeChange)
{
    auto* s = shared();
    WriterLock lock;
    ClockRecord record;
    if (s) {
        repairWithLockHeld(s);
        record = loadWords(s);
    } else {
        std::lock_guard guard(state().mutex);
        record = state().privateCopy ? *state().privateCopy : newDeviceRecord();
    }
    if (!change(record))
        return false;
    if (isTimeChange)
        record.changeCount++;
    if (s)
        s->sequence.fetch_add(1, std::memory_order_acq_rel);
    const bool saved = saveRecord(record);
    if (s) {
        if (!saved)
            record = loadWords(s);
        storeWords(s, record);
        s->sequence.fetch_add(1, std::memory_order_release);
    } else if (saved) {
        std::lock_guard guard(state().mutex);
        state().privateCopy = record;
    }
    if (!saved) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    if (isTimeChange)
        announceTimeChange();
    return true;
}

std::int64_t hostUniversalTicks()
{
    timespec now { };
    ::clock_gettime(CLOCK_REALTIME, &now);
    return platform::kUnixEpochTicks + std::int64_t(now.tv_sec) * platform::kTicksPerSecond + now.tv_nsec / 100;
}

std::uint64_t clampTicks(std::int64_t ticks)
{
    if (ticks < 0)
        return 0;
    return std::min<std::uint64_t>(std::uint64_t(ticks), platform::kMaxFileTimeTicks);
}

bool setUniversalTicks(std::uint64_t target)
{
    return updateRecord(
        [target](ClockRecord& record) {
            record.offsetTicks = std::int64_t(target) - hostUniversalTicks();
            return true;
        },
        true);
}

} // namespace

namespace platform {

std::uint64_t deviceUniversalTicks() { return clampTicks(hostUniversalTicks() + currentRecord().offsetTicks); }

std::int64_t deviceClockOffsetTicks() { return currentRecord().offsetTicks; }

UniversalTicks deviceUniversalNow() { return UniversalTicks(deviceUniversalTicks()); }

LocalTicks deviceLocalNow() { return localTicksOf(localNow()).value_or(LocalTicks()); }

std::int64_t hostUniversalTicksAt(UniversalTicks deviceMoment)
{
    return std::int64_t(deviceMoment.count()) - currentRecord().offsetTicks;
}

bool advanceDeviceClock(std::int64_t ticks)
{
    return updateRecord(
        [ticks](ClockRecord& record) {
            const std::int64_t device = hostUniversalTicks() + record.offsetTicks + ticks;
            if (device < 0 || std::uint64_t(device) > kMaxFileTimeTicks)
                return false;
            record.offsetTicks += ticks;
            return true;
        },
        true);
}

bool resetDeviceClockOffset()
{
    return updateRecord(
        [](ClockRecord& record) {
            record.offsetTicks = 0;
            return true;
        },
        true);
}

std::uint64_t timeChangeCount() { return currentRecord().changeCount; }

bool daylightFlag() { return currentRecord().daylightFlag != 0; }

} // namespace platform

void GetSystemTime(SYSTEMTIME* universalTime)
{
    if (!universalTime)
        return;
    *universalTime = *platform::systemTimeOfTicks(platform::deviceUniversalTicks());
}

void GetLocalTime(SYSTEMTIME* localTime)
{
    if (!localTime)
        return;
    const ClockRecord record = currentRecord();
    const std::uint64_t utc = clampTicks(hostUniversalTicks() + record.offsetTicks);
    const auto local = platform::universalToLocal(record.zone, utc);
    *localTime = *platform::systemTimeOfTicks(local ? local->ticks : utc);
}

BOOL SetSystemTime(const SYSTEMTIME* universalTime)
{
    const auto ticks = universalTime ? platform::ticksOfSystemTime(*universalTime) : std::nullopt;
    if (!ticks) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return setUniversalTicks(*ticks) ? TRUE : FALSE;
}

BOOL SetLocalTime(const SYSTEMTIME* localTime)
{
    const auto ticks = localTime ? platform::ticksOfSystemTime(*localTime) : std::nullopt;
    const auto utc = ticks ? platform::localToUniversal(currentRecord().zone, *ticks) : std::nullopt;
    if (!utc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return setUniversalTicks(utc->ticks) ? TRUE : FALSE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* universalTime, FILETIME* localTime)
{
    const auto local = universalTime && localTime
        ? platform::universalToLocal(currentRecord().zone, ticksOf(*universalTime))
        : std::nullopt;
    if (!local) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *localTime = fileTimeOf(local->ticks);
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* localTime, FILETIME* universalTime)
{
    const auto utc = localTime && universalTime
        ? platform::localToUniversal(currentRecord().zone, ticksOf(*localTime))
        : std::nullopt;
    if (!utc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *universalTime = fileTimeOf(utc->ticks);
    return TRUE;
}

DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* zone)
{
    if (!zone) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return TIME_ZONE_ID_INVALID;
    }
    const ClockRecord record = currentRecord();
    *zone = record.zone;
    if (!platform::hasDaylightRule(record.zone))
        return TIME_ZONE_ID_UNKNOWN;
    const auto local = platform::universalToLocal(record.zone, clampTicks(hostUniversalTicks() + record.offsetTicks));
    return local && local->daylight ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

BOOL SetTimeZoneInformation(const TIME_ZONE_INFORMATION* zone)
{
    if (!zone || !platform::isValidZone(*zone)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const TIME_ZONE_INFORMATION wanted = *zone;
    return updateRecord(
               [&wanted](ClockRecord& record) {
                   record.zone = wanted;
                   return true;
               },
               true)
        ? TRUE
        : FALSE;
}

BOOL SetDaylightTime(DWORD daylight)
{
    return updateRecord(
               [daylight](ClockRecord& record) {
                   record.daylightFlag = daylight ? 1 : 0;
                   return true;
               },
               false)
        ? TRUE
        : FALSE;
}

DWORD GetTickCount()
{
    timespec now { };
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return DWORD(std::uint64_t(now.tv_sec) * 1000 + std::uint64_t(now.tv_nsec) / 1'000'000);
}

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
