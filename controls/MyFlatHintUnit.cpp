#include "controls/MyFlatHintUnit.h"

#include "toolkit/Canvas.h"
#include "toolkit/WordBreak.h"

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolTip>

namespace {

// Every component in creation order; the lookup picks from these.
QList<TMyFlatHint*>& Components()
{
    static QList<TMyFlatHint*> components;
    return components;
}

TFlatHintManager* TheManager = nullptr;

// The arrow for the top-left quadrant, drawn from the anchor; the other quadrants mirror it.
constexpr QPoint ArrowPoints[18] = {{0, 0}, {0, 6}, {1, 6}, {1, 0}, {6, 0}, {6, 1}, {2, 1}, {2, 4}, {5, 7},
                                    {6, 7}, {3, 4}, {3, 3}, {6, 6}, {7, 6}, {3, 2}, {4, 2}, {7, 5}, {7, 6}};

enum { TopRight = 0, TopLeft = 1, BottomRight = 2, BottomLeft = 3 };

} // namespace

// ---------------------------------------------------------------- settings component

TMyFlatHint::TMyFlatHint(QWidget* owner) : QObject(owner), m_font(QApplication::font())
{
    TFlatHintManager* manager = TFlatHintManager::Install();
    manager->HintShortPause = 25;
    manager->HintPause = 500;
    manager->HintHidePause = 5000;
    // The newest component answers the application's hook; once it is gone the hook does nothing.
    QPointer<TMyFlatHint> self(this);
    manager->OnShowHint = [self](QString& hintStr, bool& canShow, THintInfo& hintInfo) {
        if (self && self->OnShowHint)
            self->OnShowHint(hintStr, canShow, hintInfo);
    };
    Components().append(this);
}

TMyFlatHint::~TMyFlatHint()
{
    Components().removeAll(this);
}

TMyFlatHint* TMyFlatHint::Lookup()
{
    const QList<TMyFlatHint*>& components = Components();
    if (components.isEmpty())
        return nullptr;
    const QWidget* active = QApplication::activeWindow();
    for (TMyFlatHint* component : components) {
        const QWidget* owner = qobject_cast<const QWidget*>(component->parent());
        if (active && owner && owner->window() == active)
            return component;
    }
    return components.first();
}

// ---------------------------------------------------------------- hint window

TMyFlatHintWindow::TMyFlatHintWindow()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

bool TMyFlatHintWindow::ActivateHint(const TRect& rect, const QString& text)
{
    return ActivateHint(rect, text, QCursor::pos());
}

bool TMyFlatHintWindow::ActivateHint(const TRect&, const QString& text, const QPoint& cursor)
{
    m_caption = text;
    m_settings = TMyFlatHint::Lookup();
    if (!m_settings) {
        hide();
        return false;
    }
    setFont(m_settings->Font());

    // Measured twice: a word wider than MaxHintWidth widens the text, and at that width the other lines may take
    // more words, so fewer lines are drawn than the first measure counted.
    const QFontMetrics metrics(font());
    const int wrapped = TWordBreak(metrics, text, m_settings->MaxHintWidth() - 22).Size().width();
    const QSize r = TWordBreak(metrics, text, wrapped).Size();
    const int w = r.width() + 22;
    const int h = r.height() + 6;

    const QScreen* screen = QGuiApplication::screenAt(cursor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 0, 0);
    const int halfWidth = area.width() / 2;
    const int halfHeight = area.height() / 2;
    const int px = cursor.x() - area.x();
    const int py = cursor.y() - area.y();
    const bool left = px >= 0 && px < halfWidth;
    const bool right = px >= halfWidth && px < area.width();
    const bool top = py >= 0 && py < halfHeight;
    const bool bottom = py >= halfHeight && py < area.height();
    if (left && top)
        m_quadrant = TopLeft;
    else if (right && top)
        m_quadrant = TopRight;
    else if (left && bottom)
        m_quadrant = BottomLeft;
    else
        m_quadrant = BottomRight;

    const int gap = m_quadrant == TopLeft ? 12 : 5;
    const int x = (m_quadrant == TopLeft || m_quadrant == BottomLeft) ? cursor.x() + gap : cursor.x() - w - gap;
    const int y = (m_quadrant == TopLeft || m_quadrant == TopRight) ? cursor.y() + gap : cursor.y() - h - gap;
    setGeometry(x, y, w, h);
    show();
    raise();
    update();
    return true;
}

void TMyFlatHintWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    TCanvas canvas(painter);
    const int W = width();
    const int H = height();
    if (!m_settings) {
        canvas.FillRect({0, 0, W, H}, clWhite);
        return;
    }
    const bool windowRightOfCursor = m_quadrant == TopLeft || m_quadrant == BottomLeft;
    const TRect column = windowRightOfCursor ? TRect{1, 1, 15, H - 1} : TRect{W - 15, 1, W - 1, H - 1};
    TRect text = windowRightOfCursor ? TRect{15, 1, W - 1, H - 1} : TRect{1, 1, W - 15, H - 1};

    canvas.FillRect(column, m_settings->ColorArrowBackground());
    canvas.FillRect(text, m_settings->ColorBackground());
    canvas.BrushColor = m_settings->ColorBorder();
    canvas.FrameRect({0, 0, W, H});

    const bool pointsUp = m_quadrant == TopLeft || m_quadrant == TopRight;
    m_arrowAnchor = QPoint(windowRightOfCursor ? column.Left + 2 : column.Right - 3,
                           pointsUp ? column.Top + 2 : column.Bottom - 3);
    const int sx = windowRightOfCursor ? 1 : -1;
    const int sy = pointsUp ? 1 : -1;
    canvas.PenColor = m_settings->ColorArrow();
    canvas.MoveTo(m_arrowAnchor.x() + sx * ArrowPoints[0].x(), m_arrowAnchor.y() + sy * ArrowPoints[0].y());
    for (int i = 1; i < 18; ++i)
        canvas.LineTo(m_arrowAnchor.x() + sx * ArrowPoints[i].x(), m_arrowAnchor.y() + sy * ArrowPoints[i].y());

    text = {text.Left + 3, text.Top + 1, text.Right - 3, text.Bottom - 1};
    canvas.Font = font();
    canvas.FontColor = m_settings->FontColor();
    const int align = layoutDirection() == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft;
    const TWordBreak layout(QFontMetrics(font()), m_caption, text.Width());
    int top = text.Top;
    for (const QString& line : layout.Lines()) {
        canvas.TextRect({text.Left, top, text.Right, top + layout.LineHeight()}, line,
                        align | Qt::AlignTop | Qt::TextSingleLine);
        top += layout.LineHeight();
    }
}

// ---------------------------------------------------------------- hint machinery

TFlatHintManager::TFlatHintManager() : QObject(qApp), m_window(new TMyFlatHintWindow) {}

TFlatHintManager* TFlatHintManager::Instance()
{
    return TheManager;
}

TFlatHintManager* TFlatHintManager::Install()
{
    if (!TheManager) {
        TheManager = new TFlatHintManager;
        qApp->installEventFilter(TheManager);
    }
    return TheManager;
}

void TFlatHintManager::CancelHint()
{
    m_wakeTimer.stop();
    m_hideTimer.stop();
    m_window->hide();
    m_shownText.clear();
}

