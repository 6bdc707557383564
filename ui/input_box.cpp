#include "ui/input_box.h"

#include <QValidator>

namespace ui {

namespace {

// The line edit cuts text at the maximum length by units, which can split a character
// outside the Basic Multilingual Plane; this drops the orphaned half. Every change of the text
// (typing, pasting, setText) passes through here after the cut.
class WholeCharacters final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override
    {
        if (!input.isEmpty() && input.back().isHighSurrogate()) {
            input.chop(1);
            position = std::min(position, int(input.size()));
        }
        return Acceptable;
    }
};

} // namespace

InputBox::InputBox(int maxUnits, const QString& hint, QWidget* parent)
    : QLineEdit(parent)
{
    setObjectName(QStringLiteral("InputBox"));
    setValidator(new WholeCharacters(this));
    setMaxLength(maxUnits);
    setPlaceholderText(hint);
}

} // namespace ui
