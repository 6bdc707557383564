// contact_sheet: lays pictures out as a labelled grid on one PNG, for reviewing many
// screenshots at a glance (scripts/screenshots makes the General view on every screen kind
// in every language this way).
//
//   contact_sheet OUTPUT.png CELL "TITLE" COLUMN-LABELS ROW-LABELS PICTURE...
//
// COLUMN-LABELS and ROW-LABELS are comma-separated; the pictures come row by row, one per
// cell. Each picture is scaled down (never up) to fit a CELL x CELL square, keeping its
// proportions, and centred in it.

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kMargin = 16;
constexpr int kGap = 12;
constexpr int kTitleSize = 20;
constexpr int kLabelSize = 13;

const QColor kPaper(0xe9ebee);
const QColor kInk(0x39414b);
const QColor kFrame(0xa4aab3);

struct Grid {
    QString title;
    QStringList columns;
    QStringList rows;
    int cell = 0;
};

QImage fitted(const QImage& picture, int cell)
{
    if (picture.width() <= cell && picture.height() <= cell)
        return picture;
    return picture.scaled(cell, cell, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// Returns a null image when a picture cannot be read.
QImage compose(const Grid& grid, const QStringList& files)
{
    QFont titleFont;
    titleFont.setPixelSize(kTitleSize);
    titleFont.setBold(true);
    QFont labelFont;
    labelFont.setPixelSize(kLabelSize);
    labelFont.setBold(true);
    const QFontMetrics labels(labelFont);

    int rowLabelWidth = 0;
    for (const QString& row : grid.rows)
        rowLabelWidth = std::max(rowLabelWidth, labels.horizontalAdvance(row));
    const int titleHeight = grid.title.isEmpty() ? 0 : kTitleSize + kGap;
    const int headerHeight = labels.height() + kGap / 2;
    const int left = kMargin + rowLabelWidth + kGap;
    const int top = kMargin + titleHeight + headerHeight;
    const int pitch = grid.cell + kGap;
    const int width = left + int(grid.columns.size()) * pitch - kGap + kMargin;
    const int height = top + int(grid.rows.size()) * pitch - kGap + kMargin;

    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(kPaper);
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setPen(kInk);
    if (!grid.title.isEmpty()) {
        painter.setFont(titleFont);
        painter.drawText(QRect(kMargin, kMargin, width - 2 * kMargin, kTitleSize + 4),
            Qt::AlignLeft | Qt::AlignVCenter, grid.title);
    }
    painter.setFont(labelFont);
    for (int column = 0; column < grid.columns.size(); ++column)
        painter.drawText(QRect(left + column * pitch, top - headerHeight, grid.cell, labels.height()),
            Qt::AlignCenter, grid.columns.at(column));
    for (int row = 0; row < grid.rows.size(); ++row)
        painter.drawText(QRect(kMargin, top + row * pitch, rowLabelWidth, grid.cell),
            Qt::AlignRight | Qt::AlignVCenter, grid.rows.at(row));

    for (int i = 0; i < files.size(); ++i) {
        const QImage picture(files.at(i));
        if (picture.isNull()) {
            std::fprintf(stderr, "contact_sheet: cannot read %s\n", qPrintable(files.at(i)));
            return {};
        }
        const QImage shown = fitted(picture, grid.cell);
        const QPoint cellAt(left + int(i % grid.columns.size()) * pitch, top + int(i / grid.columns.size()) * pitch);
        const QPoint at = cellAt + QPoint((grid.cell - shown.width()) / 2, (grid.cell - shown.height()) / 2);
        painter.drawImage(at, shown);
        painter.setPen(kFrame);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(at - QPoint(1, 1), shown.size() + QSize(1, 1)));
    }
    return sheet;
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 7) {
        std::fprintf(stderr,
            "usage: contact_sheet OUTPUT.png CELL TITLE COLUMN-LABELS ROW-LABELS PICTURE...\n");
        return 2;
    }
    Grid grid;
    bool cellOk = false;
    grid.cell = arguments.at(2).toInt(&cellOk);
    grid.title = arguments.at(3);
    grid.columns = arguments.at(4).split(QLatin1Char(','));
    grid.rows = arguments.at(5).split(QLatin1Char(','));
    const QStringList files = arguments.mid(6);
    if (!cellOk || grid.cell < 16) {
        std::fprintf(stderr, "contact_sheet: CELL must be a size in pixels (16 or more)\n");
        return 2;
    }
    if (files.size() != grid.columns.size() * grid.rows.size()) {
        std::fprintf(stderr, "contact_sheet: %lld columns x %lld rows need %lld pictures, not %lld\n",
            static_cast<long long>(grid.columns.size()), static_cast<long long>(grid.rows.size()),
            static_cast<long long>(grid.columns.size() * grid.rows.size()), static_cast<long long>(files.size()));
        return 2;
    }
    const QImage sheet = compose(grid, files);
    if (sheet.isNull())
        return 1;
    if (!sheet.save(arguments.at(1), "PNG")) {
        std::fprintf(stderr, "contact_sheet: cannot write %s\n", qPrintable(arguments.at(1)));
        return 1;
    }
    std::printf("wrote %s (%dx%d)\n", qPrintable(arguments.at(1)), sheet.width(), sheet.height());
    return 0;
}
