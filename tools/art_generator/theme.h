#pragma once
// The colours of the default look and of the two shipped skins. One accent colour per look;
// everything else is neutral, so that the accent marks what matters (the second hand, the
// twelve o'clock mark, the status icons, a pressed button).

#include <QColor>

namespace art {

struct Theme {
    const char* name;
    // Views.
    QColor window; // the views' background; dial corners are filled with it
    QColor surface; // raised tiles, the title bar
    QColor line; // hairlines and borders
    QColor ink; // main text
    QColor inkSoft; // secondary text
    QColor titleText; // on the title bar, which only the pack draws
    QColor accent;
    QColor onAccent; // text and icons on the accent colour
    // Large and small dials.
    QColor dialCentre; // face colour at the middle
    QColor dialEdge; // face colour at the rim
    QColor dialRing;
    QColor minuteMark;
    QColor hourMark;
    QColor numeral;
    // Hands, which the program draws with the skin's pens and brushes.
    QColor hourHand;
    QColor minuteHand;
    QColor secondHand;
    // The big time of the Digital Clock view.
    QColor digit;
    QColor colon;
    // The status bar.
    QColor barTop;
    QColor barBottom;
    QColor barEdge; // the line along the bar's top
    QColor barHighlight; // one lighter line under it
    QColor dividerDark; // translucent: the divider lies on any bar
    QColor dividerLight;
    QColor statusText;
    // Texts of the Digital Clock view.
    QColor dateText;
    QColor timeText;
};

inline Theme defaultTheme()
{
    Theme t;
    t.name = "Default";
    t.window = QColor(0xffffff);
    t.surface = QColor(0xf4f5f7);
    t.line = QColor(0xdde1e6);
    t.ink = QColor(0x22282f);
    t.inkSoft = QColor(0x66707c);
    t.titleText = t.ink;
    t.accent = QColor(0xe8602c);
    t.onAccent = QColor(0xffffff);
    t.dialCentre = QColor(0xffffff);
    t.dialEdge = QColor(0xeef0f3);
    t.dialRing = QColor(0xc4cad2);
    t.minuteMark = QColor(0x9aa3ad);
    t.hourMark = QColor(0x22282f);
    t.numeral = QColor(0x3a424c);
    t.hourHand = QColor(0x22282f);
    t.minuteHand = QColor(0x22282f);
    t.secondHand = t.accent;
    t.digit = QColor(0x22282f);
    t.colon = t.accent;
    t.barTop = QColor(0xfafbfc);
    t.barBottom = QColor(0xeceef1);
    t.barEdge = QColor(0xd0d5dc);
    t.barHighlight = QColor(0xffffff);
    t.dividerDark = QColor(0, 0, 0, 46);
    t.dividerLight = QColor(255, 255, 255, 190);
    t.statusText = QColor(0x2e353d);
    t.dateText = QColor(0x4a535e);
    t.timeText = QColor(0x22282f);
    return t;
}

inline Theme graphiteTheme()
{
    Theme t;
    t.name = "Graphite";
    t.window = QColor(0x1c1f23);
    t.surface = QColor(0x262a30);
    t.line = QColor(0x3a4048);
    t.ink = QColor(0xeceff2);
    t.inkSoft = QColor(0x9aa4af);
    t.titleText = defaultTheme().ink;
    t.accent = QColor(0xffa23e);
    t.onAccent = QColor(0x1c1f23);
    t.dialCentre = QColor(0x30353c);
    t.dialEdge = QColor(0x24282d);
    t.dialRing = QColor(0x4a515b);
    t.minuteMark = QColor(0x6e7783);
    t.hourMark = QColor(0xe8ebee);
    t.numeral = QColor(0xc3c9d0);
    t.hourHand = QColor(0xeceff2);
    t.minuteHand = QColor(0xeceff2);
    t.secondHand = t.accent;
    t.digit = QColor(0xeceff2);
    t.colon = t.accent;
    t.barTop = QColor(0x2c3137);
    t.barBottom = QColor(0x202428);
    t.barEdge = QColor(0x121417);
    t.barHighlight = QColor(0x3b4149);
    t.dividerDark = QColor(0, 0, 0, 150);
    t.dividerLight = QColor(255, 255, 255, 30);
    t.statusText = QColor(0xdfe3e8);
    t.dateText = QColor(0xaab3bd);
    t.timeText = QColor(0xeceff2);
    return t;
}

inline Theme oceanTheme()
{
    Theme t;
    t.name = "Ocean";
    t.window = QColor(0xffffff); // the pack's window stays
    t.surface = QColor(0xeef6fb);
    t.line = QColor(0xc6dcea);
    t.ink = QColor(0x0d3550);
    t.inkSoft = QColor(0x3f6f8f);
    t.titleText = defaultTheme().ink;
    t.accent = QColor(0x4fd0e8);
    t.onAccent = QColor(0x0d3550);
    t.dialCentre = QColor(0x1e6a9c);
    t.dialEdge = QColor(0x0d3d63);
    t.dialRing = QColor(0x0a2f4d);
    t.minuteMark = QColor(0x8cc3e0);
    t.hourMark = QColor(0xffffff);
    t.numeral = QColor(0xe6f4fb);
    t.hourHand = QColor(0xffffff);
    t.minuteHand = QColor(0xffffff);
    t.secondHand = t.accent;
    t.digit = QColor(0x0d3550);
    t.colon = QColor(0x1e86c0);
    t.barTop = QColor(0x2180bd);
    t.barBottom = QColor(0x135b8c);
    t.barEdge = QColor(0x0b4168);
    t.barHighlight = QColor(0x4aa0d6);
    t.dividerDark = QColor(0, 0, 0, 70);
    t.dividerLight = QColor(255, 255, 255, 70);
    t.statusText = QColor(0xffffff);
    t.dateText = QColor(0x1f6f9f);
    t.timeText = QColor(0x0d3550);
    return t;
}

} // namespace art
