#include "list/itemManager.h"

#include "XmlTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(ItemManager, StagedItemsComeBackByPosition)
{
    TItemManager stage;
    stage.StageItem("/videos/a.avi", 2, "");
    stage.StageItem("/videos/b & c.mpg", 0, "/out/\xC3\xA9t\xC3\xA9");
    stage.StageItem("/videos/d.mkv", -1, "/out");
    ASSERT_EQ(stage.StagedCount(), 3);
    EXPECT_EQ(stage.StagedFormat(0), 2);
    EXPECT_EQ(stage.StagedPath(0), "");
    EXPECT_EQ(stage.StagedFormat(1), 0);
    EXPECT_EQ(stage.StagedPath(1), "/out/\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(stage.StagedFormat(2), -1);
}

TEST(ItemManager, StagingDocumentHasTheListShape)
{
    TItemManager stage;
    stage.StageItem("C:\\Videos\\clip.avi", 2, "");
    EXPECT_EQ(stage.Document().SaveToString(),
              CrLfLines({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<list>", "  <item>",
                         "    <filename>C:\\Videos\\clip.avi</filename>", "    <format>2</format>", "    <path/>",
                         "  </item>", "</list>"}));
}

TEST(ItemManager, ClearStageEmptiesAndStagingStartsOver)
{
    TItemManager stage;
    stage.StageItem("a", 1, "x");
    stage.StageItem("b", 1, "x");
    stage.ClearStage();
    EXPECT_EQ(stage.StagedCount(), 0);
    EXPECT_THROW(stage.StagedFormat(0), EListError);
    stage.StageItem("c", 7, "y");
    EXPECT_EQ(stage.StagedFormat(0), 7);
    EXPECT_EQ(stage.StagedPath(0), "y");
}

TEST(ItemManager, IndexOutsideTheStageIsAListError)
{
    TItemManager stage;
    stage.StageItem("a", 1, "x");
    EXPECT_THROW(stage.StagedPath(1), EListError);
    EXPECT_THROW(stage.StagedPath(-1), EListError);
}

} // namespace
