#include "controls/FlatEditUnit.h"
#include "tests/controls/FlatGallery.h"

#include <QApplication>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

QColor C(int r, int g, int b)
{
    return QColor(r, g, b);
}

// A shown, active window holding one or two flat edits, as a dialog would.
struct EditForm {
    QWidget Form;
    TMyFlatEdit* Edit;
    TMyFlatEdit* Other;

    EditForm()
    {
        Form.resize(300, 120);
        Form.setPalette(QPalette(C(129, 164, 209)));
        Edit = new TMyFlatEdit(&Form);
        Edit->setGeometry(10, 10, 150, 19);
        Other = new TMyFlatEdit(&Form);
        Other->setGeometry(10, 60, 150, 19);
        Form.show();
        QApplication::setActiveWindow(&Form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Form));
    }

    void Hover(QWidget* widget)
    {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(widget, &enter);
    }

    void Unhover(QWidget* widget)
    {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(widget, &leave);
    }
};

// Outer ring, the two inner rings and a pixel of the background, in that order.
struct Rings {
    QColor Outer, Inner1, Inner2, Inside;
};

Rings RingsOf(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    const int y = image.height() / 2;
    const int x = image.width() - 1;
    return {image.pixelColor(0, y), image.pixelColor(1, y), image.pixelColor(x - 2, y), image.pixelColor(x - 5, y)};
}

} // namespace

TEST(FlatEditLook, AtRestTheFrameIsBorderThenFlatColour)
{
    EditForm f;
    f.Edit->SetColorFlat(RGB(235, 234, 225));
    f.Other->setFocus();
    QTRY_VERIFY(f.Other->hasFocus());
    const Rings r = RingsOf(f.Edit);
    EXPECT_EQ(r.Outer, C(160, 150, 131));
    EXPECT_EQ(r.Inner1, C(235, 234, 225));
    EXPECT_EQ(r.Inner2, C(235, 234, 225));
    EXPECT_EQ(r.Inside, C(235, 234, 225));
    const QImage image = f.Edit->grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() / 2, 0), C(160, 150, 131));
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() - 1), C(160, 150, 131));
    EXPECT_EQ(image.pixelColor(image.width() - 1, 0), C(160, 150, 131));
    EXPECT_EQ(image.pixelColor(image.width() / 2, 2), C(235, 234, 225));
}

TEST(FlatEditLook, FocusTurnsTheBandAndBackgroundToTheFocusedColour)
{
    EditForm f;
    f.Edit->SetColorFlat(RGB(235, 234, 225));
    f.Edit->SetColorFocused(RGB(255, 255, 200));
    QTest::mouseClick(f.Edit, Qt::LeftButton, {}, QPoint(20, 8));
    QTRY_VERIFY(f.Edit->hasFocus());
    const Rings r = RingsOf(f.Edit);
    EXPECT_EQ(r.Outer, C(160, 150, 131));
    EXPECT_EQ(r.Inner1, C(255, 255, 200));
    EXPECT_EQ(r.Inner2, C(255, 255, 200));
    EXPECT_EQ(r.Inside, C(255, 255, 200));
    f.Other->setFocus();
    QTRY_VERIFY(!f.Edit->hasFocus());
    EXPECT_EQ(RingsOf(f.Edit).Inner1, C(235, 234, 225));
}

TEST(FlatEditLook, HoverHighlightsOnlyWhileNoOtherFlatEditHasTheFocus)
{
    EditForm f;
    QPushButton* button = new QPushButton("x", &f.Form);
    button->setGeometry(200, 10, 40, 20);
    button->show();
    button->setFocus();
    QTRY_VERIFY(button->hasFocus());
    f.Edit->SetColorFlat(RGB(235, 234, 225));
    f.Hover(f.Edit);
    EXPECT_EQ(RingsOf(f.Edit).Inner1, C(255, 255, 255));
    f.Unhover(f.Edit);
    EXPECT_EQ(RingsOf(f.Edit).Inner1, C(235, 234, 225));

    f.Other->setFocus();
    QTRY_VERIFY(f.Other->hasFocus());
    f.Hover(f.Edit);
    EXPECT_EQ(RingsOf(f.Edit).Inner1, C(235, 234, 225));
    EXPECT_EQ(RingsOf(f.Other).Inner1, C(255, 255, 255));
}

TEST(FlatEditLook, AllWhiteOutputFolderEditIsAPlainWhiteBoxInEveryState)
{
    EditForm f;
    f.Edit->SetColorBorder(clWhite);
    f.Edit->SetColorFlat(clWhite);
    f.Edit->setReadOnly(true);
    const auto allWhite = [&] {
        const QImage image = f.Edit->grab().toImage();
        for (int x = 0; x < image.width(); ++x)
            for (int y : {0, 1, 2, image.height() - 1})
                if (image.pixelColor(x, y) != C(255, 255, 255))
                    return false;
        return true;
    };
    EXPECT_TRUE(allWhite());
    f.Hover(f.Edit);
    EXPECT_TRUE(allWhite());
    f.Edit->setFocus();
    QTRY_VERIFY(f.Edit->hasFocus());
    EXPECT_TRUE(allWhite());
}

TEST(FlatEditLook, ParentColourIsFollowedUntilAFlatColourIsSet)
{
    EditForm f;
    EXPECT_TRUE(f.Edit->ParentColor());
    EXPECT_EQ(f.Edit->ColorFlat(), RGB(129, 164, 209));
    f.Form.setPalette(QPalette(C(10, 200, 30)));
    EXPECT_EQ(f.Edit->ColorFlat(), RGB(10, 200, 30));
    f.Edit->SetColorFlat(RGB(1, 2, 3));
    EXPECT_FALSE(f.Edit->ParentColor());
    f.Form.setPalette(QPalette(C(40, 40, 40)));
    EXPECT_EQ(f.Edit->ColorFlat(), RGB(1, 2, 3));
    f.Edit->SetParentColor(true);
    EXPECT_EQ(f.Edit->ColorFlat(), RGB(40, 40, 40));
}

TEST(FlatEditLook, HeightFollowsTheFontWhateverTheFormStored)
{
    EditForm f;
    QFont font("Trebuchet MS");
    font.setPixelSize(16);
    f.Edit->setFont(font);
    f.Edit->setGeometry(8, 224, 393, 28);
    EXPECT_EQ(f.Edit->height(), QFontMetrics(font).height() + 6);
    EXPECT_EQ(f.Edit->width(), 393);
}

TEST(FlatEditLook, GalleryOfStates)
{
    if (!FlatGallery::Enabled())
        GTEST_SKIP() << "no gallery folder named";
    EditForm f;
    f.Edit->setText("C:/Videos/");
    f.Other->setText("at rest");
    f.Other->setFocus();
    QTRY_VERIFY(f.Other->hasFocus());
    FlatGallery::Save("flatedit-rest.png", FlatGallery::Zoom(f.Edit->grab().toImage()));
    f.Other->clearFocus();
    f.Hover(f.Edit);
    FlatGallery::Save("flatedit-hover.png", FlatGallery::Zoom(f.Edit->grab().toImage()));
    f.Edit->setFocus();
    QTRY_VERIFY(f.Edit->hasFocus());
    FlatGallery::Save("flatedit-focused.png", FlatGallery::Zoom(f.Edit->grab().toImage()));
    FlatGallery::Save("flatedit-form.png", f.Form.grab().toImage());
}
