// The words the controls show come from the string table in the process's language, and the
// short forms chosen for narrow controls fit them.

#include "store/language.h"
#include "ui/file_chooser.h"
#include "ui/resources.h"
#include "ui/screen_geometry.h"
#include "ui/sound_chooser.h"
#include "ui/string_ids.h"

#include "tests/support/device_fixture.h"

#include <QComboBox>
#include <QFontMetrics>

namespace {

using WordsTest = testing_support::DeviceTest;

// Switches the process's language for one test and back to English after it.
class LanguageGuard {
public:
    explicit LanguageGuard(DWORD language) { store::setCurrentLanguage(language); }
    ~LanguageGuard() { store::setCurrentLanguage(store::kEnglish); }
    LanguageGuard(const LanguageGuard&) = delete;
    LanguageGuard& operator=(const LanguageGuard&) = delete;
};

QString lastEntry(const ui::SoundChooser& sounds)
{
    const auto* list = sounds.findChild<QComboBox*>(QStringLiteral("sounds"));
    return list ? list->itemText(list->count() - 1) : QString();
}

TEST_F(WordsTest, TheChoosersSpeakTheProcesssLanguage)
{
    struct Expected {
        DWORD language;
        const char* browse;
        const char* title;
    };
    const Expected expected[] = {
        { store::kEnglish, "Browse...", "Select Executable File" },
        { store::kGerman, "Durchsuchen...", "Programmdatei auswählen" },
        { store::kSpanish, "Examinar...", "Seleccionar archivo ejecutable" },
        { store::kFrench, "Parcourir...", "Sélectionner un fichier exécutable" },
        { store::kItalian, "Sfoglia...", "Seleziona file eseguibile" },
        { store::kRussian, "Обзор...", "Выбор исполняемого файла" },
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.language);
        const LanguageGuard language(e.language);
        const ui::SoundChooser sounds;
        EXPECT_EQ(lastEntry(sounds), QString::fromUtf8(e.browse));
        const ui::FileChooser chooser;
        EXPECT_EQ(chooser.windowTitle(), QString::fromUtf8(e.title));
        // A title the caller gives is kept as it is.
        const ui::FileChooser titled(nullptr, QStringLiteral("Pick"));
        EXPECT_EQ(titled.windowTitle(), QStringLiteral("Pick"));
    }
}

TEST(Words, EveryLanguagesAlarmSettingsButtonFitsItsRowOnThePortraitScreen)
{
    // The Alarms view's row button on a 240x320 screen: 60 pixels less one pixel of padding
    // on each side, in the panel's 12-pixel face at 11 pixels.
    constexpr int kAvailable = 58;
    QFont font = ui::suiteFont(ui::FontRole::Normal12, platform::ScreenLayout::of(240, 320));
    font.setPixelSize(11);
    const QFontMetrics metrics(font);
    int measured = 0;
    for (DWORD language = store::kEnglish; language <= store::kRussian; ++language) {
        if (!ui::hasText(ui::kSettingsButton, language))
            continue;
        const QString caption = ui::text(ui::kSettingsButton, language);
        EXPECT_LE(metrics.horizontalAdvance(caption), kAvailable) << caption.toStdString();
        ++measured;
    }
    EXPECT_EQ(measured, 5); // all but Spanish, which the main program does not have
}

} // namespace
