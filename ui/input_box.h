#pragma once
// A one-line text field for record fields of fixed size: at most a given number of UTF-16
// units (the record's characters without the terminating zero), and a hint shown while it is
// empty ("< Description >"). Text cut at the maximum never ends in half a surrogate pair:
// the cut falls before the whole character, so a record never holds a broken one.

#include <QLineEdit>
#include <string>

namespace ui {

class InputBox final : public QLineEdit {
    Q_OBJECT
public:
    // `maxUnits` counts UTF-16 units, as the record does.
    InputBox(int maxUnits, const QString& hint, QWidget* parent = nullptr);

    void setMaxUnits(int maxUnits) { setMaxLength(maxUnits); }
    [[nodiscard]] int maxUnits() const { return maxLength(); }
    void setHint(const QString& hint) { setPlaceholderText(hint); }
    [[nodiscard]] QString hint() const { return placeholderText(); }

    // The text as the records keep it.
    [[nodiscard]] std::u16string utf16Text() const { return text().toStdU16String(); }
};

} // namespace ui
