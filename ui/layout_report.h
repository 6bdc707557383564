#pragma once
// What a drawn view puts on the screen, for the layout check of the tests: the rectangle of
// each text with its font and drawing flags, and the rectangle of each image. A view fills
// it from the same rectangles its paint uses (app::View::reportLayout).

#include <QFont>
#include <QRect>
#include <QString>
#include <vector>

namespace ui {

class LayoutReport {
public:
    struct Text {
        QRect rect;
        QString text;
        QFont font;
        int flags = 0; // as given to QPainter::drawText (Qt::TextWordWrap, ...)
        bool elidesOnPurpose = false; // drawn elided by design: the check does not measure it
    };

    // A text drawn into `rect` with `font` and the drawText `flags`.
    void addText(const QRect& rect, const QString& text, const QFont& font, int flags = 0)
    {
        m_texts.push_back({ rect, text, font, flags, false });
    }
    // A text the view shortens to its rectangle by design (a name cut with "...").
    void addElidedText(const QRect& rect, const QString& text, const QFont& font, int flags = 0)
    {
        m_texts.push_back({ rect, text, font, flags, true });
    }
    void addImage(const QRect& rect) { m_images.push_back(rect); }

    [[nodiscard]] const std::vector<Text>& texts() const { return m_texts; }
    [[nodiscard]] const std::vector<QRect>& images() const { return m_images; }

private:
    std::vector<Text> m_texts;
    std::vector<QRect> m_images;
};

} // namespace ui
