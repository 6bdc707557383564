#include "ui/bubble.h"

#include "ui/dialogs.h"
#include "ui/screen_geometry.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <memory>

namespace ui {

namespace {

// The bubble's size when its text leaves it room: as wide as a small screen, and a title
// with soft keys alone (no body) or with a few lines of body.
constexpr int kBubbleWidthPx = 240;
constexpr int kBubbleHeightPx = 160;
constexpr int kBareBubbleHeightPx = 60;

class BubbleWindow final : public QWidget {
public:
    enum class Show { Now, Not };

    explicit BubbleWindow(const BubbleSpec& spec, Show show = Show::Now)
        : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
    {
        setObjectName(QStringLiteral("NotificationBubble"));
        // Showing the bubble never takes the keyboard or a click from another window.
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAutoFillBackground(true);
        m_title = new QLabel(this);
        m_title->setObjectName(QStringLiteral("bubbleTitle"));
        QFont bold = m_title->font();
        bold.setBold(true);
        m_title->setFont(bold);
        m_body = new QTextBrowser(this);
        m_body->setObjectName(QStringLiteral("bubbleBody"));
        m_body->setOpenLinks(false);
        m_body->setFrameShape(QFrame::NoFrame);
        connect(m_body, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
            if (link.scheme() == QStringLiteral("cmd"))
                sendCommand(link.path().toUInt());
        });
        auto* keys = new QHBoxLayout();
        for (int i = 0; i < 2; ++i) {
            m_keys[i] = new QPushButton(this);
            m_keys[i]->setObjectName(QStringLiteral("softKey%1").arg(i + 1));
            m_keys[i]->setFocusPolicy(Qt::NoFocus);
            connect(m_keys[i], &QPushButton::clicked, this, [this, i] { sendCommand(m_spec.keys[i].command); });
            keys->addWidget(m_keys[i]);
        }
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(6, 6, 6, 6);
        layout->addWidget(m_title);
        layout->addWidget(m_body, 1);
        layout->addLayout(keys);

        m_icon = std::make_unique<QToolButton>(nullptr);
        m_icon->setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
        m_icon->setAttribute(Qt::WA_ShowWithoutActivating);
        m_icon->setObjectName(QStringLiteral("bubbleIcon"));
        m_icon->setText(QStringLiteral("\u23f0"));
        connect(m_icon.get(), &QToolButton::clicked, this, [this] { open(); });
        m_fold.setSingleShot(true);
        connect(&m_fold, &QTimer::timeout, this, [this] { fold(); });
        apply(spec, show);
    }

    // Lays the bubble out with its text, as showing it would, without showing it.
    void layOut()
    {
        ensurePolished();
        layout()->activate();
        (void)m_body->document()->size();
        for (auto* key : m_keys)
            (void)key->sizeHint();
    }

    void apply(const BubbleSpec& spec, Show show = Show::Now)
    {
        m_spec = spec;
        m_title->setText(spec.title);
        m_title->setVisible(!spec.title.isEmpty());
        m_body->setHtml(spec.html);
        m_body->setVisible(!spec.html.isEmpty());
        for (int i = 0; i < 2; ++i) {
            m_keys[i]->setText(spec.keys[i].title);
            m_keys[i]->setVisible(!spec.keys[i].title.isEmpty());
        }
        fitToScreen();
        if (show == Show::Not)
            return;
        if (spec.priority == kBubbleIconic)
            fold();
        else
            open();
    }

    void open()
    {
        m_icon->hide();
        placeAtTopRight(this);
        show();
        raise();
        if (m_spec.durationSeconds > 0)
            m_fold.start(m_spec.durationSeconds * 1000);
    }

    void fold()
    {
        m_fold.stop();
        hide();
        m_icon->resize(28, 28);
        placeAtTopRight(m_icon.get());
        m_icon->show();
    }

    bool isOpen() const { return isVisible(); }

private:
    // Never wider than the screen, and tall enough for the whole body where the screen has
    // the room; a body longer than that scrolls.
    void fitToScreen()
    {
        const QSize area = workArea(ScreenGeometry::current());
        const int width = std::min(kBubbleWidthPx, area.width());
        if (m_spec.html.isEmpty()) {
            resize(width, std::min(kBareBubbleHeightPx, area.height()));
            return;
        }
        const QMargins margins = layout()->contentsMargins();
        const int frame = m_body->frameWidth();
        const std::unique_ptr<QTextDocument> text(m_body->document()->clone());
        text->setTextWidth(width - margins.left() - margins.right() - 2 * frame);
        m_body->setMinimumHeight(int(std::ceil(text->size().height())) + 2 * frame);
        const int needed = layout()->totalMinimumSize().height();
        m_body->setMinimumHeight(0);
        resize(width, std::clamp(needed, std::min(kBubbleHeightPx, area.height()), area.height()));
    }

    static void placeAtTopRight(QWidget* window)
    {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            window->move(area.right() - window->width() - 8, area.top() + 8);
        }
    }

    void sendCommand(UINT command)
    {
        if (m_spec.sink)
            PostMessageW(m_spec.sink, WM_COMMAND, command, 0);
    }

    BubbleSpec m_spec;
    QLabel* m_title;
    QTextBrowser* m_body;
    QPushButton* m_keys[2];
    std::unique_ptr<QToolButton> m_icon;
    QTimer m_fold;
};

using Key = QPair<QUuid, quint64>;

QMap<Key, std::shared_ptr<BubbleWindow>>& bubbles()
{
    static QMap<Key, std::shared_ptr<BubbleWindow>> open;
    return open;
}

} // namespace

void warmUpBubbles()
{
    BubbleSpec sample;
    sample.title = QStringLiteral("Tickwell Pro");
    sample.html = QStringLiteral("<html><body>Tickwell Pro <b>0</b><a href=\"cmd:0\">0</a><br></body></html>");
    sample.keys[0].title = sample.keys[1].title = QStringLiteral("0");
    BubbleWindow(sample, BubbleWindow::Show::Not).layOut();
}

bool addBubble(const BubbleSpec& spec)
{
    auto& all = bubbles();
    const Key key { spec.owner, spec.id };
    if (auto found = all.find(key); found != all.end()) {
        (*found)->apply(spec);
        return true;
    }
    all.insert(key, std::make_shared<BubbleWindow>(spec));
    return true;
}

bool updateBubble(const BubbleSpec& spec)
{
    auto& all = bubbles();
    const auto found = all.find(Key { spec.owner, spec.id });
    if (found == all.end())
        return false;
    (*found)->apply(spec);
    return true;
}

bool removeBubble(const QUuid& owner, quint64 id) { return bubbles().remove(Key { owner, id }) > 0; }

bool bubbleOpen(const QUuid& owner, quint64 id)
{
    const auto found = bubbles().find(Key { owner, id });
    return found != bubbles().end() && (*found)->isOpen();
}

} // namespace ui
