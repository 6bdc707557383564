#include "ui/window_host.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>

#include <cstring>

namespace ui {

namespace {

std::u16string utf16(const QString& text) { return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size())); }

} // namespace

WindowHost::WindowHost(QWidget* window, const QString& className, const QString& title, Handler handler)
    : QObject(window)
    , m_window(window)
    , m_handler(std::move(handler))
{
    const std::uint64_t id = platform::newWindowId();
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString path = QString::fromStdString(platform::windowSocketPath(id));
    QLocalServer::removeServer(path);
    if (!m_server->listen(path)) {
        qWarning("tickwell: cannot serve window %s: %s", qPrintable(className), qPrintable(m_server->errorString()));
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, &WindowHost::serveConnection);
    platform::setLocalWindowHandler(
        id,
        [this](UINT message, WPARAM wParam, LPARAM lParam) {
            // A sender on another thread of this process waits for the GUI thread.
            if (QThread::currentThread() == thread())
                return dispatch(message, wParam, lParam);
            LRESULT result = 0;
            QMetaObject::invokeMethod(
                this, [&] { result = dispatch(message, wParam, lParam); }, Qt::BlockingQueuedConnection);
            return result;
        },
        [this](UINT message, WPARAM wParam, LPARAM lParam) {
            QMetaObject::invokeMethod(this, [=, this] { dispatch(message, wParam, lParam); }, Qt::QueuedConnection);
        });
    m_id = platform::registerWindowRecord(utf16(className), utf16(title), id);
    if (!m_id)
        platform::clearLocalWindowHandler(id);
}

WindowHost::~WindowHost()
{
    if (m_id) {
        platform::clearLocalWindowHandler(m_id);
        platform::unregisterWindowRecord(m_id);
    }
}

void WindowHost::setTitle(const QString& title)
{
    if (m_id)
        (void)platform::retitleWindowRecord(m_id, utf16(title));
}

LRESULT WindowHost::dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == platform::kBringToFrontMessage) {
        if (m_window) {
            m_window->setWindowState((m_window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
            m_window->show();
            m_window->raise();
            m_window->activateWindow();
            // Windows it owns (dialogs, the bubble) stay above it.
            for (QWidget* owned : m_window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (owned->isWindow() && owned->isVisible())
                    owned->raise();
            }
        }
        return 1;
    }
    return m_handler ? m_handler(message, wParam, lParam) : 0;
}

void WindowHost::serveConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->bytesAvailable() >= qint64(sizeof(platform::WindowWireMessage))) {
                platform::WindowWireMessage wire;
                socket->read(reinterpret_cast<char*>(&wire), sizeof wire);
                const LRESULT result = dispatch(UINT(wire.message), wire.wParam, wire.lParam);
                if (wire.wantsAnswer) {
                    socket->write(reinterpret_cast<const char*>(&result), sizeof result);
                    socket->flush();
                }
            }
        });
    }
}

} // namespace ui
