#include "toolkit/DialogSeam.h"

#include <gtest/gtest.h>

TEST(FileFilter, ClassicPairsBecomeQtEntries)
{
    EXPECT_EQ(QtFileFilter("All Supported Formats|*.mpg;*.mpeg;*.avi|All Files|*.*"),
        "All Supported Formats (*.mpg *.mpeg *.avi);;All Files (*)");
}

TEST(FileFilter, ANameThatShowsItsPatternsKeepsThemOnce)
{
    EXPECT_EQ(QtFileFilter("Quor File List File (*.qfl)|*.qfl"), "Quor File List File (*.qfl)");
}

TEST(FileFilter, AnUnpairedNameIsDropped)
{
    EXPECT_EQ(QtFileFilter("Videos|*.avi|Dangling"), "Videos (*.avi)");
    EXPECT_EQ(QtFileFilter(""), "");
}
