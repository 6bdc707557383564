#include "tools/art_generator/contact_sheet.h"

#include "tools/art_generator/mockups.h"

#include <QImageWriter>

#include <algorithm>
#include <map>
#include <vector>

namespace art {

namespace {

constexpr int kSheetWidth = 1800;
constexpr int kMargin = 24;
constexpr int kGap = 18;
constexpr int kLabelHeight = 18;
constexpr int kHeaderHeight = 34;

const QColor kPaper(0xe9ebee);
const QColor kLabel(0x39414b);

struct Item {
    QString label;
    QImage image;
};

QString captionOf(const Item& item)
{
    return QStringLiteral("%1  %2x%3")
        .arg(item.label)
        .arg(item.image.width())
        .arg(item.image.height());
}

struct Section {
    QString title;
    std::vector<Item> items;
};

// Wraps the items of one section into rows; returns the height the section takes.
struct Placed {
    QPointF at;
    QSizeF size;
    const Item* item;
};
int layOut(const Section& section, const Fonts& fonts, int top, std::vector<Placed>& placed)
{
    const int usable = kSheetWidth - 2 * kMargin;
    int x = kMargin;
    int y = top + kHeaderHeight;
    int rowHeight = 0;
    for (const Item& item : section.items) {
        QSizeF size = item.image.size();
        if (size.width() > usable)
            size = size.scaled(usable, size.height(), Qt::KeepAspectRatio);
        const double caption
            = fonts.textPath(captionOf(item), Fonts::Weight::Regular, 12.0).boundingRect().width();
        const double width = std::max(size.width(), caption);
        if (x > kMargin && x + width > kMargin + usable) {
            x = kMargin;
            y += rowHeight + kLabelHeight + kGap;
            rowHeight = 0;
        }
        placed.push_back({ QPointF(x, y), size, &item });
        x += int(width) + kGap;
        rowHeight = std::max(rowHeight, int(size.height()));
    }
    return y + rowHeight + kLabelHeight + kGap - top;
}

void checkerboard(QPainter& painter, const QRectF& area)
{
    painter.save();
    painter.setClipRect(area);
    // Mid greys, so that white and black sprites both stand out.
    painter.fillRect(area, QColor(0xbcc1c8));
    constexpr int kCell = 8;
    for (int y = int(area.top()); y < area.bottom(); y += kCell) {
        for (int x = int(area.left()); x < area.right(); x += kCell) {
            if (((x - int(area.left())) / kCell + (y - int(area.top())) / kCell) % 2 == 0)
                painter.fillRect(QRectF(x, y, kCell, kCell), QColor(0xa4aab3));
        }
    }
    painter.restore();
}

} // namespace

bool writeContactSheet(
    const PngWriter& writer, const Fonts& fonts, const std::filesystem::path& file)
{
    // Sections in the order the files were written: one per folder.
    std::vector<Section> sections;
    std::map<std::string, std::size_t> sectionOf;
    Section mockUpSection {
        QStringLiteral("mock-ups, not shipped: the pictures in place at 10:08:36"), {}
    };
    for (MockUp& mockUp : mockUps(writer.root(), fonts))
        mockUpSection.items.push_back({ mockUp.label, std::move(mockUp.image) });
    if (mockUpSection.items.empty())
        return false;
    sections.push_back(std::move(mockUpSection));
    for (const std::string& relative : writer.written()) {
        const std::filesystem::path path(relative);
        // The vga pictures are the same drawings at double size; the mock-ups show them.
        if (path.parent_path().filename() == "vga")
            continue;
        const std::string folder = path.parent_path().string();
        if (!sectionOf.contains(folder)) {
            sectionOf[folder] = sections.size();
            sections.push_back({ QString::fromStdString(folder), {} });
        }
        QImage image(QString::fromStdString((writer.root() / path).string()));
        if (image.isNull())
            return false;
        sections[sectionOf[folder]].items.push_back(
            { QString::fromStdString(path.filename().string()), image });
    }

    std::vector<std::vector<Placed>> placed(sections.size());
    std::vector<int> tops;
    int height = kMargin;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        tops.push_back(height);
        height += layOut(sections[i], fonts, height, placed[i]);
    }
    height += kMargin;

    QImage sheet(kSheetWidth, height, QImage::Format_RGB32);
    sheet.fill(kPaper);
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (std::size_t i = 0; i < sections.size(); ++i) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(kLabel);
        painter.drawPath(fonts.textPath(sections[i].title, Fonts::Weight::Bold, 18.0)
                             .translated(kMargin, tops[i] + 24));
        painter.fillRect(
            QRectF(kMargin, tops[i] + 30, kSheetWidth - 2 * kMargin, 1), QColor(0xc3c8cf));
        for (const Placed& p : placed[i]) {
            const QRectF target(p.at, p.size);
            checkerboard(painter, target);
            painter.drawImage(target, p.item->image);
            painter.setPen(Qt::NoPen);
            painter.setBrush(kLabel);
            painter.drawPath(fonts.textPath(captionOf(*p.item), Fonts::Weight::Regular, 12.0)
                                 .translated(p.at.x(), target.bottom() + 14));
        }
    }
    painter.end();
    PngWriter sheetWriter(file.parent_path());
    return sheetWriter.write(sheet, file.filename().string());
}

} // namespace art
