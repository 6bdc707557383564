#include "ui/activity.h"

#include "platform/power.h"

#include <QCoreApplication>
#include <QEvent>

namespace ui {

namespace {

// Reports come at most this often; the power manager needs no more.
constexpr qint64 kReportIntervalMs = 1000;

} // namespace

ActivityReporter::ActivityReporter(QObject* parent)
    : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool ActivityReporter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::TouchBegin:
    case QEvent::Wheel:
        if (!m_sinceReport.isValid() || m_sinceReport.elapsed() >= kReportIntervalMs) {
            m_sinceReport.start();
            platform::reportUserActivity();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace ui
