#pragma once
// The shared time-entry dialog of alarms, timers and events: hour and minute, in 12-hour
// form with AM/PM when the device uses a 12-hour clock, else in 24-hour form.

#include <QDateTime>
#include <QDialog>

class QComboBox;
class QSpinBox;

namespace ui {

struct TimeChoice {
    bool confirmed = false;
    int hour = 0;   // 0-23
    int minute = 0; // 0-59
};

// 24-hour hour -> 12-hour hour and whether it is afternoon: 0 -> 12 AM, 12 -> 12 PM, 13 -> 1 PM.
[[nodiscard]] std::pair<int, bool> twelveHourOf(int hour);
// And back: 12 AM -> 0, 12 PM -> 12, 1 PM -> 13.
[[nodiscard]] int twentyFourHourOf(int hour12, bool afternoon);

class TimeDialog final : public QDialog {
    Q_OBJECT
public:
    TimeDialog(QWidget* parent, const QString& title, int hour, int minute, bool use24Hour);

    [[nodiscard]] int hour() const;   // 24-hour form
    [[nodiscard]] int minute() const;
    // The moments it opened and closed (for the callers' guard against repeated opening).
    [[nodiscard]] QDateTime openedAt() const { return m_openedAt; }
    [[nodiscard]] QDateTime closedAt() const { return m_closedAt; }

    void setTime(int hour, int minute);
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_use24Hour;
    QSpinBox* m_hour;
    QSpinBox* m_minute;
    QComboBox* m_meridiem = nullptr;
    QDateTime m_openedAt;
    QDateTime m_closedAt;
};

// Opens the dialog modally on a given time; returns what the user chose.
[[nodiscard]] TimeChoice chooseTime(QWidget* parent, const QString& title, int hour, int minute, bool use24Hour);

} // namespace ui
