// ui_gallery: renders the suite's shared dialogs and controls in a language and saves each
// as a PNG, for reviewing the look and the translations without clicking through programs.
//
//   ui_gallery OUTPUT-FOLDER [LANGUAGE...]      languages as indexes (default: 0 1)

#include "store/language.h"
#include "ui/application.h"
#include "ui/bubble.h"
#include "ui/dialogs.h"
#include "ui/headless.h"
#include "ui/resources.h"
#include "ui/string_ids.h"
#include "ui/time_dialog.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

bool save(QWidget* widget, const QString& folder, const QString& name, unsigned language)
{
    widget->show();
    QApplication::processEvents();
    const QString file = QStringLiteral("%1/%2_%3.png").arg(folder, name, QString::number(language));
    const bool saved = ui::saveScreenshot(widget, file);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(file));
    widget->hide();
    return saved;
}

QWidget* visibleTopLevel(const QString& objectName)
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == objectName && top->isVisible())
            return top;
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: ui_gallery OUTPUT-FOLDER [LANGUAGE...]\n");
        return 2;
    }
    const QString folder = arguments.at(1);
    QDir().mkpath(folder);
    QList<unsigned> languages;
    for (int i = 2; i < arguments.size(); ++i)
        languages.append(arguments.at(i).toUInt());
    if (languages.isEmpty())
        languages = { store::kEnglish, store::kGerman };

    bool allSaved = true;
    for (const unsigned language : languages) {
        store::setCurrentLanguage(language);
        ui::prepareApplication(application, language);
        // English shows the 12-hour form, the others the 24-hour one.
        ui::TimeDialog time(nullptr, ui::text(ui::kAlarmTimeString), 13, 5, language != store::kEnglish);
        allSaved &= save(&time, folder, QStringLiteral("time_dialog"), language);

        QMessageBox box(QMessageBox::Warning, ui::text(ui::kInvalidPathCaption), ui::text(ui::kInvalidPathText), QMessageBox::Ok);
        allSaved &= save(&box, folder, QStringLiteral("message_box"), language);

        ui::BubbleSpec bubble;
        bubble.owner = QUuid(QStringLiteral("{33775136-8CB9-459A-B021-55ED500AB9FC}"));
        bubble.id = 1;
        bubble.title = ui::text(ui::kProductNameString) + QStringLiteral(" Reminder");
        bubble.html = QStringLiteral("<b>%1 03</b> <a href=\"cmd:202\">%2</a><br><br><b>07:00</b>")
                          .arg(ui::list(ui::kViewNamesList).value(3), ui::text(ui::kGoToString));
        bubble.keys[0] = { ui::text(ui::kDismissString), 200 };
        bubble.keys[1] = { ui::text(ui::kSnoozeString), 201 };
        ui::addBubble(bubble);
        if (QWidget* window = visibleTopLevel(QStringLiteral("NotificationBubble")))
            allSaved &= save(window, folder, QStringLiteral("bubble"), language);
        ui::removeBubble(bubble.owner, bubble.id);
    }
    return allSaved ? 0 : 1;
}
