#pragma once
// The Time and Location dialog (the set-time page): a Home and a Visiting city, each with a
// date and a time picker that follow the city's local time until the user edits them. OK
// makes the chosen one of the two the device's zone, and sets the device's clock when its
// date or time was edited.

#include "cities/city_database.h"
#include "platform/types.h"

#include <QDialog>
#include <array>

class QCalendarWidget;
class QRadioButton;
class QTimer;

namespace ui {
class DatePicker;
class TimePicker;
}

namespace cities {

class CityList;

// A calendar to choose a date from, full screen.
class DateDialog final : public QDialog {
    Q_OBJECT
public:
    DateDialog(QWidget* parent, const SYSTEMTIME& date);
    // The chosen date with the time fields of the date it opened on.
    [[nodiscard]] SYSTEMTIME date() const;
    [[nodiscard]] QCalendarWidget* calendar() const { return m_calendar; }

private:
    SYSTEMTIME m_opened;
    QCalendarWidget* m_calendar = nullptr;
};

class TimeAndLocationDialog final : public QDialog {
    Q_OBJECT
public:
    enum Side { Home = 0, Visiting = 1 };

    // The choosers start on the database's Home and Visiting cities, the active one from
    // the settings' homeActive.
    TimeAndLocationDialog(QWidget* parent, CityDatabase& database);

    // Recomputes both cities' local times and shows them in the pickers the user has not
    // edited (a date picker only when the day changed). The dialog's own clock calls it.
    void tick();

    // Edits a picker as the user does through its dialog.
    void editDate(Side side, const SYSTEMTIME& date);
    void editTime(Side side, int hour, int minute);

    // OK: the Home and Visiting cities and the active one go to the settings (and the
    // database's slots); the active city's zone goes to the device, with its clock set
    // when its date or time was edited.
    void accept() override;

    [[nodiscard]] QRadioButton* sideButton(Side side) const { return m_sides[side].button; }
    [[nodiscard]] CityList* chooser(Side side) const { return m_sides[side].chooser; }
    [[nodiscard]] ui::DatePicker* datePicker(Side side) const { return m_sides[side].date; }
    [[nodiscard]] ui::TimePicker* timePicker(Side side) const { return m_sides[side].time; }

private:
    struct SidePanel {
        QRadioButton* button = nullptr;
        CityList* chooser = nullptr;
        ui::DatePicker* date = nullptr;
        ui::TimePicker* time = nullptr;
        bool dateEdited = false;
        bool timeEdited = false;
    };
    void openDate(Side side);
    void openTime(Side side);

    CityDatabase& m_database;
    std::array<SidePanel, 2> m_sides;
    QTimer* m_clock = nullptr;
    int m_ticks = 0;
};

} // namespace cities
