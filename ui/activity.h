#pragma once
// Input in any window of a suite program counts as user activity for the power manager.

#include <QElapsedTimer>
#include <QObject>

namespace ui {

class ActivityReporter final : public QObject {
    Q_OBJECT
public:
    // Installs itself on the application.
    explicit ActivityReporter(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QElapsedTimer m_sinceReport;
};

} // namespace ui
