#pragma once

#include "toolkit/Graphics.h"

#include <QFont>
#include <QPointer>
#include <memory>

class QAction;
class QMenu;
class QPainter;
class QProxyStyle;

// Draws a popup menu's own items in two lines: the caption in bold and, below it in normal weight, the item's
// hint (its QAction::statusTip), on a pale background with a rounded gradient highlight; separators get a
// two-tone line. Sub-menus keep their usual look. The menu's actions and their handlers are left alone.
class TMenuDraw {
public:
    TMenuDraw();
    ~TMenuDraw();
    TMenuDraw(const TMenuDraw&) = delete;
    TMenuDraw& operator=(const TMenuDraw&) = delete;

    // Takes over the drawing of the menu's top-level items; nullptr gives the last menu its usual look back.
    void SetMenu(QMenu* menu);
    QMenu* Menu() const { return m_menu; }
    bool DrawImages() const { return m_drawImages; }
    bool SplitHighlight() const { return m_splitHighlight; }

    // Size of an item: the wider of caption (plus shortcut and 8) and hint, plus 8 (and 26 for the image
    // column); caption height + hint height + 8. An empty text measures 0 × 0.
    void MeasureItem(const QAction* item, int& width, int& height) const;
    // Draws an item (a separator too) into r of the painter; selected shows the highlight.
    void DrawItem(QPainter& painter, const QAction* item, const TRect& r, bool selected) const;
    void DrawSeparator(QPainter& painter, const QAction* item, const TRect& r) const;
    // True when any top-level item of the menu has an image: then the image column is drawn.
    bool HasImages() const;

    // Fills r from top to bottom in steps bands: band i has the colour start + (i + 1) × (end − start) / steps and
    // spans rows i × H / steps to (i + 1) × H / steps, all rounded to nearest with halves to even.
    static void GradientFill(QPainter& painter, const TRect& r, int steps, TColor start, TColor end);

    // Trebuchet MS 9 pt (12 pixels), bold or not.
    static QFont ItemFont(bool bold);

private:
    bool m_drawImages = true;
    bool m_splitHighlight = true;
    QPointer<QMenu> m_menu;
    std::unique_ptr<QProxyStyle> m_style;
};

// The one menu drawing of the program; made and freed by the main window's controller, nullptr otherwise.
extern TMenuDraw* MenuDraw;
