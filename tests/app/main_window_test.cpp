// The main window in this process, headless: taps, minimising.

#include "app/clock_views.h"
#include "app/clock_views.h"
#include "app/first_run.h"
#include "app/main_window.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/registry.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"
#include "tests/app/gui_helpers.h"
#include "tests/support/device_fixture.h"
#include "tests/support/shipped_look.h"
#include "ui/drop_list.h"
#include "ui/headless.h"

#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace {

class MainWindowTest : public testing_support::DeviceTest {
protected:
    MainWindowTest()
    {
        EXPECT_TRUE(testing_support::installShippedLook());
        (void)store::LoadSettings();
    }
};

} // namespace

TEST_F(MainWindowTest, StatusBarPartsOpenTheViewsOfTheirContents)
{
    // Defaults: Date, Sunrise, Internet Time.
    app::MainWindow window(app::StartRequest { });
    window.selectView(5);
    ui::tap(window.screen(), QPoint(120, 255));
    EXPECT_EQ(window.currentView(), 9);
    ui::tap(window.screen(), QPoint(200, 255));
    EXPECT_EQ(window.currentView(), 11);
    ui::tap(window.screen(), QPoint(20, 255));
    EXPECT_EQ(window.currentView(), 0);
    // None does not react.
    store::settings().statusField2 = 0;
    ui::tap(window.screen(), QPoint(120, 255));
    EXPECT_EQ(window.currentView(), 0);
    EXPECT_EQ(window.selectView(13), !window.views().pluginFaces.empty()); // view 13 is the first face
}

TEST_F(MainWindowTest, MinimisingEndsTheProgramAfterSavingItsView)
{
    app::MainWindow window(app::StartRequest { });
    window.show();
    window.selectView(8);
    window.setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    store::SettingsRecord saved { };
    ASSERT_TRUE(store::readTodaySettings(saved));
    EXPECT_EQ(saved.lastView, 8u);
}

TEST_F(MainWindowTest, TitleAreaOpensTheViewListAndAPickSwitches)
{
    app::MainWindow window(app::StartRequest { });
    window.show();
    EXPECT_EQ(window.viewManager()->items().size(), 13 + int(window.views().pluginFaces.size()));
    ui::tap(window.screen(), QPoint(40, 10));
    EXPECT_TRUE(window.viewManager()->listShown());
    emit window.viewManager()->selected(6);
    EXPECT_EQ(window.currentView(), 6);
    window.selectView(2);
    EXPECT_EQ(window.viewManager()->currentIndex(), 2);
}

namespace {

using app_testing::whenModalShows;

DWORD storedLanguageFile()
{
    const auto bytes = platform::readWholeFile(store::DataFilePath(u"lang.dat"), 64);
    if (!bytes || bytes->size() != 4)
        return 0xffffffff;
    DWORD value = 0;
    std::memcpy(&value, bytes->data(), 4);
    return value;
}

} // namespace

TEST_F(MainWindowTest, FirstStartAsksTheLanguageAndKeepsItEverywhere)
{
    testing_support::EnvironmentGuard all("LC_ALL", ""), messages("LC_MESSAGES", ""), locale("LANG", "fr_FR.UTF-8");
    // The host's language comes first; the user picks Italian.
    whenModalShows([](QDialog& dialog) {
        auto& step = dynamic_cast<app::LanguageStep&>(dialog);
        EXPECT_EQ(step.language(), store::kFrench);
        step.choose(store::kItalian);
        step.accept();
    });
    EXPECT_EQ(app::runFirstRunSetUp(nullptr), store::kItalian);
    EXPECT_EQ(platform::readRegistryDword(platform::RegistryRoot::CurrentUser, u"SOFTWARE\\Orvane\\Tickwell Pro", u"Lang"), 4u);
    EXPECT_EQ(storedLanguageFile(), store::kItalian);
    store::SettingsRecord saved { };
    ASSERT_TRUE(store::readTodaySettings(saved));
    EXPECT_EQ(saved.worldCity, (store::CityRef { 3, 62 }));
    EXPECT_EQ(saved.visitingCity, (store::CityRef { 4, 97 }));
    // Italian has no own home-screen page: the item is switched on for the user.
    EXPECT_EQ(platform::readRegistryDword(platform::RegistryRoot::LocalMachine,
                  u"Software\\Microsoft\\Today\\Items\\Tickwell Pro", u"Enabled"), 1u);
}

