#include "tools/art_generator/canvas.h"

#include <QBuffer>
#include <QByteArray>
#include <QColorSpace>
#include <QImageWriter>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <system_error>

namespace art {

namespace {

// 96 dots per inch. Qt would otherwise take the resolution from the platform's screen.
constexpr int kDotsPerMeter = 3780;

} // namespace

QImage blankImage(int width, int height, int scale, Background background, QColor fill)
{
    const bool opaque = background == Background::Opaque;
    QImage image(width * scale, height * scale,
        opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? fill.rgb() : 0u);
    return image;
}

void beginPainting(QPainter& painter, QImage& image, int scale)
{
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.scale(scale, scale);
}

bool Fonts::load(const QString& regularFile, const QString& boldFile)
{
    // The outlines are taken at a large size and scaled, so the size given here only
    // matters for the font engine's own bookkeeping.
    m_regular.loadFromFile(regularFile, 100.0, QFont::PreferNoHinting);
    m_bold.loadFromFile(boldFile, 100.0, QFont::PreferNoHinting);
    return m_regular.isValid() && m_bold.isValid();
}

QPainterPath Fonts::textPath(const QString& text, Weight weight, double pixelSize) const
{
    const QRawFont& font = weight == Weight::Bold ? m_bold : m_regular;
    QPainterPath path;
    const QList<quint32> glyphs = font.glyphIndexesForString(text);
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    const double factor = pixelSize / font.pixelSize();
    double x = 0.0;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        QPainterPath glyph = font.pathForGlyph(glyphs[i]);
        glyph.translate(x, 0.0);
        path.addPath(glyph);
        x += advances[i].x();
    }
    QTransform toSize;
    toSize.scale(factor, factor);
    path = toSize.map(path);
    path.setFillRule(Qt::WindingFill);
    return path;
}

QPainterPath centredIn(const QPainterPath& path, const QRectF& box)
{
    const QRectF ink = path.boundingRect();
    return path.translated(box.center() - ink.center());
}

QPainterPath fittedIn(const QPainterPath& path, const QRectF& box)
{
    const QRectF ink = path.boundingRect();
    if (ink.width() <= 0.0 || ink.height() <= 0.0)
        return path;
    const double factor = std::min({ 1.0, box.width() / ink.width(), box.height() / ink.height() });
    QTransform shrink;
    shrink.scale(factor, factor);
    return centredIn(shrink.map(path), box);
}

PngWriter::PngWriter(std::filesystem::path root)
    : m_root(std::move(root))
{ }

bool PngWriter::write(const QImage& image, const std::string& relativePath)
{
    QImage file = image;
    if (file.format() == QImage::Format_ARGB32_Premultiplied)
        file = file.convertToFormat(QImage::Format_ARGB32);
    file.setDotsPerMeterX(kDotsPerMeter);
    file.setDotsPerMeterY(kDotsPerMeter);
    file.setColorSpace(QColorSpace());

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(0); // deflate level 9: the files are checked in
    if (!writer.write(file))
        return false;

    const std::filesystem::path target = m_root / relativePath;
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error)
        return false;
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.constData(), bytes.size());
    out.close();
    if (!out)
        return false;
    m_written.push_back(relativePath);
    return true;
}

bool PngWriter::writeText(const std::string& text, const std::string& relativePath)
{
    const std::filesystem::path target = m_root / relativePath;
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error)
        return false;
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return bool(out);
}

QImage magentaKeyed(const QImage& image)
{
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                line[x] = qRgba(255, 0, 255, 0);
        }
    }
    return keyed;
}

QColor mixed(QColor from, QColor to, double amount)
{
    const auto channel = [amount](int a, int b) { return int(std::lround(a + (b - a) * amount)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
        channel(from.blue(), to.blue()), channel(from.alpha(), to.alpha()));
}

QColor withAlpha(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

QString hexOf(QColor colour)
{
    return colour.name(QColor::HexRgb);
}

} // namespace art
