#pragma once
// A row of equal tabs with texts, one of them selected. A tab is chosen when the pen goes down
// and comes up on the same tab; sliding off it chooses nothing.

#include <QStringList>
#include <QWidget>

namespace ui {

class TabStrip final : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);

    // Replaces the tabs. The selection stays when it is still in range, else it goes to the
    // first tab (-1 when there are none).
    void setTabs(const QStringList& texts);
    [[nodiscard]] const QStringList& tabs() const { return m_tabs; }

    // Selects a tab and redraws; `changed` is not emitted. Out of range is ignored.
    void setCurrentIndex(int index);
    [[nodiscard]] int currentIndex() const { return m_current; }

    // The area of a tab in the strip's coordinates (empty when out of range).
    [[nodiscard]] QRect tabRect(int index) const;
    [[nodiscard]] int tabAt(QPoint point) const; // -1 outside every tab

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

signals:
    // The user chose tab `index`, which was not selected before.
    void changed(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void choose(int index);

    QStringList m_tabs;
    int m_current = -1;
    int m_pressed = -1;  // the tab under the pen since it went down
    bool m_penOnPressed = false;
};

} // namespace ui
