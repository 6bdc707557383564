// How long the clocks take to draw on a 480 x 640 screen: one frame of a clock face with a
// background, masked digits, areas, texts and three rotated hands (target below 2 ms), and the
// Digital Clock view's per-second update with the status bar (target below 1 ms).
//
//     faces_bench [frames] [--save <folder>]
//
// With --save the last frame of each kind is written as a PNG for a look at what was timed.

#include "faces/digital_clock.h"
#include "faces/face_host.h"
#include "faces/skin.h"
#include "faces/status_bar.h"
#include "platform/locale.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <vector>

namespace {

using faces::Bytes;
using Clock = std::chrono::steady_clock;

Bytes png(const QImage& image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    const QByteArray data = buffer.data();
    Bytes bytes(std::size_t(data.size()));
    std::copy(data.begin(), data.end(), reinterpret_cast<char*>(bytes.data()));
    return bytes;
}

// A strip of frames with a digit-like shape in each, and the matching AND mask.
std::pair<QImage, QImage> digitStrip(int frameWidth, int height, int frames, QColor colour)
{
    QImage strip(frameWidth * frames, height, QImage::Format_RGB32);
    QImage mask(strip.size(), QImage::Format_RGB32);
    strip.fill(Qt::black);
    mask.fill(Qt::white);
    QPainter s(&strip), m(&mask);
    for (int frame = 0; frame < frames; ++frame) {
        const QRect box(frame * frameWidth + 4, 4, frameWidth - 8, height - 8);
        s.fillRect(box, colour);
        m.fillRect(box, Qt::black);
        s.fillRect(box.adjusted(6, 6, -6, -6).translated(0, frame % 3), Qt::black);
        m.fillRect(box.adjusted(6, 6, -6, -6).translated(0, frame % 3), Qt::white);
    }
    return { strip, mask };
}

Bytes benchFace()
{
    faces::FaceFile face = faces::emptyFace(480, 640);
    face.header[faces::face::kHandAreaY] = 120;
    face.header[faces::face::kBackground] = 0;
    QImage background(480, 640, QImage::Format_RGB32);
    QPainter painter(&background);
    QLinearGradient gradient(0, 0, 480, 640);
    gradient.setColorAt(0, QColor(20, 30, 60));
    gradient.setColorAt(1, QColor(90, 40, 20));
    painter.fillRect(background.rect(), gradient);
    painter.setPen(QPen(Qt::white, 4));
    painter.drawEllipse(QPoint(240, 360), 230, 230);
    painter.end();
    face.plainImages.push_back(png(background));
    face.plainImages.push_back(png(background.mirrored()));

    const auto [big, bigMask] = digitStrip(40, 64, 11, QColor(240, 220, 120));
    face.sprites.push_back({ { 11, faces::kSpriteHasMask, 0 }, png(big), png(bigMask) });
    const auto [small, smallMask] = digitStrip(20, 32, 11, QColor(200, 200, 255));
    face.sprites.push_back({ { 11, -1, 0 }, png(small), {} });

    for (const auto& [width, length, colour] : { std::tuple { 16, 150, Qt::white },
             std::tuple { 10, 210, Qt::lightGray }, std::tuple { 4, 220, Qt::red } }) {
        QImage hand(width, length, QImage::Format_ARGB32_Premultiplied);
        hand.fill(Qt::transparent);
        QPainter h(&hand);
        h.setRenderHint(QPainter::Antialiasing);
        h.setBrush(QColor(colour));
        h.setPen(Qt::NoPen);
        h.drawRoundedRect(hand.rect(), width / 2.0, width / 2.0);
        h.end();
        face.overlays.push_back(png(hand));
    }
    using K = faces::DigitKind;
    face.digits = {
        { 0, 0, std::int32_t(K::Hour), 10, 2, 140, 20, 40, 0 },
        { 0, 0, std::int32_t(K::Minute), 10, 2, 260, 20, 40, 0 },
        { 0, 1, std::int32_t(K::Second), 10, 2, 360, 52, 20, 0 },
        { 0, 1, std::int32_t(K::Day), 10, 4, 20, 590, 20, 0 },
        { 0, 1, std::int32_t(K::Month), 10, 4, 80, 590, 20, 0 },
        { 0, 1, std::int32_t(K::Year), 10, 4, 140, 590, 20, 0 },
        { 0, 0, std::int32_t(K::HourMinute), 10, 0, 240, 520, 0, 0 },
    };
    face.areas = {
        { 0, 1, std::int32_t(faces::AreaKind::Weekday), 0, 20, 100, 80, 116, 64, 0 },
        { 0, 1, std::int32_t(faces::AreaKind::AmPm), 0, 420, 20, 470, 40, 0, 0 },
    };
    faces::LOGFONTW font {};
    font.lfHeight = -24;
    font.lfWeight = 700;
    face.fonts.push_back(font);
    faces::DateTimeTextRecord date {};
    date.font = 0;
    date.colour = 0x00ffffff;
    date.content = std::int32_t(faces::DateTimeContent::Date);
    date.left = 0, date.top = 90, date.right = 480, date.bottom = 120;
    date.align = std::int32_t(faces::TextAlign::Centre);
    const std::u16string picture = u"dddd, d MMMM yyyy";
    std::copy(picture.begin(), picture.end(), date.dateFormat);
    face.dateTexts.push_back(date);
    faces::NumberTextRecord number {};
    number.font = -1;
    number.colour = 0x0080ffff;
    number.value = std::int32_t(faces::NumberValue::DayOfYear);
    number.left = 380, number.top = 600, number.right = 470, number.bottom = 630;
    number.align = std::int32_t(faces::TextAlign::Right);
    face.numberTexts.push_back(number);
    for (int kind = 4; kind <= 6; ++kind) {
        const int overlay = 6 - kind;
        const int length = kind == 6 ? 150 : kind == 5 ? 210 : 220;
        const int width = kind == 6 ? 16 : kind == 5 ? 10 : 4;
        face.hands.push_back({ 0, overlay, kind, 12, width / 2, length - 20, 240, 240, {} });
    }
    return faces::writeFaceFile(face);
}

Bytes benchPack()
{
    faces::SkinRecord record;
    for (const int word : faces::onDemandImageWords())
        record[word] = -1;
    for (const int word : faces::elementWords())
        record[word] = -1;
    for (const int word : faces::digitBlockImageWords())
        record[word] = -1;
    std::vector<Bytes> images;
    QImage bar(20, 44, QImage::Format_RGB32);
    bar.fill(QColor(200, 210, 230));
    images.push_back(png(bar));
    QImage divider(4, 44, QImage::Format_RGB32);
    divider.fill(Qt::darkGray);
    images.push_back(png(divider));
    QImage icons(13 * 42, 32, QImage::Format_RGB32);
    icons.fill(Qt::magenta);
    images.push_back(png(icons));
    QImage amPm(60, 24, QImage::Format_RGB32);
    amPm.fill(Qt::blue);
    images.push_back(png(amPm));
    auto [digits, mask] = digitStrip(44, 110, 11, Qt::black);
    (void)mask;
    images.push_back(png(digits));
    record[faces::skin::kStatusBar] = 0;
    record[faces::skin::kStatusDivider] = 1;
    record[faces::skin::kStatusIcons] = 2;
    record[faces::skin::kAmPm] = 3;
    record[faces::skin::kSecondClockFill] = 0x00ffffff;
    record[faces::skin::kBigTimeFill] = 0x00ffffff;
    Bytes textPack = faces::writeSkinFile(record, images);
    return textPack;
}

struct Figures {
    double mean, median, worst;
};

Figures measure(int frames, const std::function<void(int)>& draw)
{
    for (int i = 0; i < 20; ++i)
        draw(i); // glyph caches, first conversions
    std::vector<double> times;
    times.reserve(std::size_t(frames));
    for (int i = 0; i < frames; ++i) {
        const auto start = Clock::now();
        draw(i);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (const double t : times)
        sum += t;
    return { sum / double(frames), times[times.size() / 2], times.back() };
}

bool report(const char* what, const Figures& f, double targetMs)
{
    const bool met = f.median < targetMs;
    std::cout << what << ": mean " << f.mean << " ms, median " << f.median << " ms, worst "
              << f.worst << " ms (target below " << targetMs << " ms) " << (met ? "met" : "MISSED")
              << "\n";
    return met;
}

SYSTEMTIME momentOf(int i)
{
    return SYSTEMTIME { 2026, 12, WORD(2), 8, WORD(10 + i / 3600 % 12), WORD(i / 60 % 60),
        WORD(i % 60), 0 };
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    int frames = 500;
    QString saveFolder;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--save" && i + 1 < argc)
            saveFolder = QString::fromLocal8Bit(argv[++i]);
        else
            frames = std::max(10, std::atoi(argv[i]));
    }
    const platform::LocaleInfo locale = platform::localeInfo("en_US");

    faces::FaceHost host;
    if (!host.loadBytes(benchFace(), 1)) {
        std::cerr << "the bench face does not load\n";
        return 1;
    }
    QImage screen(480, 640, QImage::Format_RGB32);
    const Figures face = measure(frames, [&](int i) {
        QPainter painter(&screen);
        faces::FaceInputs inputs;
        inputs.clock.time = momentOf(i * 7);
        inputs.clock.nextAlarm = momentOf(3);
        inputs.locale = &locale;
        host.draw(painter, inputs);
    });

    if (!saveFolder.isEmpty())
        screen.save(saveFolder + QStringLiteral("/face.png"));

    faces::SkinSet skin;
    if (skin.loadBytes(benchPack(), std::nullopt) != faces::SkinOutcome::PackLook) {
        std::cerr << "the bench pack does not load\n";
        return 1;
    }
    const auto layout = faces::ScreenLayout::of(480, 640);
    const faces::DigitalClock digital(skin, layout);
    const faces::StatusBar bar(skin, layout);
    faces::DigitalClockInputs clockInputs;
    clockInputs.homeCityName = u"London";
    clockInputs.weekNumber = 50;
    clockInputs.locale = &locale;
    faces::StatusBarInputs barInputs;
    barInputs.contents = { 1, 7, 8 };
    barInputs.locale = &locale;
    const Figures second = measure(frames, [&](int i) {
        QPainter painter(&screen);
        clockInputs.localTime = momentOf(i);
        clockInputs.visitingTime = momentOf(i + 3600);
        barInputs.localTime = clockInputs.localTime;
        bar.draw(painter, barInputs);
        digital.draw(painter, clockInputs);
    });

    if (!saveFolder.isEmpty())
        screen.save(saveFolder + QStringLiteral("/digital_clock.png"));

    std::cout << "faces_bench, " << frames << " frames at 480 x 640\n";
    const bool faceMet = report("clock face frame", face, 2.0);
    const bool secondMet
        = report("Digital Clock per-second update with the status bar", second, 1.0);
    return faceMet && secondMet ? 0 : 1;
}
