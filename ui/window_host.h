#pragma once
// Makes a top-level window findable by the suite's other programs: registers its class and
// title and answers the messages they send or post, in the Qt event loop.

#include "platform/windows.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QLocalServer;
class QWidget;

namespace ui {

class WindowHost final : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;

    // `handler` runs on the GUI thread for every message but the bring-to-front request,
    // which the host answers by raising `window`.
    WindowHost(QWidget* window, const QString& className, const QString& title, Handler handler);
    ~WindowHost() override;

    [[nodiscard]] bool registered() const { return m_id != 0; }
    [[nodiscard]] HWND handle() const { return platform::windowHandleOf(m_id); }
    void setTitle(const QString& title);

private:
    LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void serveConnection();

    QPointer<QWidget> m_window;
    Handler m_handler;
    std::uint64_t m_id = 0;
    QLocalServer* m_server = nullptr;
};

} // namespace ui