TEST_F(MainWindowTest, LanguagesWithTheirOwnHomeScreenPageLeaveTheItemAlone)
{
    testing_support::EnvironmentGuard all("LC_ALL", ""), messages("LC_MESSAGES", ""), locale("LANG", "C");
    whenModalShows([](QDialog& dialog) {
        auto& step = dynamic_cast<app::LanguageStep&>(dialog);
        EXPECT_EQ(step.language(), store::kEnglish);
        step.choose(store::kRussian);
        step.reject(); // dismissed: what it shows is taken
    });
    EXPECT_EQ(app::runFirstRunSetUp(nullptr), store::kRussian);
    EXPECT_EQ(storedLanguageFile(), store::kRussian);
    EXPECT_FALSE(platform::readRegistryDword(platform::RegistryRoot::LocalMachine,
        u"Software\\Microsoft\\Today\\Items\\Tickwell Pro", u"Enabled"));

    // The window follows: menus and view names in Russian.
    app::MainWindow window(app::StartRequest { });
    window.retranslate();
    EXPECT_EQ(window.viewManager()->items().value(1), QString::fromUtf8("Цифровые часы"));
    store::setCurrentLanguage(store::kEnglish);
}

TEST_F(MainWindowTest, FirstStartSetsTheLanguagesDateFormatAndTheDigitalClockUsesIt)
{
    testing_support::EnvironmentGuard all("LC_ALL", ""), messages("LC_MESSAGES", ""), locale("LANG", "C");
    const SYSTEMTIME day { 2026, 12, 2, 8, 10, 8, 0, 0 }; // Tuesday 8 December 2026
    const auto dateOnTheClock = [&](const store::SettingsRecord& record, const char* localeName) {
        const platform::LocaleInfo info = platform::localeInfo(localeName);
        return faces::DigitalClock::dateText(app::digitalClockInputs(day, record, info));
    };
    const auto firstStartIn = [](DWORD language) {
        whenModalShows([language](QDialog& dialog) {
            auto& step = dynamic_cast<app::LanguageStep&>(dialog);
            step.choose(language);
            step.accept();
        });
        EXPECT_EQ(app::runFirstRunSetUp(nullptr), language);
        store::SettingsRecord saved { };
        EXPECT_TRUE(store::readTodaySettings(saved));
        return saved;
    };

    // German: day first, kept in settings.dat.
    const store::SettingsRecord german = firstStartIn(store::kGerman);
    EXPECT_EQ(german.dateFormat, std::uint8_t(store::DateFormat::DayFirst));
    EXPECT_EQ(store::settings().dateFormat, german.dateFormat);
    EXPECT_EQ(dateOnTheClock(german, "de_DE"), QString::fromUtf8("08 Dezember 2026"));
    EXPECT_EQ(dateOnTheClock(german, "ru_RU"), QString::fromUtf8("08 декабря 2026"));

    // English on a device set up afresh: month first.
    ASSERT_TRUE(platform::deleteFile(store::DataFilePath(store::kSettingsFile)));
    (void)store::LoadSettings();
    const store::SettingsRecord english = firstStartIn(store::kEnglish);
    EXPECT_EQ(english.dateFormat, std::uint8_t(store::DateFormat::MonthFirst));
    EXPECT_EQ(dateOnTheClock(english, "en_US"), QStringLiteral("December 08, 2026"));

    // The third choice is the locale's own long date.
    store::SettingsRecord localeLong = english;
    localeLong.dateFormat = std::uint8_t(store::DateFormat::LocaleLong);
    const QString longDate = dateOnTheClock(localeLong, "de_DE");
    EXPECT_TRUE(longDate.contains(QStringLiteral("Dezember")) && longDate.contains(QStringLiteral("2026")))
        << longDate.toStdString();
    EXPECT_NE(longDate, dateOnTheClock(german, "de_DE"));
    store::setCurrentLanguage(store::kEnglish);
}

