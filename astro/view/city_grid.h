#pragma once
// The grid of city cells that the City Time and Time Calc views share: one city chooser a
// cell, and beside it the city's local time, its date and, for the time calculator, a small
// analog clock. The cities live in a list of the settings record (cityListA, cityListB);
// the grid shows as many as fit from a first entry on, with arrows to turn a page.
//
// Every entry of the list keeps a selection slot of its own in the city database, so that
// it keeps naming its city while this program or another one adds and deletes cities; the
// choosers show the entries of the current page.

#include "astro/view/drawn_text.h"
#include "cities/city_database.h"
#include "platform/types.h"
#include "ui/screen_geometry.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class QPainter;
class QToolButton;
class QWidget;

namespace cities {
class CityList;
}
namespace faces {
class SkinSet;
class SmallAnalogClock;
}
namespace store {
struct CityRef;
}
namespace ui {
class LayoutReport;
}

namespace astro {

// A cell's time (the user locale's, without seconds) and date ("Tue, 12/08", "Di, 8.12.").
struct CellTexts {
    QString time;
    QString date;
};
[[nodiscard]] CellTexts cellTexts(const SYSTEMTIME& local);

// The locale's date separator: the first character of its short date picture between the
// fields ("/" for "M/d/yy", "." for "dd.MM.yyyy"); "/" when the picture has none.
[[nodiscard]] std::u16string dateSeparatorOf(std::u16string_view shortDatePicture);

enum class GridClock { None, Small };

// How many rows and columns of cells fit `cells` (a rectangle in device pixels): as many
// rows as the choosers' height allows, at most four.
struct GridShape {
    int rows = 1;
    int columns = 1;
    [[nodiscard]] int cellsPerPage() const { return rows * columns; }
};
[[nodiscard]] GridShape gridShape(const ui::ScreenGeometry& geometry, const QRect& cells);

class CityGrid {
public:
    // The local time of a cell's city, nullopt when it cannot be told.
    using LocalTimeOf = std::function<std::optional<SYSTEMTIME>(const cities::CityRecord&)>;

    // `entries` lies in the settings record and outlives the grid, as do `database`, the
    // skin and `screen` (the parent of the grid's controls). `name` prefixes the controls'
    // object names.
    CityGrid(QWidget* screen, cities::CityDatabase& database, std::span<store::CityRef> entries,
        const faces::SkinSet& skin, GridClock clock, const QString& name);
    ~CityGrid();
    CityGrid(const CityGrid&) = delete;
    CityGrid& operator=(const CityGrid&) = delete;

    // Lays the cells out in `cells`, and the page arrows in `pager` (with the page's entries
    // between them when it is wider than tall).
    void place(const ui::ScreenGeometry& geometry, const QRect& cells, const QRect& pager);
    void show();
    void hide();

    // Brings the choosers in line with the database after it changed (here, or another
    // program's files read again); true when what the grid shows changed.
    bool follow();
    // Writes every entry's city into the settings record.
    void storeChoices() const;

    // The entry in the first cell; the arrows move it a page's worth, and the last page
    // is always full.
    [[nodiscard]] int firstShown() const { return m_first; }
    void showFrom(int first);
    [[nodiscard]] GridShape shape() const { return m_shape; }

    // The choosers of the page, cell by cell, row by row.
    [[nodiscard]] const std::vector<cities::CityList*>& choosers() const { return m_choosers; }
    // The texts a cell shows now (empty when its chooser names no city).
    [[nodiscard]] CellTexts texts(std::size_t cell, const LocalTimeOf& localTimeOf) const;

    // Draws the cells' clocks and texts, and tells the layout check where they go.
    void paint(QPainter& painter, const LocalTimeOf& localTimeOf) const;
    void reportLayout(ui::LayoutReport& report, const LocalTimeOf& localTimeOf) const;

    // Called after the user picked a city or turned a page.
    void setOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }

private:
    struct CellRects {
        QRect chooser;
        QRect clock; // empty without a clock
        QRect time;
        QRect date;
    };
    struct DrawnCell {
        std::optional<SYSTEMTIME> clockTime;
        QRect clock;
    };
    [[nodiscard]] std::vector<DrawnText> drawnTexts(
        const LocalTimeOf& localTimeOf, std::vector<DrawnCell>* clocks) const;
    [[nodiscard]] QString pageText() const;
    [[nodiscard]] int lastFirst() const; // the entry in the first cell of the last page
    [[nodiscard]] QRect pageTextRect() const;
    void rebuildChoosers();
    void drawClock(QPainter& painter, const QRect& box, const SYSTEMTIME& time) const;
    void changed();

    QWidget* m_screen;
    cities::CityDatabase& m_database;
    std::span<store::CityRef> m_entries;
    const faces::SkinSet& m_skin;
    GridClock m_clock;
    QString m_name;
    std::vector<cities::CityDatabase::Slot> m_slots; // one for each entry
    std::unique_ptr<faces::SmallAnalogClock> m_smallClock;

    ui::ScreenGeometry m_geometry;
    GridShape m_shape;
    std::vector<CellRects> m_cells;
    QRect m_pager;
    std::vector<cities::CityList*> m_choosers;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    int m_first = 0;
    bool m_shown = false;
    std::function<void()> m_onChange;
};

} // namespace astro
