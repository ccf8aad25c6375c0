#include "controls/FlatEditUnit.h"

#include "toolkit/Application.h"
#include "toolkit/Canvas.h"
#include "toolkit/Exception.h"
#include "toolkit/SysUtils.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyle>
#include <QStyledItemDelegate>
#include <climits>

namespace {

constexpr QChar Backspace(8);

// A number that no longer fits is the user's to see, as every other failing handler reports it.
void Guarded(const std::function<void()>& work)
{
    if (Application)
        Application->Guard(work);
    else
        try {
            work();
        } catch (const Exception&) {
        }
}

// Frames r with three rings: one in the outer colour, two in the inner one.
void FlatFrame(TCanvas& canvas, TRect r, TColor outer, TColor inner)
{
    canvas.BrushColor = outer;
    canvas.FrameRect(r);
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    canvas.BrushColor = inner;
    canvas.FrameRect(r);
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    canvas.FrameRect(r);
}

// Rows of the open list are all ItemHeight pixels high.
class TItemHeightDelegate : public QStyledItemDelegate {
public:
    explicit TItemHeightDelegate(TMyFlatComboBox* combo) : QStyledItemDelegate(combo), m_combo(combo) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), m_combo->ItemHeight());
    }

private:
    TMyFlatComboBox* m_combo;
};

// The open list is a list box dropped below the combo (above it where the screen has no room), DropDownCount
// rows high with a scroll bar beyond that; some styles would lay a menu of every item over the combo instead.
class TDropDownListStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// One style for every flat combo box, living as long as the application.
QStyle* DropDownListStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = new TDropDownListStyle;
        style->setParent(qApp);
    }
    return style;
}

} // namespace

// ---------------------------------------------------------------- flat edit

TMyCustomFlatEdit::TMyCustomFlatEdit(QWidget* parent) : QLineEdit(parent)
{
    setFrame(false);
    // The frame is painted in the outer three pixels; the text keeps clear of it.
    setTextMargins(3, 3, 3, 3);
    resize(121, 19);
    FollowParentColor();
    AdjustHeight();
    RedrawFrame();
}

int TMyCustomFlatEdit::asInteger() const
{
    if (m_valueType == evDefault || text().isEmpty())
        return 0;
    return StrToInt(text().toStdString());
}

void TMyCustomFlatEdit::SetColorFocused(TColor value)
{
    m_colorFocused = value;
    RedrawFrame();
}

void TMyCustomFlatEdit::SetColorBorder(TColor value)
{
    m_colorBorder = value;
    RedrawFrame();
}

void TMyCustomFlatEdit::SetColorFlat(TColor value)
{
    m_colorFlat = value;
    m_parentColor = false;
    RedrawFrame();
}

void TMyCustomFlatEdit::SetParentColor(bool value)
{
    if (m_parentColor == value)
        return;
    m_parentColor = value;
    FollowParentColor();
    RedrawFrame();
}

void TMyCustomFlatEdit::SetFontColor(TColor value)
{
    m_fontColor = value;
    RedrawFrame();
}

bool TMyCustomFlatEdit::Highlighted() const
{
    if (hasFocus())
        return true;
    // Hovering one flat edit while another has the focus leaves the hovered one at rest.
    return m_mouseInside && !dynamic_cast<TMyFlatEdit*>(QApplication::focusWidget());
}

void TMyCustomFlatEdit::AdjustHeight()
{
    setFixedHeight(QFontMetrics(font()).height() + 6);
}

bool TMyCustomFlatEdit::IsValidChar(QChar key) const
{
    if (m_valueType != evtInteger)
        return false;
    return (key >= QChar('0') && key <= QChar('9')) || key == Backspace;
}

bool TMyCustomFlatEdit::event(QEvent* event)
{
    const bool result = QLineEdit::event(event);
    switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        FollowParentColor();
        RedrawFrame();
        break;
    case QEvent::EnabledChange:
        RedrawFrame();
        break;
    case QEvent::FontChange:
        AdjustHeight();
        break;
    default:
        break;
    }
    return result;
}

void TMyCustomFlatEdit::paintEvent(QPaintEvent* event)
{
    const TColor background = Highlighted() ? m_colorFocused : m_colorFlat;
    {
        QPainter painter(this);
        painter.fillRect(rect(), ColorToRGB(background));
    }
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    TCanvas canvas(painter);
    FlatFrame(canvas, {0, 0, width(), height()}, m_colorBorder, background);
}

