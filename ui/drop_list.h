#pragma once
// The view manager's drop-down list: a title showing the selected name with an arrow; a tap
// opens the whole list as a popup, and picking an entry selects it and tells the owner.

#include <QStringList>
#include <QWidget>

class QListWidget;

namespace ui {

class DropList final : public QWidget {
    Q_OBJECT
public:
    explicit DropList(QWidget* parent = nullptr);

    // Replaces the names. The selection stays when it is still in range, else it goes to the
    // first name (-1 when there are none).
    void setItems(const QStringList& items);
    [[nodiscard]] const QStringList& items() const { return m_items; }

    // Selects a name and redraws; `selected` is not emitted. Out of range is ignored.
    void setCurrentIndex(int index);
    [[nodiscard]] int currentIndex() const { return m_current; } // -1 while empty
    [[nodiscard]] QString currentText() const { return m_items.value(m_current); }

    // Opens the list below the title (the status bar's title area calls this too).
    void showList();
    [[nodiscard]] bool listShown() const;

    // As wide as the widest name needs, as high as the font.
    [[nodiscard]] QSize sizeHint() const override;

signals:
    // The user picked entry `index` from the list (also when it was already selected).
    void selected(int index);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pick(int index);
    void listClosed();

    QStringList m_items;
    int m_current = -1;
    bool m_pressed = false; // the arrow is drawn pressed while the list is open
    QListWidget* m_popup;
};

} // namespace ui
