#include "ui/tab_strip.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>
#include <utility>

namespace ui {

namespace {

constexpr int kTextMarginPx = 3;

} // namespace

TabStrip::TabStrip(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TabStrip"));
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TabStrip::setTabs(const QStringList& texts)
{
    m_tabs = texts;
    if (m_current < 0 || m_current >= m_tabs.size())
        m_current = m_tabs.isEmpty() ? -1 : 0;
    m_pressed = -1;
    updateGeometry();
    update();
}

void TabStrip::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_tabs.size() || index == m_current)
        return;
    m_current = index;
    update();
}

QRect TabStrip::tabRect(int index) const
{
    if (index < 0 || index >= m_tabs.size())
        return { };
    // Equal shares; the pixels that do not divide evenly go to the first tabs.
    const int count = int(m_tabs.size());
    const int base = width() / count;
    const int extra = width() % count;
    const int left = index * base + std::min(index, extra);
    return QRect(left, 0, base + (index < extra ? 1 : 0), height());
}

int TabStrip::tabAt(QPoint point) const
{
    for (int i = 0; i < m_tabs.size(); ++i) {
        if (tabRect(i).contains(point))
            return i;
    }
    return -1;
}

QSize TabStrip::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    int widest = 0;
    for (const QString& text : m_tabs)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return { int(std::max<qsizetype>(1, m_tabs.size())) * (widest + 2 * kTextMarginPx), metrics.height() + 8 };
}

QSize TabStrip::minimumSizeHint() const { return { int(m_tabs.size()) * 2 * kTextMarginPx, fontMetrics().height() + 8 }; }

void TabStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QColor line = palette().color(QPalette::Dark);
    for (int i = 0; i < m_tabs.size(); ++i) {
        const QRect tab = tabRect(i);
        const bool current = i == m_current;
        const bool held = i == m_pressed && m_penOnPressed;
        // The selected tab is joined to the page below it; the others stand back.
        const QRect face = current ? tab.adjusted(0, 0, -1, 0) : tab.adjusted(0, 2, -1, -1);
        painter.fillRect(face, held ? palette().mid() : current ? palette().base() : palette().button());
        painter.setPen(line);
        painter.drawLine(face.topLeft(), face.topRight());
        painter.drawLine(face.topLeft(), face.bottomLeft());
        painter.drawLine(face.topRight(), face.bottomRight());
        if (!current)
            painter.drawLine(tab.bottomLeft(), tab.bottomRight());
        QFont font = this->font();
        font.setBold(current);
        painter.setFont(font);
        painter.setPen(palette().color(current ? QPalette::Text : QPalette::ButtonText));
        const QRect textArea = face.adjusted(kTextMarginPx, 0, -kTextMarginPx, 0);
        painter.drawText(textArea, Qt::AlignCenter,
            painter.fontMetrics().elidedText(m_tabs[i], Qt::ElideRight, textArea.width()));
        if (current && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = textArea.adjusted(0, 2, 0, -2);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }
}

void TabStrip::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = tabAt(event->position().toPoint());
    m_penOnPressed = m_pressed >= 0;
    update();
}

void TabStrip::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed < 0)
        return;
    const bool on = tabAt(event->position().toPoint()) == m_pressed;
    if (on != m_penOnPressed) {
        m_penOnPressed = on;
        update();
    }
}

void TabStrip::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_pressed < 0) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const int pressed = std::exchange(m_pressed, -1);
    update();
    if (tabAt(event->position().toPoint()) == pressed)
        choose(pressed);
}

void TabStrip::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        choose(m_current - 1);
        return;
    case Qt::Key_Right:
        choose(m_current + 1);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TabStrip::choose(int index)
{
    if (index < 0 || index >= m_tabs.size() || index == m_current)
        return;
    m_current = index;
    update();
    emit changed(index);
}

} // namespace ui
