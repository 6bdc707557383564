#include "platform/events.h"

#include "platform/handle.h"
#include "platform/text.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

using testing_support::ChildProcess;
using testing_support::DeviceTest;

namespace {

class Event {
public:
    explicit Event(const char16_t* name, BOOL manualReset = TRUE, BOOL initial = FALSE)
        : m_handle(CreateEventW(nullptr, manualReset, initial, name))
        , m_error(GetLastError())
    {
    }
    ~Event()
    {
        if (m_handle)
            CloseHandle(m_handle);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE get() const { return m_handle; }
    DWORD creationError() const { return m_error; }
    bool isSet() const { return WaitForSingleObject(m_handle, 0) == WAIT_OBJECT_0; }

private:
    HANDLE m_handle;
    DWORD m_error;
};

using EventContract = DeviceTest;
using EventsAcrossProcesses = DeviceTest;

std::string probe() { return TKW_PLATFORM_PROBE; }

} // namespace

TEST_F(EventContract, SecondCreateOpensTheSameEventAndSaysItExisted)
{
    Event first(u"Tkw_NeedUpdateAlarmSettingsOnMainApp");
    ASSERT_NE(first.get(), nullptr);
    EXPECT_EQ(first.creationError(), ERROR_SUCCESS);

    // The initial state of a second create is ignored: the event already has one.
    Event second(u"Tkw_NeedUpdateAlarmSettingsOnMainApp", TRUE, TRUE);
    ASSERT_NE(second.get(), nullptr);
    EXPECT_EQ(second.creationError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(second.isSet());

    ASSERT_TRUE(EventModify(first.get(), EVENT_SET));
    EXPECT_TRUE(second.isSet());
    ASSERT_TRUE(EventModify(second.get(), EVENT_RESET));
    EXPECT_FALSE(first.isSet());
}

TEST_F(EventContract, NamesAreCaseSensitiveAndMayHoldSlashes)
{
    Event active(u"PowerManager/UserActivity_Active");
    Event other(u"powermanager/useractivity_active");
    ASSERT_NE(active.get(), nullptr);
    EXPECT_EQ(other.creationError(), ERROR_SUCCESS);
    SetEvent(active.get());
    EXPECT_TRUE(active.isSet());
    EXPECT_FALSE(other.isSet());
}

TEST_F(EventContract, ChangedFlagOutlivesEveryHandle)
{
    {
        Event writer(u"TkTimers_Settings_Change");
        SetEvent(writer.get());
    }
    Event reader(u"TkTimers_Settings_Change");
    EXPECT_EQ(reader.creationError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(reader.isSet());
}

TEST_F(EventContract, TimedWaitReportsTimeoutAfterRoughlyItsTime)
{
    Event event(u"quiet");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(event.get(), 50), WAIT_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
}

TEST_F(EventContract, WaitOnSeveralReturnsTheIndexOfTheSetOne)
{
    Event a(u"a"), b(u"b"), c(u"c");
    const HANDLE all[] = { a.get(), b.get(), c.get() };
    SetEvent(c.get());
    EXPECT_EQ(WaitForMultipleObjects(3, all, FALSE, 0), WAIT_OBJECT_0 + 2);
    SetEvent(b.get());
    EXPECT_EQ(WaitForMultipleObjects(3, all, FALSE, 0), WAIT_OBJECT_0 + 1); // lowest index first
    EXPECT_EQ(WaitForMultipleObjects(3, all, TRUE, 0), WAIT_TIMEOUT);       // a is not set
    SetEvent(a.get());
    EXPECT_EQ(WaitForMultipleObjects(3, all, TRUE, 0), WAIT_OBJECT_0);
}

TEST_F(EventContract, AutoResetEventIsConsumedByTheWaitThatSeesIt)
{
    Event event(u"auto", FALSE, TRUE);
    EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_TIMEOUT);
}

TEST_F(EventContract, PulseWakesAWaiterButLeavesTheEventReset)
{
    Event event(u"pulse");
    DWORD result = WAIT_FAILED;
    std::thread waiter([&] { result = WaitForSingleObject(event.get(), 5000); });
    // Pulse until the waiter has gone to sleep and been woken by one of them.
    for (int i = 0; i < 500 && result == WAIT_FAILED; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EventModify(event.get(), EVENT_PULSE);
    }
    waiter.join();
    EXPECT_EQ(result, WAIT_OBJECT_0);
    EXPECT_FALSE(event.isSet());
}

TEST_F(EventContract, BadHandlesAndArgumentsFailCleanly)
{
    int notAHandle = 0;
    EXPECT_EQ(WaitForSingleObject(&notAHandle, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(EventModify(&notAHandle, EVENT_SET));
    Event event(u"x");
    EXPECT_FALSE(EventModify(event.get(), 7));
    EXPECT_FALSE(CloseHandle(&notAHandle));

    const std::u16string tooLong(platform::kEventNameMax + 1, u'n');
    EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, tooLong.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(EventContract, FullTableIsAClearErrorAndUnnamedEventsAreFreedOnClose)
{
    std::vector<HANDLE> handles;
    for (std::size_t i = 0; i < platform::kEventTableSlots; ++i) {
        HANDLE h = CreateEventW(nullptr, TRUE, FALSE, platform::toUtf16("e" + std::to_string(i)).c_str());
        ASSERT_NE(h, nullptr) << i;
        handles.push_back(h);
    }
    EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, u"one-too-many"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NO_SYSTEM_RESOURCES);
    EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, nullptr), nullptr);
    // Existing names still open.
    HANDLE again = CreateEventW(nullptr, TRUE, FALSE, u"e7");
    EXPECT_NE(again, nullptr);
    CloseHandle(again);
    for (HANDLE h : handles)
        CloseHandle(h);
}

TEST_F(EventContract, UnnamedEventsAreNotListedAndGiveTheirSlotBack)
{
    HANDLE unnamed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(unnamed, nullptr);
    Event named(u"listed");
    const auto events = platform::listNamedEvents();
    ASSERT_TRUE(events);
    ASSERT_EQ(events->size(), 1u);
    EXPECT_EQ(events->front().name, u"listed");
    CloseHandle(unnamed);
    EXPECT_FALSE(platform::setEventIfExists(u"never-made"));
    EXPECT_TRUE(platform::setEventIfExists(u"listed"));
    EXPECT_TRUE(named.isSet());
}

TEST_F(EventsAcrossProcesses, SetInOneProcessWakesAWaiterInAnother)
{
    ChildProcess waiter({ probe(), "wait", "10000", "TkMEvent_Snooze_Active" });
    ASSERT_EQ(waiter.readLine(), "waiting");
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // let it go to sleep
    Event event(u"TkMEvent_Snooze_Active");
    SetEvent(event.get());
    EXPECT_EQ(waiter.readLine(), "woke 0");
    EXPECT_EQ(waiter.wait(), 0);
}

TEST_F(EventsAcrossProcesses, WaitOnSeveralWakesWithTheIndexOfTheEventSet)
{
    ChildProcess waiter({ probe(), "wait", "10000", "TkTimers_1_Reset", "TkTimers_2_Reset", "TkTimers_3_Reset" });
    ASSERT_EQ(waiter.readLine(), "waiting");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(testing_support::runCommand({ probe(), "set", "TkTimers_3_Reset" }).exitCode, 0);
    EXPECT_EQ(waiter.readLine(), "woke 2");
}

TEST_F(EventsAcrossProcesses, WaiterTimesOutWhenNobodySets)
{
    ChildProcess waiter({ probe(), "wait", "100", "nobody" });
    ASSERT_EQ(waiter.readLine(), "waiting");
    EXPECT_EQ(waiter.readLine(), "timeout");
    EXPECT_EQ(waiter.wait(), 3);
}

TEST_F(EventsAcrossProcesses, WaiterSurvivesALockHolderKilledWithSigkill)
{
    Event event(u"after-the-crash");
    ChildProcess holder({ probe(), "hold-event-lock" });
    ASSERT_EQ(holder.readLine(), "locked");

    ChildProcess waiter({ probe(), "wait", "20000", "after-the-crash" });
    // The waiter blocks on the lock until the holder dies.
    EXPECT_EQ(waiter.readLine(std::chrono::milliseconds(200)), std::nullopt);
    holder.kill(SIGKILL);
    EXPECT_EQ(holder.wait(), 128 + SIGKILL);
    ASSERT_EQ(waiter.readLine(), "waiting");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(SetEvent(event.get()));
    EXPECT_EQ(waiter.readLine(), "woke 0");
}

TEST_F(EventsAcrossProcesses, KilledWaiterDoesNotStallTheOthers)
{
    ChildProcess doomed({ probe(), "wait", "20000", "shared" });
    ChildProcess survivor({ probe(), "wait", "20000", "shared" });
    ASSERT_EQ(doomed.readLine(), "waiting");
    ASSERT_EQ(survivor.readLine(), "waiting");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    doomed.kill(SIGKILL);
    doomed.wait();
    Event event(u"shared");
    SetEvent(event.get());
    EXPECT_EQ(survivor.readLine(), "woke 0");
}
