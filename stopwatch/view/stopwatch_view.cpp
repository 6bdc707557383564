#include "stopwatch/view/stopwatch_view.h"

#include "faces/image_stream.h"
#include "faces/skin.h"
#include "platform/device_clock.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "store/data_files.h"
#include "ui/layout_report.h"
#include "ui/list_view.h"
#include "ui/qt_text.h"
#include "ui/resources.h"

#include <QFileSystemWatcher>
#include <QFontMetrics>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <array>

namespace stopwatch {

namespace {

constexpr int kStopwatchViewIndex = 5;

// The view's strings.
constexpr unsigned kStartString = 40275; // "Start"
constexpr unsigned kSplitString = 40285; // "Split"
constexpr unsigned kStopString = 40735; // "Stop"
constexpr unsigned kResumeString = 40945; // "Resume"
constexpr unsigned kDeleteString = 45645; // "Delete"
constexpr unsigned kResetString = 45795; // "Reset"
constexpr unsigned kDeleteAllString = 45805; // "Delete All"

constexpr int kSmallestFontPx = 8;
constexpr int kDisplayFlags = Qt::AlignCenter | Qt::TextSingleLine;

std::uint64_t universalNow()
{
    return platform::deviceUniversalNow().count();
}

// The room a push button gives its text, as the style lays it out.
QSize textRoom(const QPushButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    return button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button).size();
}

// A button's font: the suite's as it is, condensed, then smaller until each caption it
// shows fits (the first button shows three).
void fitButton(QPushButton& button, const QFont& base, const QStringList& captions)
{
    const auto fits = [&](const QFont& font) {
        const QFontMetrics metrics(font);
        const QSize room = textRoom(button);
        return std::all_of(captions.begin(), captions.end(), [&](const QString& caption) {
            const QSize needed = metrics.size(Qt::TextShowMnemonic, caption);
            return needed.width() <= room.width() && needed.height() <= room.height();
        });
    };
    QFont font = base;
    button.setFont(font);
    if (fits(font))
        return;
    font.setStretch(QFont::Condensed);
    button.setFont(font);
    while (!fits(font) && font.pixelSize() > kSmallestFontPx) {
        font.setPixelSize(font.pixelSize() - 1);
        button.setFont(font);
    }
}

} // namespace

StopwatchView::StopwatchView(QWidget* screen, const ui::ScreenGeometry& geometry,
    const faces::SkinSet& skin, Stopwatch& stopwatch)
    : View(kStopwatchViewIndex)
    , m_screen(screen)
    , m_geometry(geometry)
    , m_skin(skin)
    , m_stopwatch(stopwatch)
    , m_startStop(new QPushButton(screen))
    , m_split(new QPushButton(ui::text(kSplitString), screen))
    , m_reset(new QPushButton(ui::text(kResetString), screen))
    , m_list(new ui::ListView(screen))
    , m_delete(new QPushButton(ui::text(kDeleteString), screen))
    , m_deleteAll(new QPushButton(ui::text(kDeleteAllString), screen))
    , m_watcher(std::make_unique<QFileSystemWatcher>())
{
    m_startStop->setObjectName(QStringLiteral("StopwatchStartStop"));
    m_split->setObjectName(QStringLiteral("StopwatchSplit"));
    m_reset->setObjectName(QStringLiteral("StopwatchReset"));
    m_list->setObjectName(QStringLiteral("StopwatchSplits"));
    m_delete->setObjectName(QStringLiteral("StopwatchDelete"));
    m_deleteAll->setObjectName(QStringLiteral("StopwatchDeleteAll"));
    for (QPushButton* button : { m_startStop, m_split, m_reset, m_delete, m_deleteAll })
        button->setFocusPolicy(Qt::NoFocus);
    m_list->setColumns({ QString(), QString() });

    QObject::connect(m_startStop, &QPushButton::clicked, m_startStop, [this] {
        report(m_stopwatch.StartStop(universalNow()));
        if (m_stopwatch.state().running)
            m_hundredths.reset();
    });
    QObject::connect(m_split, &QPushButton::clicked, m_split,
        [this] { report(m_stopwatch.Split(universalNow(), m_hundredths.forSplit())); });
    QObject::connect(m_reset, &QPushButton::clicked, m_reset, [this] {
        m_hundredths.reset();
        report(m_stopwatch.Reset());
    });
    QObject::connect(m_delete, &QPushButton::clicked, m_delete, [this] {
        const int row = m_list->currentRow();
        if (row < 0 || std::size_t(row) >= m_stopwatch.splits().size())
            return;
        report(m_stopwatch.DeleteSplit(std::size_t(row), m_stopwatch.splits()[std::size_t(row)]));
    });
    QObject::connect(m_deleteAll, &QPushButton::clicked, m_deleteAll,
        [this] { report(m_stopwatch.DeleteAllSplits()); });
    QObject::connect(m_list, &ui::ListView::rowChosen, m_list, [this](int) { showState(); });

    // tkwctl and other programs replace settings.dat and stopwatch.dat by renaming a new
    // file into place: the folder sees it, a watch on the old file would not.
    if (const auto folder = platform::hostPathOf(store::DataFilePath(u"")))
        m_watcher->addPath(QString::fromStdString(folder->string()));
    QObject::connect(m_watcher.get(), &QFileSystemWatcher::directoryChanged, m_watcher.get(),
        [this] { followDisk(); });

    (void)m_stopwatch.syncWithDisk();
    showSplits();
    showState();
    showControls(false);
    place();
}

