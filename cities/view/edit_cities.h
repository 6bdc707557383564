#pragma once
// The Edit Cities page and its city editor. The page lists a continent's cities with their
// standard offsets and adds, edits and deletes cities; every change is one locked edit of
// the city database, written to its files before the page goes on, so that another program
// editing the cities at the same time loses nothing.

#include "cities/city_database.h"
#include "cities/city_record.h"
#include "platform/types.h"

#include <QDialog>
#include <QString>
#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class QTreeWidget;

namespace cities {

// The Day lists of the editor follow the locale's first day of the week (0 Monday ... 6
// Sunday): a week that starts on Monday lists Monday first, any other start lists Sunday
// first. These turn a list position into the stored weekday (0 Sunday ... 6 Saturday) and
// back.
[[nodiscard]] int weekdayOfDayListPosition(int position, int firstDayOfWeek);
[[nodiscard]] int dayListPositionOfWeekday(int weekday, int firstDayOfWeek);

// Tells the user why a change of the cities was not made (nothing for EditError::None).
void showEditError(QWidget* parent, EditError error);

// What the editor finds wrong with its fields, in the order it checks them.
enum class CityInputProblem { None, NoName, BadPosition };

// The fields of the editor as the user left them.
struct CityInput {
    QString name;
    bool westOfGreenwich = false; // the offset's sign: behind universal time
    int offsetHours = 0;
    int offsetMinutes = 0;
    QString latitudeDegrees, latitudeMinutes;
    bool north = true;
    QString longitudeDegrees, longitudeMinutes;
    bool east = true;
    bool daylight = false;
    DaylightRule rule; // used when `daylight` is set
};

// Checks `input` and, when it is sound, stores it into `city` (a copy of the record being
// edited, so that the bytes the editor has no field for stay as they were). The name is cut
// to 20 characters; a name of spaces only counts as none. Degrees and minutes are decimal
// numbers; latitude goes to 90 degrees, longitude to 180, minutes to 59 (and none past
// 90 or 180 degrees). Without daylight time the rule bytes are kept.
[[nodiscard]] CityInputProblem storeCityInput(const CityInput& input, CityRecord& city);

// The working copy a new city starts from: no name, offset 0, position 0 degrees 0 minutes,
// and, when the device's zone `deviceZone` has a day-in-month daylight rule, that rule with
// its transition hours.
[[nodiscard]] CityRecord newCityTemplate(const TIME_ZONE_INFORMATION& deviceZone);

// The full-screen city editor: name, standard offset, position, and the daylight rule on
// two tabs (Start, End) with Week, Day and Month lists.
class CityEditor final : public QDialog {
    Q_OBJECT
public:
    // Edit mode: `ref` names the city; add mode (no `ref`): the new city goes to continent
    // `continent`, which the editor lets the user change.
    CityEditor(QWidget* parent, CityDatabase& database, std::optional<CityRef> ref, int continent);
    ~CityEditor() override;

    // OK: checks the fields in order and tells the user what is wrong (the editor stays
    // open), else stores the city through the database and closes.
    void accept() override;

    // The continent an added city went to and its index there; valid after an accepted add.
    [[nodiscard]] CityRef stored() const { return m_stored; }

    // The fields, for tests.
    [[nodiscard]] QLineEdit* nameField() const { return m_name; }
    [[nodiscard]] QComboBox* offsetSign() const { return m_sign; }
    [[nodiscard]] QSpinBox* offsetHours() const { return m_hours; }
    [[nodiscard]] QSpinBox* offsetMinutes() const { return m_minutes; }
    [[nodiscard]] QLineEdit* latitudeDegrees() const { return m_latitudeDegrees; }
    [[nodiscard]] QLineEdit* latitudeMinutes() const { return m_latitudeMinutes; }
    [[nodiscard]] QComboBox* northSouth() const { return m_northSouth; }
    [[nodiscard]] QLineEdit* longitudeDegrees() const { return m_longitudeDegrees; }
    [[nodiscard]] QLineEdit* longitudeMinutes() const { return m_longitudeMinutes; }
    [[nodiscard]] QComboBox* eastWest() const { return m_eastWest; }
    [[nodiscard]] QCheckBox* daylightUsed() const { return m_daylight; }
    [[nodiscard]] QTabWidget* ruleTabs() const { return m_tabs; }
    [[nodiscard]] QComboBox* continentList() const { return m_continent; }
    // The Week, Day and Month lists of tab 0 (Start) or 1 (End).
    [[nodiscard]] QComboBox* weekList(int tab) const { return m_rule[std::size_t(tab)].week; }
    [[nodiscard]] QComboBox* dayList(int tab) const { return m_rule[std::size_t(tab)].day; }
    [[nodiscard]] QComboBox* monthList(int tab) const { return m_rule[std::size_t(tab)].month; }

private:
    struct RuleLists {
        QComboBox* week = nullptr;
        QComboBox* day = nullptr;
        QComboBox* month = nullptr;
    };
    void showCity(const CityRecord& city);
    [[nodiscard]] CityInput input() const;

    CityDatabase& m_database;
    std::optional<CityDatabase::Slot> m_slot; // edit mode: the city, followed across reloads
    CityRecord m_working {};
    CityRef m_stored;
    int m_firstDayOfWeek = 0;
    QLineEdit* m_name = nullptr;
    QComboBox* m_continent = nullptr;
    QComboBox* m_sign = nullptr;
    QSpinBox* m_hours = nullptr;
    QSpinBox* m_minutes = nullptr;
    QLineEdit* m_latitudeDegrees = nullptr;
    QLineEdit* m_latitudeMinutes = nullptr;
    QComboBox* m_northSouth = nullptr;
    QLineEdit* m_longitudeDegrees = nullptr;
    QLineEdit* m_longitudeMinutes = nullptr;
    QComboBox* m_eastWest = nullptr;
    QCheckBox* m_daylight = nullptr;
    QTabWidget* m_tabs = nullptr;
    std::array<RuleLists, 2> m_rule;
};

// The Edit Cities page: a continent list, that continent's cities one row each with the
// standard offset at the right, and the buttons New..., Edit... and Delete.
class EditCitiesPage final : public QDialog {
    Q_OBJECT
public:
    EditCitiesPage(QWidget* parent, CityDatabase& database);

    // The list shown (0-5, 6 all cities) and the selected row (-1 none).
    void showContinent(int list);
    [[nodiscard]] int continent() const;
    void selectRow(int row);
    [[nodiscard]] int selectedRow() const;

    // The buttons' actions. Each opens its dialogs modally.
    void addCity();
    void editSelected();
    // Refuses the world-time city, else asks, then deletes.
    void deleteSelected();

    [[nodiscard]] QTreeWidget* cityRows() const { return m_rows; }
    [[nodiscard]] QComboBox* continentList() const { return m_continent; }

private:
    void fill();
    // The selected city, after the page caught up with another program's change; nullopt
    // when no row is selected.
    [[nodiscard]] std::optional<CityRef> currentSelection();

    CityDatabase& m_database;
    QComboBox* m_continent = nullptr;
    QTreeWidget* m_rows = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_delete = nullptr;
    QTimer* m_watch = nullptr;
};

} // namespace cities
