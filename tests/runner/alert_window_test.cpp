// The alert window in this process, headless: its bubble, its commands, the snooze, the
// phone state and the other actions. The sound goes to SDL's disk driver.

#include "platform/files.h"
#include "platform/registry.h"
#include "runner/alert_window.h"
#include "store/signals.h"
#include "tests/runner/runner_fixture.h"
#include "tests/support/sound_capture.h"
#include "ui/qt_text.h"
#include "ui/resources.h"
#include "ui/string_ids.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

using namespace runner;
using namespace runner_tests;

extern std::string g_captureFile;

namespace {

constexpr std::u16string_view kMainProgram = u"\\Program Files\\Tickwell Pro\\Tickwell Pro.exe";

class AlertWindows : public testing_support::DeviceTest {
protected:
    AlertWindows()
        : m_probeLog(m_device.root() / "probe.log")
    {
        prepareDevice();
        ::setenv("TKW_PROBE_LOG", m_probeLog.c_str(), 1);
        std::filesystem::create_directories(m_device.root() / "Windows");
        std::filesystem::create_directories(m_device.root() / "Program Files" / "Tickwell Pro");
        std::filesystem::create_symlink(TKW_WAKEUP_PROBE, m_device.root() / "Windows" / "probe.exe");
        std::filesystem::create_symlink(
            TKW_WAKEUP_PROBE, m_device.root() / "Program Files" / "Tickwell Pro" / "Tickwell Pro.exe");
        testing_support::writeTone(m_device.root() / "Windows" / "Long.wav", 3.0, 660, 0.5);
    }

    ~AlertWindows() override { ::unsetenv("TKW_PROBE_LOG"); }

    // Alarm 3 as it falls due, alerting with `action`, silent unless a sound is given.
    static AlertSetup alarmSetup(Action action = Action::Notification, std::u16string sound = { })
    {
        AlertSetup setup;
        setup.item.kind = ItemKind::Alarm;
        setup.item.number = 3;
        setup.item.argument = u"a03";
        setup.item.note = u"Gym";
        setup.item.itemTime = fileTimeOf(ticksAt(at(2026, 3, 10, 7, 0)));
        setup.item.alert.action = action;
        setup.item.alert.soundOn = !sound.empty();
        setup.item.alert.soundPath = sound.empty() ? std::u16string(kNoSound) : sound;
        setup.settings.read = true;
        setup.settings.alarmVolume = 2;
        setup.mainProgramPath = kMainProgram;
        setup.ownPath = store::kRunnerPath;
        return setup;
    }

