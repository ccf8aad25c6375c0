#pragma once

#include "toolkit/Graphics.h"

#include <QListWidget>

class QMenu;
class TPngImageList;

// A list box that draws the same icon from an image list in front of every item, with a light violet box
// and blue text on the selected item (and on the focused one). Items are QListWidget's.
class TMyListBox : public QListWidget {
public:
    explicit TMyListBox(QWidget* parent = nullptr);

    // Not owned; without one the items show their text only, left where the icon would start.
    TPngImageList* ImageList() const { return m_imageList; }
    void SetImageList(TPngImageList* images);
    // The one icon drawn for every item; an index outside the list draws none.
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int index);

    // Kept for forms that set it; the list box never shows it.
    QMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }

    // Every item is this high (default 16).
    int ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(int height);

    // The background of the list and of unselected items (default the system window colour).
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    // The text colour of unselected items; the face is QWidget::font().
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor color);

private:
    class TItemPainter;
    friend class TItemPainter;

    TPngImageList* m_imageList = nullptr;
    int m_imageIndex = 0;
    QMenu* m_popupMenu = nullptr;
    int m_itemHeight = 16;
    TColor m_color = clWindow;
    TColor m_fontColor = clWindowText;
};
