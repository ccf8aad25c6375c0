#pragma once

#include "toolkit/Graphics.h"

#include <QHeaderView>

class QStandardItemModel;

// The column header of a list: one flat section per column with its title, drawn on the list's background with
// a line under it and between the sections; dragging a section's right edge resizes its column.
class TTreeHeader : public QHeaderView
{
public:
    explicit TTreeHeader(QWidget* parent);

    // One section per title, in order; the widths are set apart.
    void SetTitles(const QStringList& titles);

    TColor Color = clWindow;
    TColor TextColor = clWindowText;
    TColor LineColor = clBtnShadow;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QStandardItemModel* m_titles;
};