    static bool pumpUntil(const std::function<bool()>& condition, int timeoutMs)
    {
        QElapsedTimer waited;
        waited.start();
        while (!condition()) {
            if (waited.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    static void dismiss(AlertWindow& window)
    {
        SendMessageW(window.handle(), WM_COMMAND, kDismissCommand, 0);
        EXPECT_TRUE(pumpUntil([&] { return window.destroyed(); }, 3000));
    }

    std::vector<std::string> probeStarts() const
    {
        std::vector<std::string> lines;
        std::ifstream in(m_probeLog);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.substr(0, line.find('|')));
        return lines;
    }

    std::filesystem::path m_probeLog;
};

// The sounds in the capture from byte `from` on, as [start, end) in seconds of output, one
// per stretch above the noise floor (stretches less than 0.2 s apart are one sound).
std::vector<std::pair<double, double>> soundsSince(std::uintmax_t from)
{
    constexpr double kRate = 48000;
    std::this_thread::sleep_for(std::chrono::milliseconds(150)); // the driver writes a buffer behind
    std::ifstream in(g_captureFile, std::ios::binary);
    in.seekg(std::streamoff(from));
    std::vector<std::pair<double, double>> sounds;
    float pair[2];
    for (std::int64_t frame = 0; in.read(reinterpret_cast<char*>(pair), sizeof pair); ++frame) {
        if (std::fabs(pair[0]) <= 0.01f)
            continue;
        const double at = double(frame) / kRate;
        if (sounds.empty() || at - sounds.back().second > 0.2)
            sounds.emplace_back(at, at);
        sounds.back().second = at;
    }
    return sounds;
}

} // namespace

TEST_F(AlertWindows, TheBubbleCarriesTheReminderAndDismissEndsTheRunWithTheVolumeBack)
{
    AlertWindow window(alarmSetup());
    ASSERT_NE(window.handle(), nullptr);
    EXPECT_EQ(FindWindowW(u"EventsClassa03", u" Reminder"), window.handle());
    window.start();

    const ui::BubbleSpec& bubble = window.bubble();
    EXPECT_EQ(bubble.owner, bubbleOwner());
    EXPECT_EQ(bubble.id, platform::windowIdOf(window.handle()));
    EXPECT_EQ(bubble.sink, window.handle());
    EXPECT_EQ(bubble.priority, ui::kBubbleShown);
    EXPECT_EQ(bubble.durationSeconds, 600);
    EXPECT_EQ(bubble.flags, 29u);
    EXPECT_EQ(bubble.title, QStringLiteral("Tickwell Pro Reminder"));
    EXPECT_TRUE(bubble.html.contains(QStringLiteral("Tickwell Pro <b>Alarm 3  </b>")));
    EXPECT_TRUE(bubble.html.contains(QStringLiteral("<b>Note:</b> Gym")));
    EXPECT_EQ(bubble.keys[0].title, QStringLiteral("Dismiss"));
    EXPECT_EQ(bubble.keys[0].command, kDismissCommand);
    EXPECT_EQ(bubble.keys[1].title, QStringLiteral("Snooze"));
    EXPECT_EQ(bubble.keys[1].command, kSnoozeCommand);
    const AlertState state = decodeAlertState(SendMessageW(window.handle(), kAlertStateQuery, 0, 0));
    EXPECT_TRUE(state.bubbleOpen);
    EXPECT_TRUE(state.volumeRaised);
    EXPECT_EQ(state.alertsShown, 1);
    EXPECT_EQ(registryVolume(), 0xffffffffu); // High
    EXPECT_TRUE(signalIsSet(store::kSoundVolumeTaken));

    dismiss(window);
    EXPECT_FALSE(ui::bubbleOpen(bubbleOwner(), bubble.id));
    EXPECT_EQ(FindWindowW(u"EventsClassa03", u" Reminder"), nullptr);
    EXPECT_EQ(registryVolume(), kUserVolume);
    EXPECT_FALSE(signalIsSet(store::kSoundVolumeTaken));
}

TEST_F(AlertWindows, SnoozingTwiceRegistersOneWakeUpAndTheSnoozeSignalBringsTheAlertBack)
{
    AlertWindow window(alarmSetup());
    window.start();
    const std::uint64_t now = localNowTicks();
    SendMessageW(window.handle(), WM_COMMAND, kSnoozeCommand, 0);
    SendMessageW(window.handle(), WM_COMMAND, kSnoozeCommand, 0);
    const auto snoozes = wakeUpsWithArguments(u"sn");
    ASSERT_EQ(snoozes.size(), 1u);
    EXPECT_EQ(snoozes[0].application, store::kRunnerPath);
    EXPECT_NEAR(double(snoozes[0].startLocalTicks), double(now + 300 * kSecond), double(2 * kSecond));
    EXPECT_EQ(snoozes[0].endLocalTicks, 0u);
    EXPECT_TRUE(window.state().snoozePending);
    EXPECT_FALSE(window.state().bubbleOpen);
    EXPECT_TRUE(registryVolume() == 0xffffffffu); // the override stays while snoozing

    // The "sn" runner's signal: the next tick shows the alert again.
    store::signalByName(store::kSnoozeActive);
    ASSERT_TRUE(pumpUntil([&] { return window.state().alertsShown == 2; }, 3000));
    EXPECT_TRUE(window.state().bubbleOpen);
    EXPECT_FALSE(window.state().snoozePending);
    EXPECT_FALSE(signalIsSet(store::kSnoozeActive));
    EXPECT_TRUE(wakeUpsWithArguments(u"sn").empty());

    // Snoozed again and then dismissed: no wake-up is left behind for an alert that is over.
    SendMessageW(window.handle(), WM_COMMAND, kSnoozeCommand, 0);
    ASSERT_EQ(wakeUpsWithArguments(u"sn").size(), 1u);
    dismiss(window);
    EXPECT_TRUE(wakeUpsWithArguments(u"sn").empty());
}

TEST_F(AlertWindows, AnIncomingCallSilencesTheSoundAndFoldsTheBubbleButDoesNotDismiss)
{
    ASSERT_TRUE(platform::writeRegistryDword(platform::RegistryRoot::LocalMachine, kPhoneStateKey, kPhoneStatusValue, 0));
    AlertWindow window(alarmSetup(Action::Notification, u"\\Windows\\Long.wav"));
    // The call comes in 0.4 s into the 3-second sound.
    QElapsedTimer sinceSound;
    QTimer call;
    call.setInterval(50);
    QObject::connect(&call, &QTimer::timeout, [&] {
        if (!window.state().soundPlaying)
            return;
        if (!sinceSound.isValid())
            sinceSound.start();
        else if (sinceSound.elapsed() >= 400) {
            call.stop();
            (void)platform::writeRegistryDword(
                platform::RegistryRoot::LocalMachine, kPhoneStateKey, kPhoneStatusValue, 0x20000 | 0x1);
        }
    });
    call.start();
    const auto before = testing_support::capturedBytes(g_captureFile);
    window.start(); // returns when the sound loop has ended
    ASSERT_TRUE(sinceSound.isValid());
    EXPECT_LT(sinceSound.elapsed(), 2000); // cut short, and no pause sat through after it
    const auto heard = testing_support::heardSince(g_captureFile, before);
    EXPECT_GT(heard.seconds, 0.2);
    EXPECT_LT(heard.seconds, 2.0);

    const AlertState state = window.state();
    EXPECT_FALSE(window.destroyed());
    EXPECT_TRUE(state.bubbleIconic);
    EXPECT_FALSE(state.bubbleOpen);
    EXPECT_FALSE(state.soundPlaying);
    EXPECT_EQ(state.playsStarted, 1);
    dismiss(window);
}

TEST_F(AlertWindows, TheFlashLightIsRegisteredForTheAlertAndSwitchedOffByDismiss)
{
    AlertSetup setup = alarmSetup();
    setup.settings.flashLight = true;
    AlertWindow window(std::move(setup));
    window.start();
    const auto all = wakeUps();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].application, u"\\\\.\\Notifications\\NamedEvents\\TkReminder_LED_On");
    EXPECT_EQ(all[0].actionFlags, PUN_LED);
    EXPECT_TRUE(all[0].ledSet);
    EXPECT_TRUE(platform::notificationLedRequested());
    dismiss(window);
    EXPECT_FALSE(platform::notificationLedRequested());
}

