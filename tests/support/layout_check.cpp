#include "tests/support/layout_check.h"

#include "ui/drop_list.h"
#include "ui/layout_report.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOption>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <algorithm>
#include <utility>

namespace testing_support {

namespace {

constexpr int kUnbounded = 1 << 20;
constexpr int kShownTextChars = 40;

QString sizeText(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QString rectText(const QRect& rect)
{
    return QStringLiteral("%1,%2 %3").arg(rect.x()).arg(rect.y()).arg(sizeText(rect.size()));
}

QString quoted(const QString& text)
{
    QString shown = text.simplified();
    if (shown.size() > kShownTextChars)
        shown = shown.left(kShownTextChars - 3) + QStringLiteral("...");
    return u'"' + shown + u'"';
}

// The text a widget shows, when it is one of the kinds that show one.
QString shownText(const QWidget& widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
        return button->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(&widget))
        return combo->currentText();
    if (const auto* box = qobject_cast<const QGroupBox*>(&widget))
        return box->title();
    if (const auto* list = qobject_cast<const ui::DropList*>(&widget))
        return list->currentText();
    if (const auto* edit = qobject_cast<const QLineEdit*>(&widget))
        return edit->text().isEmpty() ? edit->placeholderText() : edit->text();
    return {};
}

// How far `inner` reaches beyond `outer`, in pixels (0 when it lies inside).
int excess(const QRect& inner, const QRect& outer)
{
    return std::max({ 0, outer.left() - inner.left(), inner.right() - outer.right(),
        outer.top() - inner.top(), inner.bottom() - outer.bottom() });
}

QString plainText(const QLabel& label)
{
    const bool rich = label.textFormat() == Qt::RichText
        || (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(label.text()));
    return rich ? QTextDocumentFragment::fromHtml(label.text()).toPlainText() : label.text();
}

// The size `text` takes in `font` with the drawText `flags`, wrapped to `width` when the
// flags ask for word wrapping. The leading below the last line is no part of the text.
QSize textSize(const QFont& font, int flags, const QString& text, int width)
{
    const QFontMetrics metrics(font);
    QSize size = (flags & Qt::TextWordWrap)
        ? metrics.boundingRect(QRect(0, 0, std::max(width, 1), kUnbounded), flags, text).size()
        : metrics.size(flags, text);
    size.rheight() -= std::max(metrics.leading(), 0);
    if (size.height() < 2 * metrics.lineSpacing())
        size.setHeight(metrics.height()); // one line: as high as the font, whatever the rounding
    return size;
}

class Walk {
public:
    Walk(const QWidget& window, QSize room)
        : m_window(window)
        , m_room(QRect(QPoint(0, 0), room))
    { }

    std::vector<LayoutFinding> run()
    {
        if (m_window.width() > m_room.width() || m_window.height() > m_room.height())
            add(m_window,
                QStringLiteral("window is %1, the screen leaves it %2")
                    .arg(sizeText(m_window.size()), sizeText(m_room.size())),
                excess(m_window.rect(), m_room));
        checkText(m_window);
        visitChildren(m_window, Placement::Checked);
        return std::move(m_findings);
    }

private:
    // Whether a widget's place is still to be checked: inside a widget reported already, or
    // inside a scrolled area, it is not.
    enum class Placement { Checked, Skipped };

    void add(const QWidget& widget, QString problem, int excessPx)
    {
        m_findings.push_back({ describeWidget(widget), std::move(problem), excessPx });
    }

    [[nodiscard]] bool shown(const QWidget& widget) const
    {
        return !widget.isWindow() && widget.isVisibleTo(&m_window);
    }

    // Widgets whose inside is Qt's own business: their parts are not measured one by one.
    [[nodiscard]] static bool closed(const QWidget& widget)
    {
        return qobject_cast<const QComboBox*>(&widget)
            || qobject_cast<const QAbstractSpinBox*>(&widget)
            || qobject_cast<const QAbstractItemView*>(&widget)
            || qobject_cast<const QCalendarWidget*>(&widget)
            || qobject_cast<const QLineEdit*>(&widget) || qobject_cast<const QMenuBar*>(&widget)
            || qobject_cast<const QAbstractButton*>(&widget)
            || qobject_cast<const ui::DropList*>(&widget)
            || (qobject_cast<const QAbstractScrollArea*>(&widget)
                && !qobject_cast<const QScrollArea*>(&widget));
    }

