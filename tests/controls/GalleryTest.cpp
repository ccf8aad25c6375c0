#include "FlatGallery.h"
#include "Pixels.h"
#include "controls/FSProgressBar.h"
#include "controls/LinePanelUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/MyListBox.h"
#include "controls/PngSpeedButton.h"
#include "controls/imagebutton.h"
#include "toolkit/PngImageList.h"

#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

// Writes a picture of every control in every state into the folder REELHAND_GALLERY names, one file per
// state and one sheet per control with the states side by side, for a person to look at.
namespace {

const QColor Backdrop(129, 164, 209);

QImage Artwork(const QString& name)
{
    QImage image(QString(REELHAND_SOURCE_DIR) + "/resources/images/app/" + name);
    EXPECT_FALSE(image.isNull()) << name.toStdString();
    return image;
}

// A shown window in the main window's colour holding one control at (8, 8).
struct Stage {
    QWidget Window;

    explicit Stage(QSize size)
    {
        Window.resize(size + QSize(16, 16));
        Window.setAutoFillBackground(true);
        QPalette palette = Window.palette();
        palette.setColor(QPalette::Window, Backdrop);
        Window.setPalette(palette);
    }

    void Show()
    {
        Window.show();
        Window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }
};

class TSheet {
public:
    explicit TSheet(QString name)
        : m_name(std::move(name))
    {
    }

    void Add(const QString& state, QWidget& window)
    {
        const QImage image = window.grab().toImage();
        EXPECT_TRUE(FlatGallery::Save(m_name + "-" + state + ".png", image));
        m_images.push_back(image);
    }

    ~TSheet()
    {
        int width = 0;
        int height = 0;
        for (const QImage& image : m_images) {
            width += image.width() + 4;
            height = std::max(height, image.height());
        }
        QImage sheet(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        int x = 0;
        for (const QImage& image : m_images) {
            painter.drawImage(x, 0, image);
            x += image.width() + 4;
        }
        painter.end();
        FlatGallery::Save(m_name + ".png", sheet);
    }

private:
    QString m_name;
    std::vector<QImage> m_images;
};

} // namespace

TEST(Gallery, ImageButtons)
{
    if (!FlatGallery::Enabled())
        GTEST_SKIP() << "no gallery folder named";
    TSheet sheet("imagebutton");
    for (const QString face : {"add", "convert", "stop", "support", "list"}) {
        const bool big = face != "list";
        Stage stage(big ? QSize(112, 101) : QSize(66, 29));
        auto* button = new TImageButton(&stage.Window);
        button->setGeometry(8, 8, big ? 112 : 66, big ? 101 : 29);
        button->SetUseDown(!big);
        button->SetImage(Artwork(face + "-normal.png"));
        button->SetImageOver(Artwork(face + "-hover.png"));
        button->SetImageDown(Artwork(face + "-pressed.png"));
        if (big)
            button->SetImageDisable(Artwork(face + "-disabled.png"));
        stage.Show();
        sheet.Add(face + "-normal", stage.Window);
        button->ForwardMouseEnter();
        sheet.Add(face + "-over", stage.Window);
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 20));
        sheet.Add(face + "-pressed", stage.Window);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(20, 20));
        button->ForwardMouseLeave();
        if (big) {
            button->SetEnabled(false);
            sheet.Add(face + "-disabled", stage.Window);
        }
    }
}

TEST(Gallery, ProgressBars)
{
    if (!FlatGallery::Enabled())
        GTEST_SKIP() << "no gallery folder named";
    TSheet main("fsprogressbar-main");
    Stage stage(QSize(828, 17));
    auto* bar = new TFSProgressBar(&stage.Window);
    bar->setGeometry(8, 8, 828, 17);
    bar->SetColorScheme(csCustom);
    bar->SetColorBorder(RGB(141, 178, 227));
    bar->SetBackColorFace(RGB(255, 236, 198));
    bar->SetBackColorGrad(RGB(255, 255, 255));
    bar->SetForeColorFace(RGB(255, 222, 155));
    bar->SetForeColorGrad(RGB(183, 123, 0));
    stage.Show();
    for (int position : {0, 1, 50, 100, 150}) {
        bar->SetPosition(position);
        main.Add(QString("position%1").arg(position), stage.Window);
    }

    TSheet schemes("fsprogressbar-schemes");
    Stage small(QSize(200, 16));
    auto* schemed = new TFSProgressBar(&small.Window);
    schemed->setGeometry(8, 8, 200, 16);
    schemed->SetPosition(60);
    small.Show();
    for (int scheme = csDesert; scheme <= csToxic; ++scheme) {
        schemed->SetColorScheme(TColorScheme(scheme));
        schemes.Add(QString("scheme%1").arg(scheme), small.Window);
    }

    TSheet vertical("fsprogressbar-vertical");
    Stage tall(QSize(17, 120));
    auto* upright = new TFSProgressBar(&tall.Window);
    upright->setGeometry(8, 8, 17, 120);
    upright->SetOrientation(pbVertical);
    tall.Show();
    for (int position : {0, 50, 100}) {
        upright->SetPosition(position);
        vertical.Add(QString("position%1").arg(position), tall.Window);
    }
}