TEST_F(AlertWindows, ThePluginViewStartsTheMainProgramAndGoToOpensItThereAndDismisses)
{
    AlertWindow window(alarmSetup(Action::PluginView));
    window.start();
    EXPECT_EQ(window.bubble().durationSeconds, 1);
    EXPECT_EQ(window.bubble().flags, 39u);
    EXPECT_TRUE(window.bubble().html.isEmpty());
    EXPECT_TRUE(window.bubble().keys[0].title.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return probeStarts().size() == 1; }, std::chrono::seconds(5)));
    EXPECT_EQ(probeStarts()[0], "na03");

    SendMessageW(window.handle(), WM_COMMAND, kOpenInMainProgramCommand, 0);
    EXPECT_TRUE(pumpUntil([&] { return window.destroyed(); }, 3000));
    ASSERT_TRUE(waitUntil([&] { return probeStarts().size() == 2; }, std::chrono::seconds(5)));
    EXPECT_EQ(probeStarts()[1], "a03");
}

TEST_F(AlertWindows, APluginViewWithNoMainProgramToStartAlertsInTheRunnersOwnBubbleAtOnce)
{
    AlertSetup setup = alarmSetup(Action::PluginView);
    setup.mainProgramPath.clear(); // the installation folder is unknown
    AlertWindow window(std::move(setup));
    window.start();
    EXPECT_EQ(window.bubble().durationSeconds, 600);
    EXPECT_TRUE(window.bubble().html.contains(QStringLiteral("Tickwell Pro <b>Alarm 3  </b>")));
    const AlertState state = window.state();
    EXPECT_TRUE(state.bubbleOpen);
    EXPECT_TRUE(state.bubbleHasSoftKeys);
    EXPECT_TRUE(probeStarts().empty());

    // Snooze and Dismiss work as for the notification bubble.
    SendMessageW(window.handle(), WM_COMMAND, kSnoozeCommand, 0);
    EXPECT_TRUE(window.state().snoozePending);
    EXPECT_EQ(wakeUpsWithArguments(u"sn").size(), 1u);
    store::signalByName(store::kSnoozeActive);
    ASSERT_TRUE(pumpUntil([&] { return window.state().alertsShown == 2; }, 3000));
    EXPECT_TRUE(window.state().bubbleHasSoftKeys);
    EXPECT_TRUE(probeStarts().empty());
    dismiss(window);
    EXPECT_EQ(registryVolume(), kUserVolume);
}

TEST_F(AlertWindows, AProgramActionRunsTheProgramAndTheRunEndsWithIt)
{
    AlertSetup setup = alarmSetup(Action::ExecuteProgram);
    setup.item.alert.programPath = u"\\Windows\\probe.exe";
    setup.item.alert.programArgs = u"--report";
    AlertWindow window(std::move(setup));
    window.start();
    EXPECT_TRUE(window.destroyed());
    EXPECT_EQ(probeStarts(), std::vector<std::string> { "--report" });
    EXPECT_EQ(registryVolume(), kUserVolume); // nothing sounds, nothing is raised
    EXPECT_FALSE(window.state().bubbleOpen);
}

