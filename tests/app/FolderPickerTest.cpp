#include "app/BrowseFolder.h"
#include "tests/support/TestDialogs.h"

#include <gtest/gtest.h>

TEST(FolderPicker, RootKeepsItsSingleSlash)
{
    TTestDialogs dialogs;
    dialogs.FolderAnswers = { "/" };
    EXPECT_EQ(BrowseFolder(nullptr, "Save Directory"), "/");
}

TEST(FolderPicker, OtherFoldersGetExactlyOneSlash)
{
    TTestDialogs dialogs;
    dialogs.FolderAnswers = { "/home/user/Videos", "/home/user/Videos/", "/srv/out//" };
    EXPECT_EQ(BrowseFolder(nullptr, "Save Directory"), "/home/user/Videos/");
    EXPECT_EQ(BrowseFolder(nullptr, "Save Directory"), "/home/user/Videos/");
    EXPECT_EQ(BrowseFolder(nullptr, "Save Directory"), "/srv/out/");
}

TEST(FolderPicker, CancelGivesEmptyText)
{
    TTestDialogs dialogs;
    EXPECT_EQ(BrowseFolder(nullptr, "Save Directory"), "");
}

TEST(FolderPicker, FolderNamesWithBlanksAndAccentsStayWhole)
{
    TTestDialogs dialogs;
    dialogs.FolderAnswers = { QString::fromUtf8("/media/Vidéos d'été") };
    EXPECT_EQ(BrowseFolder(nullptr, "Save Directory"), QString::fromUtf8("/media/Vidéos d'été/"));
}
