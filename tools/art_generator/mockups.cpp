#include "tools/art_generator/mockups.h"

#include "tools/art_generator/face_layout.h"
#include "tools/art_generator/look_elements.h"
#include "tools/art_generator/theme.h"

#include <array>
#include <cmath>
#include <numbers>
#include <string>

namespace art {

namespace {

// One mock-up screen: pictures are placed in design pixels and drawn one to one.
class Screen {
public:
    Screen(
        const std::filesystem::path& root, int width, int height, const Scale& scale, QColor fill)
        : m_root(root)
        , m_scale(scale)
        , m_image(blankImage(width, height, scale.factor, Background::Opaque, fill))
    {
        beginPainting(m_painter, m_image, scale.factor);
    }

    // `file` from the first of `sets` that has it, as the skin fallback picks it.
    QImage picture(std::initializer_list<const char*> sets, const char* file)
    {
        for (const char* set : sets) {
            const auto path = m_root / set / m_scale.folder / file;
            if (std::filesystem::exists(path))
                return QImage(QString::fromStdString(path.string()));
        }
        m_missing = true;
        return {};
    }
    void draw(const QImage& image, QPointF at)
    {
        m_painter.drawImage(QRectF(at, QSizeF(image.size()) / m_scale.factor), image);
    }
    // Frame `index` of a strip of `frames` equal frames.
    void drawFrame(const QImage& strip, int frames, int index, QPointF at)
    {
        if (strip.isNull())
            return;
        const int width = strip.width() / frames;
        m_painter.drawImage(QRectF(at, QSizeF(width, strip.height()) / m_scale.factor), strip,
            QRectF(index * width, 0, width, strip.height()));
    }
    // A number's digits from a strip, `step` apart; ':' is frame 10, '-' frame 11.
    void drawDigits(const QImage& strip, int frames, const char* text, QPointF at, double step)
    {
        for (int i = 0; text[i] != '\0'; ++i) {
            const char c = text[i];
            const int index = c == ':' ? 10 : c == '-' ? 11 : c - '0';
            drawFrame(strip, frames, index, at + QPointF(i * step, 0));
        }
    }
    void text(const Fonts& fonts, const QString& text, Fonts::Weight weight, double size,
        const QRectF& box, Qt::Alignment alignment, QColor colour)
    {
        const QPainterPath path = fonts.textPath(text, weight, size);
        const QRectF ink = path.boundingRect();
        // Baseline placement: the cap height of this size centred in the box.
        const double capHeight = size * 0.73;
        const double y = box.center().y() + capHeight / 2.0;
        double x = box.left();
        if (alignment & Qt::AlignHCenter)
            x = box.center().x() - ink.width() / 2.0 - ink.left();
        else if (alignment & Qt::AlignRight)
            x = box.right() - ink.right();
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(colour);
        m_painter.drawPath(path.translated(x, y));
    }
    QPainter& painter() { return m_painter; }
    QImage finish()
    {
        m_painter.end();
        return m_missing ? QImage() : m_image;
    }

private:
    std::filesystem::path m_root;
    Scale m_scale;
    QImage m_image;
    QPainter m_painter;
    bool m_missing = false;
};

constexpr int kClientHeight = 268; // the main window's client area on a 240 x 320 screen

void titleBar(Screen& screen, const Fonts& fonts, std::initializer_list<const char*> sets,
    const Theme& theme, const QString& title)
{
    screen.draw(screen.picture(sets, "title_bar.png"), QPointF(0, 0));
    screen.text(fonts, title, Fonts::Weight::Bold, 13, QRectF(6, 1, 120, 17), Qt::AlignLeft,
        theme.titleText);
    const double titleWidth = fonts.textPath(title, Fonts::Weight::Bold, 13).boundingRect().width();
    screen.drawFrame(screen.picture(sets, "status_icons.png"), kStatusIconFrames,
        kViewListArrowFrame, QPointF(8 + titleWidth, -1));
}

void statusBarOf(
    Screen& screen, const Fonts& fonts, std::initializer_list<const char*> sets, const Theme& theme)
{
    constexpr int kTop = 245;
    screen.draw(screen.picture(sets, "statusbar.png"), QPointF(0, kTop));
    const QImage divider = screen.picture(sets, "status_divider.png");
    screen.draw(divider, QPointF(78, kTop));
    screen.draw(divider, QPointF(160, kTop));
    const QImage icons = screen.picture(sets, "status_icons.png");
    // Alarm, Sunrise and Time, each part's icon and text centred together.
    const std::array parts = { std::pair { 1, QStringLiteral("7:30") },
        std::pair { 4, QStringLiteral("4:43") }, std::pair { 8, QStringLiteral("10:08") } };
    const std::array lefts = { 0, 80, 162 };
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const double textWidth
            = fonts.textPath(parts[i].second, Fonts::Weight::Bold, 12).boundingRect().width();
        const double x = lefts[i] + (78 - (kStatusIconWidth + textWidth)) / 2.0;
        screen.drawFrame(icons, kStatusIconFrames, parts[i].first - 1, QPointF(x, kTop + 3));
        screen.text(fonts, parts[i].second, Fonts::Weight::Bold, 12,
            QRectF(x + kStatusIconWidth, kTop + 3, textWidth + 2, 17), Qt::AlignLeft,
            theme.statusText);
    }
}

QImage digitalClockView(const std::filesystem::path& root, const Fonts& fonts, const Scale& scale,
    const Theme& theme, std::initializer_list<const char*> sets)
{
    using namespace layout::digital_clock;
    Screen screen(root, kScreenWidth, kClientHeight, scale, theme.window);
    titleBar(screen, fonts, sets, theme, QStringLiteral("Digital Clock"));
    const QPointF area(0, 55);
    const QImage digits = screen.picture(sets, "digits.png");
    screen.drawDigits(
        digits, kDigitFrames, "10:08", area + QPointF(kHourTensX, kDigitTop), kDigitFrameWidth);
    screen.drawDigits(screen.picture(sets, "digits_small.png"), kDigitFrames, "36",
        area + QPointF(kSecondsX, kSecondsY), kSmallDigitFrameWidth);
    screen.drawFrame(screen.picture(sets, "ampm.png"), 2, 0, area + kAmPm);
    screen.text(fonts, QStringLiteral("Tuesday"), Fonts::Weight::Regular, 13,
        QRectF(25, 146, 200, 14), Qt::AlignLeft, theme.dateText);
    screen.text(fonts, QStringLiteral("June 11, 2024"), Fonts::Weight::Regular, 13,
        QRectF(25, 162, 200, 14), Qt::AlignLeft, theme.dateText);
    screen.text(fonts, QStringLiteral("London 24"), Fonts::Weight::Regular, 12,
        QRectF(25, 182, 200, 14), Qt::AlignLeft, theme.inkSoft);
    screen.text(fonts, QStringLiteral("5:08"), Fonts::Weight::Bold, 12, QRectF(175, 205, 60, 14),
        Qt::AlignLeft, theme.ink);
    screen.text(fonts, QStringLiteral("Tue, 6/11"), Fonts::Weight::Regular, 12,
        QRectF(175, 225, 60, 14), Qt::AlignLeft, theme.inkSoft);
    statusBarOf(screen, fonts, sets, theme);
    return screen.finish();
}

QPointF polar(QPointF centre, double radius, double degrees)
{
    const double radians = degrees * std::numbers::pi / 180.0;
    return centre + QPointF(std::sin(radians) * radius, -std::cos(radians) * radius);
}

// The program's hands: a quadrilateral of tip, side, tail and side, filled and outlined.
void quadrilateralHand(QPainter& painter, QPointF centre, double degrees, int length, int tail,
    int halfWidth, QColor colour)
{
    const QPolygonF hand({ polar(centre, length, degrees), polar(centre, halfWidth, degrees + 90),
        polar(centre, tail, degrees + 180), polar(centre, halfWidth, degrees + 270) });
    painter.setPen(QPen(colour, 1.0));
    painter.setBrush(colour);
    painter.drawPolygon(hand);
}

QImage analogClockView(const std::filesystem::path& root, const Fonts& fonts, const Scale& scale,
    const Theme& theme, std::initializer_list<const char*> sets)
{
    Screen screen(root, kScreenWidth, kClientHeight, scale, theme.window);
    titleBar(screen, fonts, sets, theme, QStringLiteral("Analog Clock"));
    const QPointF dialAt((kScreenWidth - kLargeDialSide) / 2.0, 22);
    screen.draw(screen.picture(sets, "dial_large.png"), dialAt);
    const DialGeometry g = largeDialGeometry();
    const QPointF centre = dialAt + QPointF(g.centre, g.centre);
    QPainter& painter = screen.painter();
    quadrilateralHand(painter, centre, (10 + 8 / 60.0) * 30.0, g.hourLength, g.hourTail,
        g.hourHalfWidth, theme.hourHand);
    quadrilateralHand(painter, centre, 8 * 6.0, g.minuteLength, g.minuteTail, g.minuteHalfWidth,
        theme.minuteHand);
    painter.setPen(QPen(theme.secondHand, 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre, polar(centre, g.secondLength, 36 * 6.0));
    screen.text(fonts, QStringLiteral("10:08 AM"), Fonts::Weight::Bold, 13,
        QRectF(0, 225, kScreenWidth, 16), Qt::AlignHCenter, theme.timeText);
    statusBarOf(screen, fonts, sets, theme);
    return screen.finish();
}

QImage dezod(const std::filesystem::path& root, const Fonts& fonts, const Scale& scale)
{
    using namespace layout::dezod;
    Screen screen(root, kScreenWidth, kScreenHeight, scale, Qt::black);
    const auto sets = { "faces/Dezod" };
    screen.draw(screen.picture(sets, "background.png"), QPointF(0, 0));
    screen.text(fonts, QStringLiteral("TUESDAY"), Fonts::Weight::Bold, 13, kWeekdayText,
        Qt::AlignLeft, QColor(0x8d97a5));
    screen.drawFrame(screen.picture(sets, "bell.png"), 2, 0, kBell);
    screen.drawDigits(screen.picture(sets, "digits.png"), 13, "10:08",
        QPointF(kDigitLeft, kDigitTop), kDigitWidth);
    screen.drawDigits(screen.picture(sets, "small_digits.png"), 14, "36", kSeconds, kSmallWidth);
    screen.drawFrame(screen.picture(sets, "digits.png"), 13, 11, kAmPm);
    screen.text(fonts, QStringLiteral("11 June 2024"), Fonts::Weight::Bold, 15, kDateText,
        Qt::AlignHCenter, QColor(0xc3cad3));
    return screen.finish();
}

QImage virevur(const std::filesystem::path& root, const Fonts& fonts, const Scale& scale)
{
    using namespace layout::virevur;
    Screen screen(root, kScreenWidth, kScreenHeight, scale, Qt::black);
    const auto sets = { "faces/Virevur" };
    screen.draw(screen.picture(sets, "background.png"), QPointF(0, 0));
    screen.drawDigits(screen.picture(sets, "digits.png"), 13, "10:08",
        QPointF(kDigitLeft, kDigitTop), kDigitWidth);
    screen.drawFrame(screen.picture(sets, "digits.png"), 13, 11, kAmPm);
    screen.text(fonts, QStringLiteral("Tuesday, 11 June"), Fonts::Weight::Regular, 14, kDateText,
        Qt::AlignHCenter, withAlpha(Qt::white, 220));
    screen.text(fonts, QStringLiteral("2 missed calls"), Fonts::Weight::Regular, 13,
        QRectF(kLockTexts.left(), 129, kLockTexts.width(), 20), Qt::AlignHCenter,
        withAlpha(Qt::white, 200));
    screen.draw(screen.picture(sets, "slider_track.png"), kTrack);
    screen.draw(screen.picture(sets, "slider_knob.png"), kTrack);
    return screen.finish();
}

QImage orrery(const std::filesystem::path& root, const Fonts& fonts, const Scale& scale)
{
    using namespace layout::orrery;
    Screen screen(root, kScreenWidth, kScreenHeight, scale, Qt::black);
    const auto sets = { "faces/Orrery" };
    screen.draw(screen.picture(sets, "background.png"), QPointF(0, 0));
    screen.text(fonts, QStringLiteral("T U E S D A Y"), Fonts::Weight::Regular, 11, kWeekdayText,
        Qt::AlignHCenter, QColor(0xeadfc8));
    screen.text(fonts, QStringLiteral("11 June 2024"), Fonts::Weight::Regular, 13, kDateText,
        Qt::AlignHCenter, QColor(0xeadfc8));
    const std::array hands = { std::pair { "hour_hand.png", (10 + 8 / 60.0) * 30.0 },
        std::pair { "minute_hand.png", 8 * 6.0 }, std::pair { "second_hand.png", 36 * 6.0 } };
    QPainter& painter = screen.painter();
    for (const auto& [file, degrees] : hands) {
        const QImage hand = screen.picture(sets, file);
        const QSizeF size = QSizeF(hand.size()) / scale.factor;
        painter.save();
        painter.translate(kCentre);
        painter.rotate(degrees);
        painter.drawImage(QRectF(QPointF(-size.width() / 2, -size.height() / 2), size), hand);
        painter.restore();
    }
    return screen.finish();
}

QImage segment(const std::filesystem::path& root, const Fonts&, const Scale& scale)
{
    using namespace layout::segment;
    Screen screen(root, kScreenWidth, kScreenHeight, scale, Qt::black);
    const auto sets = { "faces/Segment" };
    screen.draw(screen.picture(sets, "background.png"), QPointF(0, 0));
    constexpr int kTuesday = 2;
    screen.drawFrame(screen.picture(sets, "weekdays.png"), 7, kTuesday,
        QPointF(kWeekdayLeft + kTuesday * kWeekdayWidth, kWeekdayTop));
    screen.drawDigits(screen.picture(sets, "digits.png"), 13, "10:08",
        QPointF(kDigitLeft, kDigitTop), kDigitWidth);
    screen.drawDigits(screen.picture(sets, "small_digits.png"), 12, "06-11",
        QPointF(kDateLeft, kSmallTop), kSmallWidth);
    screen.drawDigits(screen.picture(sets, "small_digits.png"), 12, "36",
        QPointF(kSecondsLeft, kSmallTop), kSmallWidth);
    screen.drawFrame(screen.picture(sets, "digits.png"), 13, 11, kAmPm);
    return screen.finish();
}

} // namespace

std::vector<MockUp> mockUps(const std::filesystem::path& root, const Fonts& fonts)
{
    std::vector<MockUp> result;
    const Theme pack = defaultTheme();
    const Theme graphite = graphiteTheme();
    const Theme ocean = oceanTheme();
    for (const Scale& scale : kScales) {
        const QString suffix = QStringLiteral(" (%1)").arg(QString::fromLatin1(scale.folder));
        result.push_back({ "Default: Digital Clock" + suffix,
            digitalClockView(root, fonts, scale, pack, { "pack" }) });
        result.push_back({ "Default: Analog Clock" + suffix,
            analogClockView(root, fonts, scale, pack, { "pack" }) });
        result.push_back({ "Graphite: Digital Clock" + suffix,
            digitalClockView(root, fonts, scale, graphite, { "skins/Graphite", "pack" }) });
        result.push_back({ "Graphite: Analog Clock" + suffix,
            analogClockView(root, fonts, scale, graphite, { "skins/Graphite", "pack" }) });
        result.push_back({ "Ocean: Analog Clock" + suffix,
            analogClockView(root, fonts, scale, ocean, { "skins/Ocean", "pack" }) });
        result.push_back({ "Dezod" + suffix, dezod(root, fonts, scale) });
        result.push_back({ "Virevur" + suffix, virevur(root, fonts, scale) });
        result.push_back({ "Orrery" + suffix, orrery(root, fonts, scale) });
        result.push_back({ "Segment" + suffix, segment(root, fonts, scale) });
    }
    for (const MockUp& mockUp : result) {
        if (mockUp.image.isNull())
            return {};
    }
    return result;
}

} // namespace art