TEST_F(AlertWindows, EachPlayIsFollowedByItsPauseInFull)
{
    testing_support::writeTone(m_device.root() / "Windows" / "Short.wav", 0.3, 660, 0.5);
    AlertSetup setup = alarmSetup(Action::Notification, u"\\Windows\\Short.wav");
    setup.item.alert.playsPerAlert = 2;
    setup.item.alert.pauseSeconds = 1;
    const auto before = testing_support::capturedBytes(g_captureFile);
    AlertWindow window(std::move(setup));
    QElapsedTimer took;
    took.start();
    window.start(); // returns when the sound loop has ended
    EXPECT_GE(took.elapsed(), 2000); // two plays, each with its pause after it

    const auto sounds = soundsSince(before);
    ASSERT_EQ(sounds.size(), 2u);
    // The pause, and the player's short settling after a play; the output counts a little
    // less time than passes when its thread runs late.
    const double gap = sounds[1].first - sounds[0].second;
    EXPECT_GT(gap, 0.85);
    EXPECT_LT(gap, 1.6);
    const AlertState state = window.state();
    EXPECT_EQ(state.playsStarted, 2);
    EXPECT_FALSE(state.soundPlaying);
    dismiss(window);
}

// The runner carries its own words (it has Spanish, which the table lacks), but where the
// main program's table has a language, the bubble must say what the reminder screen says.
TEST(RunnerWords, TheBubbleUsesTheTablesWordsInEveryLanguageTheTableHas)
{
    int compared = 0;
    for (DWORD language = 0; language < 6; ++language) {
        if (!ui::hasText(ui::kDismissString, language))
            continue;
        SCOPED_TRACE(language);
        ++compared;
        EXPECT_EQ(ui::qText(softKeyTitle(SoftKey::Dismiss, language)),
            ui::text(ui::kDismissString, language));
        EXPECT_EQ(ui::qText(softKeyTitle(SoftKey::Snooze, language)),
            ui::text(ui::kSnoozeString, language));

        const QString event = ui::qText(reminderHtml(ItemKind::Event, 0, language, u"", u"", u""));
        EXPECT_TRUE(event.contains(QStringLiteral("<b>") + ui::text(ui::kEventTitleString, language)
            + QStringLiteral("  </b>")))
            << event.toStdString();
        const QString alarm = ui::qText(reminderHtml(ItemKind::Alarm, 3, language, u"", u"", u""));
        EXPECT_TRUE(alarm.contains(QStringLiteral("<b>") + ui::text(ui::kAlarmTitleString, language)
            + QStringLiteral("3  </b>")))
            << alarm.toStdString();
        const QString timer = ui::qText(reminderHtml(ItemKind::Timer, 0, language, u"", u"", u""));
        EXPECT_TRUE(timer.contains(QStringLiteral("<b>") + ui::text(ui::kTimerTitleString, language)
            + QStringLiteral("1  </b>")))
            << timer.toStdString();
        // The link is lower-case in the English bubble; the word must be the same.
        const QString link
            = QStringLiteral(">") + ui::text(ui::kGoToString, language) + QStringLiteral("</a>");
        EXPECT_TRUE(alarm.contains(link, Qt::CaseInsensitive)) << alarm.toStdString();
    }
    EXPECT_EQ(compared, 5);
}

TEST_F(AlertWindows, DismissInThePauseBetweenPlaysIsTakenAtOnceAndNoOtherPlayFollows)
{
    testing_support::writeTone(m_device.root() / "Windows" / "Short.wav", 0.3, 660, 0.5);
    AlertSetup setup = alarmSetup(Action::Notification, u"\\Windows\\Short.wav");
    setup.item.alert.playsPerAlert = 3;
    setup.item.alert.pauseSeconds = 5;
    const auto before = testing_support::capturedBytes(g_captureFile);
    AlertWindow window(std::move(setup));
    // 1.2 s in: the first play is over and its five-second pause has begun.
    AlertState inPause;
    QTimer::singleShot(1200, [&] {
        inPause = decodeAlertState(SendMessageW(window.handle(), kAlertStateQuery, 0, 0));
        SendMessageW(window.handle(), WM_COMMAND, kDismissCommand, 0);
    });
    QElapsedTimer took;
    took.start();
    window.start();
    EXPECT_LT(took.elapsed(), 3000); // not the pause's five seconds
    EXPECT_EQ(inPause.playsStarted, 1);
    EXPECT_TRUE(inPause.soundPlaying);
    EXPECT_TRUE(pumpUntil([&] { return window.destroyed(); }, 3000));
    EXPECT_EQ(window.state().playsStarted, 1);
    EXPECT_EQ(soundsSince(before).size(), 1u);
    EXPECT_EQ(registryVolume(), kUserVolume);
}
