#include "ui/list_view.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace ui {

ListView::ListView(QWidget* parent)
    : QWidget(parent)
    , m_tree(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("ListView"));
    m_tree->setObjectName(QStringLiteral("rows"));
    m_tree->setRootIsDecorated(false);
    m_tree->setItemsExpandable(false);
    m_tree->setUniformRowHeights(true);
    m_tree->setAllColumnsShowFocus(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->header()->setSectionsMovable(false);
    m_tree->header()->setStretchLastSection(true);
    setFocusProxy(m_tree);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree);

    // The selection, not the current item: the view makes a row current without selecting it
    // when it takes the focus, and that is no choice of the user's.
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, [this] {
        const int row = currentRow();
        if (!m_selectingInCode && row >= 0)
            emit rowChosen(row);
    });
    connect(m_tree, &QTreeWidget::itemActivated, this,
        [this](QTreeWidgetItem* item) { emit rowActivated(m_tree->indexOfTopLevelItem(item)); });
}

void ListView::setColumns(const QStringList& headers)
{
    m_tree->setColumnCount(std::max<int>(1, int(headers.size())));
    m_tree->setHeaderLabels(headers);
    m_tree->setHeaderHidden(std::all_of(headers.begin(), headers.end(), [](const QString& h) { return h.isEmpty(); }));
}

int ListView::columnCount() const { return m_tree->columnCount(); }

void ListView::setColumnWidth(int column, int widthPx)
{
    if (column >= 0 && column < m_tree->columnCount())
        m_tree->setColumnWidth(column, widthPx);
}

void ListView::setRows(const QList<QStringList>& rows)
{
    m_selectingInCode = true;
    m_tree->clear();
    m_selectingInCode = false;
    for (const QStringList& cells : rows)
        addRow(cells);
}

int ListView::addRow(const QStringList& cells)
{
    auto* item = new QTreeWidgetItem();
    for (int column = 0; column < m_tree->columnCount(); ++column)
        item->setText(column, cells.value(column));
    m_selectingInCode = true; // the first row can become current by being added
    m_tree->addTopLevelItem(item);
    m_selectingInCode = false;
    return m_tree->topLevelItemCount() - 1;
}

int ListView::rowCount() const { return m_tree->topLevelItemCount(); }

QString ListView::cell(int row, int column) const
{
    const QTreeWidgetItem* item = m_tree->topLevelItem(row);
    return item && column >= 0 ? item->text(column) : QString();
}

void ListView::setCurrentRow(int row)
{
    m_selectingInCode = true;
    if (QTreeWidgetItem* item = m_tree->topLevelItem(row)) {
        m_tree->setCurrentItem(item);
        m_tree->scrollToItem(item);
    } else {
        m_tree->setCurrentItem(nullptr);
        m_tree->clearSelection();
    }
    m_selectingInCode = false;
}

int ListView::currentRow() const
{
    const auto selected = m_tree->selectedItems();
    return selected.isEmpty() ? -1 : m_tree->indexOfTopLevelItem(selected.first());
}

} // namespace ui
