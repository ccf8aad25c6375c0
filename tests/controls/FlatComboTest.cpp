#include "controls/FlatEditUnit.h"
#include "tests/controls/FlatGallery.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QColor C(int r, int g, int b)
{
    return QColor(r, g, b);
}

// The format chooser of the dialogs: a drop-down list, 425 × 30, white frame, button-face arrow background.
struct ComboForm {
    QWidget Form;
    TMyFlatComboBox* Combo;

    ComboForm()
    {
        Form.resize(460, 120);
        Combo = new TMyFlatComboBox(&Form);
        Combo->SetStyle(csDropDownList);
        Combo->SetColor(clWindow);
        Combo->SetColorArrowBackground(RGB(212, 208, 200));
        Combo->SetColorBorder(RGB(160, 150, 131));
        Combo->addItems({"MP4 (H.264)", "AVI (XviD)", "MKV"});
        Combo->setCurrentIndex(0);
        Combo->setGeometry(9, 20, 425, 30);
        Form.show();
        QApplication::setActiveWindow(&Form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Form));
    }

    QImage Shot() { return Combo->grab().toImage(); }

    // The 3 × 3 box around the triangle: returns the rows' counts of pixels in the given colour.
    static QList<int> TriangleRows(const QImage& image, QColor color)
    {
        const int W = image.width();
        const int y0 = image.height() / 2 - 1;
        QList<int> rows;
        for (int y = y0; y <= y0 + 2; ++y) {
            int n = 0;
            for (int x = W - 13; x < W; ++x)
                n += image.pixelColor(x, y) == color;
            rows << n;
        }
        return rows;
    }
};

} // namespace

TEST(FlatComboLook, ButtonIsElevenPixelsWithTheBorderAroundIt)
{
    ComboForm f;
    const QImage image = f.Shot();
    const int W = image.width();
    const int H = image.height();
    // Button rectangle widened by one: columns W-13 .. W-1 framed in the border colour, filled inside.
    for (int y : {0, H - 1})
        EXPECT_EQ(image.pixelColor(W - 7, y), C(160, 150, 131));
    EXPECT_EQ(image.pixelColor(W - 13, H / 2 + 4), C(160, 150, 131));
    EXPECT_EQ(image.pixelColor(W - 1, H / 2 + 4), C(160, 150, 131));
    EXPECT_EQ(image.pixelColor(W - 12, 3), C(212, 208, 200));
    EXPECT_EQ(image.pixelColor(W - 2, H - 2), C(212, 208, 200));
    // The text part's frame: border, then two rings of the control's colour.
    const QColor window = ColorToRGB(clWindow);
    EXPECT_EQ(image.pixelColor(0, H / 2), C(160, 150, 131));
    EXPECT_EQ(image.pixelColor(1, H / 2), window);
    EXPECT_EQ(image.pixelColor(2, H / 2), window);
    EXPECT_EQ(image.pixelColor(W - 14, H / 2), window);
}

TEST(FlatComboLook, TrianglePointsDownAtRestAndUpWhileDropped)
{
    ComboForm f;
    EXPECT_EQ(ComboForm::TriangleRows(f.Shot(), C(0, 0, 0)), (QList<int>{5, 3, 1}));
    // The row of five starts four pixels right of the button's left frame line.
    const QImage rest = f.Shot();
    const int y0 = rest.height() / 2 - 1;
    EXPECT_EQ(rest.pixelColor(rest.width() - 9, y0), C(0, 0, 0));
    EXPECT_EQ(rest.pixelColor(rest.width() - 5, y0), C(0, 0, 0));
    EXPECT_EQ(rest.pixelColor(rest.width() - 7, y0 + 2), C(0, 0, 0));

    f.Combo->showPopup();
    QTRY_VERIFY(f.Combo->DroppedDown());
    EXPECT_EQ(ComboForm::TriangleRows(f.Shot(), C(0, 0, 0)), (QList<int>{1, 3, 5}));
    f.Combo->hidePopup();
    QTRY_VERIFY(!f.Combo->DroppedDown());
    EXPECT_EQ(ComboForm::TriangleRows(f.Shot(), C(0, 0, 0)), (QList<int>{5, 3, 1}));
}

TEST(FlatComboLook, ClickingTheButtonDropsTheListAndFlipsTheTriangle)
{
    ComboForm f;
    QTest::mouseClick(f.Combo, Qt::LeftButton, {}, QPoint(f.Combo->width() - 6, 15));
    QTRY_VERIFY(f.Combo->DroppedDown());
    EXPECT_EQ(ComboForm::TriangleRows(f.Shot(), C(0, 0, 0)), (QList<int>{1, 3, 5}));
    QTest::keyClick(f.Combo->view(), Qt::Key_Escape);
    QTRY_VERIFY(!f.Combo->DroppedDown());
}