bool TFlatHintManager::eventFilter(QObject* watched, QEvent* event)
{
    if (!watched->isWidgetType())
        return false;
    QWidget* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::ToolTip:
        // Qt's own tool-tip timing is replaced by ours; our own requests pass.
        return !m_asking;
    case QEvent::Show:
        // Qt's tip label never reaches the screen: the text it was given is shown in the flat window instead.
        if (watched->inherits("QTipLabel")) {
            widget->setAttribute(Qt::WA_DontShowOnScreen);
            m_tipLabel = widget;
            if (!m_asking)
                QTimer::singleShot(0, this, [this] {
                    if (!QToolTip::isVisible())
                        return;
                    const QString text = QToolTip::text();
                    CloseTipLabel();
                    m_cursor = QCursor::pos();
                    m_target = QApplication::widgetAt(m_cursor);
                    if (m_target && m_window->ActivateHint({m_cursor.x(), m_cursor.y(), 0, 0}, text, m_cursor)) {
                        m_shownText = text;
                        m_hideTimer.start(HintHidePause, this);
                    }
                });
        }
        return false;
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() == Qt::NoButton)
            MouseMoved(widget, mouse->globalPosition().toPoint());
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
        CancelHint();
        m_settled = true;
        return false;
    case QEvent::Leave:
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
        if (widget == m_target || (m_target && widget->isAncestorOf(m_target) && event->type() != QEvent::Leave)) {
            if (m_window->isVisible())
                m_leftShownHint.start();
            CancelHint();
            m_target = nullptr;
        }
        return false;
    default:
        return false;
    }
}

void TFlatHintManager::MouseMoved(QWidget* widget, const QPoint& global)
{
    if (widget == m_window)
        return;
    // A move the child ignored travels on to its parents; the child keeps the hint.
    if (m_target && widget != m_target && widget->isAncestorOf(m_target) &&
        m_target->rect().contains(m_target->mapFromGlobal(global)))
        return;
    m_cursor = global;
    if (widget != m_target) {
        // Going from one hint to the next, with or without the leave of the first in between, is quick.
        const bool hintUp =
            m_window->isVisible() || (m_leftShownHint.isValid() && !m_leftShownHint.hasExpired(HintPause));
        m_leftShownHint.invalidate();
        CancelHint();
        m_target = widget;
        m_settled = false;
        m_wakeTimer.start(hintUp ? HintShortPause : HintPause, this);
        return;
    }
    // Within the same widget the hint may depend on the place (a row of the file list).
    if (m_window->isVisible()) {
        if (AskHint(widget, global) != m_shownText) {
            CancelHint();
            m_wakeTimer.start(HintShortPause, this);
        }
    } else if (!m_settled && !m_wakeTimer.isActive()) {
        m_wakeTimer.start(HintPause, this);
    }
}

QString TFlatHintManager::AskHint(QWidget* widget, const QPoint& global)
{
    CloseTipLabel();
    m_asking = true;
    QHelpEvent help(QEvent::ToolTip, widget->mapFromGlobal(global), global);
    QApplication::sendEvent(widget, &help);
    m_asking = false;
    const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
    CloseTipLabel();
    return text;
}

void TFlatHintManager::CloseTipLabel()
{
    // QToolTip::hideText() lets the tip linger for a while, long enough to be taken for the next widget's answer.
    if (m_tipLabel)
        m_tipLabel->close();
}

void TFlatHintManager::ShowHint()
{
    if (!m_target)
        return;
    const QString asked = AskHint(m_target, m_cursor);
    QString text = asked;
    if (text.isEmpty())
        return;
    bool canShow = true;
    THintInfo info{m_target, m_cursor, HintHidePause};
    if (OnShowHint)
        OnShowHint(text, canShow, info);
    if (!canShow || text.isEmpty())
        return;
    if (!m_window->ActivateHint({m_cursor.x(), m_cursor.y(), m_cursor.x(), m_cursor.y()}, text, m_cursor))
        return;
    m_shownText = asked;
    m_settled = true;
    if (info.HideTimeout > 0)
        m_hideTimer.start(info.HideTimeout, this);
}

void TFlatHintManager::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_wakeTimer.timerId()) {
        m_wakeTimer.stop();
        ShowHint();
    } else if (event->timerId() == m_hideTimer.timerId()) {
        m_hideTimer.stop();
        m_window->hide();
    }
}
