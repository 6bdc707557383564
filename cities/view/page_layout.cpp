#include "cities/view/page_layout.h"

#include "ui/dialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QLayoutItem>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <algorithm>
#include <vector>

namespace cities {

namespace {

constexpr int kLeastListChars = 3;

// The room a list box of `width` pixels leaves its text.
int listTextRoom(const QComboBox& list, int width)
{
    QStyleOptionComboBox option;
    option.initFrom(&list);
    option.rect = QRect(0, 0, width, list.sizeHint().height());
    option.editable = list.isEditable();
    option.frame = list.hasFrame();
    option.subControls = QStyle::SC_All;
    return list.style()
        ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &list)
        .width();
}

int widestEntry(const QComboBox& list, const QFont& font)
{
    const QFontMetrics metrics(font);
    int widest = 0;
    for (int item = 0; item < list.count(); ++item)
        widest = std::max(widest, metrics.horizontalAdvance(list.itemText(item)));
    return widest;
}

// How wide a list box would like to be to show its widest entry.
int naturalListWidth(const QComboBox& list)
{
    QStyleOptionComboBox option;
    option.initFrom(&list);
    option.editable = list.isEditable();
    option.frame = list.hasFrame();
    const QSize text(widestEntry(list, list.font()), list.fontMetrics().height());
    return list.style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, &list).width();
}

int naturalWidth(QLayoutItem& item)
{
    if (auto* list = qobject_cast<QComboBox*>(item.widget()))
        return naturalListWidth(*list);
    if (auto* row = item.layout()) {
        int width = 0;
        int shown = 0;
        for (int index = 0; index < row->count(); ++index)
            if (auto* part = row->itemAt(index); part && !part->isEmpty() && !part->spacerItem()) {
                width += naturalWidth(*part);
                ++shown;
            }
        return width + std::max(shown - 1, 0) * std::max(row->spacing(), 0);
    }
    return item.sizeHint().width();
}

// Gives the list boxes of a field `width` pixels wide their faces: a list alone takes the
// whole field; lists in a row share what the other widgets of the row leave.
void fitField(QLayoutItem& field, int width)
{
    if (auto* list = qobject_cast<QComboBox*>(field.widget())) {
        fitListBox(*list, width);
        return;
    }
    auto* row = field.layout();
    if (!row)
        return;
    std::vector<QComboBox*> lists;
    int others = 0;
    int shown = 0;
    for (int index = 0; index < row->count(); ++index) {
        auto* part = row->itemAt(index);
        if (!part || part->isEmpty() || part->spacerItem())
            continue;
        ++shown;
        if (auto* list = qobject_cast<QComboBox*>(part->widget()))
            lists.push_back(list);
        else
            others += part->sizeHint().width();
    }
    if (lists.empty())
        return;
    const int share = (width - others - std::max(shown - 1, 0) * std::max(row->spacing(), 0))
        / int(lists.size());
    for (auto* list : lists)
        fitListBox(*list, share);
}

} // namespace

QComboBox* newListBox(QWidget* parent, const QStringList& items)
{
    auto* box = new QComboBox(parent);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(kLeastListChars);
    box->setSizePolicy(QSizePolicy::Expanding, box->sizePolicy().verticalPolicy());
    box->addItems(items);
    return box;
}

void fitListBox(QComboBox& list, int width)
{
    if (widestEntry(list, list.font()) <= listTextRoom(list, width))
        return;
    QFont condensed = list.font();
    condensed.setStretch(QFont::Condensed);
    list.setFont(condensed);
}

void fitForms(
    std::initializer_list<QFormLayout*> forms, int width, const ui::ScreenGeometry& screen)
{
    const int spacing = screen.scaled(kPageSpacingPx);
    int labels = 0;
    int fields = 0;
    for (auto* form : forms) {
        form->setHorizontalSpacing(spacing);
        form->setVerticalSpacing(spacing);
        for (int row = 0; row < form->rowCount(); ++row) {
            if (auto* label = form->itemAt(row, QFormLayout::LabelRole))
                labels = std::max(labels, label->sizeHint().width());
            if (auto* field = form->itemAt(row, QFormLayout::FieldRole))
                fields = std::max(fields, naturalWidth(*field));
        }
    }
    const bool stacked = labels + spacing + fields > width;
    const int fieldWidth = stacked ? width : width - labels - spacing;
    for (auto* form : forms) {
        form->setRowWrapPolicy(stacked ? QFormLayout::WrapAllRows : QFormLayout::DontWrapRows);
        for (int row = 0; row < form->rowCount(); ++row) {
            if (auto* field = form->itemAt(row, QFormLayout::FieldRole))
                fitField(*field, fieldWidth);
            else if (auto* spanning = form->itemAt(row, QFormLayout::SpanningRole))
                fitField(*spanning, width);
        }
    }
}

void coverWorkArea(QDialog& dialog, const ui::ScreenGeometry& screen)
{
    const QSize room = ui::workArea(screen);
    dialog.setMaximumSize(room);
    dialog.resize(room);
}

} // namespace cities
