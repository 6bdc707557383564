#include "ui/dialog_page.h"

#include "ui/dialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLayoutItem>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace ui {

namespace {

constexpr int kIconGapPx = 4;

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
        widest = std::max(widest,
            metrics.horizontalAdvance(list.itemText(item))
                + (list.itemIcon(item).isNull() ? 0 : list.iconSize().width() + kIconGapPx));
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

QVBoxLayout* newPageLayout(QWidget& page, const ScreenGeometry& screen, int spacingPx)
{
    const int margin = screen.scaled(kPageMarginPx);
    auto* layout = new QVBoxLayout(&page);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(screen.scaled(spacingPx));
    return layout;
}

ScrollingPage newScrollingPage(
    QDialog& dialog, const QString& scrollName, const ScreenGeometry& screen)
{
    ScrollingPage page;
    page.outer = newPageLayout(dialog, screen);
    page.scroll = new QScrollArea(&dialog);
    page.scroll->setObjectName(scrollName);
    page.scroll->setFrameShape(QFrame::NoFrame);
    page.scroll->setWidgetResizable(true);
    page.scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    page.body = new QWidget(page.scroll);
    page.layout = new QVBoxLayout(page.body);
    page.layout->setContentsMargins(0, 0, 0, 0);
    page.layout->setSpacing(screen.scaled(kPageSpacingPx));
    return page;
}

QDialogButtonBox* finishScrollingPage(QDialog& dialog, const ScrollingPage& page)
{
    page.layout->addStretch(1);
    page.scroll->setWidget(page.body);
    page.outer->addWidget(page.scroll, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    page.outer->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

int scrollingBodyWidth(const QWidget& dialog, const ScreenGeometry& screen)
{
    return workArea(screen).width() - 2 * screen.scaled(kPageMarginPx)
        - dialog.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

QComboBox* newListBox(QWidget* parent, const QStringList& items, int leastChars)
{
    auto* box = new QComboBox(parent);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(leastChars);
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

FormsFit wrapForms(
    std::initializer_list<QFormLayout*> forms, int width, const ScreenGeometry& screen)
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
    FormsFit fit;
    fit.stacked = labels + spacing + fields > width;
    fit.fieldWidth = fit.stacked ? width : width - labels - spacing;
    for (auto* form : forms)
        form->setRowWrapPolicy(fit.stacked ? QFormLayout::WrapAllRows : QFormLayout::DontWrapRows);
    return fit;
}

void fitForms(std::initializer_list<QFormLayout*> forms, int width, const ScreenGeometry& screen)
{
    const FormsFit fit = wrapForms(forms, width, screen);
    for (auto* form : forms)
        for (int row = 0; row < form->rowCount(); ++row) {
            if (auto* field = form->itemAt(row, QFormLayout::FieldRole))
                fitField(*field, fit.fieldWidth);
            else if (auto* spanning = form->itemAt(row, QFormLayout::SpanningRole))
                fitField(*spanning, width);
        }
}

void coverWorkArea(QDialog& dialog, const ScreenGeometry& screen)
{
    const QSize room = workArea(screen);
    dialog.setMaximumSize(room);
    dialog.resize(room);
}

} // namespace ui
