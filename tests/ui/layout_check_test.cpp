// The layout check itself: what it finds in windows and drawn views made to fail, and what
// it leaves alone.

#include "tests/support/layout_check.h"
#include "ui/drop_list.h"
#include "ui/layout_report.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using testing_support::checkDrawnLayout;
using testing_support::checkLayout;
using testing_support::formatFindings;
using testing_support::LayoutFinding;

constexpr QSize kScreen(240, 294);

const QString kLongText = QStringLiteral("Einstellungen...");

// A window of the screen's room with nothing in it yet.
std::unique_ptr<QWidget> emptyWindow(QSize size = kScreen)
{
    auto window = std::make_unique<QWidget>();
    window->setFixedSize(size);
    return window;
}

int textWidth(const QWidget& widget, const QString& text)
{
    return QFontMetrics(widget.font()).horizontalAdvance(text);
}

bool names(const LayoutFinding& finding, const QString& part)
{
    return finding.widget.contains(part);
}

} // namespace

TEST(LayoutCheck, AClippedLabelIsFoundByNameAndTheSameLabelWithRoomPasses)
{
    auto window = emptyWindow();
    auto* label = new QLabel(kLongText, window.get());
    label->setObjectName(QStringLiteral("SettingsLabel"));
    label->setGeometry(4, 4, textWidth(*label, kLongText) / 2, 20);

    const auto clipped = checkLayout(*window, kScreen);
    ASSERT_EQ(clipped.size(), 1u) << formatFindings(clipped).toStdString();
    EXPECT_TRUE(names(clipped[0], QStringLiteral("QLabel#SettingsLabel")));
    EXPECT_TRUE(names(clipped[0], kLongText));
    EXPECT_TRUE(clipped[0].problem.startsWith(QStringLiteral("text needs")))
        << clipped[0].problem.toStdString();
    EXPECT_GE(clipped[0].excessPx, textWidth(*label, kLongText) / 2 - 1);

    label->resize(label->sizeHint().width(), 20);
    EXPECT_TRUE(checkLayout(*window, kScreen).empty())
        << formatFindings(checkLayout(*window, kScreen)).toStdString();

    // A label hidden, or one that shortens its text by design, is not measured.
    label->resize(20, 20);
    label->setProperty(testing_support::kElidesOnPurpose, true);
    EXPECT_TRUE(checkLayout(*window, kScreen).empty());
    label->setProperty(testing_support::kElidesOnPurpose, false);
    label->hide();
    EXPECT_TRUE(checkLayout(*window, kScreen).empty());
}

TEST(LayoutCheck, AWrappedLabelIsMeasuredWithItsLines)
{
    auto window = emptyWindow();
    auto* label = new QLabel(
        QStringLiteral("Die Weckzeit liegt in der Vergangenheit und wird morgen wiederholt."),
        window.get());
    label->setWordWrap(true);
    const int oneLine = QFontMetrics(label->font()).height();
    label->setGeometry(0, 0, 120, oneLine + 2); // wraps to several lines: too low
    const auto low = checkLayout(*window, kScreen);
    ASSERT_EQ(low.size(), 1u) << formatFindings(low).toStdString();
    EXPECT_TRUE(low[0].problem.contains(QStringLiteral("has 120x")))
        << low[0].problem.toStdString();

    label->setGeometry(0, 0, 120, label->heightForWidth(120));
    EXPECT_TRUE(checkLayout(*window, kScreen).empty())
        << formatFindings(checkLayout(*window, kScreen)).toStdString();

    // One word longer than the line does not wrap: it is cut.
    label->setText(QStringLiteral("Sonnenaufgangsuntergangsberechnung"));
    label->setGeometry(0, 0, 60, 200);
    EXPECT_EQ(checkLayout(*window, kScreen).size(), 1u);
}

