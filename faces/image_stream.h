#pragma once
// Image streams of resource packs, skins and face files: entries one after another, each a
// 32-bit little-endian byte length followed by that many bytes of a PNG, JPEG, GIF or BMP
// image. Readers check every entry against the end of the file before they trust it.

#include <QImage>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace faces {

using Bytes = std::vector<std::byte>;
using ByteView = std::span<const std::byte>;

// Decoded images larger than this are refused, whatever their file size.
inline constexpr int kMaxImageSide = 8192;
inline constexpr std::int64_t kMaxImagePixels = 16LL * 1024 * 1024;

// The little-endian 32-bit word at `offset` (the caller has checked the bounds).
[[nodiscard]] std::int32_t wordAt(ByteView bytes, std::size_t offset);
void putWord(Bytes& bytes, std::size_t offset, std::int32_t value);

struct ImageStream {
    std::vector<ByteView> entries; // views into the file
    std::size_t end = 0; // file offset just past the last entry
};

// The `count` entries of a stream that starts at `offset` of `file`; nullopt when the offset
// or any entry reaches past the end of the file.
[[nodiscard]] std::optional<ImageStream> parseImageStream(
    ByteView file, std::size_t offset, std::size_t count);

// Appends one entry (length and bytes) to a stream being written.
void appendImageEntry(Bytes& stream, ByteView image);

// Decodes one entry; a null image when it is no PNG, JPEG, GIF or BMP that Qt reads, or when
// it is larger than the limits above. Opaque images come back as RGB32, others as
// premultiplied ARGB32.
[[nodiscard]] QImage decodeImage(ByteView data);

// The image with every pure magenta pixel (red 255, green 0, blue 255) made transparent.
[[nodiscard]] QImage withMagentaTransparent(const QImage& image);

// Frame `index` of a strip of `frames` equal frames side by side; an empty rectangle when the
// strip has no such frame.
[[nodiscard]] QRect frameRect(const QImage& strip, int frames, int index);

} // namespace faces
