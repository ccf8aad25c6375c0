#include "toolkit/VirtualStringTree.h"

#include <QScrollBar>
#include <gtest/gtest.h>

namespace
{

// A row record that counts its living instances, so leaks and double frees show.
struct Record {
    static inline int Alive = 0;
    QString Text;
    int Value;
    Record()
        : Value(0)
    {
        ++Alive;
    }
    ~Record() { --Alive; }
};

struct Other {
    int X = 0;
};

std::vector<int> Values(TVirtualStringTree& tree)
{
    std::vector<int> values;
    for (PVirtualNode node = tree.GetFirst(); node; node = tree.GetNextSibling(node))
        values.push_back(tree.GetNodeData<Record>(node)->Value);
    return values;
}

void Fill(TVirtualStringTree& tree, int count)
{
    for (int i = 0; i < count; ++i)
        tree.GetNodeData<Record>(tree.AddChild(nullptr))->Value = i;
}

} // namespace

TEST(ListRows, AppendWalkAndCountInOrder)
{
    TVirtualStringTree tree;
    tree.SetNodeDataType<Record>();
    EXPECT_EQ(tree.GetFirst(), nullptr);
    EXPECT_EQ(tree.GetNextSibling(nullptr), nullptr);
    Fill(tree, 5);
    EXPECT_EQ(Values(tree), (std::vector<int> { 0, 1, 2, 3, 4 }));
    EXPECT_EQ(tree.RootNodeCount(), 5u);
    EXPECT_EQ(tree.TotalCount(), 5u);
    EXPECT_EQ(tree.IndexOf(tree.GetNodeAtIndex(3)), 3);
    EXPECT_EQ(tree.GetNextSibling(tree.GetNodeAtIndex(4)), nullptr);
    EXPECT_EQ(tree.IndexOf(nullptr), -1);
}

TEST(ListRows, NewRecordsStartZeroed)
{
    TVirtualStringTree tree;
    tree.SetNodeDataType<Record>();
    Record* record = tree.GetNodeData<Record>(tree.AddChild(nullptr));
    EXPECT_EQ(record->Value, 0);
    EXPECT_TRUE(record->Text.isEmpty());
    EXPECT_EQ(tree.GetNodeData<const Record>(tree.GetFirst()), record); // read-only access to the same record
}

TEST(ListRows, DeletingTheSelectedRowKeepsOthersAndTheirPositions)
{
    TVirtualStringTree tree;
    tree.SetNodeDataType<Record>();
    Fill(tree, 4);
    PVirtualNode last = tree.GetNodeAtIndex(3);
    tree.SetSelected(tree.GetNodeAtIndex(1), true);
    std::vector<int> freed;
    tree.OnFreeNode = [&](TVirtualStringTree* sender, PVirtualNode node) {
        freed.push_back(sender->GetNodeData<Record>(node)->Value);
    };
    tree.DeleteSelectedNodes();
    EXPECT_EQ(freed, std::vector<int> { 1 });
    EXPECT_EQ(Values(tree), (std::vector<int> { 0, 2, 3 }));
    EXPECT_EQ(tree.IndexOf(last), 2);
    EXPECT_EQ(tree.SelectedNode(), nullptr);
    tree.DeleteSelectedNodes(); // nothing selected: nothing goes
    EXPECT_EQ(tree.RootNodeCount(), 3u);
}

TEST(ListRows, SelectingAddsARowWhileSelectOnlyLeavesItAlone)
{
    TVirtualStringTree tree;
    tree.SetNodeDataType<Record>();
    Fill(tree, 3);
    tree.SetSelected(tree.GetNodeAtIndex(0), true);
    tree.SetSelected(tree.GetNodeAtIndex(2), true);
    EXPECT_EQ(tree.SelectedNodes(), (std::vector<PVirtualNode> { tree.GetNodeAtIndex(0), tree.GetNodeAtIndex(2) }));
    tree.SelectOnly(tree.GetNodeAtIndex(1));
    EXPECT_EQ(tree.SelectedNodes(), std::vector<PVirtualNode> { tree.GetNodeAtIndex(1) });
    tree.SetSelected(tree.GetNodeAtIndex(1), false);
    EXPECT_EQ(tree.SelectedNode(), nullptr);
    EXPECT_EQ(tree.SelectedCount(), 0u);
}

TEST(ListRows, ClearAndDestructionReleaseEveryRecord)
{
    const int before = Record::Alive;
    {
        TVirtualStringTree tree;
        tree.SetNodeDataType<Record>();
        Fill(tree, 10);
        tree.GetNodeData<Record>(tree.GetFirst())->Text = QString(1000, 'x');
        int freed = 0;
        tree.OnFreeNode = [&](TVirtualStringTree*, PVirtualNode) { ++freed; };
        tree.SetFocusedNode(tree.GetNodeAtIndex(4));
        tree.Clear();
        EXPECT_EQ(freed, 10);
        EXPECT_EQ(Record::Alive, before);
        EXPECT_EQ(tree.FocusedNode(), nullptr);
        EXPECT_EQ(tree.RootNodeCount(), 0u);
        tree.OnFreeNode = nullptr;
        Fill(tree, 7);
        EXPECT_EQ(Record::Alive, before + 7);
    }
    EXPECT_EQ(Record::Alive, before);
}

TEST(ListRows, MisuseIsRefusedWithAnError)
{
    TVirtualStringTree tree;
    tree.SetNodeDataType<Record>();
    PVirtualNode node = tree.AddChild(nullptr);
    EXPECT_THROW(tree.AddChild(node), EListError);
    EXPECT_THROW(tree.GetNodeData<Other>(node), EListError);
    EXPECT_THROW(tree.SetNodeDataType<Other>(), EListError);
    tree.SetNodeDataType<Record>(); // the same type again is no change
    EXPECT_EQ(tree.RootNodeCount(), 1u);
}

TEST(ListRows, UpdateBracketDefersMeasuringUntilItsEnd)
{
    TVirtualStringTree tree;
    tree.SetNodeDataType<Record>();
    tree.resize(828, 249);
    tree.show();
    tree.BeginUpdate();
    tree.BeginUpdate();
    Fill(tree, 100);
    EXPECT_EQ(tree.verticalScrollBar()->maximum(), 0);
    tree.EndUpdate();
    EXPECT_EQ(tree.verticalScrollBar()->maximum(), 0);
    tree.EndUpdate();
    EXPECT_EQ(tree.verticalScrollBar()->maximum(), 100 * 25 - tree.ClientHeight());
    tree.EndUpdate(); // an unmatched end does no harm
    Fill(tree, 1);
    EXPECT_EQ(tree.verticalScrollBar()->maximum(), 101 * 25 - tree.ClientHeight());
}
