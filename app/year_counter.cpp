#include "app/year_counter.h"

#include "ui/drop_list.h"
#include "ui/fitted_text.h"
#include "ui/resources.h"

#include <QFontMetrics>
#include <QLabel>
#include <algorithm>

namespace app {

namespace {

constexpr unsigned kUnitList = 40055; // "Hours\Days\Weeks\Months\."
constexpr unsigned kPassedString = 40135; // "Passed"
constexpr unsigned kRemainString = 40145; // "Remain"
constexpr int kListHeight = 18; // before scaling
constexpr int kBoxHeight = 26;
// The drop list draws its title bold, 4 px in from the left and from its 16 px arrow box.
constexpr int kListChromePx = 16 + 2 * 4 + 1;

// `font` made to fit every text into `width` (and `height` when given): as it is,
// condensed, then smaller.
QFont fitted(QFont font, const QStringList& texts, int width, bool bold, int height = 0)
{
    const auto fits = [&](const QFont& candidate) {
        QFont measured = candidate;
        measured.setBold(bold || candidate.bold());
        const QFontMetrics metrics(measured);
        if (height > 0 && metrics.height() > height)
            return false;
        return std::all_of(texts.begin(), texts.end(),
            [&](const QString& text) { return metrics.horizontalAdvance(text) + 1 <= width; });
    };
    return ui::fittedFont(font, fits);
}

QString valueLine(unsigned label, const astro::CounterValue& value)
{
    return ui::text(label) + u' ' + QString::fromStdU16String(value.text());
}

} // namespace

YearCounterBox::YearCounterBox(
    const ui::ScreenGeometry& geometry, const SYSTEMTIME& now, QWidget* parent)
    : QWidget(parent)
    , m_geometry(geometry)
    , m_now(now)
    , m_units(new ui::DropList(this))
    , m_years(new ui::DropList(this))
    , m_passed(new QLabel(this))
    , m_remain(new QLabel(this))
{
    setObjectName(QStringLiteral("PasRemaind"));
    m_units->setObjectName(QStringLiteral("YearCounterUnit"));
    m_years->setObjectName(QStringLiteral("YearCounterYear"));
    m_passed->setObjectName(QStringLiteral("YearCounterPassed"));
    m_remain->setObjectName(QStringLiteral("YearCounterRemain"));
    m_units->setItems(ui::list(kUnitList));
    QStringList years;
    for (int year = astro::kCounterFirstYear; year <= astro::kCounterLastYear; ++year)
        years.append(QString::number(year));
    m_years->setItems(years);
    setUnit(astro::CounterUnit::Days);
    setYear(now.wYear);
    connect(m_units, &ui::DropList::selected, this, [this] { recompute(); });
    connect(m_years, &ui::DropList::selected, this, [this] { recompute(); });
    recompute();
}

astro::CounterUnit YearCounterBox::unit() const
{
    return astro::CounterUnit(std::max(0, m_units->currentIndex()));
}

int YearCounterBox::year() const
{
    return astro::kCounterFirstYear + std::max(0, m_years->currentIndex());
}

void YearCounterBox::setUnit(astro::CounterUnit unit)
{
    m_units->setCurrentIndex(int(unit));
    recompute();
}

void YearCounterBox::setYear(int year)
{
    // A device clock outside the list's years starts on the nearest one.
    m_years->setCurrentIndex(std::clamp(year, astro::kCounterFirstYear, astro::kCounterLastYear)
        - astro::kCounterFirstYear);
    recompute();
}

QString YearCounterBox::passedText() const
{
    return m_passed->text();
}
QString YearCounterBox::remainText() const
{
    return m_remain->text();
}

void YearCounterBox::setNow(const SYSTEMTIME& now)
{
    m_now = now;
    recompute();
}

void YearCounterBox::recompute()
{
    const astro::YearCounter counter = astro::yearCounter(unit(), year(), m_now);
    const QString passed = valueLine(kPassedString, counter.passed);
    const QString remain = valueLine(kRemainString, counter.remain);
    if (passed == m_passed->text() && remain == m_remain->text())
        return;
    m_passed->setText(passed);
    m_remain->setText(remain);
    layOut();
}

void YearCounterBox::setScreen(const ui::ScreenGeometry& geometry)
{
    m_geometry = geometry;
    updateGeometry();
    layOut();
}

QSize YearCounterBox::sizeHint() const
{
    return { m_geometry.scaled(200), m_geometry.scaled(kBoxHeight) };
}

void YearCounterBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void YearCounterBox::layOut()
{
    const auto& g = m_geometry;
    const QFont base = ui::suiteFont(ui::FontRole::Normal12, g);
    const int row = g.scaled(kListHeight);
    const int listTop = (height() - row) / 2;
    // The two lists side by side, each as wide as its longest entry needs (in the suite's
    // font where there is room), together at most half the box; the values, one above the
    // other, take the rest.
    QFont bold = base;
    bold.setBold(true);
    const auto needed = [&](const QStringList& names) {
        int widest = 0;
        for (const auto& name : names)
            widest = std::max(widest, QFontMetrics(bold).horizontalAdvance(name));
        return widest + kListChromePx + 1;
    };
    const QStringList units = m_units->items();
    const QStringList years { QStringLiteral("2031"), QStringLiteral("1999") };
    int unitWidth = needed(units);
    int yearWidth = needed(years);
    const int most = width() / 2 - g.scaled(2);
    if (unitWidth + yearWidth > most) {
        yearWidth = std::min(yearWidth, most * 2 / 5);
        unitWidth = most - yearWidth;
    }
    m_units->setFont(fitted(base, units, unitWidth - kListChromePx, true));
    m_years->setFont(fitted(base, years, yearWidth - kListChromePx, true));
    m_units->setGeometry(0, listTop, unitWidth, row);
    m_years->setGeometry(unitWidth + g.scaled(2), listTop, yearWidth, row);
    const int valueLeft = unitWidth + g.scaled(2) + yearWidth + g.scaled(6);
    const int valueWidth = std::max(1, width() - valueLeft);
    const int valueHeight = height() / 2;
    // Both values in one font, so that they read alike.
    const QFont valueFont
        = fitted(base, { m_passed->text(), m_remain->text() }, valueWidth, false, valueHeight);
    for (QLabel* value : { m_passed, m_remain }) {
        value->setFont(valueFont);
        value->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        value->setContentsMargins(0, 0, 0, 0);
        value->setIndent(0);
    }
    m_passed->setGeometry(valueLeft, 0, valueWidth, valueHeight);
    m_remain->setGeometry(valueLeft, height() - valueHeight, valueWidth, valueHeight);
}

} // namespace app
