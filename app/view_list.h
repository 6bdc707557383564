#pragma once
// The views of the main program: thirteen built in, then one for each clock face found in
// the program folder's "plugins\" folder.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace app {

inline constexpr int kBuiltInViewCount = 13;
enum BuiltInView : int {
    kGeneralView = 0,
    kDigitalClockView,
    kAnalogClockView,
    kAlarmsView,
    kTimersView,
    kStopwatchView,
    kEventsView,
    kWorldTimeView,
    kMoonPhasesView,
    kSunView,
    kCityTimeView,
    kInternetTimeView,
    kTimeCalcView,
};

inline constexpr int kFirstViewCommand = 40011;   // + view index, built-in views
inline constexpr int kFirstPluginCommand = 40500; // + k, plug-in view 13 + k
inline constexpr std::size_t kViewNamesLimit = 1020;

struct ViewList {
    std::vector<std::u16string> pluginFaces; // face names, sorted, in view order from 13
    std::u16string names; // every view's name followed by "\", cut to what the list holds
};

// The face files of `installFolder` + "plugins\": "*.qpg" for scale shift 0, "*.vpg" for 1,
// each name cut at its last ".", sorted. The view-name list starts with `builtInNames`
// (string 40045: thirteen names, each followed by "\"), then the faces; when it grows past
// 1020 characters it is cut there, and then after its last "\".
[[nodiscard]] ViewList buildViewList(
    std::u16string_view installFolder, int scaleShift, std::u16string_view builtInNames);

// The name of view `index` in a view-name list; nullopt when the list has no such view.
[[nodiscard]] std::optional<std::u16string> viewName(std::u16string_view names, int index);

// The view a menu command selects, if it is a view command.
[[nodiscard]] std::optional<int> viewOfCommand(int command);

// The face file of plug-in view `index` (13 and up), or nullopt when it is gone.
[[nodiscard]] std::optional<std::u16string> pluginFacePath(
    std::u16string_view installFolder, int scaleShift, std::u16string_view names, int index);

} // namespace app
