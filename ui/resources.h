#pragma once
// The suite's localised strings: one table compiled into the programs, looked up by the
// English identifier plus the language index (0 English, 1 German, 2 Spanish, 3 French,
// 4 Italian, 5 Russian). List strings hold their entries separated by "\" and end with "\."
// or "\"; an entry's position is the value stored for it.

#include <QString>
#include <QStringList>

namespace ui {

inline constexpr unsigned kProductNameString = 1; // "Tickwell Pro"

// The string in the process's language (store::currentLanguage()). A missing string shows
// as its identifier in brackets, and is logged once.
[[nodiscard]] QString text(unsigned englishId);
// The string of the resource identifier `englishId + language`.
[[nodiscard]] QString text(unsigned englishId, unsigned language);
// A list string's entries, without the end marker.
[[nodiscard]] QStringList list(unsigned englishId);
[[nodiscard]] QStringList list(unsigned englishId, unsigned language);

// Splits a list string: "once\twice\." -> {"once", "twice"}.
[[nodiscard]] QStringList splitList(const QString& listString);

// Whether the table has the string (for tests and tools).
[[nodiscard]] bool hasText(unsigned englishId, unsigned language);

} // namespace ui
