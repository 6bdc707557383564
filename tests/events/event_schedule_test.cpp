#include "events/event_schedule.h"

#include "tests/events/event_fixture.h"

using namespace events;
using testing_support::at;
using testing_support::eventAt;
using testing_support::kQuick;
using testing_support::later;
using testing_support::ticksAt;

namespace {

using EventRegistration = testing_support::EventsTest;
using RunnerEvents = testing_support::EventsTest;

std::uint64_t nextTicks(const SYSTEMTIME& anchor, std::uint32_t recurrence, const SYSTEMTIME& now)
{
    const auto next = NextEventOccurrence(testing_support::fileTimeAt(anchor), recurrence, now);
    return next ? ticksOf(next->fileTime) : 0;
}

std::u16string argumentFor(std::uint32_t handle)
{
    const std::string digits = std::to_string(handle);
    return u"e" + std::u16string(digits.begin(), digits.end());
}

} // namespace

TEST(EventOccurrence, A29FebruaryYearlyEventFallsOnThe28thInCommonYears)
{
    const FILETIME leapDay = testing_support::fileTimeAt(at(2008, 2, 29, 10, 0));
    const auto next = NextEventOccurrence(leapDay, kEveryYear, at(2009, 3, 1, 8, 0));
    ASSERT_TRUE(next);
    EXPECT_EQ(ticksOf(next->fileTime), ticksAt(at(2010, 2, 28, 10, 0)));
    EXPECT_EQ(next->time.wDayOfWeek, 0); // a Sunday
    EXPECT_EQ(nextTicks(at(2008, 2, 29, 10, 0), kEveryYear, at(2012, 1, 5, 8, 0)), ticksAt(at(2012, 2, 29, 10, 0)));
    // The leap rule has no century exception, but the calendar has no 29 February 2100.
    EXPECT_EQ(nextTicks(at(2096, 2, 29, 6, 0), kEveryYear, at(2100, 1, 10, 0, 0)), ticksAt(at(2100, 2, 28, 6, 0)));
}

TEST(EventOccurrence, MonthlyEventsMoveToThisMonthOrTheNextAndKeepADayCutShort)
{
    EXPECT_EQ(nextTicks(at(2009, 1, 15, 9, 0), kEveryMonth, at(2009, 6, 20, 12, 0)), ticksAt(at(2009, 7, 15, 9, 0)));
    // The 31st is cut to 30 June, which has passed; July keeps the 30th.
    EXPECT_EQ(nextTicks(at(2009, 1, 31, 9, 0), kEveryMonth, at(2009, 6, 30, 23, 0)), ticksAt(at(2009, 7, 30, 9, 0)));
    EXPECT_EQ(nextTicks(at(2009, 1, 31, 9, 0), kEveryMonth, at(2009, 3, 1, 0, 0)), ticksAt(at(2009, 3, 31, 9, 0)));
    EXPECT_EQ(nextTicks(at(2009, 1, 5, 9, 0), kEveryMonth, at(2009, 12, 6, 0, 0)), ticksAt(at(2010, 1, 5, 9, 0)));
}

TEST(EventOccurrence, EventsDatedInALaterYearRemindAtTheirOwnDate)
{
    EXPECT_EQ(nextTicks(at(2011, 5, 10, 7, 30), kEveryMonth, at(2009, 6, 20, 12, 0)), ticksAt(at(2011, 5, 10, 7, 30)));
    EXPECT_EQ(nextTicks(at(2050, 8, 1, 7, 0), kEveryYear, at(2009, 6, 20, 12, 0)), ticksAt(at(2050, 8, 1, 7, 0)));
}

TEST(EventOccurrence, ARepeatingEventAtItsOwnMomentMovesOnSoItCanBeRegisteredAgain)
{
    // The runner handles a wake-up a moment after it fell due.
    const SYSTEMTIME due = at(2009, 6, 15, 9, 0);
    EXPECT_EQ(nextTicks(due, kEveryMonth, later(due, 600)), ticksAt(at(2009, 7, 15, 9, 0)));
    EXPECT_EQ(nextTicks(due, kEveryYear, later(due, -500)), ticksAt(at(2010, 6, 15, 9, 0)));
    EXPECT_EQ(nextTicks(due, kEveryMonth, later(due, -2000)), ticksAt(due));
}

