#include "ui/application.h"

#include "ui/activity.h"
#include "ui/dialogs.h"
#include "ui/screen_geometry.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTranslator>

namespace ui {

namespace {

const char* qtLanguageCode(unsigned language)
{
    static constexpr const char* kCodes[] = { "en", "de", "es", "fr", "it", "ru" };
    return language < 6 ? kCodes[language] : "en";
}

// The desktop style with its sizes multiplied by the device's scale. Qt's styles ask their
// proxy for every metric, so the sizes of the controls they draw follow.
class DeviceStyle final : public QProxyStyle {
public:
    DeviceStyle(QStyle* base, int factor)
        : QProxyStyle(base)
        , m_factor(factor)
    {
    }
    [[nodiscard]] int factor() const { return m_factor; }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        return scales(metric) ? value * m_factor : value;
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
        const QWidget* widget) const override
    {
        const QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
        // Menu entries get a fixed padding around their text; it grows with the text.
        if (m_factor == 1 || (type != CT_MenuBarItem && type != CT_MenuItem))
            return size;
        return contents + (size - contents) * m_factor;
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
        const QWidget* widget) const override
    {
        if (m_factor == 1 || !isArrow(element)) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        // The styles draw arrows at a fixed size for the desktop's resolution: drawn into a
        // rectangle the scale's times smaller and magnified, they grow with the controls.
        // Arrows come with plain, tool-button and spin-box options; the copy keeps its kind.
        if (const auto* button = qstyleoption_cast<const QStyleOptionToolButton*>(option))
            drawMagnified(element, *button, painter, widget);
        else if (const auto* spin = qstyleoption_cast<const QStyleOptionSpinBox*>(option))
            drawMagnified(element, *spin, painter, widget);
        else
            drawMagnified(element, *option, painter, widget);
    }

private:
    template <typename Option>
    void drawMagnified(PrimitiveElement element, const Option& option, QPainter* painter, const QWidget* widget) const
    {
        Option smaller(option);
        smaller.rect = QRect(QPoint(0, 0), option.rect.size() / m_factor);
        painter->save();
        painter->translate(QRectF(option.rect).center()
            - QPointF(smaller.rect.width(), smaller.rect.height()) * m_factor / 2.0);
        painter->scale(m_factor, m_factor);
        QProxyStyle::drawPrimitive(element, &smaller, painter, widget);
        painter->restore();
    }

    static bool isArrow(PrimitiveElement element)
    {
        return element == PE_IndicatorArrowUp || element == PE_IndicatorArrowDown
            || element == PE_IndicatorArrowLeft || element == PE_IndicatorArrowRight
            || element == PE_IndicatorSpinUp || element == PE_IndicatorSpinDown
            || element == PE_IndicatorSpinPlus || element == PE_IndicatorSpinMinus;
    }

    static bool scales(PixelMetric metric)
    {
        switch (metric) {
        case PM_ButtonMargin:
        case PM_ButtonIconSize:
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
        case PM_CheckBoxLabelSpacing:
        case PM_RadioButtonLabelSpacing:
        case PM_ScrollBarExtent:
        case PM_ScrollBarSliderMin:
        case PM_SliderThickness:
        case PM_SliderLength:
        case PM_SliderControlThickness:
        case PM_MenuBarHMargin:
        case PM_MenuBarVMargin:
        case PM_MenuBarItemSpacing:
        case PM_MenuHMargin:
        case PM_MenuVMargin:
        case PM_MenuScrollerHeight:
        case PM_MenuTearoffHeight:
        case PM_MenuButtonIndicator:
        case PM_SmallIconSize:
        case PM_LargeIconSize:
        case PM_ListViewIconSize:
        case PM_IconViewIconSize:
        case PM_MessageBoxIconSize:
        case PM_ToolBarIconSize:
        case PM_TabBarIconSize:
        case PM_TabBarTabHSpace:
        case PM_TabBarTabVSpace:
        case PM_HeaderMargin:
        case PM_LayoutLeftMargin:
        case PM_LayoutTopMargin:
        case PM_LayoutRightMargin:
        case PM_LayoutBottomMargin:
        case PM_LayoutHorizontalSpacing:
        case PM_LayoutVerticalSpacing:
        case PM_TreeViewIndentation:
            return true;
        default:
            return false;
        }
    }

    int m_factor;
};

} // namespace

void applyDeviceScale(const ScreenGeometry& screen)
{
    static const QFont desktopFont = QApplication::font();
    static const QString desktopStyle = QApplication::style()->name();
    static QPointer<DeviceStyle> current;
    const int factor = screen.scaled(1);
    QApplication::setFont(deviceScaled(desktopFont, screen));
    if (current && current == QApplication::style() && current->factor() == factor)
        return;
    auto* style = new DeviceStyle(QStyleFactory::create(desktopStyle), factor);
    current = style;
    QApplication::setStyle(style); // deletes the style it replaces
}

void applyDesktopZoom()
{
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR") || qEnvironmentVariable("QT_QPA_PLATFORM") == QStringLiteral("offscreen"))
        return;
    // Integer zoom keeps the device pixels' text crisp.
    qputenv("QT_SCALE_FACTOR", QByteArray::number(desktopZoom(ScreenGeometry::current())));
}

void prepareApplication(QApplication& application, unsigned language)
{
    static QTranslator* translator = nullptr;
    if (translator) {
        QApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    if (language != 0) {
        auto* loaded = new QTranslator(&application);
        if (loaded->load(QStringLiteral("qtbase_") + QString::fromLatin1(qtLanguageCode(language)),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QApplication::installTranslator(loaded);
            translator = loaded;
        } else {
            delete loaded; // Without Qt's translations the standard buttons stay English.
        }
    }
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), { QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans") });
    static bool reporting = false;
    if (!reporting) {
        new ActivityReporter(&application);
        reporting = true;
    }
    applyDeviceScale(ScreenGeometry::current());
}

} // namespace ui
