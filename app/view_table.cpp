#include "app/view_table.h"

#include "app/alarms_view.h"
#include "app/events_view.h"
#include "app/general_view.h"
#include "app/suite_state.h"
#include "app/timers_view.h"
#include "app/view_list.h"
#include "astro/view/city_time_view.h"
#include "astro/view/internet_time_view.h"
#include "astro/view/moon_view.h"
#include "astro/view/sun_view.h"
#include "astro/view/time_calc_view.h"
#include "cities/view/world_time_view.h"
#include "platform/device_clock.h"
#include "stopwatch/view/stopwatch_view.h"

#include <array>
#include <utility>

namespace app {

namespace {

std::unique_ptr<View> makeGeneral(const ViewSetup& setup)
{
    return std::make_unique<GeneralView>(
        setup.screen, setup.geometry, setup.skin, setup.suite.alarms());
}

std::unique_ptr<View> makeDigitalClock(const ViewSetup& setup)
{
    return std::make_unique<DigitalClockView>(setup.skin, setup.geometry, &setup.suite.cities());
}

std::unique_ptr<View> makeAnalogClock(const ViewSetup& setup)
{
    return std::make_unique<AnalogClockView>(setup.skin, setup.geometry);
}

std::unique_ptr<View> makeAlarms(const ViewSetup& setup)
{
    return std::make_unique<AlarmsView>(
        setup.screen, setup.geometry, setup.suite.alarms(), setup.faces);
}

std::unique_ptr<View> makeEvents(const ViewSetup& setup)
{
    return std::make_unique<EventsView>(setup.screen, setup.geometry, setup.suite.eventList(), setup.faces);
}

std::unique_ptr<View> makeTimers(const ViewSetup& setup)
{
    return std::make_unique<TimersView>(setup.screen, setup.geometry, setup.suite.timers(), setup.faces);
}

std::unique_ptr<View> makeWorldTime(const ViewSetup& setup)
{
    return std::make_unique<cities::WorldTimeView>(setup.screen, setup.geometry, setup.skin, setup.suite.cities());
}

std::unique_ptr<View> makeCityTime(const ViewSetup& setup)
{
    return std::make_unique<astro::CityTimeView>(setup.screen, setup.geometry, setup.skin, setup.suite.cities());
}

std::unique_ptr<View> makeInternetTime(const ViewSetup& setup)
{
    return std::make_unique<astro::InternetTimeView>(setup.screen, setup.geometry, setup.skin);
}

std::unique_ptr<View> makeTimeCalc(const ViewSetup& setup)
{
    return std::make_unique<astro::TimeCalcView>(setup.screen, setup.geometry, setup.skin, setup.suite.cities());
}

std::unique_ptr<View> makeMoonPhases(const ViewSetup& setup)
{
    return std::make_unique<astro::MoonView>(setup.screen, setup.geometry, setup.skin, setup.suite.cities());
}

std::unique_ptr<View> makeSun(const ViewSetup& setup)
{
    return std::make_unique<astro::SunView>(setup.screen, setup.geometry, setup.skin, setup.suite.cities());
}

// The views still to come show their names; their traits are those of the view to come,
// so that the window already treats them as it will.
enum PlaceholderTrait : unsigned { kNoTraits = 0, kPerSecondUpdate = 1, kRestoresSubSelection = 2 };

template <int Index, unsigned Traits = kNoTraits> std::unique_ptr<View> makePlaceholder(const ViewSetup&)
{
    PlaceholderTraits traits;
    traits.takesPerSecondUpdate = (Traits & kPerSecondUpdate) != 0;
    traits.restoresSubSelection = (Traits & kRestoresSubSelection) != 0;
    return std::make_unique<NamedView>(Index, QString(), std::move(traits));
}

std::unique_ptr<View> makeStopwatch(const ViewSetup& setup)
{
    return std::make_unique<stopwatch::StopwatchView>(setup.screen, setup.geometry, setup.skin, setup.suite.stopwatch());
}

constexpr std::array<ViewTableRow, kBuiltInViewCount> kBuiltInViews { {
    { kGeneralView, makeGeneral },
    { kDigitalClockView, makeDigitalClock },
    { kAnalogClockView, makeAnalogClock },
    { kAlarmsView, makeAlarms },
    { kTimersView, makeTimers },
    { kStopwatchView, makeStopwatch },
    { kEventsView, makeEvents },
    { kWorldTimeView, makeWorldTime },
    { kMoonPhasesView, makeMoonPhases },
    { kSunView, makeSun },
    { kCityTimeView, makeCityTime },
    { kInternetTimeView, makeInternetTime },
    { kTimeCalcView, makeTimeCalc },
} };

} // namespace

std::span<const ViewTableRow> builtInViewTable()
{
    return kBuiltInViews;
}

std::unique_ptr<FaceView> makeFaceView(const ViewSetup& setup)
{
    SuiteState* suite = &setup.suite;
    return std::make_unique<FaceView>(
        setup.window, setup.geometry, [suite] { return suite->faceClock(platform::localNow()); });
}

} // namespace app
