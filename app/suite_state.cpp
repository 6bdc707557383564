#include "app/suite_state.h"

#include "astro/beat.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/events.h"
#include "platform/locale.h"
#include "store/data_files.h"
#include "timers/countdown.h"
#include "timers/timer_file.h"

#include <algorithm>

namespace app {

namespace {

cities::CityRef refOf(const store::CityRef& stored)
{
    return { std::int32_t(stored.continent), std::int32_t(stored.index) };
}

store::CityRef storedOf(const cities::CityRef& ref)
{
    return { std::uint32_t(std::max(ref.continent, 0)), std::uint32_t(std::max(ref.index, 0)) };
}

} // namespace

bool SuiteState::loadCities()
{
    const auto& s = store::settings();
    m_cities = cities::CityDatabase::load(
        store::kDefaultInstallFolder, refOf(s.worldCity), refOf(s.homeCity), refOf(s.visitingCity));
    return m_cities.available();
}

void SuiteState::storeCities()
{
    if (!m_cities.available())
        return;
    auto& s = store::settings();
    s.worldCity = storedOf(m_cities.slot(cities::CityDatabase::kWorldSlot));
    s.homeCity = storedOf(m_cities.slot(cities::CityDatabase::kHomeSlot));
    s.visitingCity = storedOf(m_cities.slot(cities::CityDatabase::kVisitingSlot));
    (void)m_cities.save();
}

void SuiteState::load(const SYSTEMTIME& now)
{
    // A file that cannot be read leaves the board empty; the views show it so.
    (void)m_alarms.load(now);
}

bool SuiteState::todayItemRunning() const
{
    const auto& shared = sharedEvents();
    return shared.todayPluginRunning
        && WaitForSingleObject(shared.todayPluginRunning, 0) == WAIT_OBJECT_0;
}

faces::StatusBarInputs SuiteState::statusInputs(const SYSTEMTIME& now)
{
    const auto& current = settings();
    faces::StatusBarInputs inputs;
    inputs.contents = { current.statusField1, current.statusField2, current.statusField3 };
    inputs.localTime = now;
    inputs.locale = &platform::userLocale();
    const auto shows = [&](faces::StatusContent content) {
        return std::find(inputs.contents.begin(), inputs.contents.end(), std::uint32_t(content))
            != inputs.contents.end();
    };
    if (shows(faces::StatusContent::Alarm))
        inputs.nextAlarm = m_alarms.NextAlarm(inputs.localTime).localTime;
    if (shows(faces::StatusContent::Timer)) {
        const auto local = platform::localTicksOf(inputs.localTime).value_or(platform::LocalTicks());
        timers::LoadTimers(m_timers, local);
        const auto text = timers::statusBarTimerText(m_timers, local);
        if (text != u"--:--")
            inputs.timerText = text;
    }
    if (shows(faces::StatusContent::Stopwatch) && m_stopwatch.state().running) {
        const auto elapsed = m_stopwatch.elapsedTicksAt(platform::deviceUniversalNow().count());
        inputs.stopwatchText = stopwatch::statusText(stopwatch::Elapsed(elapsed));
    }
    if (shows(faces::StatusContent::InternetTime)) {
        if (const auto beat = astro::beatOfLocal(inputs.localTime))
            inputs.internetTimeText = astro::beatText(*beat);
    }
    return inputs;
}

faces::FaceClock SuiteState::faceClock(const SYSTEMTIME& now)
{
    const auto& locale = platform::userLocale();
    faces::FaceClock clock;
    clock.time = now;
    clock.use24Hour = locale.use24Hour;
    clock.monthFirst = locale.shortDateMonthFirst;
    clock.chimeOn = settings().chime != 0;
    clock.nextAlarm = m_alarms.NextAlarm(clock.time).localTime;
    return clock;
}

} // namespace app
