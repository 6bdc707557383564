#pragma once
// What the main program does before its first real run: the language step of the first
// start, and the critical-error message that ends a start whose shipped data is unusable.

#include "platform/types.h"

#include <QDialog>
#include <optional>

class QLabel;
class QListWidget;

namespace cities {
class CityDatabase;
}

namespace app {

// Why the shared initialisation cannot go on: the city database or the resource pack is
// unusable.
enum class CriticalError : int { None = 0, CityDatabase = 1, ResourcePack = 2 };

// "Critical error. One of the application components may be corrupted. ...", modal.
void showCriticalError(QWidget* parent);

// The About box: the product's name, version and build date.
void showAbout(QWidget* parent);

// The language step: the suite's languages, each in its own name, the host's chosen first.
// The prompt follows the choice so that every user can read it.
class LanguageStep final : public QDialog {
    Q_OBJECT
public:
    explicit LanguageStep(QWidget* parent, DWORD preselected);
    [[nodiscard]] DWORD language() const;
    void choose(DWORD language);

private:
    QLabel* m_prompt = nullptr;
    QListWidget* m_list = nullptr;
};

// Stores the language chosen at the first start: "Lang" in the registry and lang.dat, the
// cities and the Digital Clock's date format that depend on it, and, for French and
// Italian, the home-screen item switched on (the home screen is told to reload its items).
// Does not write settings.dat.
void applyFirstRunLanguage(DWORD language);

// The first-run set-up: the language step (the host's language when it is dismissed), then
// settings.dat written. Returns the language chosen.
DWORD runFirstRunSetUp(QWidget* parent);

// The first start's home location, after the language step: the language's Home, Visiting
// and world-time cities go into the database, then the Home Location dialog asks in its
// first-start form. Its city becomes Home, world-time city and the device's zone (dismissed,
// the city it shows is taken). settings.dat is written.
void runFirstStartHomeLocation(QWidget* parent, cities::CityDatabase& database);

// A later start's check: when the device's zone is no longer the home location's, the Home
// Location dialog asks in its second form; settings.dat is written after an answer. Returns
// whether it asked.
bool runHomeLocationCheck(QWidget* parent, cities::CityDatabase& database);

} // namespace app