    void visitChildren(const QWidget& parent, Placement placement)
    {
        if (closed(parent))
            return;
        if (const auto* scroll = qobject_cast<const QScrollArea*>(&parent)) {
            // Only its content: what lies beyond the viewport is scrolled to, not cut.
            if (scroll->widget() && shown(*scroll->widget())) {
                checkText(*scroll->widget());
                visitChildren(*scroll->widget(), Placement::Skipped);
            }
            return;
        }
        std::vector<const QWidget*> children;
        for (const auto* child : parent.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (shown(*child))
                children.push_back(child);
        for (const auto* child : children) {
            Placement inner = placement;
            if (placement == Placement::Checked && !checkPlace(*child))
                inner = Placement::Skipped;
            checkText(*child);
            visitChildren(*child, inner);
        }
        checkOverlaps(children);
    }

    // False when the widget was reported as out of place (its children then are not).
    bool checkPlace(const QWidget& widget)
    {
        const QWidget& parent = *widget.parentWidget();
        if (!parent.rect().contains(widget.geometry())) {
            add(widget,
                QStringLiteral("lies at %1, outside its parent %2 (%3)")
                    .arg(rectText(widget.geometry()), describeWidget(parent),
                        sizeText(parent.size())),
                excess(widget.geometry(), parent.rect()));
            return false;
        }
        const QRect inWindow(widget.mapTo(&m_window, QPoint(0, 0)), widget.size());
        if (!m_room.contains(inWindow)) {
            add(widget,
                QStringLiteral("lies at %1 of the window, outside the screen's %2")
                    .arg(rectText(inWindow), sizeText(m_room.size())),
                excess(inWindow, m_room));
            return false;
        }
        return true;
    }

    // A plain widget with nothing in it that takes no input is a decoration (a rule, a
    // background): it may lie over its siblings.
    [[nodiscard]] static bool decoration(const QWidget& widget)
    {
        const char* kind = widget.metaObject()->className();
        return (qstrcmp(kind, "QWidget") == 0 || qstrcmp(kind, "QFrame") == 0)
            && widget.focusPolicy() == Qt::NoFocus
            && widget.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty();
    }

    void checkOverlaps(const std::vector<const QWidget*>& siblings)
    {
        for (std::size_t i = 0; i < siblings.size(); ++i) {
            const QRect first = siblings[i]->geometry();
            if (first.isEmpty() || decoration(*siblings[i]))
                continue;
            for (std::size_t j = i + 1; j < siblings.size(); ++j) {
                if (decoration(*siblings[j]))
                    continue;
                const QRect common = first.intersected(siblings[j]->geometry());
                if (!common.isEmpty())
                    add(*siblings[i],
                        QStringLiteral("overlaps %1 by %2 at %3")
                            .arg(describeWidget(*siblings[j]), sizeText(common.size()),
                                rectText(common)),
                        std::min(common.width(), common.height()));
            }
        }
    }

    void needsRoom(const QWidget& widget, const QString& what, QSize needed, QSize room)
    {
        if (needed.width() <= room.width() && needed.height() <= room.height())
            return;
        add(widget,
            QStringLiteral("%1 needs %2, has %3").arg(what, sizeText(needed), sizeText(room)),
            std::max(needed.width() - room.width(), needed.height() - room.height()));
    }

    void checkText(const QWidget& widget)
    {
        if (widget.property(kElidesOnPurpose).toBool())
            return;
        if (const auto* label = qobject_cast<const QLabel*>(&widget))
            checkLabel(*label);
        else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
            checkButton(*button);
        else if (const auto* combo = qobject_cast<const QComboBox*>(&widget))
            checkCombo(*combo);
        else if (const auto* edit = qobject_cast<const QLineEdit*>(&widget))
            checkPlaceholder(*edit);
        else if (const auto* box = qobject_cast<const QGroupBox*>(&widget))
            checkGroupTitle(*box);
        else if (const auto* list = qobject_cast<const ui::DropList*>(&widget))
            checkDropList(*list);
        else if (const auto* bar = qobject_cast<const QMenuBar*>(&widget))
            checkMenuBar(*bar);
        else if (qobject_cast<const QCalendarWidget*>(&widget)
            || qobject_cast<const QAbstractSpinBox*>(&widget))
            needsRoom(
                widget, QStringLiteral("its least size"), widget.minimumSizeHint(), widget.size());
    }

    void checkLabel(const QLabel& label)
    {
        const QString text = plainText(label);
        if (text.isEmpty() || !label.pixmap().isNull())
            return;
        QRect room = label.contentsRect().adjusted(
            label.margin(), label.margin(), -label.margin(), -label.margin());
        int indent = label.indent();
        if (indent < 0 && label.frameWidth() > 0)
            indent = QFontMetrics(label.font()).horizontalAdvance(u'x') / 2;
        if (indent > 0 && (label.alignment() & (Qt::AlignLeft | Qt::AlignRight)))
            room.setWidth(room.width() - indent);
        int flags = label.buddy() ? Qt::TextShowMnemonic : 0;
        if (label.wordWrap())
            flags |= Qt::TextWordWrap;
        needsRoom(label, QStringLiteral("text"), textSize(label.font(), flags, text, room.width()),
            room.size());
    }

    void checkButton(const QAbstractButton& button)
    {
        if (button.text().isEmpty())
            return;
        if (const auto* tool = qobject_cast<const QToolButton*>(&button);
            tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
            return;
        QStyleOptionButton option;
        option.initFrom(&button);
        option.text = button.text();
        option.icon = button.icon();
        option.iconSize = button.iconSize();
        QStyle::SubElement contents = QStyle::SE_PushButtonContents;
        if (qobject_cast<const QCheckBox*>(&button))
            contents = QStyle::SE_CheckBoxContents;
        else if (qobject_cast<const QRadioButton*>(&button))
            contents = QStyle::SE_RadioButtonContents;
        QRect room = button.rect();
        if (qobject_cast<const QPushButton*>(&button) || contents != QStyle::SE_PushButtonContents)
            room = button.style()->subElementRect(contents, &option, &button);
        QSize needed = textSize(button.font(), Qt::TextShowMnemonic, button.text(), room.width());
        if (!button.icon().isNull())
            needed.rwidth() += button.iconSize().width() + 4;
        needsRoom(button, QStringLiteral("text"), needed, room.size());
    }

    void checkCombo(const QComboBox& combo)
    {
        QStyleOptionComboBox option;
        option.initFrom(&combo);
        option.editable = combo.isEditable();
        option.frame = combo.hasFrame();
        option.currentText = combo.currentText();
        option.subControls = QStyle::SC_All;
        const QRect field = combo.style()->subControlRect(
            QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo);
        const QFontMetrics metrics(combo.font());
        auto widthOf = [&](int item) {
            return metrics.horizontalAdvance(combo.itemText(item))
                + (combo.itemIcon(item).isNull() ? 0 : combo.iconSize().width() + 4);
        };
        if (combo.currentIndex() >= 0)
            needsRoom(combo, QStringLiteral("current entry"),
                QSize(widthOf(combo.currentIndex()), metrics.height()), field.size());
        // Any entry may become the current one.
        int widest = -1;
        int tooWide = 0;
        for (int item = 0; item < combo.count(); ++item) {
            if (item == combo.currentIndex() || widthOf(item) <= field.width())
                continue;
            ++tooWide;
            if (widest < 0 || widthOf(item) > widthOf(widest))
                widest = item;
        }
        if (widest >= 0)
            add(combo,
                QStringLiteral("%1 other entr%2 too wide, widest %3 needs %4 px, field has %5")
                    .arg(tooWide)
                    .arg(tooWide == 1 ? QStringLiteral("y") : QStringLiteral("ies"))
                    .arg(quoted(combo.itemText(widest)))
                    .arg(widthOf(widest))
                    .arg(field.width()),
                widthOf(widest) - field.width());
    }

    void checkPlaceholder(const QLineEdit& edit)
    {
        if (!edit.text().isEmpty() || edit.placeholderText().isEmpty())
            return;
        QStyleOptionFrame option;
        option.initFrom(&edit);
        option.lineWidth = edit.hasFrame()
            ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit)
            : 0;
        const QMargins margins = edit.textMargins();
        constexpr int kLineEditMarginPx = 2; // QLineEdit's own space on either side of its text
        const QRect room = edit.style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, &edit)
                               .marginsRemoved(margins)
                               .adjusted(kLineEditMarginPx, 0, -kLineEditMarginPx, 0);
        needsRoom(edit, QStringLiteral("placeholder"),
            textSize(edit.font(), 0, edit.placeholderText(), room.width()), room.size());
    }