TEST(LayoutCheck, ButtonsAreMeasuredWithoutTheirFrameOrIndicator)
{
    auto window = emptyWindow();
    auto* box = new QCheckBox(QStringLiteral("Wiederholender Alarm"), window.get());
    box->setObjectName(QStringLiteral("RepeatBox"));
    // As wide as the text alone: the indicator takes its room from the text.
    box->setGeometry(0, 0, textWidth(*box, box->text()) + 2, box->sizeHint().height());
    auto* button = new QPushButton(QStringLiteral("&Durchsuchen..."), window.get());
    button->setGeometry(0, 100, box->sizeHint().width(), button->sizeHint().height());

    auto findings = checkLayout(*window, kScreen);
    ASSERT_EQ(findings.size(), 1u) << formatFindings(findings).toStdString();
    EXPECT_TRUE(names(findings[0], QStringLiteral("QCheckBox#RepeatBox")));

    box->resize(box->sizeHint());
    button->resize(textWidth(*button, QStringLiteral("Durchsuchen...")), button->height());
    findings = checkLayout(*window, kScreen);
    ASSERT_EQ(findings.size(), 1u) << formatFindings(findings).toStdString();
    EXPECT_TRUE(names(findings[0], QStringLiteral("QPushButton \"&Durchsuchen...\"")));
}

TEST(LayoutCheck, EveryEntryOfAListMustFitItsField)
{
    constexpr QSize kWide(480, 240);
    auto window = emptyWindow(kWide);
    auto* list = new QComboBox(window.get());
    list->addItems(
        { QStringLiteral("Meldung"), QStringLiteral("Benachrichtigungsfenster anzeigen") });
    list->resize(list->sizeHint()); // as wide as its widest entry
    EXPECT_TRUE(checkLayout(*window, kWide).empty())
        << formatFindings(checkLayout(*window, kWide)).toStdString();

    list->resize(textWidth(*list, QStringLiteral("Meldung")) + 40, list->height());
    auto findings = checkLayout(*window, kWide);
    ASSERT_EQ(findings.size(), 1u) << formatFindings(findings).toStdString();
    EXPECT_TRUE(
        findings[0].problem.contains(QStringLiteral("\"Benachrichtigungsfenster anzeigen\"")));

    list->setCurrentIndex(1); // now the shown one is too wide
    findings = checkLayout(*window, kWide);
    ASSERT_EQ(findings.size(), 1u) << formatFindings(findings).toStdString();
    EXPECT_TRUE(findings[0].problem.startsWith(QStringLiteral("current entry needs")));
}

TEST(LayoutCheck, WidgetsOffTheScreenOrOutsideTheirParentAreFound)
{
    // A window wider than the screen, with a field beyond the screen's edge.
    auto window = emptyWindow(QSize(313, 200));
    auto* field = new QLineEdit(window.get());
    field->setObjectName(QStringLiteral("PathField"));
    field->setGeometry(200, 10, 100, 24);
    auto findings = checkLayout(*window, kScreen);
    ASSERT_EQ(findings.size(), 2u) << formatFindings(findings).toStdString();
    EXPECT_TRUE(findings[0].problem.contains(
        QStringLiteral("window is 313x200, the screen leaves it 240x294")));
    EXPECT_TRUE(names(findings[1], QStringLiteral("PathField")));
    EXPECT_EQ(findings[1].excessPx, 299 - 239);

    // A label that its own panel cuts: reported once, not again for the screen.
    auto small = emptyWindow();
    auto* panel = new QFrame(small.get());
    panel->setGeometry(0, 0, 100, 50);
    auto* label = new QLabel(QStringLiteral("Ton"), panel);
    label->setObjectName(QStringLiteral("SoundLabel"));
    label->setGeometry(80, 0, 40, 20);
    findings = checkLayout(*small, kScreen);
    ASSERT_EQ(findings.size(), 1u) << formatFindings(findings).toStdString();
    EXPECT_TRUE(names(findings[0], QStringLiteral("SoundLabel")));
    EXPECT_TRUE(findings[0].problem.contains(QStringLiteral("outside its parent QFrame")));
}

