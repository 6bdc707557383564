// What the one edit lock costs: one alarm change as tkwctl makes it (edit lock, read,
// change, whole-file save, registration, signal) against the same steps without the lock,
// and the lock alone, uncontended. Runs on a device of its own in a temporary directory.
//
//   edit_bench [CHANGES]

#include "alarms/alarm_board.h"
#include "alarms/alarm_file.h"
#include "alarms/alarm_schedule.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/edit_lock.h"
#include "store/data_edit.h"
#include "store/data_files.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double median = 0;
    double p90 = 0;
    double worst = 0;
};

template <typename Step> Figures measure(int count, Step&& step)
{
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        step(i);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return { ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back() };
}

void print(const char* what, const Figures& f)
{
    std::printf("%-44s median %7.3f ms   p90 %7.3f ms   worst %7.3f ms\n", what, f.median, f.p90, f.worst);
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
    char pattern[] = "/tmp/tkw-edit-bench-XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    const std::filesystem::path root = pattern;
    ::setenv("TICKWELL_DEVICE", root.c_str(), 1);
    ::setenv("TKW_DEVICED_AUTOSTART", "0", 1);
    (void)store::createDataDirectory();
    const SYSTEMTIME now = platform::localNow();

    alarms::AlarmBoard seed(alarms::Holder::OtherTool);
    (void)seed.load(now);
    (void)seed.setWeekdays(2, 0x3e, now);

    // The change as tkwctl makes it now: the edit lock held from the read to the signal.
    const Figures locked = measure(count, [&](int i) {
        alarms::AlarmBoard board(alarms::Holder::OtherTool);
        (void)board.setAlarmTime(2, 7, i % 60, now);
    });
    // The same steps without the lock, as every program made them before.
    const Figures unlocked = measure(count, [&](int i) {
        alarms::AlarmTable table { };
        (void)alarms::LoadAlarms(table, now);
        auto& alarm = table[2];
        SYSTEMTIME time { };
        (void)FileTimeToSystemTime(&alarm.alarmTime, &time);
        time.wHour = 7;
        time.wMinute = WORD(i % 60);
        (void)SystemTimeToFileTime(&time, &alarm.alarmTime);
        const auto next = alarms::NextOccurrence(alarm, alarms::From::Now, now);
        if (next) {
            (void)SystemTimeToFileTime(&*next, &alarm.alarmTime);
            alarm.hNotification = alarms::registerAlarmWakeUp(store::kRunnerPath, alarms::alarmArgument(3), *next,
                alarms::WakeUpEnd::FiveMinutesLater);
        }
        (void)alarms::SaveAlarms(table);
    });
    const Figures lockAlone = measure(count * 10, [&](int) { (void)store::editDataFile(store::kAlarmsFile); });

    std::printf("edit_bench: %d changes of one alarm\n", count);
    print("alarm change with the edit lock", locked);
    print("the same steps without the lock", unlocked);
    print("edit lock alone (take and release)", lockAlone);
    std::printf("%-44s %+7.3f ms (target: below +2 ms)\n", "cost of the lock (median difference)",
        locked.median - unlocked.median);
    std::error_code error;
    std::filesystem::remove_all(root, error);
    return 0;
}
