#pragma once
// UTF-16 text of the suite's records and device paths as a QString. Header-only, with no
// more than QtCore behind it, so that the faces (which link Qt Gui, not the widgets) and
// every program share this one conversion.
//
// The text is taken as it is, in host order (the records are little-endian, as is every
// host we build for): no byte-order mark is looked for, and none is dropped.

#include <QString>

#include <string_view>

namespace ui {

[[nodiscard]] inline QString qText(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

} // namespace ui
