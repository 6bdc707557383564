#pragma once
// The Home Location dialog: the city the device's zone is taken from. It is shown at the
// first start (after the language step) and at a start that finds the device's zone changed
// since the home location was set; OK gives the chosen city's zone to the device.

#include "cities/city_database.h"

#include <QDialog>

class QLabel;

namespace cities {

class CityList;

enum class HomeLocationForm {
    FirstStart, // "First launch. ..."
    ZoneChanged, // "The application has detected that the system time zone settings ..."
};

// What OK does with the chosen city `chosen`: its zone goes to the device (as a real zone
// change, universal time kept running on), and it becomes the world-time city. At the first
// start it is also the Home city; otherwise, unless it is the Home city, it becomes the
// Visiting city, and the active one of the two is the one the device now keeps. The
// settings record takes the three cities; the caller writes it.
void applyHomeLocation(CityDatabase& database, CityRef chosen, HomeLocationForm form);

// Whether the start-up should ask for the home location: the device's zone is not the
// world-time city's (bias, daylight bias and, with daylight time, each transition's month,
// rule and hour). False when the database names no world-time city.
[[nodiscard]] bool homeLocationChanged(const CityDatabase& database);

class HomeLocationDialog final : public QDialog {
    Q_OBJECT
public:
    // The chooser starts on the world-time city.
    HomeLocationDialog(QWidget* parent, CityDatabase& database, HomeLocationForm form);

    // Applies the chosen city (applyHomeLocation) and closes.
    void accept() override;

    [[nodiscard]] CityList* chooser() const { return m_chooser; }
    [[nodiscard]] HomeLocationForm form() const { return m_form; }

private:
    CityDatabase& m_database;
    HomeLocationForm m_form;
    CityList* m_chooser = nullptr;
};

} // namespace cities