TEST(FlatComboLook, DisabledTriangleIsEmbossedGrey)
{
    ComboForm f;
    f.Combo->setEnabled(false);
    const QImage image = f.Shot();
    EXPECT_EQ(ComboForm::TriangleRows(image, C(128, 128, 128)), (QList<int>{5, 3, 1}));
    EXPECT_EQ(ComboForm::TriangleRows(image, C(0, 0, 0)), (QList<int>{0, 0, 0}));
    // The white copy shows one pixel right of the grey row and one below the grey tip.
    const int W = image.width();
    const int y0 = image.height() / 2 - 1;
    EXPECT_EQ(image.pixelColor(W - 4, y0 + 1), C(255, 255, 255));
    EXPECT_EQ(image.pixelColor(W - 6, y0 + 3), C(255, 255, 255));
}

TEST(FlatComboLook, FocusShowsTheHighlightStripBesideTheButton)
{
    ComboForm f;
    QWidget other(&f.Form);
    other.setFocusPolicy(Qt::StrongFocus);
    other.setGeometry(0, 80, 10, 10);
    other.show();
    other.setFocus();
    QTRY_VERIFY(other.hasFocus());
    const int W = f.Combo->width();
    const int y = f.Combo->height() / 2;
    const QColor highlight = ColorToRGB(clHighlight);
    EXPECT_NE(f.Shot().pixelColor(W - 18, y), highlight);

    f.Combo->setFocus();
    QTRY_VERIFY(f.Combo->hasFocus());
    const QImage focused = f.Shot();
    for (int x = W - 21; x < W - 16; ++x)
        EXPECT_EQ(focused.pixelColor(x, y), highlight) << x;
    EXPECT_EQ(focused.pixelColor(3, 3), highlight);
    EXPECT_EQ(focused.pixelColor(W - 16, y), ColorToRGB(clWindow));
}

TEST(FlatComboBehaviour, ItemHeightAppliesToTheListAndFontChangesResetIt)
{
    ComboForm f;
    f.Combo->SetItemHeight(22);
    f.Combo->SetColor(RGB(235, 234, 225));
    f.Combo->showPopup();
    QTRY_VERIFY(f.Combo->DroppedDown());
    EXPECT_EQ(f.Combo->view()->visualRect(f.Combo->model()->index(1, 0)).height(), 22);
    // The open list is painted in the control's colour.
    const QImage list = f.Combo->view()->grab().toImage();
    EXPECT_EQ(list.pixelColor(list.width() - 3, list.height() - 3), C(235, 234, 225));
    f.Combo->hidePopup();
    QFont font("Trebuchet MS");
    font.setPixelSize(16);
    f.Combo->setFont(font);
    EXPECT_EQ(f.Combo->ItemHeight(), 13);
}

TEST(FlatComboBehaviour, OnChangeFiresForTheUsersChoiceOnly)
{
    ComboForm f;
    QStringList seen;
    f.Combo->OnChange = [&](QObject* sender) {
        EXPECT_EQ(sender, f.Combo);
        seen << f.Combo->Text();
    };
    f.Combo->SetItemIndex(2);
    EXPECT_TRUE(seen.isEmpty());
    f.Combo->setFocus();
    QTRY_VERIFY(f.Combo->hasFocus());
    QTest::keyClick(f.Combo, Qt::Key_Up);
    EXPECT_EQ(seen, QStringList{"AVI (XviD)"});
    EXPECT_EQ(f.Combo->ItemIndex(), 1);
}

TEST(FlatComboBehaviour, TypingStyleKeepsTheFieldInsideTheFrame)
{
    ComboForm f;
    f.Combo->SetStyle(csDropDown);
    ASSERT_NE(f.Combo->lineEdit(), nullptr);
    EXPECT_EQ(f.Combo->lineEdit()->geometry(), QRect(3, 3, 425 - 11 - 8, 30 - 6));
    const QImage image = f.Shot();
    EXPECT_EQ(image.pixelColor(0, 15), C(160, 150, 131));
    EXPECT_EQ(ComboForm::TriangleRows(image, C(0, 0, 0)), (QList<int>{5, 3, 1}));
}

TEST(FlatComboLook, GalleryOfStates)
{
    if (!FlatGallery::Enabled())
        GTEST_SKIP() << "no gallery folder named";
    ComboForm f;
    QWidget other(&f.Form);
    other.setFocusPolicy(Qt::StrongFocus);
    other.show();
    other.setFocus();
    QTRY_VERIFY(other.hasFocus());
    FlatGallery::Save("flatcombo-rest.png", FlatGallery::Zoom(f.Shot()));
    f.Combo->setFocus();
    QTRY_VERIFY(f.Combo->hasFocus());
    FlatGallery::Save("flatcombo-focused.png", FlatGallery::Zoom(f.Shot()));
    f.Combo->showPopup();
    QTRY_VERIFY(f.Combo->DroppedDown());
    FlatGallery::Save("flatcombo-dropped.png", FlatGallery::Zoom(f.Shot()));
    f.Combo->hidePopup();
    QTRY_VERIFY(!f.Combo->DroppedDown());
    f.Combo->setEnabled(false);
    FlatGallery::Save("flatcombo-disabled.png", FlatGallery::Zoom(f.Shot()));
}