TEST_F(MainWindowTest, ViewsAreActivatedLeftAndRefreshedInTurn)
{
    // A face file that disappears after start keeps the previous view.
    const auto plugins = *platform::hostPathOf(std::u16string(store::kDefaultInstallFolder) + u"plugins");
    std::filesystem::remove_all(plugins);
    std::filesystem::create_directories(plugins);
    std::filesystem::copy_file(std::filesystem::path(TKW_SHIPPED_ART_DIR) / "plugins" / "Dezod.qpg", plugins / "Dezod.qpg");
    app::MainWindow window(app::StartRequest { });
    ASSERT_EQ(window.views().pluginFaces.size(), 1u);
    EXPECT_TRUE(window.selectView(13));
    EXPECT_EQ(window.currentView(), 13);
    window.selectView(4);
    std::filesystem::remove(plugins / "Dezod.qpg");
    EXPECT_FALSE(window.selectView(13));
    EXPECT_EQ(window.currentView(), 4);
    EXPECT_EQ(window.viewManager()->currentIndex(), 4);

    // The sub-selection of Alarms, Timers, City Time and Time Calc survives a run that
    // does not touch it; other views store 0.
    window.viewObject(4).setSubSelection(3);
    window.shutDown();
    store::SettingsRecord saved { };
    ASSERT_TRUE(store::readTodaySettings(saved));
    EXPECT_EQ(saved.lastView, 4u);
    EXPECT_EQ(saved.lastViewItem, 3u);
}

TEST_F(MainWindowTest, TurningTheScreenLaysTheViewsOutAgain)
{
    app::MainWindow window(app::StartRequest { });
    window.show();
    window.selectView(3);
    EXPECT_EQ(window.screen()->size(), QSize(240, 268));
    app_testing::setScreen(320, 240);
    for (int i = 0; i < 50 && window.screen()->size() != QSize(320, 188); ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
    EXPECT_EQ(window.screen()->size(), QSize(320, 188));
    EXPECT_EQ(window.currentView(), 3);
}

namespace {

// Records the message boxes that show from now on and answers each. (A box can also end at
// once: after a window of an earlier test ended the program's loop, exec() returns at once.)
class MessageWatch final : public QObject {
public:
    MessageWatch() { qApp->installEventFilter(this); }
    ~MessageWatch() override { qApp->removeEventFilter(this); }
    QStringList texts;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(object)) {
                texts.append(box->text());
                QTimer::singleShot(0, box, [box] { box->accept(); });
            }
        }
        return false;
    }
};

