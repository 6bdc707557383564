#include "platform/events.h"

#include "platform/device_root.h"
#include "platform/handle.h"
#include "platform/process_handle.h"
#include "platform/shared_memory.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <ctime>
#include <linux/futex.h>
#include <mutex>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using platform::kEventNameMax;
using platform::kEventTableSlots;

// These bytes are shared by every process of the root: plain data, fixed layout.
struct EventSlot {
    std::uint32_t inUse;       // 0 free, 1 holds an event
    std::uint32_t generation;  // grows at every reuse, so stale handles fail
    std::uint32_t signalled;
    std::uint32_t pulses;      // grows at every pulse, so waiters notice a set-and-reset
    std::uint32_t manualReset;
    std::int32_t ownerPid;     // 0 for named events; the maker of an unnamed one
    std::uint32_t nameLength;
    char16_t name[kEventNameMax];
};

struct EventTable {
    std::uint64_t version; // owned by SharedMemory
    pthread_mutex_t mutex; // robust and process-shared
    // The condition: waiters sleep on this word with a futex and every change of any event
    // bumps it. Unlike a pthread condition variable it keeps no per-waiter bookkeeping, so a
    // waiter killed in its wait cannot leave it inconsistent for the others.
    std::atomic<std::uint32_t> sequence;
    std::uint32_t waiters;
    std::uint32_t slotCount;
    std::uint32_t reserved;
    EventSlot slots[kEventTableSlots];
};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);
static_assert(sizeof(std::atomic<std::uint32_t>) == 4);

constexpr std::uint64_t kTableVersion = 0x544b574556540001ull; // "TKWEVT" v1

class EventObject final : public platform::HandleObject {
public:
    EventObject(std::uint32_t slot, std::uint32_t generation, std::uint64_t rootGeneration)
        : slot(slot)
        , generation(generation)
        , rootGeneration(rootGeneration)
    {
    }
    ~EventObject() override;

    const std::uint32_t slot;
    const std::uint32_t generation;
    const std::uint64_t rootGeneration;
};

struct TableState {
    std::mutex mutex;
    platform::SharedMemory memory;
    std::uint64_t rootGeneration = 0;
    std::string problem;
};

TableState& tableState()
{
    static auto* state = new TableState();
    return *state;
}

void initialiseTable(void* memory)
{
    auto* table = static_cast<EventTable*>(memory);
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    pthread_mutex_init(&table->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
    table->slotCount = kEventTableSlots;
}

EventTable* table()
{
    auto& state = tableState();
    std::lock_guard lock(state.mutex);
    const auto generation = platform::deviceRootGeneration();
    if (!state.memory || state.rootGeneration != generation) {
        state.problem.clear();
        state.memory = platform::SharedMemory::open(
            "events.shm", sizeof(EventTable), kTableVersion, initialiseTable, state.problem);
        state.rootGeneration = generation;
    }
    return static_cast<EventTable*>(state.memory.data());
}

// Holds the table's robust mutex. A holder that died leaves the lock to the next process
// with EOWNERDEAD; every change below is a few stores that leave each slot usable, so the
// table is marked consistent and goes on.
class TableLock {
public:
    explicit TableLock(EventTable* table)
        : m_table(table)
    {
        int result = pthread_mutex_lock(&table->mutex);
        if (result == EOWNERDEAD) {
            pthread_mutex_consistent(&table->mutex);
            result = 0;
        }
        m_locked = result == 0;
    }
    ~TableLock()
    {
        if (m_locked)
            pthread_mutex_unlock(&m_table->mutex);
    }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;
    bool locked() const { return m_locked; }

private:
    EventTable* m_table;
    bool m_locked = false;
};

void wakeWaiters(EventTable* t)
{
    t->sequence.fetch_add(1, std::memory_order_release);
    if (t->waiters > 0)
        ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&t->sequence), FUTEX_WAKE, INT_MAX,
            nullptr, nullptr, 0);
}

std::u16string_view slotName(const EventSlot& slot)
{
    return { slot.name, std::min<std::size_t>(slot.nameLength, kEventNameMax) };
}

bool processIsGone(std::int32_t pid)
{
    return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH;
}

EventSlot* slotFor(EventTable* t, const EventObject& event)
{
    if (event.rootGeneration != platform::deviceRootGeneration() || event.slot >= kEventTableSlots)
        return nullptr;
    auto& slot = t->slots[event.slot];
    return slot.inUse && slot.generation == event.generation ? &slot : nullptr;
}

