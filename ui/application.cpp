#include "ui/application.h"

#include "ui/activity.h"
#include "ui/screen_geometry.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

namespace ui {

namespace {

const char* qtLanguageCode(unsigned language)
{
    static constexpr const char* kCodes[] = { "en", "de", "es", "fr", "it", "ru" };
    return language < 6 ? kCodes[language] : "en";
}

} // namespace

void applyDesktopZoom()
{
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR") || qEnvironmentVariable("QT_QPA_PLATFORM") == QStringLiteral("offscreen"))
        return;
    // Integer zoom keeps the device pixels' text crisp.
    qputenv("QT_SCALE_FACTOR", QByteArray::number(desktopZoom(ScreenGeometry::current())));
}

void prepareApplication(QApplication& application, unsigned language)
{
    static QTranslator* translator = nullptr;
    if (translator) {
        QApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    if (language != 0) {
        auto* loaded = new QTranslator(&application);
        if (loaded->load(QStringLiteral("qtbase_") + QString::fromLatin1(qtLanguageCode(language)),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QApplication::installTranslator(loaded);
            translator = loaded;
        } else {
            delete loaded; // Without Qt's translations the standard buttons stay English.
        }
    }
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), { QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans") });
    static bool reporting = false;
    if (!reporting) {
        new ActivityReporter(&application);
        reporting = true;
    }
}

} // namespace ui
