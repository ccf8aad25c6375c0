#include "toolkit/Graphics.h"

#include <QApplication>
#include <QPalette>
#include <cmath>

namespace {

QPalette::ColorRole RoleOf(TColor color)
{
    switch (color & 0xFF) {
    case clMenu & 0xFF:
    case clBtnFace & 0xFF:
        return QPalette::Button;
    case clWindow & 0xFF:
        return QPalette::Base;
    case clWindowText & 0xFF:
    case clMenuText & 0xFF:
        return QPalette::Text;
    case clHighlight & 0xFF:
        return QPalette::Highlight;
    case clHighlightText & 0xFF:
        return QPalette::HighlightedText;
    case clBtnShadow & 0xFF:
        return QPalette::Dark;
    case clGrayText & 0xFF:
        return QPalette::PlaceholderText;
    case clBtnText & 0xFF:
        return QPalette::ButtonText;
    case clBtnHighlight & 0xFF:
        return QPalette::Light;
    case clInfoText & 0xFF:
        return QPalette::ToolTipText;
    case clInfoBk & 0xFF:
        return QPalette::ToolTipBase;
    default:
        return QPalette::Window;
    }
}

} // namespace

QColor ColorToRGB(TColor color)
{
    // Cut to 8 bits per channel, as a TColor holds them, so resolved colours compare equal to drawn pixels.
    if ((color & 0xFF000000) == clSystemColor)
        return QColor(QApplication::palette().color(QPalette::Active, RoleOf(color)).rgb());
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor ColorFromQColor(const QColor& color)
{
    return RGB(color.red(), color.green(), color.blue());
}

int RoundHalfEven(double value)
{
    // nearbyint follows the current rounding mode, which is round-to-nearest-even unless someone changed it.
    return int(std::nearbyint(value));
}