StopwatchView::~StopwatchView()
{
    delete m_startStop;
    delete m_split;
    delete m_reset;
    delete m_list;
    delete m_delete;
    delete m_deleteAll;
}

void StopwatchView::report(EditOutcome outcome)
{
    // Busy: another program's edit outlasted the wait; the button did nothing and the view
    // shows the stopwatch as it is. NotSaved: the change stays in this run (the splits stay
    // in the list, as when the file cannot be written at all).
    if (outcome == EditOutcome::Busy)
        store::AppendLog(u"The stopwatch was busy in another program; the button did nothing");
    showSplits();
    showState();
    if (m_screen)
        m_screen->update();
}

void StopwatchView::followDisk()
{
    if (!m_stopwatch.syncWithDisk())
        return;
    showSplits();
    showState();
    if (m_screen && m_shown)
        m_screen->update();
}

void StopwatchView::secondaryUpdate()
{
    followDisk();
}

void StopwatchView::showSplits()
{
    const SplitList& splits = m_stopwatch.splits();
    const int selected = m_list->currentRow();
    const QString selectedLabel = m_list->cell(selected, 0);
    QList<QStringList> rows;
    for (const auto& split : splits)
        rows.append({ ui::qText(split.label), ui::qText(split.time) });
    if (rows.size() == m_list->rowCount()) {
        bool same = true;
        for (int row = 0; row < rows.size() && same; ++row)
            same = m_list->cell(row, 0) == rows[row][0] && m_list->cell(row, 1) == rows[row][1];
        if (same)
            return;
    }
    m_list->setRows(rows);
    // The selection follows its split when another program changed the list around it.
    for (int row = 0; row < rows.size(); ++row) {
        if (!selectedLabel.isEmpty() && rows[row][0] == selectedLabel) {
            m_list->setCurrentRow(row);
            break;
        }
    }
}

void StopwatchView::showState()
{
    switch (m_stopwatch.phase()) {
    case Phase::Reset:
        m_startStop->setText(ui::text(kStartString));
        break;
    case Phase::Running:
        m_startStop->setText(ui::text(kStopString));
        break;
    case Phase::Stopped:
        m_startStop->setText(ui::text(kResumeString));
        break;
    }
    m_split->setEnabled(m_stopwatch.phase() == Phase::Running);
    m_reset->setEnabled(m_stopwatch.phase() != Phase::Reset);
    m_deleteAll->setEnabled(m_list->rowCount() > 0);
    m_delete->setEnabled(m_list->currentRow() >= 0);
}

StopwatchView::Layout StopwatchView::layOut() const
{
    const auto& g = m_geometry;
    const int width = app::viewWidth(g);
    const int bottom = g.scaled(g.square || g.landscape ? 165 : 245);
    const bool wide = g.square || g.landscape;
    const int margin = g.scaled(4);
    const int gap = g.scaled(4);
    const int button = g.scaled(22);
    const int top = g.scaled(26);
    Layout layout;
    if (!wide) {
        layout.display = QRect(margin, top, width - 2 * margin, g.scaled(48));
        const int row = layout.display.bottom() + 1 + gap;
        const int third = (width - 2 * margin - 2 * gap) / 3;
        layout.startStop = QRect(margin, row, third, button);
        layout.split = QRect(margin + third + gap, row, third, button);
        layout.reset = QRect(width - margin - third, row, third, button);
        const int listButtons = bottom - margin - button;
        layout.list = QRect(margin, row + button + gap, width - 2 * margin,
            listButtons - gap - (row + button + gap));
        const int half = (width - 2 * margin - gap) / 2;
        layout.deleteOne = QRect(margin, listButtons, half, button);
        layout.deleteAll = QRect(width - margin - half, listButtons, half, button);
        return layout;
    }
    // Square and landscape: the display across, the three buttons in a column on the left,
    // the splits on the right.
    layout.display = QRect(margin, top, width - 2 * margin, g.scaled(38));
    const int below = layout.display.bottom() + 1 + gap;
    const int column = (width - 2 * margin - gap) * 2 / 5;
    layout.startStop = QRect(margin, below, column, button);
    layout.split = QRect(margin, below + button + gap, column, button);
    layout.reset = QRect(margin, below + 2 * (button + gap), column, button);
    const int right = margin + column + gap;
    const int listWidth = width - margin - right;
    const int listButtons = bottom - margin - button;
    layout.list = QRect(right, below, listWidth, listButtons - gap - below);
    const int half = (listWidth - gap) / 2;
    layout.deleteOne = QRect(right, listButtons, half, button);
    layout.deleteAll = QRect(width - margin - half, listButtons, half, button);
    return layout;
}

