// What the user sees of a batch on the list with its model installed: the moving block in the state box.
#include "list/treeManager.h"
#include "tests/engine/CommandFixture.h"

#include <QImage>

namespace
{

class CommandScreenTest : public CommandFixture
{
protected:
    // The x positions inside the state box of a row, on its middle line, painted like the pixel at probe.
    std::vector<int> Matching(PVirtualNode node, int probeOffset)
    {
        QImage shot = m_list->viewport()->grab().toImage();
        QRect cell = m_list->CellRect(node, StateColumn);
        QRect box = cell.adjusted(5, 5, -5, -5);
        int y = box.center().y();
        QColor probe = shot.pixelColor(box.left() + probeOffset, y);
        std::vector<int> xs;
        for (int x = box.left() + 1; x < box.right(); ++x) {
            if (shot.pixelColor(x, y) == probe)
                xs.push_back(x - box.left());
        }
        return xs;
    }

    // The inside of an empty box, from outline to outline.
    std::vector<int> EmptyBox() { return Span(1, m_list->ColumnWidth(StateColumn) - 11); }

    static std::vector<int> Span(int from, int to)
    {
        std::vector<int> xs;
        for (int x = from; x < to; ++x)
            xs.push_back(x);
        return xs;
    }
};

TEST_F(CommandScreenTest, BlockMovesEachSecondAndWrapsToTheLeft)
{
    MakeJob();
    TTreeManager model(m_list.get());
    m_list->show();
    AddRow(Clip("long.avi", "wait\n"));
    m_job->Start();
    ASSERT_TRUE(WaitForRuns(1));
    PVirtualNode row = m_list->GetFirst();
    Row(0)->ItemData.BusyPos = 73;

    ASSERT_TRUE(WaitUntil([&] { return Ticks >= 1; }, 3000));
    // At 74 the 15-pixel block is at its rightmost.
    EXPECT_EQ(Matching(row, 74 + 7), Span(74, 89));

    ASSERT_TRUE(WaitUntil([&] { return Ticks >= 2; }, 3000));
    EXPECT_EQ(Matching(row, 7), Span(1, 15));

    m_job->Stop();
    ASSERT_TRUE(WaitUntil([&] { return !Finished.empty(); }));
    // Stopped: the row says why in place of its box.
    QString state;
    m_list->OnGetText(m_list.get(), row, StateColumn, state);
    EXPECT_EQ(state, "Stopped by you.");
}

TEST_F(CommandScreenTest, OnlyTheConvertingRowShowsABlock)
{
    MakeJob();
    TTreeManager model(m_list.get());
    m_list->show();
    ASSERT_TRUE(StartWithEndlessMiddleRow());

    EXPECT_EQ(Matching(m_list->GetNodeAtIndex(1), 7), Span(1, 15));
    EXPECT_EQ(Matching(m_list->GetNodeAtIndex(2), 45), EmptyBox());

    m_job->Stop();
    ASSERT_TRUE(WaitUntil([&] { return !Finished.empty(); }));
}

} // namespace
