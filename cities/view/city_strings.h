#pragma once
// English identifiers of the strings of the city pages (ui::text, ui::list).

namespace cities {

inline constexpr unsigned kWeekLabel = 40125; // "Week:"
inline constexpr unsigned kDateLabel = 40245; // "Date:"
inline constexpr unsigned kTimeLabel = 40255; // "Time:"
inline constexpr unsigned kWeekOfMonthList = 40525; // "First\Second\Third\Fourth\Last\."
inline constexpr unsigned kRuleStartTab = 40535; // "Start"
inline constexpr unsigned kRuleEndTab = 40545; // "End"
inline constexpr unsigned kNoNameMessage = 40555; // "Please enter name of city."
inline constexpr unsigned kBadPositionMessage = 40565; // "Please enter correct latitude and ..."
inline constexpr unsigned kDeleteCityQuestion
    = 40595; // "Are you sure you want to delete the selected city?"
inline constexpr unsigned kHomeLocationDeleteMessage
    = 40655; // "You can't delete home location city."
inline constexpr unsigned kContinentLabel = 40855; // "Continent:"
inline constexpr unsigned kCityLabel = 40865; // "City:"
inline constexpr unsigned kEditCitiesTitle = 40905; // "Edit Cities"
inline constexpr unsigned kHomeLocationTitle = 40935; // "Home Location"
inline constexpr unsigned kFirstLaunchMessage
    = 41275; // "First launch. \nPlease, set your home location."
inline constexpr unsigned kZoneChangedMessage = 41285; // "The application has detected that ..."
inline constexpr unsigned kTimeAndLocationTitle = 45005; // "Time and Location"
inline constexpr unsigned kHomeButton = 45605; // "Home"
inline constexpr unsigned kVisitingButton = 45615; // "Visiting"
inline constexpr unsigned kNewCityButton = 45625; // "New..."
inline constexpr unsigned kEditCityButton = 45635; // "Edit..."
inline constexpr unsigned kDeleteCityButton = 45645; // "Delete"
inline constexpr unsigned kNameLabel = 45655; // "Name:"
inline constexpr unsigned kOffsetLabel = 45665; // "GMT offset:"
inline constexpr unsigned kLatitudeLabel = 45675; // "Latitude:"
inline constexpr unsigned kLongitudeLabel = 45685; // "Longitude:"
inline constexpr unsigned kNorthSouthList = 45695; // "North\South\."
inline constexpr unsigned kEastWestList = 45705; // "East\West\."
inline constexpr unsigned kDaylightUsedString = 45715; // "DST used"
inline constexpr unsigned kDayLabel = 45725; // "Day:"
inline constexpr unsigned kMonthLabel = 45735; // "Month:"
inline constexpr unsigned kEditBusyMessage = 45745; // "Another program is changing the cities. ..."
inline constexpr unsigned kEditFailedMessage = 45755; // "The cities could not be saved. ..."
inline constexpr unsigned kNoRoomMessage = 45765; // "No more cities can be added until ..."
inline constexpr unsigned kNoSuchCityMessage = 45775; // "The city no longer exists. ..."
inline constexpr unsigned kDateDialogTitle = 45785; // "Date"

} // namespace cities