    void checkGroupTitle(const QGroupBox& box)
    {
        if (box.title().isEmpty())
            return;
        QStyleOptionGroupBox option;
        option.initFrom(&box);
        option.text = box.title();
        option.lineWidth = 1;
        option.textAlignment = box.alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        if (box.isCheckable())
            option.subControls |= QStyle::SC_GroupBoxCheckBox;
        if (box.isFlat())
            option.features |= QStyleOptionFrame::Flat;
        const QRect title = box.style()->subControlRect(
            QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &box);
        if (!box.rect().contains(title))
            add(box,
                QStringLiteral("title lies at %1, the box is %2")
                    .arg(rectText(title), sizeText(box.size())),
                excess(title, box.rect()));
    }

    void checkDropList(const ui::DropList& list)
    {
        if (list.currentText().isEmpty())
            return;
        // The list draws its title bold, 4 px in from the left and from the 16 px arrow box.
        constexpr int kArrowBoxPx = 16;
        constexpr int kTextMarginPx = 4;
        QFont bold = list.font();
        bold.setBold(true);
        const QSize room(list.width() - kArrowBoxPx - 2 * kTextMarginPx, list.height());
        needsRoom(list, QStringLiteral("title"),
            textSize(bold, 0, list.currentText(), room.width()), room);
    }

