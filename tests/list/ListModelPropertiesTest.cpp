#include "tests/list/ListModelSupport.h"

#include "tests/support/TestDialogs.h"

namespace {

// The properties dialog stand-in: records the rows it was shown for and answers as told.
class ListProperties : public ListModelTest {
protected:
    void SetUp() override
    {
        ListModelTest::SetUp();
        model->IsIdle = [this] { return idle; };
        model->PropertiesDialog = [this](const TItemData& item) -> std::optional<TItemProperties> {
            shown.push_back(item.FileName);
            if (fail)
                throw Exception("System Error.  Code: 2.\r\nNo such file or directory");
            return answer;
        };
        AddRow(tree, "/v/a.avi", 0, "", Done);
        PVirtualNode second = AddRow(tree, "/v/b.avi", 1, "/old/", Converting);
        tree.GetNodeData<TItemNodeData>(second)->ItemData.Busy = 1;
        tree.GetNodeData<TItemNodeData>(second)->ItemData.BusyPos = 33;
    }

    bool idle = true;
    bool fail = false;
    std::optional<TItemProperties> answer;
    QStringList shown;
};

} // namespace

TEST_F(ListProperties, OkWhileIdleChangesOnlyFormatAndFolder)
{
    answer = TItemProperties{2, "/new/"};
    model->ShowProperties(tree.GetNodeAtIndex(1));
    EXPECT_EQ(shown, QStringList{"/v/b.avi"});
    EXPECT_EQ(Rows(tree)[1], (TRowView{"/v/b.avi", 2, "/new/", Converting, 1, 33}));
    EXPECT_EQ(Rows(tree)[0], (TRowView{"/v/a.avi", 0, "", Done, 0, 0}));
    EXPECT_FALSE(tree.Updating());
}

TEST_F(ListProperties, CancelOrARunningConversionLeaveTheRowAlone)
{
    const std::vector<TRowView> before = Rows(tree);
    model->ShowProperties(tree.GetNodeAtIndex(0));
    answer = TItemProperties{-1, "/elsewhere/"};
    idle = false;
    model->ShowProperties(tree.GetNodeAtIndex(0));
    EXPECT_EQ(shown, (QStringList{"/v/a.avi", "/v/a.avi"}));
    EXPECT_EQ(Rows(tree), before);
}

TEST_F(ListProperties, AMissingFileReachesTheCallerAndTheRowStays)
{
    const std::vector<TRowView> before = Rows(tree);
    fail = true;
    answer = TItemProperties{2, "/new/"};
    EXPECT_THROW(model->ShowProperties(tree.GetNodeAtIndex(0)), Exception);
    EXPECT_EQ(Rows(tree), before);
}

TEST_F(ListProperties, NoRowNoDialog)
{
    model->ShowProperties(nullptr);
    TVirtualStringTree other;
    model->ShowProperties(AddRow(other, "/elsewhere.avi", 0, ""));
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(ListProperties, DoubleClickOpensTheClickedRowInAnyColumn)
{
    Show();
    answer = TItemProperties{2, "/new/"};
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, Centre(0, 1));
    EXPECT_EQ(shown, QStringList{"/v/a.avi"});
    EXPECT_EQ(Data(0)->ItemData.FormatIndex, 2);
    // During a run the dialog still opens, and its OK changes nothing.
    idle = false;
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, Centre(1, 0));
    EXPECT_EQ(shown, (QStringList{"/v/a.avi", "/v/b.avi"}));
    EXPECT_EQ(Data(1)->ItemData.FormatIndex, 1);
    EXPECT_EQ(Data(1)->ItemData.Path, "/old/");
}

TEST_F(ListProperties, AFailingDialogFromADoubleClickIsReportedInTheErrorBox)
{
    Show();
    TTestDialogs dialogs;
    fail = true;
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, Centre(0, 0));
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Text, "System Error.  Code: 2.\r\nNo such file or directory");
    EXPECT_EQ(dialogs.Messages[0].Icon, TMsgIcon::Stop);
}

TEST_F(ListProperties, TheModelLetsGoOfTheControlEitherWayRound)
{
    model.reset();
    TreeManager = nullptr;
    EXPECT_FALSE(tree.OnGetText);
    EXPECT_FALSE(tree.OnBeforeCellPaint);
    tree.Clear(); // rows still free without the model
    auto lonely = std::make_unique<TVirtualStringTree>();
    TTreeManager outlived(lonely.get());
    lonely.reset();
    outlived.AddFiles({"/v/a.avi"});
    outlived.AlignBackground();
    EXPECT_TRUE(outlived.HintText(nullptr).isEmpty());
}
