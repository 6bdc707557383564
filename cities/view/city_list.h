#pragma once
// The city chooser of every view and page that names a city: a continent list (the six
// continents and All Continents) above the list of that continent's city names (the
// `DropCityList`). The chooser keeps its choice in a selection slot of its own in the city
// database, so that the choice keeps naming the same city while cities are added and
// deleted, here or by another program.
//
// Use:
//     auto* chooser = new cities::CityList(database, settings.cityChooserA, geometry, parent);
//     chooser->setGeometry(x, y, width, chooser->sizeHint().height());
//     connect(chooser, &cities::CityList::cityPicked, ...);     // the user chose
//     chooser->follow();    // after the database changed (an edit, reloadIfChanged())
//
// The lists' fonts fit the names they show in the chooser's width: the suite's font, a
// condensed one when that is too wide, then smaller sizes.

#include "cities/city_database.h"
#include "ui/screen_geometry.h"

#include <QStringList>
#include <QWidget>

namespace ui {
class DropList;
}

namespace cities {

// The continent names: "Africa\Asia\...\All Continents\.", one per list index 0-6.
inline constexpr unsigned kContinentNamesString = 40065;

class CityList final : public QWidget {
    Q_OBJECT
public:
    // Registers the chooser's slot naming `initial`; a reference that names no city (a
    // damaged settings record, a database that shrank) starts on the first city of list 0.
    // `database` must outlive the chooser.
    CityList(CityDatabase& database, CityRef initial, const ui::ScreenGeometry& geometry,
        QWidget* parent = nullptr);
    // Gives the slot back to the database.
    ~CityList() override;
    CityList(const CityList&) = delete;
    CityList& operator=(const CityList&) = delete;

    // The chosen city as its slot names it: list 0-6 and the index in that list.
    [[nodiscard]] CityRef city() const;
    // Its record; null only when the database is unavailable.
    [[nodiscard]] const CityRecord* record() const;
    [[nodiscard]] CityDatabase::Slot slot() const { return m_slot; }

    // Chooses a city without emitting cityPicked; false (and nothing changes) when `ref`
    // names no city.
    bool setCity(CityRef ref);

    // Brings the lists in line with the slot and the database's names (cities added,
    // deleted, renamed, or read again from another program's files); true when what the
    // chooser shows changed. Cheap when nothing did: views call it every second.
    bool follow();

    // Lays the chooser out again for another screen (fonts and row height).
    void setScreen(const ui::ScreenGeometry& geometry);

    // Two lists, one above the other, as tall as the screen's rows; as wide as the caller
    // makes it.
    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override { return sizeHint(); }

    // The two lists (tests, and dialogs that want to give them focus).
    [[nodiscard]] ui::DropList* continentList() const { return m_continents; }
    [[nodiscard]] ui::DropList* cityNames() const { return m_cities; }

signals:
    // The user picked a city (or a continent, which picks its first city); the slot names
    // it already.
    void cityPicked(cities::CityRef ref);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void continentChosen(int list);
    void cityChosen(int index);
    void layOut();
    void fitFonts();
    [[nodiscard]] QStringList namesOf(int list) const;

    CityDatabase& m_database;
    CityDatabase::Slot m_slot;
    ui::ScreenGeometry m_geometry;
    ui::DropList* m_continents;
    ui::DropList* m_cities;
    int m_shownList = -1;
    QStringList m_shownNames;
};

} // namespace cities
