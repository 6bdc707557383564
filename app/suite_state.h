#pragma once
// The suite's state as the main program holds it: the alarm board, the timer board, the
// event list, the city database, the timers the status bar shows, the settings and the
// shared events. The main window owns one and hands it to
// every view it makes, so that a view reaches what it shows through this object instead of
// through the window.

#include "alarms/alarm_board.h"
#include "cities/city_database.h"
#include "events/event_list.h"
#include "faces/face_rules.h"
#include "faces/status_bar.h"
#include "platform/types.h"
#include "store/settings.h"
#include "store/signals.h"
#include "stopwatch/stopwatch.h"
#include "timers/timer_board.h"
#include "timers/timer_record.h"

namespace app {

class SuiteState {
public:
    SuiteState() = default;
    SuiteState(const SuiteState&) = delete;
    SuiteState& operator=(const SuiteState&) = delete;

    // Loads the alarms at start-up (a missing file becomes the defaults).
    void load(const SYSTEMTIME& now);
    // Reads the city database of the program folder with the settings' three cities; false
    // when it is unusable (the main program then stops with its critical error).
    bool loadCities();
    // Puts the database's three cities back into the settings and writes any change of
    // the city files not on disk yet (at exit).
    void storeCities();

    [[nodiscard]] alarms::AlarmBoard& alarms() { return m_alarms; }
    // The Timers view's actions; it loads timers.dat itself when it becomes current.
    [[nodiscard]] timers::TimerBoard& timers() { return m_timerBoard; }
    // The Events view's list; it loads events.dat itself when it becomes current.
    [[nodiscard]] events::EventList& eventList() { return m_eventList; }
    // This process's copy of the settings (store::settings()).
    [[nodiscard]] store::SettingsRecord& settings() { return store::settings(); }
    [[nodiscard]] const store::SharedEvents& sharedEvents() const { return store::sharedEventHandles(); }
    // The city database (unavailable until loadCities succeeded).
    [[nodiscard]] cities::CityDatabase& cities() { return m_cities; }
    // The stopwatch, kept in the settings' copy and stopwatch.dat.
    [[nodiscard]] stopwatch::Stopwatch& stopwatch() { return m_stopwatch; }

    // Whether the home screen's Today item is loaded (it chimes then, not this program).
    [[nodiscard]] bool todayItemRunning() const;
    // What the status bar's three parts show at local time `now`; reads timers.dat when a
    // part shows the timer.
    [[nodiscard]] faces::StatusBarInputs statusInputs(const SYSTEMTIME& now);
    // What a clock face shows at local time `now`.
    [[nodiscard]] faces::FaceClock faceClock(const SYSTEMTIME& now);

private:
    alarms::AlarmBoard m_alarms;
    timers::TimerBoard m_timerBoard;
    events::EventList m_eventList;
    timers::TimerTable m_timers {};
    cities::CityDatabase m_cities;
    stopwatch::Stopwatch m_stopwatch { store::settings() };
};

} // namespace app