TEST_F(EventRegistration, AWakeUpStartsTheRunnerWithItsOwnHandleAndIsReplacedOrRenewed)
{
    const SYSTEMTIME now = at(2009, 6, 20, 12, 0);
    EventRecord record = eventAt(at(2009, 1, 15, 9, 0), kEveryMonth);
    ASSERT_TRUE(scheduleEvent(record, now));
    const auto wakeUp = platform::findWakeUp(record.hNotification);
    ASSERT_TRUE(wakeUp);
    EXPECT_EQ(wakeUp->application, store::kRunnerPath);
    EXPECT_EQ(wakeUp->arguments, argumentFor(record.hNotification));
    EXPECT_EQ(wakeUp->startLocalTicks, ticksAt(at(2009, 7, 15, 9, 0)));
    EXPECT_EQ(ticksOf(record.nextTime), wakeUp->startLocalTicks);

    // Confirmed again, the same wake-up moves; once it has fired, a new one is made.
    const std::uint32_t first = record.hNotification;
    record.eventTime = testing_support::fileTimeAt(at(2009, 1, 16, 9, 0));
    ASSERT_TRUE(scheduleEvent(record, now));
    EXPECT_EQ(record.hNotification, first);
    EXPECT_EQ(platform::findWakeUp(first)->startLocalTicks, ticksAt(at(2009, 7, 16, 9, 0)));
    ASSERT_TRUE(platform::takeWakeUpForFiring(first));
    ASSERT_TRUE(scheduleEvent(record, now));
    EXPECT_NE(record.hNotification, first);
    EXPECT_EQ(platform::findWakeUp(record.hNotification)->arguments, argumentFor(record.hNotification));
}

TEST_F(EventRegistration, AOneTimeEventLessThanASecondAheadIsNotRegisteredAndKeepsItsHandle)
{
    const SYSTEMTIME moment = at(2009, 6, 20, 12, 0);
    EventRecord record = eventAt(moment, kOnce);
    record.hNotification = 77;
    EXPECT_FALSE(scheduleEvent(record, later(moment, -900)));
    EXPECT_EQ(record.hNotification, 77u);
    EXPECT_TRUE(platform::listWakeUps()->empty());
    record.hNotification = 0;
    EXPECT_TRUE(scheduleEvent(record, later(moment, -1100)));
}

TEST_F(RunnerEvents, AFiredMonthlyEventIsReregisteredAndWrittenBackAOneTimeEventIsNot)
{
    const SYSTEMTIME due = at(2009, 6, 15, 9, 0);
    const auto list = savedList({ eventAt(due, kOnce), eventAt(due, kEveryMonth) }, at(2009, 6, 1, 0, 0));
    const std::uint32_t once = list.records[0].hNotification, monthly = list.records[1].hNotification;
    ASSERT_TRUE(platform::takeWakeUpForFiring(once)); // as the device service does
    ASSERT_TRUE(platform::takeWakeUpForFiring(monthly));

    const auto before = readDataFile(store::kEventsFile);
    ASSERT_TRUE(AdvanceEvent(once, later(due, 700), kQuick));
    EXPECT_EQ(readDataFile(store::kEventsFile), before);

    const auto advanced = AdvanceEvent(monthly, later(due, 700), kQuick);
    ASSERT_TRUE(advanced);
    const EventRecord onDisk = recordOnDisk(1);
    EXPECT_NE(onDisk.hNotification, monthly);
    EXPECT_EQ(onDisk.hNotification, advanced->hNotification);
    EXPECT_EQ(ticksOf(onDisk.nextTime), ticksAt(at(2009, 7, 15, 9, 0)));
    const auto wakeUp = platform::findWakeUp(onDisk.hNotification);
    ASSERT_TRUE(wakeUp);
    EXPECT_EQ(wakeUp->arguments, argumentFor(onDisk.hNotification));
    EXPECT_EQ(wakeUp->startLocalTicks, ticksOf(onDisk.nextTime));

    EXPECT_FALSE(AdvanceEvent(monthly, later(due, 700), kQuick)); // no event has it now
    EXPECT_FALSE(AdvanceEvent(0, later(due, 700), kQuick));
}

TEST_F(RunnerEvents, RenewingAllEventsRegistersThoseAheadAndRefusesAShortFile)
{
    const auto list = savedList({ eventAt(at(2009, 1, 10, 8, 0), kEveryYear), eventAt(at(2009, 3, 1, 8, 0), kOnce) },
        at(2009, 1, 1, 0, 0));
    // The clock was set on: the yearly event goes to 2010, the one-time event has passed.
    ASSERT_EQ(RescheduleAllEvents(at(2009, 7, 1, 0, 0), kQuick), RescheduleOutcome::Done);
    EXPECT_EQ(recordOnDisk(0).hNotification, list.records[0].hNotification);
    EXPECT_EQ(platform::findWakeUp(list.records[0].hNotification)->startLocalTicks, ticksAt(at(2010, 1, 10, 8, 0)));
    EXPECT_EQ(platform::findWakeUp(list.records[1].hNotification)->startLocalTicks, ticksAt(at(2009, 3, 1, 8, 0)));

    auto bytes = readDataFile(store::kEventsFile);
    bytes.pop_back();
    writeDataFile(store::kEventsFile, bytes.data(), bytes.size());
    EXPECT_EQ(RescheduleAllEvents(at(2011, 7, 1, 0, 0), kQuick), RescheduleOutcome::ShortFile);
    EXPECT_EQ(readDataFile(store::kEventsFile), bytes);
}