TEST(Gallery, PushButtons)
{
    if (!FlatGallery::Enabled())
        GTEST_SKIP() << "no gallery folder named";
    TSheet sheet("mybuttonex");
    for (bool glyph : {false, true}) {
        Stage stage(QSize(121, 41));
        auto* button = new TMyButtonEx(&stage.Window);
        button->setGeometry(8, 8, 121, 41);
        QFont font("Trebuchet MS");
        font.setPixelSize(12);
        font.setBold(true);
        button->setFont(font);
        button->SetFontColor(RGB(21, 66, 139));
        button->SetDefaultColorFrom(RGB(213, 226, 241));
        button->SetDefaultColorTo(RGB(193, 216, 241));
        button->SetClickColorFrom(RGB(198, 239, 252));
        button->SetClickColorTo(RGB(200, 224, 255));
        button->SetBorderColor(RGB(158, 191, 219));
        button->SetCaption("&Import");
        if (glyph)
            button->SetGlyph(Artwork("folder16.png"));
        stage.Show();
        const QString prefix = glyph ? "glyph-" : "";
        sheet.Add(prefix + "normal", stage.Window);
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(60, 20));
        sheet.Add(prefix + "pressed", stage.Window);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(60, 20));
        button->SetDrawFocus(true);
        button->setFocus();
        QTRY_VERIFY(button->hasFocus());
        sheet.Add(prefix + "focused", stage.Window);
        button->setEnabled(false);
        sheet.Add(prefix + "disabled", stage.Window);
    }
    Stage stage(QSize(75, 25));
    auto* plain = new TMyButtonEx(&stage.Window);
    plain->move(8, 8);
    plain->SetCaption("Default");
    stage.Show();
    sheet.Add("defaults", stage.Window);
}

TEST(Gallery, LinePanels)
{
    if (!FlatGallery::Enabled())
        GTEST_SKIP() << "no gallery folder named";
    TSheet sheet("linepanel");
    Stage stage(QSize(185, 41));
    auto* panel = new TLinePanel(&stage.Window);
    panel->move(8, 8);
    panel->SetColor(RGB(191, 219, 255));
    panel->SetLineColor(RGB(141, 178, 227));
    panel->SetFontColor(RGB(21, 66, 139));
    panel->SetCaption("&Files");
    stage.Show();
    sheet.Add("noborders", stage.Window);
    panel->SetLineBorders(LineBorderBit(lbTop) | LineBorderBit(lbBottom));
    panel->SetAlignment(taLeftJustify);
    sheet.Add("topbottom-left", stage.Window);
    panel->SetLineBorders(
        LineBorderBit(lbTop) | LineBorderBit(lbLeft) | LineBorderBit(lbRight) | LineBorderBit(lbBottom));
    panel->SetAlignment(taRightJustify);
    sheet.Add("all-right", stage.Window);
    panel->SetAlignment(taCenter);
    panel->setEnabled(false);
    sheet.Add("disabled", stage.Window);
}

TEST(Gallery, ListBoxes)
{
    if (!FlatGallery::Enabled())
        GTEST_SKIP() << "no gallery folder named";
    TSheet sheet("mylistbox");
    TPngImageList images(32, 32);
    images.Add(Artwork("folder32.png"));
    Stage stage(QSize(300, 120));
    auto* list = new TMyListBox(&stage.Window);
    list->setGeometry(8, 8, 300, 120);
    QFont font("Trebuchet MS");
    font.setPixelSize(12);
    list->setFont(font);
    list->SetImageList(&images);
    list->SetItemHeight(35);
    list->addItems({"/home/user/Videos/holiday.avi", "/home/user/Videos/party.mkv", "/home/user/Videos/a.mp4"});
    stage.Show();
    sheet.Add("focused-first", stage.Window);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    sheet.Add("selected-second", stage.Window);
}

TEST(Gallery, SpeedButtons)
{
    if (!FlatGallery::Enabled())
        GTEST_SKIP() << "no gallery folder named";
    TSheet sheet("pngspeedbutton");
    Stage stage(QSize(24, 24));
    auto* button = new TPngSpeedButton(&stage.Window);
    button->setGeometry(8, 8, 24, 24);
    button->SetFlat(true);
    button->SetPngImage(Artwork("folder16.png"));
    stage.Show();
    QTest::mouseMove(button, QPoint(12, 12));
    QTRY_VERIFY(button->underMouse());
    sheet.Add("hover", stage.Window);
    QTest::mouseMove(&stage.Window, QPoint(1, 1));
    QTRY_VERIFY(!button->underMouse());
    sheet.Add("normal", stage.Window);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(12, 12));
    sheet.Add("pressed", stage.Window);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(12, 12));
    QTest::mouseMove(&stage.Window, QPoint(1, 1));
    button->SetDown(true);
    sheet.Add("down", stage.Window);
    button->SetDown(false);
    button->setEnabled(false);
    sheet.Add("disabled-blend", stage.Window);
    button->SetPngOptions(PngOptionBit(pngGrayscaleOnDisabled) | PngOptionBit(pngBlendOnDisabled));
    sheet.Add("disabled-grey-blend", stage.Window);
    button->SetPngOptions(0);
    sheet.Add("disabled-plain", stage.Window);
}
