#pragma once
// The Stopwatch view: the elapsed time with its hundredths, the buttons "Start"/"Stop"/
// "Resume", "Split" and "Reset", and the split list with "Delete" and "Delete All". The
// stopwatch itself is the suite's (app::SuiteState::stopwatch()); the view follows it when
// another program (tkwctl) changes settings.dat or stopwatch.dat.

#include "app/view.h"
#include "stopwatch/stopwatch.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <map>
#include <memory>

class QFileSystemWatcher;
class QPushButton;

namespace faces {
class SkinSet;
}
namespace ui {
class ListView;
}

namespace stopwatch {

class StopwatchView final : public app::View {
public:
    // `screen` parents the controls; the skin and the stopwatch outlive the view.
    StopwatchView(QWidget* screen, const ui::ScreenGeometry& geometry, const faces::SkinSet& skin,
        Stopwatch& stopwatch);
    ~StopwatchView() override;

    bool activate() override;
    void leave() override;
    void secondaryUpdate() override;
    void perSecond(QPainter& painter, const app::ViewContext& context) override;
    void paint(QPainter& painter, const app::ViewContext& context) override;
    void reportLayout(ui::LayoutReport& report, const app::ViewContext& context) const override;
    void rebuild(const ui::ScreenGeometry& geometry) override;
    // A running stopwatch counts hundredths: it is drawn on every 100 ms tick.
    [[nodiscard]] bool wantsEveryTick() const override { return m_stopwatch.state().running; }

    // The display's text now ("00:01 23.45").
    [[nodiscard]] QString displayedText() const;
    [[nodiscard]] QPushButton& startStopButton() const { return *m_startStop; }
    [[nodiscard]] QPushButton& splitButton() const { return *m_split; }
    [[nodiscard]] QPushButton& resetButton() const { return *m_reset; }
    [[nodiscard]] QPushButton& deleteButton() const { return *m_delete; }
    [[nodiscard]] QPushButton& deleteAllButton() const { return *m_deleteAll; }
    [[nodiscard]] ui::ListView& splitList() const { return *m_list; }

private:
    struct Layout {
        QRect display;
        QRect startStop, split, reset;
        QRect list;
        QRect deleteOne, deleteAll;
    };
    [[nodiscard]] Layout layOut() const;
    void place();
    void showControls(bool shown);
    // Buttons and list from the stopwatch's state and splits.
    void showState();
    void showSplits();
    void followDisk();
    void report(EditOutcome outcome);
    void paintDisplay(QPainter& painter) const;
    [[nodiscard]] QFont displayFont(const QString& text) const;
    [[nodiscard]] bool drawsDigitImages() const;

    QWidget* m_screen;
    ui::ScreenGeometry m_geometry;
    const faces::SkinSet& m_skin;
    Stopwatch& m_stopwatch;
    SimulatedHundredths m_hundredths;
    QPushButton* m_startStop;
    QPushButton* m_split;
    QPushButton* m_reset;
    ui::ListView* m_list;
    QPushButton* m_delete;
    QPushButton* m_deleteAll;
    std::unique_ptr<QFileSystemWatcher> m_watcher;
    bool m_shown = false;
    // The skin's digit strips, magenta made transparent (null: the display is text).
    QImage m_bigDigits, m_smallDigits;
    int m_bigFrames = 11, m_smallFrames = 11;
    // The display's characters drawn once in its font and colour: a large font is drawn as
    // outlines each time, which the 100 ms redraws of a running stopwatch cannot afford.
    [[nodiscard]] const QImage& glyph(QChar c, const QFont& font, const QColor& ink) const;
    mutable std::map<char16_t, QImage> m_glyphs;
    mutable QFont m_glyphFont;
    mutable QColor m_glyphInk;
    mutable QFont m_fittedFont;
    mutable int m_fittedLength = -1;
};

} // namespace stopwatch
