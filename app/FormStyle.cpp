#include "app/FormStyle.h"

#include "controls/MyButtonEx.h"
#include "toolkit/PixelRatio.h"

#include <QLabel>
#include <QPalette>

QFont TrebuchetFont(int pixelSize, bool bold, bool italic)
{
    QFont font("Trebuchet MS");
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QImage AppImage(const QString& name)
{
    return SharpImage(":/images/app/" + name);
}

void SetTextColor(QWidget* widget, TColor color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, ColorToRGB(color));
    palette.setColor(QPalette::Text, ColorToRGB(color));
    widget->setPalette(palette);
}

void SetBackgroundColor(QWidget* widget, TColor color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ColorToRGB(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& bounds, const QFont& font,
    TColor color, Qt::Alignment alignment)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(bounds);
    label->setFont(font);
    label->setAlignment(alignment);
    SetTextColor(label, color);
    return label;
}

TMyButtonEx* MakePushButton(QWidget* parent, const char* name, const QString& caption, const QRect& bounds)
{
    auto* button = new TMyButtonEx(parent);
    button->setObjectName(name);
    button->setGeometry(bounds);
    button->SetCaption(caption);
    button->setFont(TrebuchetFont(12, true));
    button->SetFontColor(CaptionColor);
    button->SetDefaultColorFrom(RGB(213, 226, 241));
    button->SetDefaultColorTo(RGB(193, 216, 241));
    button->SetClickColorFrom(RGB(198, 239, 252));
    button->SetClickColorTo(RGB(200, 224, 255));
    button->SetOverColorFrom(clBlack);
    button->SetOverColorTo(clBlack);
    button->SetBorderColor(RGB(158, 191, 219));
    button->SetDrawFocus(false);
    return button;
}
