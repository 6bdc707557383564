#pragma once
// Helpers of the face and skin tests: the sample art the build made from tests/data/faces,
// images encoded on the fly, and files placed in a temporary device's program folder.

#include "faces/image_stream.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageWriter>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace faces_test {

inline faces::Bytes readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string content(
        (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    faces::Bytes bytes(content.size());
    for (std::size_t i = 0; i < content.size(); ++i)
        bytes[i] = std::byte(content[i]);
    return bytes;
}

// A file the build made from the sample descriptions ("sample.qpg", "res.dat", "plain.qsk").
inline faces::Bytes sampleArt(const std::string& name)
{
    return readBytes(std::filesystem::path(TKW_FACES_ART) / name);
}

inline faces::Bytes pngOf(const QImage& image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    const QByteArray data = buffer.data();
    faces::Bytes bytes(std::size_t(data.size()));
    for (qsizetype i = 0; i < data.size(); ++i)
        bytes[std::size_t(i)] = std::byte(data[i]);
    return bytes;
}

inline faces::Bytes solidPng(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return pngOf(image);
}

// Writes `bytes` at a path below the device's program folder ("data/res.dat").
inline void placeProgramFile(
    const std::filesystem::path& deviceRoot, const std::string& relative, const faces::Bytes& bytes)
{
    const auto path = deviceRoot / "Program Files" / "Tickwell Pro" / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline QColor pixel(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

} // namespace faces_test
