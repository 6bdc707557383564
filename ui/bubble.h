#pragma once
// The shell's notification bubble: a small topmost window of the calling process with a
// title, an HTML body and up to two soft keys whose commands go to a sink window. Bubbles
// are added, updated and removed by (class identifier, identifier).

#include "platform/windows.h"

#include <QString>
#include <QUuid>

namespace ui {

inline constexpr int kBubbleShown = 433;  // the bubble opens
inline constexpr int kBubbleIconic = 434; // only its icon shows; a tap opens it

struct SoftKey {
    QString title;
    UINT command = 0; // sent to the sink window as WM_COMMAND
};

struct BubbleSpec {
    QUuid owner;          // class identifier
    quint64 id = 0;       // identifier within the owner
    int priority = kBubbleShown;
    int durationSeconds = 0; // after it the bubble folds to its icon; 0: stays open
    quint32 flags = 0;
    HWND sink = nullptr;
    QString title;
    QString html;         // <b>, <br>, and links "cmd:N" that send command N
    SoftKey keys[2];
};

// Adds a bubble, or replaces the one with the same owner and identifier.
bool addBubble(const BubbleSpec& bubble);
// Makes the first bubble of the process quick to add: the style, the fonts and the text
// layout are loaded ahead by laying out a bubble that is never shown.
void warmUpBubbles();
// Changes an existing bubble (all of it); false when there is none.
bool updateBubble(const BubbleSpec& bubble);
bool removeBubble(const QUuid& owner, quint64 id);
// Whether a bubble is open (not folded to its icon).
[[nodiscard]] bool bubbleOpen(const QUuid& owner, quint64 id);

} // namespace ui