EventObject::~EventObject()
{
    // Unnamed events are private to their maker and die with its handle.
    auto* t = table();
    if (!t)
        return;
    TableLock lock(t);
    if (!lock.locked())
        return;
    if (auto* s = slotFor(t, *this); s && s->ownerPid != 0) {
        s->inUse = 0;
        s->generation++;
    }
}

int findNamed(EventTable* t, std::u16string_view name)
{
    for (std::uint32_t i = 0; i < kEventTableSlots; ++i) {
        const auto& slot = t->slots[i];
        if (slot.inUse && slot.ownerPid == 0 && slotName(slot) == name)
            return int(i);
    }
    return -1;
}

int findFree(EventTable* t)
{
    for (std::uint32_t i = 0; i < kEventTableSlots; ++i) {
        if (!t->slots[i].inUse)
            return int(i);
    }
    // Unnamed events of processes that died without closing them are free again.
    for (std::uint32_t i = 0; i < kEventTableSlots; ++i) {
        auto& slot = t->slots[i];
        if (slot.ownerPid != 0 && processIsGone(slot.ownerPid)) {
            slot.inUse = 0;
            slot.generation++;
            return int(i);
        }
    }
    return -1;
}

struct ResolvedHandles {
    std::vector<EventSlot*> slots;
    std::vector<std::uint32_t> pulsesAtStart;
};

bool satisfied(EventTable* t, const std::vector<EventSlot*>& slots,
    const std::vector<std::uint32_t>& pulses, bool waitAll, DWORD& which)
{
    (void)t;
    if (waitAll) {
        for (std::size_t i = 0; i < slots.size(); ++i) {
            if (!slots[i]->signalled && slots[i]->pulses == pulses[i])
                return false;
        }
        for (auto* slot : slots) {
            if (!slot->manualReset)
                slot->signalled = 0;
        }
        which = WAIT_OBJECT_0;
        return true;
    }
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (slots[i]->signalled || slots[i]->pulses != pulses[i]) {
            if (!slots[i]->manualReset)
                slots[i]->signalled = 0;
            which = WAIT_OBJECT_0 + DWORD(i);
            return true;
        }
    }
    return false;
}

} // namespace

HANDLE CreateEventW(void* securityAttributes, BOOL manualReset, BOOL initialState, const WCHAR* name)
{
    if (securityAttributes) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::u16string_view wanted = name ? std::u16string_view(name) : std::u16string_view();
    if (wanted.size() > kEventNameMax) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    auto* t = table();
    if (!t) {
        SetLastError(ERROR_NO_SYSTEM_RESOURCES);
        return nullptr;
    }
    TableLock lock(t);
    if (!lock.locked()) {
        SetLastError(ERROR_NO_SYSTEM_RESOURCES);
        return nullptr;
    }
    if (name) {
        if (int existing = findNamed(t, wanted); existing >= 0) {
            const auto& slot = t->slots[existing];
            SetLastError(ERROR_ALREADY_EXISTS);
            return platform::registerHandle(
                new EventObject(std::uint32_t(existing), slot.generation, platform::deviceRootGeneration()));
        }
    }
    const int index = findFree(t);
    if (index < 0) {
        SetLastError(ERROR_NO_SYSTEM_RESOURCES);
        return nullptr;
    }
    auto& slot = t->slots[index];
    slot.generation++;
    slot.signalled = initialState ? 1 : 0;
    slot.pulses = 0;
    slot.manualReset = manualReset ? 1 : 0;
    slot.ownerPid = name ? 0 : std::int32_t(::getpid());
    slot.nameLength = std::uint32_t(wanted.size());
    std::copy(wanted.begin(), wanted.end(), slot.name);
    slot.inUse = 1; // last: a holder killed before this line leaves the slot free
    SetLastError(ERROR_SUCCESS);
    return platform::registerHandle(
        new EventObject(std::uint32_t(index), slot.generation, platform::deviceRootGeneration()));
}