TEST(LayoutCheck, OverlappingSiblingsAreFoundButAWidgetOverItsChildrenIsNot)
{
    auto window = emptyWindow();
    auto* first = new QLabel(QStringLiteral("Ton"), window.get());
    first->setObjectName(QStringLiteral("First"));
    first->setGeometry(0, 0, 60, 20);
    auto* second = new QLabel(QStringLiteral("Pause"), window.get());
    second->setObjectName(QStringLiteral("Second"));
    second->setGeometry(50, 10, 60, 20);
    auto findings = checkLayout(*window, kScreen);
    ASSERT_EQ(findings.size(), 1u) << formatFindings(findings).toStdString();
    EXPECT_TRUE(names(findings[0], QStringLiteral("First")));
    EXPECT_TRUE(findings[0].problem.contains(QStringLiteral("overlaps QLabel#Second")));
    EXPECT_TRUE(findings[0].problem.contains(QStringLiteral("10x10")));

    // Side by side: no overlap; a panel with a label inside it is no overlap either, nor a
    // rule drawn over the panel's last line.
    second->move(60, 10);
    auto* panel = new QFrame(window.get());
    panel->setGeometry(0, 100, 200, 60);
    (new QLabel(QStringLiteral("Pause"), panel))->setGeometry(10, 10, 60, 20);
    (new QWidget(window.get()))->setGeometry(4, 159, 192, 1);
    EXPECT_TRUE(checkLayout(*window, kScreen).empty())
        << formatFindings(checkLayout(*window, kScreen)).toStdString();

    // A button is no decoration, even without text.
    (new QPushButton(window.get()))->setGeometry(150, 150, 20, 20);
    const auto covered = checkLayout(*window, kScreen);
    ASSERT_EQ(covered.size(), 1u) << formatFindings(covered).toStdString();
    EXPECT_TRUE(covered[0].widget.startsWith(QStringLiteral("QFrame")));
    EXPECT_TRUE(covered[0].problem.contains(QStringLiteral("overlaps QPushButton")));
}

TEST(LayoutCheck, TheViewTitleTheMenusAndTheCalendarMustFit)
{
    constexpr QSize kLarge(480, 400);
    auto window = emptyWindow(kLarge);
    auto* title = new ui::DropList(window.get());
    title->setObjectName(QStringLiteral("ViewManager"));
    title->setItems({ QStringLiteral("Uhr"), QStringLiteral("Sonnenauf-/untergang") });
    title->setGeometry(5, 4, 107, 15);
    EXPECT_TRUE(checkLayout(*window, kLarge).empty())
        << formatFindings(checkLayout(*window, kLarge)).toStdString();
    title->setCurrentIndex(1);
    auto findings = checkLayout(*window, kLarge);
    ASSERT_EQ(findings.size(), 1u) << formatFindings(findings).toStdString();
    EXPECT_TRUE(
        names(findings[0], QStringLiteral("ui::DropList#ViewManager \"Sonnenauf-/untergang\"")));
    EXPECT_TRUE(findings[0].problem.startsWith(QStringLiteral("title needs")));
    title->hide();

    auto* calendar = new QCalendarWidget(window.get());
    calendar->setGeometry(
        0, 30, calendar->minimumSizeHint().width(), calendar->minimumSizeHint().height());
    EXPECT_TRUE(checkLayout(*window, kLarge).empty())
        << formatFindings(checkLayout(*window, kLarge)).toStdString();
    calendar->resize(calendar->width() - 30, calendar->height());
    findings = checkLayout(*window, kLarge);
    ASSERT_EQ(findings.size(), 1u) << formatFindings(findings).toStdString();
    EXPECT_TRUE(findings[0].problem.startsWith(QStringLiteral("its least size needs")));
    EXPECT_EQ(findings[0].excessPx, 30);
    calendar->hide();

    // Menus that do not fit the bar go behind its extension button.
    auto* bar = new QMenuBar(window.get());
    for (const char* menu : { "Ansicht", "Werkzeuge", "Einstellungen...", "Hilfe" })
        bar->addMenu(QString::fromUtf8(menu));
    const int wide = bar->sizeHint().width();
    ASSERT_LE(wide, kLarge.width());
    bar->setGeometry(0, 0, wide, bar->sizeHint().height());
    window->show(); // the bar lays out its menus when shown
    QApplication::processEvents();
    EXPECT_TRUE(checkLayout(*window, kLarge).empty())
        << formatFindings(checkLayout(*window, kLarge)).toStdString();
    bar->resize(wide / 2, bar->height());
    QApplication::processEvents();
    findings = checkLayout(*window, kLarge);
    ASSERT_FALSE(findings.empty());
    EXPECT_TRUE(names(findings[0], QStringLiteral("QMenuBar")));
}

