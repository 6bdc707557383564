#pragma once
// What the main program does before its first real run: the language step of the first
// start, and the critical-error message that ends a start whose shipped data is unusable.

#include "platform/types.h"

#include <QDialog>
#include <optional>

class QLabel;
class QListWidget;

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

} // namespace app
