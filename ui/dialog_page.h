#pragma once
// What the suite's full-screen dialogs share in laying themselves out on the device's
// screen: the page's margins and spacing, a body that scrolls above OK and Cancel, list
// boxes that ask no more room than their row gives them, forms whose labels go above their
// fields where the screen is too narrow for both side by side, and a face condensed for the
// lists whose entries would not fit otherwise.

#include "ui/screen_geometry.h"

#include <QStringList>
#include <initializer_list>

class QComboBox;
class QDialog;
class QDialogButtonBox;
class QFormLayout;
class QLayoutItem;
class QScrollArea;
class QVBoxLayout;
class QWidget;

namespace ui {

inline constexpr int kPageMarginPx = 4; // before scaling
inline constexpr int kPageSpacingPx = 3;
inline constexpr int kLeastListChars = 3;

// The page's own layout: the page margins round it and `spacingPx` (before scaling) between
// its parts.
QVBoxLayout* newPageLayout(
    QWidget& page, const ScreenGeometry& screen, int spacingPx = kPageSpacingPx);

// A dialog's body that scrolls where the screen is too short for it, never sideways, above
// the dialog's OK and Cancel. Fill `layout`, then finishScrollingPage.
struct ScrollingPage {
    QVBoxLayout* outer = nullptr; // the dialog's layout
    QScrollArea* scroll = nullptr;
    QWidget* body = nullptr;
    QVBoxLayout* layout = nullptr; // the body's layout
};
[[nodiscard]] ScrollingPage newScrollingPage(
    QDialog& dialog, const QString& scrollName, const ScreenGeometry& screen);
// Ends the body with a stretch, puts it in its scroll area and OK and Cancel under it, which
// accept and reject the dialog.
QDialogButtonBox* finishScrollingPage(QDialog& dialog, const ScrollingPage& page);
// The width a scrolling page's body has: the work area less the margins and a scroll bar.
[[nodiscard]] int scrollingBodyWidth(const QWidget& dialog, const ScreenGeometry& screen);

// A list box as wide as its row makes it rather than as its widest entry. (Made so before
// anything asks the box for its least size: it keeps the first answer.)
[[nodiscard]] QComboBox* newListBox(
    QWidget* parent, const QStringList& items = {}, int leastChars = kLeastListChars);

// A list box whose widest entry does not fit `width` pixels turns to a condensed face.
void fitListBox(QComboBox& list, int width);

// How wide a form's field would like to be: a list box as its widest entry, a row as its
// parts side by side.
[[nodiscard]] int naturalWidth(QLayoutItem& item);

// Gives `forms` the page spacing and puts their labels beside their fields where every
// form's labels and fields fit so in `width` pixels, else above them. Answers the width the
// fields get.
struct FormsFit {
    bool stacked = false;
    int fieldWidth = 0;
};
FormsFit wrapForms(
    std::initializer_list<QFormLayout*> forms, int width, const ScreenGeometry& screen);

// Lays out `forms` for a body `width` pixels wide (wrapForms), and every list box of the
// forms whose widest entry would not fit the room it gets turns to a condensed face.
void fitForms(std::initializer_list<QFormLayout*> forms, int width, const ScreenGeometry& screen);

// The dialog covers the device's work area, as the device's full-screen dialogs do.
void coverWorkArea(QDialog& dialog, const ScreenGeometry& screen);

} // namespace ui
