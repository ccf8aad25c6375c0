#pragma once

#include <QTest>
#include <gtest/gtest.h>

// Qt's QTRY_VERIFY and QTRY_COMPARE report failures to Qt's own test logger and merely return, so under
// GoogleTest a condition that never comes true passes silently. These wait the same way (processing
// events, no fixed sleep, up to five seconds) and fail the GoogleTest test when the condition never holds.
#define EXPECT_EVENTUALLY(condition)                                                                                   \
    EXPECT_TRUE(QTest::qWaitFor([&] { return bool(condition); }, 5000)) << "never became true: " #condition
#define ASSERT_EVENTUALLY(condition)                                                                                   \
    ASSERT_TRUE(QTest::qWaitFor([&] { return bool(condition); }, 5000)) << "never became true: " #condition
