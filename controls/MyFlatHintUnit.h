#pragma once

#include "toolkit/Graphics.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QFont>
#include <QPointer>
#include <QWidget>
#include <functional>

class TMyFlatHintWindow;

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// What the show-hint hook may read and change about the hint about to be shown.
struct THintInfo {
    QWidget* HintControl = nullptr; // the widget under the mouse that answered with a hint
    QPoint CursorPos;               // screen position of the mouse
    int HideTimeout = 0;            // ms the hint stays; <= 0 keeps it until the mouse moves on
};

// Called with the text before each hint; clearing CanShow or the text suppresses the hint.
using TShowHintEvent = std::function<void(QString& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// The settings of the flat hints, placed on a form. Creating the first one switches every hint of the
// application (QWidget tool tips and widgets answering QEvent::ToolTip with QToolTip::showText alike) to the flat
// hint window for the rest of the run, with 500 ms before the first hint, 25 ms between hints and 5000 ms shown.
class TMyFlatHint : public QObject {
public:
    // The owner is the form the component belongs to; it is deleted with it.
    explicit TMyFlatHint(QWidget* owner);
    ~TMyFlatHint() override;

    TColor ColorBackground() const { return m_colors[0]; }
    void SetColorBackground(TColor value) { SetColor(0, value); }
    TColor ColorBorder() const { return m_colors[1]; }
    void SetColorBorder(TColor value) { SetColor(1, value); }
    TColor ColorArrowBackground() const { return m_colors[2]; }
    void SetColorArrowBackground(TColor value) { SetColor(2, value); }
    TColor ColorArrow() const { return m_colors[3]; }
    void SetColorArrow(TColor value) { SetColor(3, value); }
    // Widest window in pixels before the text wraps.
    int MaxHintWidth() const { return m_maxHintWidth; }
    void SetMaxHintWidth(int value) { m_maxHintWidth = value; }
    QFont Font() const { return m_font; }
    // Copies the font.
    void SetFont(const QFont& value) { m_font = value; }
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor value) { m_fontColor = value; }
    // Stored only; the window does not read it.
    TBiDiMode BidiMode() const { return m_bidiMode; }
    void SetBidiMode(TBiDiMode value) { m_bidiMode = value; }

    TShowHintEvent OnShowHint;

    // The component whose settings the next hint uses: the one on the active window, else the first created
    // that still lives; nullptr when there is none (then no hint is shown).
    static TMyFlatHint* Lookup();

private:
    void SetColor(int index, TColor value) { m_colors[index] = value; }

    TColor m_colors[4] = {clWhite, clBlack, RGB(255, 210, 83), clBlack};
    int m_maxHintWidth = 200;
    QFont m_font;
    TColor m_fontColor = clWindowText;
    TBiDiMode m_bidiMode = bdLeftToRight;
};

// The borderless hint popup: a one-pixel frame, a 14-pixel column with an arrow pointing at the cursor on the
// side facing it, and the word-wrapped text with '&' drawn as it is. Placed by the screen quadrant of the cursor.
class TMyFlatHintWindow : public QWidget {
public:
    TMyFlatHintWindow();

    // Sizes the window for the text (broken between words at MaxHintWidth - 22, wider for a longer word, plus 22
    // by 6) and shows it, without taking the focus, next to the cursor position (screen coordinates) as its
    // quadrant says, unclamped. The rectangle's position plays no part. Returns false, showing nothing, when no
    // TMyFlatHint exists.
    bool ActivateHint(const TRect& rect, const QString& text, const QPoint& cursor);
    // As above at the mouse cursor's position.
    bool ActivateHint(const TRect& rect, const QString& text);

    QString Caption() const { return m_caption; }
    // 0 top-right, 1 top-left, 2 bottom-right, 3 bottom-left: where the cursor was on its screen.
    int Quadrant() const { return m_quadrant; }
    // Where the arrow starts, in client coordinates; set by the last paint.
    QPoint ArrowAnchor() const { return m_arrowAnchor; }
    TMyFlatHint* Settings() const { return m_settings; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
    int m_quadrant = 1;
    QPoint m_arrowAnchor;
    QPointer<TMyFlatHint> m_settings;
};

// The application's hint machinery once a TMyFlatHint has switched it on. It takes over QEvent::ToolTip for
// every widget: after HintPause (HintShortPause while a hint is up) it asks the widget under the mouse for its
// hint with a tool-tip event, catches the text the widget gives to QToolTip (never letting Qt's tip show), runs
// OnShowHint and shows the flat window for HintHidePause ms. A click, a key, the wheel or leaving the widget ends
// the hint; moving within the widget asks again, so widgets with a hint per row (the file list) get theirs.
class TFlatHintManager : public QObject {
public:
    // nullptr until the first TMyFlatHint is created.
    static TFlatHintManager* Instance();

    int HintPause = 500;
    int HintShortPause = 25;
    int HintHidePause = 5000;
    TShowHintEvent OnShowHint;

    TMyFlatHintWindow* HintWindow() { return m_window; }
    // Hides the hint at once; the next hint needs the mouse on another widget.
    void CancelHint();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    friend class TMyFlatHint;
    static TFlatHintManager* Install();
    TFlatHintManager();

    void MouseMoved(QWidget* widget, const QPoint& global);
    QString AskHint(QWidget* widget, const QPoint& global);
    void ShowHint();
    void CloseTipLabel();

    TMyFlatHintWindow* m_window;
    QPointer<QWidget> m_target;
    QPointer<QWidget> m_tipLabel;
    QPoint m_cursor;
    QString m_shownText;
    QBasicTimer m_wakeTimer;
    QBasicTimer m_hideTimer;
    QElapsedTimer m_leftShownHint;
    bool m_asking = false;
    bool m_settled = false; // the target's hint was shown or dismissed: no more until the mouse moves on
};
