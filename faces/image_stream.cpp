#include "faces/image_stream.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <cstring>
#include <limits>

namespace faces {

std::int32_t wordAt(ByteView bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | std::uint32_t(bytes[offset + std::size_t(i)]);
    return std::int32_t(value);
}

void putWord(Bytes& bytes, std::size_t offset, std::int32_t value)
{
    const auto bits = std::uint32_t(value);
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = std::byte((bits >> (8 * i)) & 0xff);
}

std::optional<ImageStream> parseImageStream(ByteView file, std::size_t offset, std::size_t count)
{
    // Every entry needs at least its length word, so a count the file cannot hold is refused
    // before anything is reserved for it.
    if (offset > file.size() || count > (file.size() - offset) / 4)
        return std::nullopt;
    ImageStream stream;
    stream.entries.reserve(count);
    std::size_t at = offset;
    for (std::size_t k = 0; k < count; ++k) {
        if (file.size() - at < 4)
            return std::nullopt;
        const auto length = std::size_t(std::uint32_t(wordAt(file, at)));
        at += 4;
        if (length > file.size() - at)
            return std::nullopt;
        stream.entries.push_back(file.subspan(at, length));
        at += length;
    }
    stream.end = at;
    return stream;
}

void appendImageEntry(Bytes& stream, ByteView image)
{
    const std::size_t at = stream.size();
    stream.resize(at + 4 + image.size());
    putWord(stream, at, std::int32_t(std::uint32_t(image.size())));
    if (!image.empty())
        std::memcpy(stream.data() + at + 4, image.data(), image.size());
}

QImage decodeImage(ByteView data)
{
    if (data.empty() || data.size() > std::size_t(std::numeric_limits<int>::max()))
        return {};
    // The bytes stay where they are; the buffer only reads them.
    const QByteArray bytes = QByteArray::fromRawData(
        reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QByteArray format = reader.format();
    if (format != "png" && format != "jpeg" && format != "jpg" && format != "gif"
        && format != "bmp")
        return {};
    const QSize declared = reader.size();
    const auto tooLarge = [](QSize size) {
        return size.width() > kMaxImageSide || size.height() > kMaxImageSide
            || std::int64_t(size.width()) * size.height() > kMaxImagePixels;
    };
    if (declared.isValid() && tooLarge(declared))
        return {};
    QImage image = reader.read();
    if (image.isNull() || tooLarge(image.size()))
        return {};
    return image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

QImage withMagentaTransparent(const QImage& image)
{
    if (image.isNull())
        return image;
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((line[x] & 0x00ffffffu) == 0x00ff00ffu)
                line[x] = 0;
        }
    }
    return keyed.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QRect frameRect(const QImage& strip, int frames, int index)
{
    if (strip.isNull() || frames <= 0 || index < 0 || index >= frames)
        return {};
    const int width = strip.width() / frames;
    if (width <= 0)
        return {};
    return QRect(index * width, 0, width, strip.height());
}

} // namespace faces
