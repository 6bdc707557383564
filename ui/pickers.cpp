#include "ui/pickers.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace ui {

namespace {

constexpr int kTextMarginPx = 4;

QDate dateOf(const SYSTEMTIME& value) { return QDate(value.wYear, value.wMonth, value.wDay); }

// The value with the half the picture does not show made harmless: a time picture must not
// fail on an unset date (callers often fill in only the hours), and a date picture names the
// weekday of the date itself rather than trusting wDayOfWeek.
SYSTEMTIME formattable(const SYSTEMTIME& value, platform::PictureKind kind)
{
    SYSTEMTIME t = value;
    if (kind == platform::PictureKind::Time) {
        t.wYear = 2000;
        t.wMonth = 1;
        t.wDay = 1;
        t.wDayOfWeek = 6;
    } else {
        t.wHour = t.wMinute = t.wSecond = t.wMilliseconds = 0;
        const QDate date = dateOf(value);
        if (date.isValid())
            t.wDayOfWeek = WORD(date.dayOfWeek() % 7);
        else
            t.wMonth = 0; // an impossible date (30 February) is not formatted at all
    }
    return t;
}

QString isoText(const SYSTEMTIME& value, platform::PictureKind kind)
{
    if (kind == platform::PictureKind::Time)
        return QString::asprintf("%02u:%02u:%02u", unsigned(value.wHour), unsigned(value.wMinute), unsigned(value.wSecond));
    return QString::asprintf("%04u-%02u-%02u", unsigned(value.wYear), unsigned(value.wMonth), unsigned(value.wDay));
}

} // namespace

PictureField::PictureField(platform::PictureKind kind, QWidget* parent)
    : QWidget(parent)
    , m_kind(kind)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void PictureField::setValue(const SYSTEMTIME& value)
{
    m_value = value;
    updateGeometry();
    update();
}

void PictureField::setPicture(const QString& picture)
{
    m_picture = picture;
    updateGeometry();
    update();
}

QString PictureField::text() const
{
    const auto& locale = platform::userLocale();
    std::u16string picture = m_picture.toStdU16String();
    if (picture.empty())
        picture = m_kind == platform::PictureKind::Time ? locale.timePicture : locale.shortDatePicture;
    const auto formatted = platform::formatPicture(formattable(m_value, m_kind), picture, m_kind, locale);
    return formatted ? QString::fromStdU16String(*formatted) : isoText(m_value, m_kind);
}

QSize PictureField::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return { metrics.horizontalAdvance(text()) + 2 * kTextMarginPx + 4, metrics.height() + 8 };
}

void PictureField::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &painter, this);
    if (m_pressed)
        painter.fillRect(rect().adjusted(2, 2, -2, -2), palette().highlight());
    painter.setPen(palette().color(m_pressed ? QPalette::HighlightedText : QPalette::Text));
    const QRect textArea = rect().adjusted(kTextMarginPx, 0, -kTextMarginPx, 0);
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter,
        painter.fontMetrics().elidedText(text(), Qt::ElideRight, textArea.width()));
}

void PictureField::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    update();
}

void PictureField::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    update();
    // A pen lifted outside the field takes the tap back.
    if (rect().contains(event->position().toPoint()))
        emit activated();
}

void PictureField::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit activated();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

TimePicker::TimePicker(QWidget* parent)
    : PictureField(platform::PictureKind::Time, parent)
{
    setObjectName(QStringLiteral("TimePicker"));
}

void TimePicker::setTime(QTime time)
{
    if (!time.isValid())
        return;
    SYSTEMTIME t = value();
    t.wHour = WORD(time.hour());
    t.wMinute = WORD(time.minute());
    t.wSecond = WORD(time.second());
    t.wMilliseconds = WORD(time.msec());
    setValue(t);
}

QTime TimePicker::time() const
{
    const SYSTEMTIME& t = value();
    return QTime(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

DatePicker::DatePicker(QWidget* parent)
    : PictureField(platform::PictureKind::Date, parent)
{
    setObjectName(QStringLiteral("DatePicker"));
}

void DatePicker::setDate(QDate date)
{
    if (!date.isValid() || date.year() < 1601 || date.year() > 30827)
        return;
    SYSTEMTIME t = value();
    t.wYear = WORD(date.year());
    t.wMonth = WORD(date.month());
    t.wDay = WORD(date.day());
    t.wDayOfWeek = WORD(date.dayOfWeek() % 7);
    setValue(t);
}

QDate DatePicker::date() const { return dateOf(value()); }

} // namespace ui
