#pragma once
// What the city pages share in laying themselves out on the device's screen: list boxes
// that ask no more room than their row gives them, forms whose labels go above their
// fields where the screen is too narrow for both side by side, and a face condensed for
// the lists whose entries would not fit otherwise.

#include "ui/screen_geometry.h"

#include <QStringList>
#include <initializer_list>

class QComboBox;
class QDialog;
class QFormLayout;
class QWidget;

namespace cities {

inline constexpr int kPageMarginPx = 4; // before scaling
inline constexpr int kPageSpacingPx = 3;

// A list box as wide as its row makes it rather than as its widest entry.
[[nodiscard]] QComboBox* newListBox(QWidget* parent, const QStringList& items = {});

// Lays out `forms` for a body `width` pixels wide: labels beside their fields where every
// form's labels and fields fit so, else above them. Every list box of the forms whose widest
// entry would not fit the room it gets turns to a condensed face.
void fitForms(
    std::initializer_list<QFormLayout*> forms, int width, const ui::ScreenGeometry& screen);

// A list box whose widest entry does not fit `width` pixels turns to a condensed face.
void fitListBox(QComboBox& list, int width);

// The dialog covers the device's work area, as the device's full-screen dialogs do.
void coverWorkArea(QDialog& dialog, const ui::ScreenGeometry& screen);

} // namespace cities