BOOL EventModify(HANDLE event, DWORD function)
{
    auto* object = platform::handleObject<EventObject>(event);
    // The handle of a wake-up registration: the wake-up database switches its LED state.
    if (!object && platform::modifyNumberedHandle(event, function))
        return TRUE;
    auto* t = object ? table() : nullptr;
    if (!t) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (function != EVENT_SET && function != EVENT_RESET && function != EVENT_PULSE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    TableLock lock(t);
    auto* slot = lock.locked() ? slotFor(t, *object) : nullptr;
    if (!slot) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    switch (function) {
    case EVENT_SET:
        slot->signalled = 1;
        wakeWaiters(t);
        break;
    case EVENT_RESET:
        slot->signalled = 0;
        break;
    case EVENT_PULSE:
        slot->signalled = 0;
        slot->pulses++;
        wakeWaiters(t);
        break;
    }
    return TRUE;
}

BOOL SetEvent(HANDLE event) { return EventModify(event, EVENT_SET); }
BOOL ResetEvent(HANDLE event) { return EventModify(event, EVENT_RESET); }

DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs)
{
    return WaitForMultipleObjects(1, &handle, FALSE, timeoutMs);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs)
{
    if (count == 0 || count > 64 || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<EventObject*> objects;
    std::vector<platform::ProcessObject*> processes;
    for (DWORD i = 0; i < count; ++i) {
        if (auto* process = platform::handleObject<platform::ProcessObject>(handles[i])) {
            processes.push_back(process);
            continue;
        }
        auto* object = platform::handleObject<EventObject>(handles[i]);
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(object);
    }
    if (!processes.empty()) {
        // Processes are waited for on their own; one wait on both kinds is not offered.
        if (!objects.empty() || (waitAll && count > 1)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return WAIT_FAILED;
        }
        return platform::waitForProcesses(processes, timeoutMs);
    }
    auto* t = table();
    if (!t) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);

    std::vector<EventSlot*> slots(count);
    std::vector<std::uint32_t> pulses(count);
    bool registered = false;
    for (;;) {
        std::uint32_t sequence;
        {
            TableLock lock(t);
            if (!lock.locked()) {
                SetLastError(ERROR_INVALID_HANDLE);
                return WAIT_FAILED;
            }
            if (registered)
                t->waiters--;
            for (DWORD i = 0; i < count; ++i) {
                slots[i] = slotFor(t, *objects[i]);
                if (!slots[i]) {
                    SetLastError(ERROR_INVALID_HANDLE);
                    return WAIT_FAILED;
                }
                if (!registered)
                    pulses[i] = slots[i]->pulses;
            }
            DWORD which = WAIT_TIMEOUT;
            if (satisfied(t, slots, pulses, waitAll, which))
                return which;
            if (timeoutMs == 0)
                return WAIT_TIMEOUT;
            sequence = t->sequence.load(std::memory_order_acquire);
            t->waiters++;
            registered = true;
        }

        timespec* timeout = nullptr;
        timespec remaining { };
        if (timeoutMs != INFINITE) {
            const auto left = deadline - Clock::now();
            if (left <= Clock::duration::zero()) {
                TableLock lock(t);
                t->waiters--;
                return WAIT_TIMEOUT;
            }
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            remaining.tv_sec = time_t(ns / 1'000'000'000);
            remaining.tv_nsec = long(ns % 1'000'000'000);
            timeout = &remaining;
        }
        // The futex's relative time-out runs on the monotonic clock, so a jump of the wall
        // clock neither shortens nor stretches the wait.
        ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&t->sequence), FUTEX_WAIT, sequence,
            timeout, nullptr, 0);
    }
}

namespace platform {

std::optional<std::vector<EventInfo>> listNamedEvents()
{
    auto* t = table();
    if (!t)
        return std::nullopt;
    TableLock lock(t);
    if (!lock.locked())
        return std::nullopt;
    std::vector<EventInfo> events;
    for (const auto& slot : t->slots) {
        if (slot.inUse && slot.ownerPid == 0)
            events.push_back({ std::u16string(slotName(slot)), slot.signalled != 0, slot.manualReset != 0 });
    }
    return events;
}

bool setNamedEvent(std::u16string_view name)
{
    const std::u16string terminated(name);
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, terminated.c_str()));
    return event && EventModify(event.get(), EVENT_SET);
}

bool setEventIfExists(std::u16string_view name)
{
    auto* t = table();
    if (!t)
        return false;
    TableLock lock(t);
    if (!lock.locked())
        return false;
    const int index = findNamed(t, name);
    if (index < 0)
        return false;
    t->slots[index].signalled = 1;
    wakeWaiters(t);
    return true;
}

std::string eventTableProblem()
{
    if (table())
        return { };
    std::lock_guard lock(tableState().mutex);
    return tableState().problem;
}

bool holdEventTableLockForTesting()
{
    auto* t = table();
    if (!t)
        return false;
    int result = pthread_mutex_lock(&t->mutex);
    if (result == EOWNERDEAD)
        pthread_mutex_consistent(&t->mutex);
    return result == 0 || result == EOWNERDEAD;
}

} // namespace platform