// Two clock faces: "Broken" (13), a file cut short that does not load, and "Dezod" (14).
class FaceViewTest : public MainWindowTest {
protected:
    FaceViewTest()
    {
        std::filesystem::remove_all(m_plugins);
        std::filesystem::create_directories(m_plugins);
        const auto good = std::filesystem::path(TKW_SHIPPED_ART_DIR) / "plugins" / "Dezod.qpg";
        std::filesystem::copy_file(good, m_plugins / "Dezod.qpg");
        std::ifstream in(good, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream(m_plugins / "Broken.qpg", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    }

    static app::FaceView& faceOf(const app::MainWindow& window)
    {
        return dynamic_cast<app::FaceView&>(window.viewObject(kBroken));
    }

    static void settle()
    {
        for (int i = 0; i < 10; ++i) {
            QApplication::processEvents();
            QThread::msleep(10);
        }
    }

    static constexpr int kBroken = 13;
    static constexpr int kDezod = 14;
    const std::filesystem::path m_plugins
        = *platform::hostPathOf(std::u16string(store::kDefaultInstallFolder) + u"plugins");
};

} // namespace

TEST_F(FaceViewTest, AFaceThatDidNotLoadIsToldAndLeftByATapAnywhere)
{
    app::MainWindow window(app::StartRequest { });
    ASSERT_EQ(window.views().pluginFaces.size(), 2u);
    window.selectView(4);
    MessageWatch messages;
    EXPECT_TRUE(window.selectView(kBroken));
    EXPECT_EQ(messages.texts, QStringList { QStringLiteral("Plugin loading error!") });
    EXPECT_EQ(window.currentView(), kBroken);
    EXPECT_FALSE(faceOf(window).loaded());
    // The empty screen says how to leave it; any point leaves.
    QImage shown(window.screen()->size(), QImage::Format_RGB32);
    window.screen()->render(&shown);
    EXPECT_NE(shown.pixel(shown.rect().center()), QColor(Qt::black).rgb());
    ui::tap(window.screen(), QPoint(30, 290));
    EXPECT_EQ(window.currentView(), 4);
    EXPECT_FALSE(window.viewManager()->isHidden()); // the title area is back

    // A face that loaded is left only by its close area.
    EXPECT_TRUE(window.selectView(kDezod));
    ASSERT_TRUE(faceOf(window).loaded());
    const QRect close = faceOf(window).closeArea();
    ASSERT_FALSE(close.isEmpty());
    ui::tap(window.screen(), QPoint(30, 290));
    EXPECT_EQ(window.currentView(), kDezod);
    ui::tap(window.screen(), close.center());
    EXPECT_EQ(window.currentView(), 4);
}

TEST_F(FaceViewTest, AStartNeverRestoresAFaceThatNoLongerLoads)
{
    auto& settings = store::settings();
    settings.startView = 0; // the last view
    settings.lastView = kBroken;
    MessageWatch messages;
    {
        app::MainWindow window(app::StartRequest { });
        settle();
        EXPECT_EQ(window.currentView(), 0);
        EXPECT_EQ(window.viewManager()->currentIndex(), 0);
        EXPECT_TRUE(messages.texts.isEmpty()); // not a word at every start
    }
    // A face that loads is restored as before.
    settings.lastView = kDezod;
    {
        app::MainWindow window(app::StartRequest { });
        EXPECT_EQ(window.currentView(), kDezod);
        EXPECT_TRUE(faceOf(window).loaded());
    }
    // A face the command line asks for is shown and told about, as a pick from the menu is.
    {
        app::StartRequest request;
        request.view = kBroken;
        app::MainWindow window(request);
        settle();
        EXPECT_EQ(window.currentView(), kBroken);
        EXPECT_EQ(messages.texts, QStringList { QStringLiteral("Plugin loading error!") });
        ui::tap(window.screen(), QPoint(120, 160));
        EXPECT_EQ(window.currentView(), 0);
    }
}

TEST_F(FaceViewTest, EscapeLeavesAFaceView)
{
    app::MainWindow window(app::StartRequest { });
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.selectView(2);
    ASSERT_TRUE(window.selectView(kDezod));
    QTest::keyClick(window.screen(), Qt::Key_Escape);
    EXPECT_EQ(window.currentView(), 2);
    // A built-in view stays where it is.
    QTest::keyClick(window.screen(), Qt::Key_Escape);
    EXPECT_EQ(window.currentView(), 2);
}

TEST_F(FaceViewTest, TheCloseAreaIsHintedForTheFirstSecondsOfAFace)
{
    app::MainWindow window(app::StartRequest { });
    ASSERT_TRUE(window.selectView(kDezod));
    auto& face = faceOf(window);
    const QRect close = face.closeArea();
    const auto geometry = ui::ScreenGeometry::current();
    const app::ViewContext context { geometry, QRect(0, 0, geometry.width, geometry.height) };
    const auto draw = [&](bool perSecond) {
        QImage image(geometry.width, geometry.height, QImage::Format_RGB32);
        QPainter painter(&image);
        if (perSecond)
            face.perSecond(painter, context);
        else
            face.paint(painter, context);
        return image;
    };
    EXPECT_TRUE(face.showsCloseHint());
    const QImage hinted = draw(false);
    for (int second = 0; second < 3; ++second)
        (void)draw(true);
    EXPECT_FALSE(face.showsCloseHint());
    const QImage plain = draw(false);
    int changed = 0;
    for (int y = close.top(); y <= close.bottom(); ++y) {
        for (int x = close.left(); x <= close.right(); ++x)
            changed += hinted.pixel(x, y) != plain.pixel(x, y);
    }
    EXPECT_GT(changed, close.width() * close.height() / 4);

    // Each time a face is entered again, the hint comes back.
    window.selectView(0);
    window.selectView(kDezod);
    EXPECT_TRUE(face.showsCloseHint());
}

TEST_F(FaceViewTest, AFaceWithoutACloseAreaIsLeftByItsTopRightCorner)
{
    std::ifstream in(m_plugins / "Dezod.qpg", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fill_n(bytes.begin() + 16, 16, '\0'); // header words 4-7: the close rectangle
    std::ofstream(m_plugins / "NoClose.qpg", std::ios::binary) << bytes;
    app::MainWindow window(app::StartRequest { });
    window.selectView(5);
    ASSERT_TRUE(window.selectView(15));
    ASSERT_TRUE(faceOf(window).loaded());
    EXPECT_EQ(faceOf(window).closeArea(), QRect(200, 0, 40, 40));
    ui::tap(window.screen(), QPoint(30, 290));
    EXPECT_EQ(window.currentView(), 15);
    ui::tap(window.screen(), QPoint(230, 10));
    EXPECT_EQ(window.currentView(), 5);
}