TEST(LayoutCheck, DrawnTextsAndImagesAreCheckedAgainstTheirRectsAndTheView)
{
    const QRect area(0, 0, 240, 245);
    QFont font;
    font.setPixelSize(13);
    const QFontMetrics metrics(font);
    const QString date = QStringLiteral("Dienstag, 08.12.2026");

    ui::LayoutReport fitting;
    fitting.addText(QRect(10, 10, metrics.horizontalAdvance(date), metrics.height()), date, font);
    fitting.addImage(QRect(40, 40, 160, 160));
    EXPECT_TRUE(checkDrawnLayout(fitting, area, nullptr).empty())
        << formatFindings(checkDrawnLayout(fitting, area, nullptr)).toStdString();

    // Wider than its rect: found, unless the view elides it by design.
    ui::LayoutReport narrow;
    narrow.addText(
        QRect(10, 10, metrics.horizontalAdvance(date) - 8, metrics.height()), date, font);
    narrow.addElidedText(QRect(10, 30, 40, metrics.height()), date, font);
    auto findings = checkDrawnLayout(narrow, area, nullptr);
    ASSERT_EQ(findings.size(), 1u) << formatFindings(findings).toStdString();
    EXPECT_TRUE(findings[0].widget.contains(date));
    EXPECT_TRUE(findings[0].problem.startsWith(QStringLiteral("text needs")));
    EXPECT_EQ(findings[0].excessPx, 8);

    // An image below the view (over the status bar) and two texts on top of each other.
    ui::LayoutReport crowded;
    crowded.addImage(QRect(40, 100, 160, 160));
    crowded.addText(QRect(0, 60, 240, 80), QStringLiteral("10:30"), font, Qt::AlignCenter);
    crowded.addText(QRect(0, 60, 240, 80), date, font, Qt::AlignCenter);
    findings = checkDrawnLayout(crowded, area, nullptr);
    ASSERT_EQ(findings.size(), 2u) << formatFindings(findings).toStdString();
    EXPECT_TRUE(findings[0].problem.contains(QStringLiteral("outside the view's 0,0 240x245")));
    EXPECT_EQ(findings[0].excessPx, 259 - 244);
    EXPECT_TRUE(findings[1].problem.contains(QStringLiteral("overlaps drawn text")));

    // A text under a widget of the screen.
    QWidget canvas;
    canvas.resize(240, 294);
    auto* list = new QLabel(QStringLiteral("Digitaluhr"), &canvas);
    list->setGeometry(0, 0, 120, 20);
    ui::LayoutReport covered;
    covered.addText(QRect(0, 5, 100, 20), QStringLiteral("10:30"), font);
    findings = checkDrawnLayout(covered, area, &canvas);
    ASSERT_EQ(findings.size(), 1u) << formatFindings(findings).toStdString();
    EXPECT_TRUE(findings[0].problem.contains(QStringLiteral("lies under QLabel \"Digitaluhr\"")));
}