void StopwatchView::place()
{
    const Layout layout = layOut();
    const QFont font = ui::suiteFont(ui::FontRole::Normal12, m_geometry);
    m_startStop->setGeometry(layout.startStop);
    m_split->setGeometry(layout.split);
    m_reset->setGeometry(layout.reset);
    m_list->setGeometry(layout.list);
    m_delete->setGeometry(layout.deleteOne);
    m_deleteAll->setGeometry(layout.deleteAll);
    fitButton(*m_startStop, font,
        { ui::text(kStartString), ui::text(kStopString), ui::text(kResumeString) });
    fitButton(*m_split, font, { m_split->text() });
    fitButton(*m_reset, font, { m_reset->text() });
    fitButton(*m_delete, font, { m_delete->text() });
    fitButton(*m_deleteAll, font, { m_deleteAll->text() });
    m_list->setFont(font);
    m_list->setColumnWidth(0, layout.list.width() / 2);
    if (m_skin.loaded()) {
        for (QWidget* control : std::array<QWidget*, 6> {
                 m_startStop, m_split, m_reset, m_list, m_delete, m_deleteAll })
            control->setPalette(faces::skinPalette(m_skin, control->palette()));
    }
    m_fittedLength = -1;
    m_bigDigits = QImage();
    m_smallDigits = QImage();
    if (m_skin.loaded() && m_skin.hasDigitImages()) {
        namespace w = faces::skin;
        m_bigDigits = faces::withMagentaTransparent(m_skin.imageOf(w::kDigitImage));
        m_bigFrames = m_skin.bounded(w::kDigitFrames, 11, 256);
        m_smallDigits = faces::withMagentaTransparent(m_skin.imageOf(w::kSecondDigitImage));
        m_smallFrames = m_skin.bounded(w::kSecondDigitFrames, 10, 256);
        if (m_smallDigits.isNull()) {
            m_smallDigits = m_bigDigits;
            m_smallFrames = m_bigFrames;
        }
    }
}

void StopwatchView::rebuild(const ui::ScreenGeometry& geometry)
{
    m_geometry = geometry;
    place();
}

void StopwatchView::showControls(bool shown)
{
    for (QWidget* control :
        std::array<QWidget*, 6> { m_startStop, m_split, m_reset, m_list, m_delete, m_deleteAll })
        control->setVisible(shown);
}

bool StopwatchView::activate()
{
    m_shown = true;
    // Whatever changed while another view was shown.
    (void)m_stopwatch.syncWithDisk();
    showSplits();
    showState();
    showControls(true);
    return true;
}

void StopwatchView::leave()
{
    m_shown = false;
    showControls(false);
}

QString StopwatchView::displayedText() const
{
    const auto elapsed = Elapsed(m_stopwatch.elapsedTicksAt(universalNow()));
    return ui::qText(displayText(elapsed, m_hundredths.value(), platform::userLocale()));
}

QFont StopwatchView::displayFont(const QString& text) const
{
    // Fitted once per length of text: the digits of the suite's fonts are all as wide.
    if (m_fittedLength == int(text.size()))
        return m_fittedFont;
    const QRect room = layOut().display;
    QFont font = ui::suiteFont(ui::FontRole::BoldLarge, m_geometry);
    while (font.pixelSize() > kSmallestFontPx) {
        const QFontMetrics metrics(font);
        const QSize needed = metrics.size(kDisplayFlags, text);
        if (needed.width() <= room.width() && needed.height() <= room.height())
            break;
        font.setPixelSize(font.pixelSize() - 1);
    }
    m_fittedFont = font;
    m_fittedLength = int(text.size());
    return font;
}

