#include "ui/drop_list.h"

#include <QEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <functional>

namespace ui {

namespace {

constexpr int kMaxVisibleRows = 13; // every built-in view without scrolling
// The arrow box at the desktop's scale; it follows the style's button icons (twice as wide
// on large screens).
constexpr int kArrowBoxPx = 16;

int arrowBoxWidth(const QWidget& list)
{
    return std::max(kArrowBoxPx, list.style()->pixelMetric(QStyle::PM_ButtonIconSize, nullptr, &list));
}
constexpr int kTextMarginPx = 4;

// Closes together with the popup role: the owner learns of every way the list goes away
// (a pick, Escape, a tap elsewhere).
class PopupList final : public QListWidget {
public:
    PopupList(QWidget* owner, std::function<void()> onHide)
        : QListWidget(owner)
        , m_onHide(std::move(onHide))
    {
    }

protected:
    void hideEvent(QHideEvent* event) override
    {
        QListWidget::hideEvent(event);
        m_onHide();
    }

private:
    std::function<void()> m_onHide;
};

// The title's font: bold, and condensed when a name would not fit `width` otherwise.
QFont titleFont(QFont font, const QString& text, int width)
{
    font.setBold(true);
    if (QFontMetrics(font).horizontalAdvance(text) > width)
        font.setStretch(QFont::Condensed);
    return font;
}

} // namespace

DropList::DropList(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DropList"));
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_popup = new PopupList(this, [this] { listClosed(); });
    m_popup->setObjectName(QStringLiteral("DropListPopup"));
    m_popup->setWindowFlags(Qt::Popup);
    // It takes the title's colours (the look's) all the same.
    m_popup->setAttribute(Qt::WA_WindowPropagation);
    // A tap on the title while the list is open only closes it, rather than reopening it.
    m_popup->setAttribute(Qt::WA_NoMouseReplay);
    m_popup->setSelectionMode(QAbstractItemView::SingleSelection);
    m_popup->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_popup, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { pick(m_popup->row(item)); });
    connect(m_popup, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { pick(m_popup->row(item)); });
}

void DropList::setItems(const QStringList& items)
{
    m_items = items;
    if (m_current < 0 || m_current >= m_items.size())
        m_current = m_items.isEmpty() ? -1 : 0;
    m_popup->hide();
    m_popup->clear();
    m_popup->addItems(m_items);
    updateGeometry();
    update();
}

void DropList::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_items.size() || index == m_current)
        return;
    m_current = index;
    update();
}

void DropList::showList()
{
    if (m_items.isEmpty())
        return;
    m_pressed = true;
    update();
    m_popup->setCurrentRow(m_current);
    const int rows = std::min<int>(int(m_items.size()), kMaxVisibleRows);
    const int frame = 2 * m_popup->frameWidth();
    const int rowHeight = std::max(m_popup->sizeHintForRow(0), fontMetrics().height());
    const int width = std::max(this->width(), m_popup->sizeHintForColumn(0) + frame
            + (int(m_items.size()) > rows ? m_popup->verticalScrollBar()->sizeHint().width() : 0));
    m_popup->setGeometry(QRect(mapToGlobal(QPoint(0, height())), QSize(width, rows * rowHeight + frame)));
    m_popup->show();
    m_popup->scrollToItem(m_popup->currentItem());
    m_popup->setFocus();
}

bool DropList::listShown() const { return m_popup->isVisible(); }

QSize DropList::sizeHint() const
{
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    int widest = 0;
    for (const QString& item : m_items)
        widest = std::max(widest, metrics.horizontalAdvance(item));
    return { widest + 2 * kTextMarginPx + arrowBoxWidth(*this) + 4, metrics.height() + 6 };
}

void DropList::changeEvent(QEvent* event)
{
    // The popup is a window of its own and does not inherit the title's font.
    if (event->type() == QEvent::FontChange)
        m_popup->setFont(font());
    QWidget::changeEvent(event);
}

void DropList::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const int boxWidth = arrowBoxWidth(*this);
    const double zoom = double(boxWidth) / kArrowBoxPx;
    QRect arrowBox(width() - boxWidth - 1, 1, boxWidth, height() - 2);
    painter.fillRect(arrowBox, m_pressed ? palette().dark() : palette().button());
    const QPointF centre = QRectF(arrowBox).center() + (m_pressed ? QPointF(zoom, zoom) : QPointF());
    QPainterPath arrow;
    arrow.moveTo(centre + QPointF(-4, -2) * zoom);
    arrow.lineTo(centre + QPointF(4, -2) * zoom);
    arrow.lineTo(centre + QPointF(0, 2) * zoom);
    arrow.closeSubpath();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(arrow, m_pressed ? palette().brightText() : palette().buttonText());
    painter.setRenderHint(QPainter::Antialiasing, false);

    painter.setPen(palette().color(QPalette::Text));
    const QRect textArea = rect().adjusted(kTextMarginPx, 0, -boxWidth - kTextMarginPx, 0);
    painter.setFont(titleFont(font(), currentText(), textArea.width()));
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter,
        painter.fontMetrics().elidedText(currentText(), Qt::ElideRight, textArea.width()));
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = textArea;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void DropList::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        showList();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void DropList::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F4:
        showList();
        return;
    case Qt::Key_Down:
        if (event->modifiers() & Qt::AltModifier) {
            showList();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void DropList::pick(int index)
{
    if (index < 0 || index >= m_items.size())
        return;
    m_popup->hide();
    m_current = index;
    update();
    emit selected(index);
}

void DropList::listClosed()
{
    m_pressed = false;
    update();
}

} // namespace ui
