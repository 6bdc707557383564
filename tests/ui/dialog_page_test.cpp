#include "ui/dialog_page.h"
#include "ui/fitted_text.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QFont pixelFont(int pixels)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixels);
    return font;
}

TEST(FittedFont, KeepsCondensesThenShrinksDownToTheSmallestSize)
{
    const QString text = QStringLiteral("Wednesday, 28 December");
    const QFont base = pixelFont(14);
    const int natural = QFontMetrics(base).horizontalAdvance(text);
    const auto within = [&](int width) {
        return [&text, width](const QFont& font) {
            return QFontMetrics(font).horizontalAdvance(text) <= width;
        };
    };

    // Room enough: the font as it is.
    const QFont kept = ui::fittedFont(base, within(natural));
    EXPECT_EQ(kept.pixelSize(), 14);
    EXPECT_EQ(kept.stretch(), base.stretch());

    // Half the room: condensed and smaller, and then it fits.
    const QFont fitted = ui::fittedFont(base, within(natural / 2));
    EXPECT_EQ(fitted.stretch(), int(QFont::Condensed));
    EXPECT_LT(fitted.pixelSize(), 14);
    EXPECT_GE(fitted.pixelSize(), ui::kSmallestFittedFontPx);
    EXPECT_LE(QFontMetrics(fitted).horizontalAdvance(text), natural / 2);

    // No room at all: it stops at the smallest size rather than going on.
    const QFont smallest = ui::fittedFont(base, [](const QFont&) { return false; });
    EXPECT_EQ(smallest.pixelSize(), ui::kSmallestFittedFontPx);
    EXPECT_EQ(smallest.stretch(), int(QFont::Condensed));
}

TEST(DialogPage, FormsStackWhereTooNarrowAndLongListsTurnCondensed)
{
    const auto screen = ui::ScreenGeometry::of(240, 320);
    QWidget page;
    auto* form = new QFormLayout(&page);
    auto* label = new QLabel(QStringLiteral("Continent:"));
    auto* list = ui::newListBox(&page,
        { QStringLiteral("Short"), QStringLiteral("A rather long entry that needs its room") });
    auto* shortList = ui::newListBox(&page, { QStringLiteral("+"), QStringLiteral("-") });
    form->addRow(label, list);
    form->addRow(QStringLiteral("Sign:"), shortList);
    const int spacing = screen.scaled(ui::kPageSpacingPx);
    const int labels = std::max(
        label->sizeHint().width(), form->itemAt(1, QFormLayout::LabelRole)->sizeHint().width());
    const int fields = ui::naturalWidth(*form->itemAt(0, QFormLayout::FieldRole));

    // Room for both side by side: the fields get what the labels leave.
    const ui::FormsFit wide = ui::wrapForms({ form }, labels + spacing + fields, screen);
    EXPECT_FALSE(wide.stacked);
    EXPECT_EQ(wide.fieldWidth, fields);
    EXPECT_EQ(form->rowWrapPolicy(), QFormLayout::DontWrapRows);
    EXPECT_EQ(form->horizontalSpacing(), spacing);

    // A pixel less: labels above their fields, which get the whole width.
    const ui::FormsFit narrow = ui::wrapForms({ form }, labels + spacing + fields - 1, screen);
    EXPECT_TRUE(narrow.stacked);
    EXPECT_EQ(narrow.fieldWidth, labels + spacing + fields - 1);
    EXPECT_EQ(form->rowWrapPolicy(), QFormLayout::WrapAllRows);

    // Too narrow for the long entry: that list alone turns condensed.
    ui::fitForms({ form }, fields / 2, screen);
    EXPECT_EQ(list->font().stretch(), int(QFont::Condensed));
    EXPECT_NE(shortList->font().stretch(), int(QFont::Condensed));
}

TEST(DialogPage, ListBoxesAskNoMoreThanTheirLeastLength)
{
    QWidget page;
    auto* three = ui::newListBox(&page, { QStringLiteral("One"), QStringLiteral("Two") });
    auto* four = ui::newListBox(&page, {}, 4);
    EXPECT_EQ(three->count(), 2);
    EXPECT_EQ(three->minimumContentsLength(), ui::kLeastListChars);
    EXPECT_EQ(four->count(), 0);
    EXPECT_EQ(four->minimumContentsLength(), 4);
    EXPECT_EQ(four->sizeAdjustPolicy(), QComboBox::AdjustToMinimumContentsLengthWithIcon);
    EXPECT_EQ(four->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
}

TEST(DialogPage, TheScrollingBodySitsAboveOkAndCancelWhichCloseTheDialog)
{
    const auto screen = ui::ScreenGeometry::of(240, 320);
    for (const auto button : { QDialogButtonBox::Ok, QDialogButtonBox::Cancel }) {
        QDialog dialog;
        const ui::ScrollingPage page
            = ui::newScrollingPage(dialog, QStringLiteral("Fields"), screen);
        page.layout->addWidget(new QLabel(QStringLiteral("A field"), page.body));
        QDialogButtonBox* buttons = ui::finishScrollingPage(dialog, page);
        auto* scroll = dialog.findChild<QScrollArea*>(QStringLiteral("Fields"));
        ASSERT_NE(scroll, nullptr);
        EXPECT_EQ(scroll->widget(), page.body);
        EXPECT_EQ(scroll->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(page.outer->indexOf(scroll), 0);
        EXPECT_EQ(page.outer->indexOf(buttons), 1);
        const int margin = screen.scaled(ui::kPageMarginPx);
        EXPECT_EQ(page.outer->contentsMargins(), QMargins(margin, margin, margin, margin));

        dialog.open();
        buttons->button(button)->click();
        EXPECT_EQ(dialog.result(),
            button == QDialogButtonBox::Ok ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
    }
}

} // namespace
