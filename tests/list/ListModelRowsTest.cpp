#include "tests/list/ListModelSupport.h"

#include "toolkit/Application.h"

#include <QMenu>
#include <QToolTip>

namespace {

using ListAdd = ListModelTest;
using ListHint = ListModelTest;
using ListPopup = ListModelTest;

TRowView FreshRow(const QString& name, int32_t format, const QString& path)
{
    return {name, format, path, ::Waiting, 0, 0};
}

} // namespace

TEST_F(ListAdd, EachFileTakesTheStagedItemAtItsPosition)
{
    AddRow(tree, "/already.avi", 0, "", Done);
    items->StageItem("/staged/other-name.avi", 2, "/out/one/");
    items->StageItem("", 0, "");
    items->StageItem("/x", 1, "/out/three/");
    model->AddFiles({"/v/a.avi", "/v/b.avi", "/v/c.avi"});
    EXPECT_EQ(Rows(tree), (std::vector<TRowView>{{"/already.avi", 0, "", Done, 0, 0}, FreshRow("/v/a.avi", 2, "/out/one/"),
                                                  FreshRow("/v/b.avi", 0, ""), FreshRow("/v/c.avi", 1, "/out/three/")}));
    EXPECT_EQ(Data(1)->NodeType, 1);
    EXPECT_EQ(items->StagedCount(), 0);
    EXPECT_FALSE(tree.Updating());
}

TEST_F(ListAdd, NothingToAddLeavesRowsAndStageAlone)
{
    items->StageItem("/v/a.avi", 1, "");
    model->AddFiles({});
    EXPECT_EQ(tree.RootNodeCount(), 0u);
    EXPECT_EQ(items->StagedCount(), 1);
    TTreeManager without(nullptr);
    without.AddFiles({"/v/a.avi"});
    EXPECT_EQ(tree.RootNodeCount(), 0u);
    EXPECT_EQ(items->StagedCount(), 1);
}

TEST_F(ListAdd, TheSameFileTwiceGivesTwoRowsAndNamesKeepTheirCharacters)
{
    const std::string name = "/vid\xC3\xA9os/\xE6\x97\xA5\xE6\x9C\xAC & \"x\".avi";
    items->StageItem(name, 1, "/o");
    items->StageItem(name, 1, "/o");
    model->AddFiles({name, name});
    const TRowView row = FreshRow(QString::fromUtf8(name.c_str()), 1, "/o");
    EXPECT_EQ(Rows(tree), (std::vector<TRowView>{row, row}));
}

TEST_F(ListAdd, TooFewStagedItemsStopWithAnErrorKeepingTheRowsMade)
{
    items->StageItem("/v/a.avi", 1, "");
    EXPECT_THROW(model->AddFiles({"/v/a.avi", "/v/b.avi"}), EListError);
    EXPECT_EQ(Rows(tree), (std::vector<TRowView>{FreshRow("/v/a.avi", 1, "")}));
    EXPECT_FALSE(tree.Updating());
}

TEST_F(ListHint, ThreeLinesNameTheFileTheFormatAndTheFolder)
{
    AddRow(tree, "/v/a.avi", 1, "/out/");
    AddRow(tree, "/v/b.avi", 0, "");
    EXPECT_EQ(model->HintText(tree.GetNodeAtIndex(0)), "[File Name]: /v/a.avi\n[format]: MP4 (H.264)\n[path]: /out/");
    EXPECT_EQ(model->HintText(tree.GetNodeAtIndex(1)), "[File Name]: /v/b.avi\n[format]: AVI (XviD)\n[path]: ");
}

TEST_F(ListHint, AFailedRowTellsWhyAndTheConvertingOneHowFarAfterTheThreeLines)
{
    const struct {
        TItemState State;
        const char* Reason;
        const char* Progress;
        const char* Fourth; // nothing for a three-line hint
    } cases[] = {
        {Failed, "Stopped by you.", "", "\n[error]: Stopped by you."},
        {Converting, "", "42 %, about 00:01:05 left", "\n[progress]: 42 %, about 00:01:05 left"},
        {Failed, "", "", ""},
        {Converting, "", "", ""},
        {Done, "Stopped by you.", "42 %", ""},
        {Waiting, "Stopped by you.", "42 %", ""},
    };
    for (const auto& c : cases) {
        tree.Clear();
        AddRow(tree, "/v/a.avi", 1, "/out/", c.State);
        TItemData& item = Data(0)->ItemData;
        item.Reason = c.Reason;
        item.Progress = c.Progress;
        EXPECT_EQ(model->HintText(tree.GetFirst()),
                  QString("[File Name]: /v/a.avi\n[format]: MP4 (H.264)\n[path]: /out/") + c.Fourth);
    }
}

// A right-to-left override would show "/v/\u202eiva.exe" as "/v/exe.avi"; it is shown escaped, in the cell too.
TEST_F(ListHint, ControlsInNamesAreShownEscaped)
{
    AddRow(tree, QString::fromUtf8("/v/\u202Eiva.exe"), 1, "/o\n");
    EXPECT_EQ(model->HintText(tree.GetFirst()), "[File Name]: /v/\\u202eiva.exe\n[format]: MP4 (H.264)\n[path]: /o\\n");
    QString cell;
    tree.OnGetText(&tree, tree.GetFirst(), 0, cell);
    EXPECT_EQ(cell, "/v/\\u202eiva.exe");
}

TEST_F(ListHint, AFormatOutsideTheCatalogueNamesNone)
{
    AddRow(tree, "/v/a.avi", 3, "/o");
    AddRow(tree, "/v/b.avi", -1, "/o");
    EXPECT_EQ(model->HintText(tree.GetNodeAtIndex(0)), "[File Name]: /v/a.avi\n[format]: \n[path]: /o");
    EXPECT_EQ(model->HintText(tree.GetNodeAtIndex(1)), "[File Name]: /v/b.avi\n[format]: \n[path]: /o");
    CommandManager = nullptr;
    EXPECT_EQ(model->HintText(tree.GetNodeAtIndex(0)), "[File Name]: /v/a.avi\n[format]: \n[path]: /o");
}

TEST_F(ListHint, ShownOverEveryColumnWhenHovered)
{
    AddRow(tree, "/v/a.avi", 2, "");
    Show();
    for (int column : { 0, int(StateColumn) }) {
        const QPoint at = Centre(0, column);
        QHelpEvent over(QEvent::ToolTip, at, tree.viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree.viewport(), &over);
        EXPECT_EVENTUALLY(QToolTip::isVisible());
        EXPECT_EQ(QToolTip::text(), "[File Name]: /v/a.avi\n[format]: MP3 audio\n[path]: ") << column;
        QToolTip::hideText();
    }
}

TEST_F(ListPopup, OfferedInEveryColumnAlsoWhileAConversionRuns)
{
    QMenu menu;
    menu.addAction("&Delete");
    model->PopupMenu = &menu;
    bool idle = true;
    model->IsIdle = [&] { return idle; };
    AddRow(tree, "/v/a.avi", 0, "");
    AddRow(tree, "/v/b.avi", 0, "");
    Show();
    auto rightClick = [&](int row, int column) {
        const QPoint at = Centre(row, column);
        QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree.viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree.viewport(), &event);
    };
    for (const bool running : { false, true }) {
        idle = !running;
        rightClick(int(running), running ? 0 : int(StateColumn));
        EXPECT_TRUE(tree.Selected(tree.GetNodeAtIndex(int(running))));
        EXPECT_EVENTUALLY(menu.isVisible()) << running;
        menu.close();
    }
}
