#include "app/uihook.h"
#include "engine/row/BatchTimeLeft.h"

#include <gtest/gtest.h>

TEST(LabelTexts, CountLabelHasCommaAndRowCountTwice)
{
    EXPECT_EQ(CountText(0, 0), "0 files, finished 0 of 0");
    EXPECT_EQ(CountText(4, 1), "4 files, finished 1 of 4");
    EXPECT_EQ(CountText(3, 3), "3 files, finished 3 of 3");
    EXPECT_EQ(CountText(5, 2, 47), "5 files, finished 2 of 5, 47 % done");
    EXPECT_EQ(CountText(5, 2, 25, BatchTimeLeft(25, 60)), "5 files, finished 2 of 5, 25 % done, about 00:03:00 left");
    // No guess in the first seconds, before any work is done, or once all of it is.
    EXPECT_EQ(CountText(5, 0, 50, BatchTimeLeft(50, 4)), "5 files, finished 0 of 5, 50 % done");
    EXPECT_EQ(CountText(5, 0, 0, BatchTimeLeft(0, 600)), "5 files, finished 0 of 5, 0 % done");
    EXPECT_EQ(CountText(5, 5, 100, BatchTimeLeft(100, 600)), "5 files, finished 5 of 5, 100 % done");
}

TEST(LabelTexts, TimestampPadsToTwoDigits)
{
    EXPECT_EQ(TimestampText(0), "timestamp: 00:00:00");
    EXPECT_EQ(TimestampText(3600 + 60 + 5), "timestamp: 01:01:05");
    EXPECT_EQ(TimestampText(59), "timestamp: 00:00:59");
    EXPECT_EQ(TimestampText(60), "timestamp: 00:01:00");
}

TEST(LabelTexts, HoursGrowPastTwoDigits)
{
    EXPECT_EQ(TimestampText(100 * 3600), "timestamp: 100:00:00");
    // A batch longer than a 32-bit second count must not wrap to a negative hour.
    EXPECT_EQ(TimestampText(int64_t(3000000) * 3600 + 59), "timestamp: 3000000:00:59");
}