void TMyCustomFlatEdit::keyPressEvent(QKeyEvent* event)
{
    if (m_valueType != evDefault) {
        if (event->key() == Qt::Key_Delete || event->matches(QKeySequence::Paste)) {
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Up)
            Guarded([this] { Increment(); });
        else if (event->key() == Qt::Key_Down)
            Guarded([this] { Decrement(); });
        else if (HandleTypedChar(event)) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

// Applies the integer-mode rules to a typed character; true when the character is to be dropped.
bool TMyCustomFlatEdit::HandleTypedChar(QKeyEvent* event)
{
    QChar key;
    if (event->key() == Qt::Key_Backspace)
        key = Backspace;
    else if (!event->text().isEmpty() && event->text()[0].isPrint() &&
             !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier)))
        key = event->text()[0];
    else
        return false;
    if (!IsValidChar(key))
        return true;
    const QString current = text();
    if (current == "0") {
        if (key == QChar('0'))
            return true;
        // A digit typed over a lone zero replaces it: "0" then 7 is 7, not 70.
        if (key != Backspace) {
            setText(QString());
            return false;
        }
    }
    const bool allSelected = selectedText() == current;
    if ((current.length() > 1 && allSelected && key == Backspace) || (current.length() <= 1 && key == Backspace)) {
        setText("0");
        setCursorPosition(0);
        return false;
    }
    const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
    return key == QChar('0') && !current.isEmpty() && caret == 0;
}

void TMyCustomFlatEdit::wheelEvent(QWheelEvent* event)
{
    if (m_valueType != evDefault) {
        if (event->angleDelta().y() > 0)
            Guarded([this] { Increment(); });
        else
            Guarded([this] { Decrement(); });
    }
    event->accept();
}

void TMyCustomFlatEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    RedrawFrame();
}

void TMyCustomFlatEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (m_valueType == evtFloat)
        setCursorPosition(0);
    RedrawFrame();
}

void TMyCustomFlatEdit::enterEvent(QEnterEvent* event)
{
    QLineEdit::enterEvent(event);
    if (!QApplication::activeWindow())
        return;
    m_mouseInside = true;
    RedrawFrame();
}

void TMyCustomFlatEdit::leaveEvent(QEvent* event)
{
    QLineEdit::leaveEvent(event);
    m_mouseInside = false;
    RedrawFrame();
}

void TMyCustomFlatEdit::RedrawFrame()
{
    QPalette pal = palette();
    const QColor background = ColorToRGB(Highlighted() ? m_colorFocused : m_colorFlat);
    const QColor text = ColorToRGB(m_fontColor);
    if (pal.color(QPalette::Base) != background || pal.color(QPalette::Text) != text) {
        pal.setColor(QPalette::Base, background);
        pal.setColor(QPalette::Text, text);
        setPalette(pal);
    }
    update();
}

void TMyCustomFlatEdit::FollowParentColor()
{
    if (!m_parentColor || !parentWidget())
        return;
    const QWidget* parent = parentWidget();
    m_colorFlat = ColorFromQColor(parent->palette().color(parent->backgroundRole()));
}

int TMyCustomFlatEdit::CurrentValue() const
{
    return text().isEmpty() ? 0 : StrToInt(text().toStdString());
}

void TMyCustomFlatEdit::Increment()
{
    if (m_valueType == evtFloat)
        return;
    const int value = CurrentValue();
    if ((m_maxValue == 0 || value < m_maxValue) && value < INT_MAX)
        setText(QString::number(value + 1));
}

void TMyCustomFlatEdit::Decrement()
{
    if (m_valueType == evtFloat)
        return;
    const int value = CurrentValue();
    if (value > m_minValue)
        setText(QString::number(value - 1));
}

// ---------------------------------------------------------------- flat combo box

TMyFlatComboBox::TMyFlatComboBox(QWidget* parent) : QComboBox(parent)
{
    setStyle(DropDownListStyle());
    m_sysBtnWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    setItemDelegate(new TItemHeightDelegate(this));
    setMaxVisibleItems(8);
    // The open list is a popup window of its own; its showing and hiding flips the triangle.
    view()->window()->installEventFilter(this);
    SetStyle(csDropDown);
    connect(this, &QComboBox::activated, this, [this] {
        if (OnChange)
            OnChange(this);
    });
}

void TMyFlatComboBox::SetStyle(TComboBoxStyle value)
{
    m_style = value;
    setEditable(value == csDropDown || value == csSimple);
    if (QLineEdit* edit = lineEdit())
        edit->setFrame(false);
    ApplyColors();
    PlaceEdit();
    update();
}

void TMyFlatComboBox::SetColor(TColor value)
{
    m_color = value;
    ApplyColors();
    update();
}

void TMyFlatComboBox::SetColorArrow(TColor value)
{
    m_colorArrow = value;
    update();
}

void TMyFlatComboBox::SetColorArrowBackground(TColor value)
{
    m_colorArrowBackground = value;
    update();
}

void TMyFlatComboBox::SetColorBorder(TColor value)
{
    m_colorBorder = value;
    update();
}

void TMyFlatComboBox::SetFontColor(TColor value)
{
    m_fontColor = value;
    ApplyColors();
    update();
}

void TMyFlatComboBox::SetItemHeight(int value)
{
    m_itemHeight = value;
    view()->doItemsLayout();
}

bool TMyFlatComboBox::DroppedDown() const
{
    return view()->window()->isVisible();
}

void TMyFlatComboBox::showPopup()
{
    QComboBox::showPopup();
    QWidget* list = view()->window();
    if (!list->isVisible())
        return;
    // Qt lays the list over the combo's last row of pixels (its first when the list opens above); the list
    // belongs right outside the combo, and Qt's fit to the screen leaves that one pixel to spare.
    const QRect combo(mapToGlobal(QPoint(0, 0)), size());
    QRect placed = list->geometry();
    if (placed.top() > combo.top())
        placed.moveTop(combo.bottom() + 1);
    else
        placed.moveBottom(combo.top() - 1);
    list->move(placed.topLeft());
}

