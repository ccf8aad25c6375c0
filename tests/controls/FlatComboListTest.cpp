#include "controls/FlatEditUnit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

// The format chooser of the dialogs holding a full catalogue of twenty formats, with rows 22 pixels high.
struct TwentyFormats {
    QWidget Form;
    TMyFlatComboBox* Combo;

    explicit TwentyFormats(int comboTop)
    {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        Form.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        Form.setGeometry(screen.left() + 40, screen.top() + comboTop - 10, 460, 60);
        Combo = new TMyFlatComboBox(&Form);
        Combo->SetStyle(csDropDownList);
        Combo->SetColorArrowBackground(RGB(212, 208, 200));
        for (int i = 1; i <= 20; ++i)
            Combo->addItem(QString("Format %1").arg(i));
        Combo->SetItemIndex(0);
        Combo->SetItemHeight(22);
        Combo->setGeometry(9, 10, 425, 30);
        Form.show();
        QApplication::setActiveWindow(&Form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Form));
    }

    // Opens the list with a click on the drop button, as the user does.
    QWidget* Drop()
    {
        QTest::mouseClick(Combo, Qt::LeftButton, {}, QPoint(Combo->width() - 6, Combo->height() / 2));
        EXPECT_TRUE(QTest::qWaitFor([this] { return Combo->DroppedDown(); }));
        return Combo->view()->window();
    }

    QRect ComboOnScreen() const { return QRect(Combo->mapToGlobal(QPoint(0, 0)), Combo->size()); }

    // The screen around the combo as the user sees it: the form, with the open list drawn over it.
    QImage Seen(QWidget* list)
    {
        const QRect area = ComboOnScreen();
        QImage image(area.size(), QImage::Format_RGB32);
        QPainter painter(&image);
        painter.drawPixmap(Form.geometry().topLeft() - area.topLeft(), Form.grab());
        painter.drawPixmap(list->geometry().topLeft() - area.topLeft(), list->grab());
        return image;
    }

    // How many rows of the list lie wholly in its visible part.
    int RowsInSight() const
    {
        const QAbstractItemView* view = Combo->view();
        int rows = 0;
        for (int i = 0; i < Combo->count(); ++i)
            rows += view->viewport()->rect().contains(view->visualRect(Combo->model()->index(i, 0)));
        return rows;
    }
};

// The pixels of the triangle's three rows that are black: {1, 3, 5} points up, {5, 3, 1} down.
QList<int> TriangleRows(const QImage& image)
{
    const int y0 = image.height() / 2 - 1;
    QList<int> rows;
    for (int y = y0; y <= y0 + 2; ++y) {
        int n = 0;
        for (int x = image.width() - 13; x < image.width(); ++x)
            n += image.pixelColor(x, y) == QColor(0, 0, 0);
        rows << n;
    }
    return rows;
}

} // namespace

TEST(FlatComboList, DropsBelowWithEightRowsAScrollBarAndTheTriangleUpInSight)
{
    TwentyFormats f(100);
    EXPECT_EQ(f.Combo->DropDownCount(), 8);
    QWidget* list = f.Drop();
    const QRect combo = f.ComboOnScreen();
    EXPECT_EQ(list->geometry().topLeft(), combo.bottomLeft() + QPoint(0, 1));
    EXPECT_EQ(list->width(), combo.width());
    EXPECT_EQ(f.RowsInSight(), 8);
    EXPECT_EQ(f.Combo->view()->viewport()->height(), 8 * 22);
    EXPECT_TRUE(f.Combo->view()->verticalScrollBar()->isVisible());
    EXPECT_EQ(TriangleRows(f.Seen(list)), (QList<int> { 1, 3, 5 }));

    int changes = 0;
    f.Combo->OnChange = [&](QObject*) { ++changes; };
    QTest::keyClick(f.Combo->view(), Qt::Key_Down);
    QTest::keyClick(f.Combo->view(), Qt::Key_Down);
    QTest::keyClick(f.Combo->view(), Qt::Key_Return);
    QTRY_VERIFY(!f.Combo->DroppedDown());
    EXPECT_EQ(f.Combo->ItemIndex(), 2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(TriangleRows(f.Seen(list)), (QList<int> { 5, 3, 1 }));

    f.Combo->SetDropDownCount(25);
    list = f.Drop();
    EXPECT_EQ(f.RowsInSight(), 20);
    EXPECT_FALSE(f.Combo->view()->verticalScrollBar()->isVisible());
}

TEST(FlatComboList, DropsAboveWhereTheScreenHasNoRoomBelow)
{
    const int screenHeight = QGuiApplication::primaryScreen()->availableGeometry().height();
    TwentyFormats f(screenHeight - 60);
    QWidget* list = f.Drop();
    const QRect combo = f.ComboOnScreen();
    EXPECT_EQ(list->geometry().bottomLeft(), combo.topLeft() - QPoint(0, 1));
    EXPECT_EQ(f.RowsInSight(), 8);
    EXPECT_EQ(TriangleRows(f.Seen(list)), (QList<int> { 1, 3, 5 }));
}