const QImage& StopwatchView::glyph(QChar c, const QFont& font, const QColor& ink) const
{
    if (font != m_glyphFont || ink != m_glyphInk) {
        m_glyphs.clear();
        m_glyphFont = font;
        m_glyphInk = ink;
    }
    auto found = m_glyphs.find(c.unicode());
    if (found != m_glyphs.end())
        return found->second;
    const QFontMetrics metrics(font);
    QImage image(std::max(1, metrics.horizontalAdvance(c)), std::max(1, metrics.height()),
        QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(font);
        painter.setPen(ink);
        painter.drawText(QPoint(0, metrics.ascent()), QString(c));
    }
    return m_glyphs.emplace(c.unicode(), std::move(image)).first->second;
}

bool StopwatchView::drawsDigitImages() const
{
    return !m_bigDigits.isNull();
}

void StopwatchView::paintDisplay(QPainter& painter) const
{
    namespace w = faces::skin;
    const QRect box = layOut().display;
    const QString text = displayedText();
    const bool skinned = m_skin.loaded();
    painter.fillRect(box, skinned ? m_skin.colour(w::kBigTimeFill) : QColor(Qt::white));
    const QColor ink = skinned ? m_skin.colour(w::kBigTimeColour) : QColor(Qt::black);
    if (!drawsDigitImages()) {
        // As drawText centres it (kDisplayFlags), from the characters drawn beforehand.
        const QFont font = displayFont(text);
        const QFontMetrics metrics(font);
        int x = box.left() + (box.width() - metrics.horizontalAdvance(text)) / 2;
        const int top = box.top() + (box.height() - metrics.height()) / 2;
        for (const QChar c : text) {
            painter.drawImage(QPoint(x, top), glyph(c, font, ink));
            x += metrics.horizontalAdvance(c);
        }
        return;
    }
    // The skin's digits: the big strip for the time, the small one (else the big) for the
    // hundredths after the full stop; a space leaves half a digit free and the full stop is
    // a dot in the time's colour.
    const QImage& big = m_bigDigits;
    const int bigFrames = m_bigFrames;
    const QImage& small = m_smallDigits;
    const int smallFrames = m_smallFrames;
    const QRect bigFrame = faces::frameRect(big, bigFrames, 0);
    const QRect smallFrame = faces::frameRect(small, smallFrames, 0);
    if (bigFrame.isEmpty() || smallFrame.isEmpty())
        return;
    const int dot = std::max(2, bigFrame.width() / 4);
    const qsizetype stop = text.lastIndexOf(u'.');
    int width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'.')
            width += dot * 2;
        else if (c == u' ')
            width += bigFrame.width() / 2;
        else
            width += (i > stop && stop >= 0 ? smallFrame : bigFrame).width();
    }
    const double scale = std::min({ 1.0, double(box.width()) / std::max(width, 1),
        double(box.height()) / std::max(bigFrame.height(), 1) });
    painter.save();
    painter.setClipRect(box);
    painter.translate(box.left() + (box.width() - width * scale) / 2,
        box.top() + (box.height() - bigFrame.height() * scale) / 2);
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    int x = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool hundredths = stop >= 0 && i > stop;
        if (c == u'.') {
            painter.fillRect(QRect(x + dot / 2, bigFrame.height() - dot, dot, dot), ink);
            x += dot * 2;
        } else if (c == u' ') {
            x += bigFrame.width() / 2;
        } else if (c == u':' || c.isDigit()) {
            const int frame = c == u':' ? 10 : c.digitValue();
            const QImage& strip = hundredths ? small : big;
            const QRect source
                = faces::frameRect(strip, hundredths ? smallFrames : bigFrames, frame);
            painter.drawImage(QPoint(x, bigFrame.height() - source.height()), strip, source);
            x += source.width();
        }
    }
    painter.restore();
}

void StopwatchView::perSecond(QPainter& painter, const app::ViewContext&)
{
    // The 100 ms redraws of a running stopwatch are what move its hundredths.
    if (m_stopwatch.state().running)
        m_hundredths.advance(platform::localNow().wSecond);
    paintDisplay(painter);
}

void StopwatchView::paint(QPainter& painter, const app::ViewContext& context)
{
    painter.fillRect(context.area,
        m_skin.loaded() ? m_skin.colour(faces::skin::kWindowColour) : QColor(Qt::white));
    if (m_skin.loaded()) {
        const int word = faces::skin::kFirstViewBackground + 5 * index();
        const QImage background = m_skin.imageOf(word);
        if (!background.isNull()) {
            const auto element = m_skin.element(word);
            painter.drawImage(QPoint(element.values[0], element.values[1]), background);
        }
    }
    paintDisplay(painter);
}

void StopwatchView::reportLayout(ui::LayoutReport& report, const app::ViewContext&) const
{
    const QRect box = layOut().display;
    if (drawsDigitImages()) {
        report.addImage(box);
        return;
    }
    const QString text = displayedText();
    report.addText(box, text, displayFont(text), kDisplayFlags);
}

} // namespace stopwatch
