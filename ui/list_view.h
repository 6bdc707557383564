#pragma once
// A list of rows with columns under a header (the alarms, events and cities lists): whole
// rows are selected, one at a time, and a row the user chooses is reported by its number.

#include <QList>
#include <QStringList>
#include <QWidget>

class QTreeWidget;

namespace ui {

class ListView final : public QWidget {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    // The header texts; their count is the number of columns. With no header text at all the
    // header is hidden. Rows keep their cells.
    void setColumns(const QStringList& headers);
    [[nodiscard]] int columnCount() const;
    // In device pixels; columns without a width share what is left.
    void setColumnWidth(int column, int widthPx);

    // Replaces all rows; no row is selected afterwards. Cells beyond the columns are dropped,
    // missing ones are empty.
    void setRows(const QList<QStringList>& rows);
    // Appends a row; its number.
    int addRow(const QStringList& cells);
    [[nodiscard]] int rowCount() const;
    [[nodiscard]] QString cell(int row, int column) const; // empty when out of range

    // Selects a row (-1 for none) without reporting it; out of range selects none.
    void setCurrentRow(int row);
    [[nodiscard]] int currentRow() const; // -1 when none

signals:
    // The user moved the selection to `row` (a tap or the arrow keys).
    void rowChosen(int row);
    // The user opened `row` (a double tap or Enter).
    void rowActivated(int row);

private:
    QTreeWidget* m_tree;
    bool m_selectingInCode = false;
};

} // namespace ui
