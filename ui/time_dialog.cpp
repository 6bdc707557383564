#include "ui/time_dialog.h"

#include "platform/locale.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace ui {

namespace {

// Minutes (and 24-hour hours) show two digits, as a clock does.
class TwoDigitSpinBox final : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    QString textFromValue(int value) const override { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }
};

} // namespace

std::pair<int, bool> twelveHourOf(int hour)
{
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    return { hour12, hour >= 12 };
}

int twentyFourHourOf(int hour12, bool afternoon) { return hour12 % 12 + (afternoon ? 12 : 0); }

TimeDialog::TimeDialog(QWidget* parent, const QString& title, int hour, int minute, bool use24Hour)
    : QDialog(parent)
    , m_use24Hour(use24Hour)
{
    setWindowTitle(title);
    setObjectName(QStringLiteral("TimeDialog"));
    auto* fields = new QHBoxLayout();
    m_hour = use24Hour ? new TwoDigitSpinBox(this) : new QSpinBox(this);
    m_hour->setObjectName(QStringLiteral("hour"));
    m_hour->setRange(use24Hour ? 0 : 1, use24Hour ? 23 : 12);
    m_hour->setWrapping(true);
    m_minute = new TwoDigitSpinBox(this);
    m_minute->setObjectName(QStringLiteral("minute"));
    m_minute->setRange(0, 59);
    m_minute->setWrapping(true);
    fields->addWidget(m_hour);
    fields->addWidget(new QLabel(QStringLiteral(":"), this));
    fields->addWidget(m_minute);
    if (!use24Hour) {
        const auto& locale = platform::userLocale();
        m_meridiem = new QComboBox(this);
        m_meridiem->setObjectName(QStringLiteral("meridiem"));
        m_meridiem->addItem(QString::fromStdU16String(locale.am.empty() ? u"AM" : locale.am));
        m_meridiem->addItem(QString::fromStdU16String(locale.pm.empty() ? u"PM" : locale.pm));
        fields->addWidget(m_meridiem);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    setTime(hour, minute);
}

void TimeDialog::setTime(int hour, int minute)
{
    if (m_use24Hour) {
        m_hour->setValue(hour);
    } else {
        const auto [hour12, afternoon] = twelveHourOf(hour);
        m_hour->setValue(hour12);
        m_meridiem->setCurrentIndex(afternoon ? 1 : 0);
    }
    m_minute->setValue(minute);
}

int TimeDialog::hour() const
{
    return m_use24Hour ? m_hour->value() : twentyFourHourOf(m_hour->value(), m_meridiem->currentIndex() == 1);
}

int TimeDialog::minute() const { return m_minute->value(); }

void TimeDialog::showEvent(QShowEvent* event)
{
    m_openedAt = QDateTime::currentDateTime();
    QDialog::showEvent(event);
}

void TimeDialog::done(int result)
{
    m_closedAt = QDateTime::currentDateTime();
    QDialog::done(result);
}

TimeChoice chooseTime(QWidget* parent, const QString& title, int hour, int minute, bool use24Hour)
{
    TimeDialog dialog(parent, title, hour, minute, use24Hour);
    TimeChoice choice;
    choice.confirmed = dialog.exec() == QDialog::Accepted;
    choice.hour = choice.confirmed ? dialog.hour() : hour;
    choice.minute = choice.confirmed ? dialog.minute() : minute;
    return choice;
}

} // namespace ui
