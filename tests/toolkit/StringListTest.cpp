#include "toolkit/Exception.h"
#include "toolkit/StringList.h"

#include <gtest/gtest.h>

TEST(StringList, SetTextSplitsAtEveryKindOfLineBreak)
{
    TStringList list;
    list.Add("old");
    list.SetText("a\r\nb\rc\n\nd\n");
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"a", "b", "c", "", "d"}));
    EXPECT_EQ(list.Text(), "a\nb\nc\n\nd\n");
    EXPECT_EQ(list.UpdateCount(), 0);
}

TEST(StringList, IndexOutsideTheListIsAnError)
{
    TStringList list;
    list.Add("x");
    EXPECT_THROW(list.Strings(1), EListError);
    EXPECT_THROW(list.Put(-1, "y"), EListError);
    EXPECT_THROW(list.Delete(1), EListError);
    list.Put(0, "y");
    EXPECT_EQ(list.Strings(0), "y");
    list.Delete(0);
    EXPECT_EQ(list.Count(), 0);
}
