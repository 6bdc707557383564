#pragma once
// The plug-in face host: one loaded clock-face file with its decoded images and fonts, drawn
// on request. Plug-in views, the screen saver, the locks and the reminder screens share it.

#include "faces/face_file.h"
#include "faces/face_rules.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <array>
#include <string_view>
#include <vector>

class QPainter;

namespace platform {
struct LocaleInfo;
}

namespace faces {

// What one draw needs. Everything comes in from outside so that a draw can be repeated.
struct FaceInputs {
    FaceClock clock;
    QPoint offset; // added to every element position (the standard lock draws below the title area)
    const platform::LocaleInfo* locale
        = nullptr; // for the date and time texts; null: the user locale
};

// The slide-to-unlock control a face may carry for the custom lock.
struct SliderLayout {
    int element = -1; // sprite element of the knob, or -1
    QPoint knobStart;
    int unlockX = 0;
    QRect track;
    QRect knob; // relative to the knob position
    int trackFill = 0; // 0 face background, 1 solid colour, 2 plain image
    QColor trackColour;
    int trackImage = -1;
    std::array<int, 3> knobFrames { 0, -1, -1 }; // normal, dragging, unlocked (-1: not given)
    int designWidth = 0; // the screen width the slider was laid out for
};

class FaceHost {
public:
    FaceHost();
    ~FaceHost();
    FaceHost(const FaceHost&) = delete;
    FaceHost& operator=(const FaceHost&) = delete;

    // Releases the previous face and loads a face file (device path). False when the file
    // cannot be read whole, does not fit together or holds an image that does not decode;
    // nothing of it stays loaded and the caller shows "Plugin loading error!".
    [[nodiscard]] bool load(std::u16string_view devicePath, int scaleShift);
    [[nodiscard]] bool loadBytes(ByteView bytes, int scaleShift);
    void unload();
    [[nodiscard]] bool loaded() const { return m_loaded; }

    // Draws the face onto a painter on a raster image (masks combine by AND): the background,
    // the digit records, the areas, the date/time texts, the number texts, then the hands
    // onto the 240 x 240 (scaled) work area.
    void draw(QPainter& painter, const FaceInputs& inputs) const;
    // Draws the whole face into `screen`: as it is when it was laid out for that screen, else
    // made smaller where it is larger (a portrait face on a landscape or square screen) and
    // centred, never cropped; the screen it does not cover takes its background colour.
    void drawFitted(QPainter& painter, const FaceInputs& inputs, const QRect& screen) const;
    // The size the face was laid out for: its design size, else its background's size, else
    // the portrait screen (240 x 320, scaled).
    [[nodiscard]] QSize faceSize() const;
    // Where drawFitted puts a face of `size` on `screen`.
    [[nodiscard]] static QRect fittedRect(QSize size, const QRect& screen);
    // The colour of the background's border (black for a face without a background).
    [[nodiscard]] QColor backgroundColour() const { return m_backgroundColour; }

    // Lock and view data of the file.
    [[nodiscard]] QRect closeRect() const; // where a tap ends a plug-in view or reminder
    [[nodiscard]] SliderLayout slider() const;
    [[nodiscard]] QFont lockFont() const; // the face's lock font, else the default
    [[nodiscard]] QColor lockTextColour() const;
    [[nodiscard]] QSize designSize() const;
    [[nodiscard]] const FaceFile& file() const { return m_file; }

    // Sprite elements, with the one the custom lock adds when the face has no slider.
    [[nodiscard]] int spriteCount() const { return int(m_sprites.size()); }
    [[nodiscard]] int appendSprite(const QImage& strip, int frames);
    // Draws one frame of a sprite at a place; nothing when there is no such frame.
    void drawSpriteFrame(QPainter& painter, int sprite, int frame, QPoint at) const;
    [[nodiscard]] QImage plainImage(int index) const;

private:
    struct DecodedSprite {
        QImage strip;
        QImage mask; // null when the sprite has none
        int frames = 1;
        int frameWidth = 0;
    };
    void drawTexts(QPainter& painter, const FaceInputs& inputs) const;
    void drawHands(QPainter& painter, const FaceInputs& inputs) const;
    [[nodiscard]] const QFont& fontAt(int index) const;

    bool m_loaded = false;
    int m_scaleShift = 0;
    FaceFile m_file;
    std::vector<QImage> m_plain;
    std::vector<QImage> m_overlays;
    std::vector<DecodedSprite> m_sprites;
    std::vector<QFont> m_fonts;
    QFont m_defaultFont;
    QColor m_backgroundColour = Qt::black;
};

} // namespace faces
