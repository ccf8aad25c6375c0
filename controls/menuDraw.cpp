#include "controls/menuDraw.h"

#include "toolkit/Canvas.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <algorithm>
#include <cmath>

TMenuDraw* MenuDraw = nullptr;

namespace {

constexpr TColor ItemBackground = RGB(250, 250, 250);
constexpr TColor SeparatorBackground = RGB(221, 231, 238);
constexpr TColor SeparatorUpper = RGB(197, 197, 197);
constexpr TColor SeparatorLower = RGB(250, 250, 250);
constexpr TColor ImageColumn = RGB(233, 238, 238);
constexpr TColor EdgeLine = RGB(197, 197, 197);
constexpr TColor GradientLight = RGB(228, 232, 239);
constexpr TColor CaptionDark = RGB(184, 197, 222);
constexpr TColor HintDark = RGB(171, 186, 216);
constexpr TColor EnabledText = RGB(0, 21, 110);
constexpr TColor DisabledText = RGB(216, 197, 222);
constexpr int ImageColumnRight = 26;

bool IsSeparator(const QAction* item)
{
    return item->isSeparator() || item->text() == "-";
}

QString CaptionOf(const QAction* item)
{
    return IsSeparator(item) ? QString("-") : item->text();
}

QString ShortcutOf(const QAction* item)
{
    return item->shortcut().toString(QKeySequence::NativeText);
}

// The calculate-only text drawing with external leading: one line's spacing high, the text's width wide.
QSize Measure(const QFont& font, const QString& text, int flags)
{
    if (text.isEmpty())
        return {0, 0};
    const QFontMetrics metrics(font);
    return {metrics.boundingRect(QRect(0, 0, 0, 0), flags, text).width(), metrics.lineSpacing()};
}

// Answers the menu's size and drawing questions for its own items; everything else is the application style's.
class TMenuDrawStyle : public QProxyStyle {
public:
    TMenuDrawStyle(const TMenuDraw& owner) : m_owner(owner) {}

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        if (type == CT_MenuItem && Own(widget)) {
            if (const QAction* item = ItemFor(option)) {
                int width = 0, height = 0;
                m_owner.MeasureItem(item, width, height);
                return {width, height};
            }
        }
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        if (Own(widget)) {
            if (element == CE_MenuItem) {
                const QMenu* menu = static_cast<const QMenu*>(widget);
                for (const QAction* item : menu->actions())
                    if (menu->actionGeometry(const_cast<QAction*>(item)) == option->rect) {
                        m_owner.DrawItem(*painter, item, TRect::FromQRect(option->rect),
                                         option->state & State_Selected);
                        return;
                    }
            }
            if (element == CE_MenuEmptyArea) {
                painter->fillRect(option->rect, ColorToRGB(ItemBackground));
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (Own(widget) && element == PE_PanelMenu) {
            painter->fillRect(option->rect, ColorToRGB(ItemBackground));
            return;
        }
        if (Own(widget) && element == PE_FrameMenu)
            return;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        // Items fill the menu from edge to edge, as owner-drawn items do.
        if (Own(widget) && (metric == PM_MenuPanelWidth || metric == PM_MenuHMargin || metric == PM_MenuVMargin ||
                            metric == PM_MenuDesktopFrameWidth))
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        // A disabled item is highlighted like any other when the mouse is on it.
        if (Own(widget) && hint == SH_Menu_AllowActiveAndDisabled)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    bool Own(const QWidget* widget) const { return widget && widget == m_owner.Menu(); }

    // The item being measured: the first top-level action whose caption and kind match the option's.
    const QAction* ItemFor(const QStyleOption* option) const
    {
        const auto* menuOption = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (!menuOption)
            return nullptr;
        const bool separator = menuOption->menuItemType == QStyleOptionMenuItem::Separator;
        const QString text = menuOption->text.section('\t', 0, 0);
        for (const QAction* item : m_owner.Menu()->actions())
            if (item->isSeparator() == separator && item->text() == text)
                return item;
        return nullptr;
    }

    const TMenuDraw& m_owner;
};

} // namespace

TMenuDraw::TMenuDraw() = default;

TMenuDraw::~TMenuDraw()
{
    SetMenu(nullptr);
}

void TMenuDraw::SetMenu(QMenu* menu)
{
    if (m_menu && m_style)
        m_menu->setStyle(nullptr);
    m_menu = menu;
    if (!menu)
        return;
    if (!m_style)
        m_style = std::make_unique<TMenuDrawStyle>(*this);
    menu->setStyle(m_style.get());
}

QFont TMenuDraw::ItemFont(bool bold)
{
    QFont font("Trebuchet MS");
    font.setPixelSize(12);
    font.setBold(bold);
    return font;
}

bool TMenuDraw::HasImages() const
{
    if (!m_menu)
        return false;
    const QList<QAction*> items = m_menu->actions();
    return std::any_of(items.begin(), items.end(), [](const QAction* item) { return !item->icon().isNull(); });
}

void TMenuDraw::MeasureItem(const QAction* item, int& width, int& height) const
{
    const QFont bold = ItemFont(true);
    const QSize caption = Measure(bold, CaptionOf(item), Qt::TextShowMnemonic);
    int textWidth = caption.width();
    const QString shortcut = ShortcutOf(item);
    if (!shortcut.isEmpty())
        textWidth += Measure(bold, shortcut, Qt::TextShowMnemonic).width() + 8;
    const QSize hint = Measure(ItemFont(false), item->statusTip(), Qt::TextShowMnemonic);
    width = std::max(textWidth, hint.width()) + 8 + (HasImages() ? ImageColumnRight : 0);
    height = caption.height() + hint.height() + 8;
}

void TMenuDraw::DrawItem(QPainter& painter, const QAction* item, const TRect& r, bool selected) const
{
    if (IsSeparator(item)) {
        DrawSeparator(painter, item, r);
        return;
    }
    painter.save();
    TCanvas canvas(painter);
    const bool images = HasImages();
    canvas.Font = ItemFont(true);
    const int captionHeight = Measure(canvas.Font, CaptionOf(item), Qt::TextShowMnemonic).height();
    canvas.FillRect(r, ItemBackground);
    if (images) {
        canvas.FillRect({r.Left, r.Top, ImageColumnRight, r.Bottom}, ImageColumn);
        canvas.PenColor = EdgeLine;
        canvas.MoveTo(ImageColumnRight, r.Top);
        canvas.LineTo(ImageColumnRight, r.Bottom);
    }
    if (selected) {
        QPainterPath rounded;
        rounded.addRoundedRect(QRectF(r.Left, r.Top, r.Width(), r.Height()), 1.5, 1.5);
        painter.setClipPath(rounded);
        if (!item->statusTip().isEmpty() && m_splitHighlight) {
            const int split = r.Top + captionHeight + 4;
            GradientFill(painter, {r.Left, r.Top, r.Right, split}, 256, GradientLight, CaptionDark);
            GradientFill(painter, {r.Left, split, r.Right, r.Bottom}, 256, HintDark, GradientLight);
        } else {
            GradientFill(painter, r, 256, GradientLight, CaptionDark);
        }
        painter.setClipping(false);
        canvas.PenColor = EdgeLine;
        canvas.BrushClear = true;
        canvas.RoundRect(r, 3, 3);
    }

    const int left = r.Left + (images ? 30 : 4);
    canvas.FontColor = item->isEnabled() ? EnabledText : DisabledText;
    const TRect captionRect{left, r.Top + 2, r.Right - 4, r.Bottom};
    canvas.TextRect(captionRect, item->text(),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic);
    const QString shortcut = ShortcutOf(item);
    if (!shortcut.isEmpty())
        canvas.TextRect(captionRect, shortcut, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine);
    canvas.Font = ItemFont(false);
    canvas.TextRect({left, r.Top + captionHeight + 4, r.Right - 4, r.Bottom}, item->statusTip(),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic);

    if (images && m_drawImages && !item->icon().isNull())
        item->icon().paint(&painter, QRect(r.Left + 4, r.Top + 2, 16, 16), Qt::AlignCenter, QIcon::Normal);
    painter.restore();
}

void TMenuDraw::DrawSeparator(QPainter& painter, const QAction* item, const TRect& r) const
{
    painter.save();
    TCanvas canvas(painter);
    const bool images = HasImages();
    canvas.FillRect(r, SeparatorBackground);
    canvas.PenColor = SeparatorUpper;
    canvas.MoveTo(r.Left, r.Bottom - 2);
    canvas.LineTo(r.Right, r.Bottom - 2);
    canvas.PenColor = SeparatorLower;
    canvas.MoveTo(r.Left, r.Bottom - 1);
    canvas.LineTo(r.Right, r.Bottom - 1);
    if (!item->statusTip().isEmpty()) {
        canvas.Font = ItemFont(true);
        canvas.FontColor = EnabledText;
        canvas.TextRect({r.Left + (images ? 10 : 4), r.Top, r.Right - 4, r.Bottom}, item->statusTip(),
                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic);
    } else if (images) {
        canvas.FillRect({r.Left, r.Top, ImageColumnRight, r.Bottom}, ImageColumn);
        canvas.PenColor = EdgeLine;
        canvas.MoveTo(ImageColumnRight, r.Top);
        canvas.LineTo(ImageColumnRight, r.Bottom);
    }
    painter.restore();
}

void TMenuDraw::GradientFill(QPainter& painter, const TRect& r, int steps, TColor start, TColor end)
{
    if (steps < 1)
        return;
    const QColor from = ColorToRGB(start);
    const QColor to = ColorToRGB(end);
    const double stepR = double(to.red() - from.red()) / steps;
    const double stepG = double(to.green() - from.green()) / steps;
    const double stepB = double(to.blue() - from.blue()) / steps;
    const double height = r.Height();
    for (int i = 0; i < steps; ++i) {
        const QColor color(int(std::nearbyint(from.red() + (i + 1) * stepR)),
                           int(std::nearbyint(from.green() + (i + 1) * stepG)),
                           int(std::nearbyint(from.blue() + (i + 1) * stepB)));
        const int top = int(std::nearbyint(i * height / steps));
        const int bottom = int(std::nearbyint((i + 1) * height / steps));
        if (bottom > top)
            painter.fillRect(QRect(r.Left, r.Top + top, r.Width(), bottom - top), color);
    }
}
