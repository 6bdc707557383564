#pragma once
// Drawing helpers shared by every picture of the shipped look: blank images at a scale,
// text drawn from the font files' own outlines, and PNG files written the same way on
// every run.
//
// Every picture is designed in the pixels of the 240x320 screen ("design pixels") and
// painted at scale 1 (qvga) or scale 2 (vga) by scaling the painter, so that the vga set
// is drawn at double size rather than enlarged.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QString>

#include <filesystem>
#include <string>
#include <vector>

namespace art {

// The design screen, portrait, and the width of its landscape form.
inline constexpr int kScreenWidth = 240;
inline constexpr int kScreenHeight = 320;
inline constexpr int kLandscapeWidth = 320;

// The two sets every picture exists in.
struct Scale {
    int factor; // 1 or 2
    const char* folder; // "qvga" or "vga"
};
inline constexpr Scale kScales[] = { { 1, "qvga" }, { 2, "vga" } };

// Opaque pictures are written without an alpha channel, which keeps them small.
enum class Background { Transparent, Opaque };

// An image of `width` x `height` design pixels at `scale`, cleared to transparent or to
// `fill`.
[[nodiscard]] QImage blankImage(
    int width, int height, int scale, Background background, QColor fill = Qt::white);

// A painter on `image` with antialiasing on and the design-pixel scale applied.
void beginPainting(QPainter& painter, QImage& image, int scale);

// The two faces every text of the look is set in, loaded from their font files so that
// the pictures do not depend on the fonts the machine happens to have.
class Fonts {
public:
    [[nodiscard]] bool load(const QString& regularFile, const QString& boldFile);
    enum class Weight { Regular, Bold };
    // The outline of `text` with its baseline starting at (0, 0), at `pixelSize` design
    // pixels per em. Kerning is not applied; the look only sets short labels and numbers.
    [[nodiscard]] QPainterPath textPath(const QString& text, Weight weight, double pixelSize) const;

private:
    QRawFont m_regular;
    QRawFont m_bold;
};

// Where a text goes in a rectangle: horizontally centred on the ink, vertically centred
// on the ink as well, so that digits and capitals sit in the middle of a frame.
[[nodiscard]] QPainterPath centredIn(const QPainterPath& path, const QRectF& box);
// The same text scaled down uniformly until its ink fits into `box`, then centred.
[[nodiscard]] QPainterPath fittedIn(const QPainterPath& path, const QRectF& box);

// Writes PNG files with fixed options (no time, text or colour-space chunks, a fixed
// resolution and compression), so that the same pictures give the same bytes. Remembers
// each file it wrote, relative to the output root, for the contact sheet.
class PngWriter {
public:
    explicit PngWriter(std::filesystem::path root);
    // Writes `image` as root/relativePath; folders are created as needed.
    [[nodiscard]] bool write(const QImage& image, const std::string& relativePath);
    [[nodiscard]] bool writeText(const std::string& text, const std::string& relativePath);
    [[nodiscard]] const std::vector<std::string>& written() const { return m_written; }
    [[nodiscard]] const std::filesystem::path& root() const { return m_root; }

private:
    std::filesystem::path m_root;
    std::vector<std::string> m_written;
};

// The status-bar icon strip's contract: magenta (255, 0, 255) marks transparency. Pixels
// that are fully transparent become magenta with alpha 0; the antialiased edges keep
// their partial alpha for readers that honour it, and a reader that only keys magenta
// still finds every background pixel.
[[nodiscard]] QImage magentaKeyed(const QImage& image);

// Colour helpers.
[[nodiscard]] QColor mixed(QColor from, QColor to, double amount);
[[nodiscard]] QColor withAlpha(QColor colour, int alpha);
[[nodiscard]] QString hexOf(QColor colour); // "#rrggbb"

} // namespace art
