#include "tools/art_generator/faces.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace art {

QImage frameStrip(int frames, int frameWidth, int frameHeight, int scale,
    const std::function<void(QPainter& painter, int index, const QRectF& frame)>& paint)
{
    QImage image = blankImage(frames * frameWidth, frameHeight, scale, Background::Transparent);
    QPainter painter;
    beginPainting(painter, image, scale);
    for (int index = 0; index < frames; ++index) {
        painter.save();
        paint(painter, index, QRectF(index * frameWidth, 0, frameWidth, frameHeight));
        painter.restore();
    }
    return image;
}

FontFigures fontFigures(const Fonts& fonts, Fonts::Weight weight, QSizeF box)
{
    FontFigures result;
    QRectF ink;
    for (int digit = 0; digit < 10; ++digit) {
        result.figures[digit] = fonts.textPath(QString::number(digit), weight, 100.0);
        ink = ink.united(result.figures[digit].boundingRect());
    }
    // One scale for all ten keeps their common height and baseline; a narrow box squeezes
    // the figures horizontally rather than making them shorter.
    const double scaleY = box.height() / ink.height();
    const double scaleX = std::min(scaleY, box.width() / ink.width());
    QTransform place;
    place.scale(scaleX, scaleY);
    place.translate(-ink.left(), -ink.top());
    const double spareX = box.width() - ink.width() * scaleX;
    QTransform centre;
    centre.translate(spareX / 2.0, 0.0);
    for (auto& figure : result.figures)
        figure = (place * centre).map(figure);
    return result;
}

void scatterStars(QPainter& painter, const QRectF& area, int count, unsigned seed, QColor colour)
{
    // A fixed linear congruential sequence: the sky is part of the design, not random.
    std::uint32_t state = seed;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return double(state >> 8) / double(1u << 24);
    };
    painter.save();
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const QPointF at(area.left() + next() * area.width(), area.top() + next() * area.height());
        const double size = next();
        const double radius = 0.35 + size * size * 0.85;
        const int alpha = int(60 + next() * 150);
        painter.setBrush(withAlpha(colour, alpha));
        painter.drawEllipse(at, radius, radius);
        if (size > 0.93) {
            // The few brightest get a faint halo.
            painter.setBrush(withAlpha(colour, alpha / 6));
            painter.drawEllipse(at, radius * 3.2, radius * 3.2);
        }
    }
    painter.restore();
}

bool writeBothScales(PngWriter& writer, const char* face, const char* file,
    const std::function<QImage(int scale)>& image)
{
    for (const Scale& scale : kScales) {
        const std::string path = std::string("faces/") + face + '/' + scale.folder + '/' + file;
        if (!writer.write(image(scale.factor), path))
            return false;
    }
    return true;
}

} // namespace art
