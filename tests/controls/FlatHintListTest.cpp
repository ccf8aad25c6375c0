#include "controls/MyFlatHintUnit.h"
#include "toolkit/VirtualStringTree.h"

#include <QApplication>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace
{

struct Row {
    QString Name;
};

// The main window's file list with its hint component: column 0 answers a three-line hint, column 1 none.
struct ListForm {
    QWidget Form;
    TVirtualStringTree* Tree;

    ListForm()
    {
        Form.resize(500, 300);
        new TMyFlatHint(&Form);
        Tree = new TVirtualStringTree(&Form);
        Tree->SetNodeDataType<Row>();
        Tree->setGeometry(10, 10, 480, 250);
        Tree->SetColumnWidths({ 300, 100 });
        Tree->OnGetHint = [](TVirtualStringTree* sender, PVirtualNode node, int column, QString& hint) {
            if (column == 0)
                hint = "[file]: " + sender->GetNodeData<Row>(node)->Name + "\n[format]: MP4\n[path]: ";
        };
        for (const char* name : { "a.avi", "b.avi", "c.avi" })
            Tree->GetNodeData<Row>(Tree->AddChild(nullptr))->Name = name;
        Form.show();
        QApplication::setActiveWindow(&Form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Form));
        QTest::mouseMove(&Form, QPoint(495, 295));
        TFlatHintManager::Instance()->CancelHint();
    }

    QPoint Cell(int row, int column) const { return Tree->CellRect(Tree->GetNodeAtIndex(row), column).center(); }

    TMyFlatHintWindow* Window() { return TFlatHintManager::Instance()->HintWindow(); }
};

} // namespace

TEST(FlatHintList, FileListRowsShowTheirHintInTheFlatWindow)
{
    ListForm f;
    QTest::mouseMove(f.Tree->viewport(), f.Cell(1, 0));
    QTRY_VERIFY(f.Window()->isVisible());
    EXPECT_EQ(f.Window()->Caption(), "[file]: b.avi\n[format]: MP4\n[path]: ");
    EXPECT_FALSE(QToolTip::isVisible());
    EXPECT_EQ(f.Window()->height(), 3 * QFontMetrics(f.Window()->font()).height() + 6);

    QTest::mouseMove(f.Tree->viewport(), f.Cell(2, 0));
    QTRY_COMPARE(f.Window()->Caption(), QString("[file]: c.avi\n[format]: MP4\n[path]: "));
    QTRY_VERIFY(f.Window()->isVisible());
}

TEST(FlatHintList, TheStateColumnHasNoHint)
{
    ListForm f;
    QTest::mouseMove(f.Tree->viewport(), f.Cell(0, 0));
    QTRY_VERIFY(f.Window()->isVisible());
    QTest::mouseMove(f.Tree->viewport(), f.Cell(0, 1));
    QTRY_VERIFY(!f.Window()->isVisible());
    EXPECT_FALSE(QToolTip::isVisible());
}