    void checkMenuBar(const QMenuBar& bar)
    {
        for (const auto* action : bar.actions()) {
            if (!action->isVisible() || action->isSeparator())
                continue;
            const QRect place = bar.actionGeometry(const_cast<QAction*>(action));
            if (place.isEmpty() || !bar.rect().contains(place))
                add(bar,
                    QStringLiteral("menu %1 lies at %2, the bar is %3")
                        .arg(quoted(action->text()), rectText(place), sizeText(bar.size())),
                    place.isEmpty() ? QFontMetrics(bar.font()).horizontalAdvance(action->text())
                                    : excess(place, bar.rect()));
        }
        for (const auto* button : bar.findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
            if (button->objectName() == u"qt_menubar_ext_button" && button->isVisibleTo(&bar))
                add(bar, QStringLiteral("menus do not fit and hide behind the extension button"),
                    button->width());
    }

    const QWidget& m_window;
    QRect m_room;
    std::vector<LayoutFinding> m_findings;
};

} // namespace

QString describeWidget(const QWidget& widget)
{
    QString name = QString::fromLatin1(widget.metaObject()->className());
    if (!widget.objectName().isEmpty())
        name += u'#' + widget.objectName();
    QString text = shownText(widget);
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        text = plainText(*label);
    if (!text.isEmpty())
        name += u' ' + quoted(text);
    else if (widget.objectName().isEmpty() && widget.parentWidget())
        name += QStringLiteral(" in ")
            + describeWidget(*widget.parentWidget()); // a bare panel: where it is
    return name;
}

std::vector<LayoutFinding> checkLayout(const QWidget& window, QSize room)
{
    return Walk(window, room).run();
}

std::vector<LayoutFinding> checkDrawnLayout(
    const ui::LayoutReport& report, const QRect& area, const QWidget* canvas)
{
    std::vector<LayoutFinding> findings;
    auto add = [&](QString what, QString problem, int excessPx) {
        findings.push_back({ std::move(what), std::move(problem), excessPx });
    };

    std::vector<std::pair<QRect, QString>> inked; // where each text's ink is, and its name
    for (const auto& text : report.texts()) {
        const QString name = QStringLiteral("drawn text ") + quoted(text.text);
        if (!area.contains(text.rect))
            add(name,
                QStringLiteral("lies at %1, outside the view's %2")
                    .arg(rectText(text.rect), rectText(area)),
                excess(text.rect, area));
        const QSize needed = textSize(text.font, text.flags, text.text, text.rect.width());
        if (!text.elidesOnPurpose
            && (needed.width() > text.rect.width() || needed.height() > text.rect.height()))
            add(name,
                QStringLiteral("text needs %1, has %2")
                    .arg(sizeText(needed), sizeText(text.rect.size())),
                std::max(needed.width() - text.rect.width(), needed.height() - text.rect.height()));
        inked.emplace_back(
            QFontMetrics(text.font).boundingRect(text.rect, text.flags, text.text), name);
    }
    for (const auto& image : report.images())
        if (!area.contains(image))
            add(QStringLiteral("drawn image at ") + rectText(image),
                QStringLiteral("lies outside the view's %1").arg(rectText(area)),
                excess(image, area));

    for (std::size_t i = 0; i < inked.size(); ++i)
        for (std::size_t j = i + 1; j < inked.size(); ++j) {
            const QRect common = inked[i].first.intersected(inked[j].first);
            if (!common.isEmpty())
                add(inked[i].second,
                    QStringLiteral("overlaps %1 by %2")
                        .arg(inked[j].second, sizeText(common.size())),
                    std::min(common.width(), common.height()));
        }
    if (canvas) {
        for (const auto* child : canvas->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isWindow() || !child->isVisibleTo(canvas))
                continue;
            for (const auto& [ink, name] : inked) {
                const QRect common = ink.intersected(child->geometry());
                if (!common.isEmpty())
                    add(name,
                        QStringLiteral("lies under %1 by %2")
                            .arg(describeWidget(*child), sizeText(common.size())),
                        std::min(common.width(), common.height()));
            }
        }
    }
    return findings;
}

QString formatFindings(const std::vector<LayoutFinding>& findings)
{
    QString lines;
    for (const auto& finding : findings)
        lines += finding.widget + QStringLiteral(" | ") + finding.problem + u'\n';
    return lines;
}

} // namespace testing_support
