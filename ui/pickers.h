#pragma once
// Date and time fields of the settings windows: a box showing one SYSTEMTIME through a
// handheld picture ("HH':'mm':'ss", "dddd, MMMM dd, yyyy"). A tap reports `activated`, and
// the caller opens its dialog and sets the new value.

#include "platform/locale.h"
#include "platform/types.h"

#include <QDate>
#include <QTime>
#include <QWidget>

namespace ui {

// What the two pickers share; not used on its own.
class PictureField : public QWidget {
    Q_OBJECT
public:
    // The value as given; only the fields the picture needs are shown.
    void setValue(const SYSTEMTIME& value);
    [[nodiscard]] const SYSTEMTIME& value() const { return m_value; }

    // A handheld picture; an empty one means the locale's (read when the field is drawn, so
    // it follows a change of the device).
    void setPicture(const QString& picture);
    [[nodiscard]] const QString& picture() const { return m_picture; }

    // The text shown. When the picture cannot be honoured (an unknown letter, date letters in
    // a time picture, an impossible value) it is the ISO form: "07:05:09", "2024-02-29".
    [[nodiscard]] QString text() const;

    [[nodiscard]] QSize sizeHint() const override;

signals:
    void activated();

protected:
    PictureField(platform::PictureKind kind, QWidget* parent);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    platform::PictureKind m_kind;
    SYSTEMTIME m_value { };
    QString m_picture;
    bool m_pressed = false;
};

class TimePicker final : public PictureField {
    Q_OBJECT
public:
    explicit TimePicker(QWidget* parent = nullptr);
    // Sets the time of day and keeps the date; an invalid time is ignored.
    void setTime(QTime time);
    [[nodiscard]] QTime time() const; // invalid when the value is no time of day
};

class DatePicker final : public PictureField {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);
    // Sets the date (with its day of the week) and keeps the time; a date that SYSTEMTIME
    // cannot hold (before 1601, after 30827, invalid) is ignored.
    void setDate(QDate date);
    [[nodiscard]] QDate date() const; // invalid when the value is no calendar date
};

} // namespace ui