bool TMyFlatComboBox::event(QEvent* event)
{
    const bool result = QComboBox::event(event);
    switch (event->type()) {
    case QEvent::FontChange:
        m_itemHeight = 13;
        PlaceEdit();
        break;
    case QEvent::Show:
    case QEvent::StyleChange:
    case QEvent::LayoutRequest:
        PlaceEdit();
        break;
    case QEvent::ApplicationPaletteChange:
    case QEvent::EnabledChange:
        ApplyColors();
        update();
        break;
    default:
        break;
    }
    return result;
}

bool TMyFlatComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view()->window() && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        update();
    return QComboBox::eventFilter(watched, event);
}

void TMyFlatComboBox::resizeEvent(QResizeEvent* event)
{
    QComboBox::resizeEvent(event);
    PlaceEdit();
}

void TMyFlatComboBox::focusInEvent(QFocusEvent* event)
{
    QComboBox::focusInEvent(event);
    update();
}

void TMyFlatComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    update();
}

bool TMyFlatComboBox::FocusState() const
{
    return hasFocus() || (lineEdit() && lineEdit()->hasFocus());
}

void TMyFlatComboBox::ApplyColors()
{
    const QColor background = ColorToRGB(m_color);
    const QColor text = ColorToRGB(m_fontColor);
    for (QWidget* widget : {static_cast<QWidget*>(view()), static_cast<QWidget*>(lineEdit())}) {
        if (!widget)
            continue;
        QPalette pal = widget->palette();
        pal.setColor(QPalette::Base, background);
        pal.setColor(QPalette::Window, background);
        pal.setColor(QPalette::Text, text);
        widget->setPalette(pal);
    }
}

void TMyFlatComboBox::PlaceEdit()
{
    // The typing field sits inside the frame and stops short of the selection strip and the button.
    if (QLineEdit* edit = lineEdit())
        edit->setGeometry(3, 3, std::max(0, width() - ButtonWidth - 8), std::max(0, height() - 6));
}

void TMyFlatComboBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    TCanvas canvas(painter);
    const int W = width();
    const int H = height();
    const int b = ButtonWidth;
    const bool dropped = DroppedDown();
    const bool focused = FocusState() && !dropped;

    canvas.FillRect({0, 0, W - b - 4, H}, m_color);

    // The chosen item as the platform shows it: highlighted while the control has the focus.
    if (!isEditable()) {
        const TRect item{3, 3, W - b - 5, H - 3};
        canvas.FillRect(item, focused ? clHighlight : m_color);
        canvas.Font = font();
        canvas.FontColor = focused ? clHighlightText
                                   : (isEnabled() ? m_fontColor
                                                  : ColorFromQColor(palette().color(QPalette::Disabled,
                                                                                    QPalette::Text)));
        canvas.TextRect({item.Left + 2, item.Top, item.Right, item.Bottom}, currentText(),
                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine);
    }

    if (m_style == csDropDown) {
        if (dropped) {
            canvas.BrushColor = clWindow;
            canvas.FrameRect({2, 2, W - b - 3, H - 2});
        }
    } else {
        // The selection strip: a 5-pixel band just left of the button.
        canvas.FillRect({W - 2 - b - 8, 3, W - 2 - b - 3, H - 3}, focused ? clHighlight : m_color);
        if (focused) {
            canvas.BrushColor = clHighlight;
            canvas.FrameRect({3, 3, W - 3 - (b + 2), H - 3});
        }
    }

    FlatFrame(canvas, {0, 0, W - b - 1, H}, m_colorBorder, m_color);
    if (m_style == csSimple)
        return;

    const TRect button{W - b - 2, 0, W, H};
    canvas.FillRect(button, m_colorArrowBackground);
    canvas.BrushColor = m_colorBorder;
    canvas.FrameRect(button);
    const int x0 = button.Left + button.Width() / 2 - 6;
    const int y0 = button.Top + button.Height() / 2 - 1;
    const auto triangle = [&](int dx, int dy, TColor color) {
        const QPolygon points = dropped ? QPolygon({QPoint(x0 + 4 + dx, y0 + 2 + dy), QPoint(x0 + 8 + dx, y0 + 2 + dy),
                                                    QPoint(x0 + 6 + dx, y0 + dy)})
                                        : QPolygon({QPoint(x0 + 4 + dx, y0 + dy), QPoint(x0 + 8 + dx, y0 + dy),
                                                    QPoint(x0 + 6 + dx, y0 + 2 + dy)});
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(ColorToRGB(color), 1));
        painter.setBrush(ColorToRGB(color));
        painter.drawPolygon(points);
        painter.setBrush(Qt::NoBrush);
    };
    if (isEnabled()) {
        triangle(0, 0, m_colorArrow);
    } else {
        triangle(1, 1, clWhite);
        triangle(0, 0, RGB(128, 128, 128));
    }
}
