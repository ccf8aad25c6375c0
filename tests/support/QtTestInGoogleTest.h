#pragma once

// Put ahead of every test source by tests/CMakeLists.txt. Qt's QVERIFY, QCOMPARE and QTRY_* report a failure
// to Qt's own test logger, which is silent under GoogleTest, and then merely return: a check or a wait that
// fails would pass. Here they fail the GoogleTest test (and still return), and the waits keep Qt's way of
// waiting: events processed until the condition holds, no fixed sleep.

#include <QTest>
#include <gtest/gtest.h>

#undef QVERIFY
#undef QCOMPARE
#undef QTRY_VERIFY_WITH_TIMEOUT
#undef QTRY_VERIFY
#undef QTRY_COMPARE_WITH_TIMEOUT
#undef QTRY_COMPARE

#define QVERIFY(statement)                                                                                             \
    do {                                                                                                               \
        if (!static_cast<bool>(statement)) {                                                                           \
            ADD_FAILURE() << "not true: " #statement;                                                                  \
            return;                                                                                                    \
        }                                                                                                              \
    } while (false)

#define QCOMPARE(actual, expected)                                                                                     \
    do {                                                                                                               \
        const bool equal_ = static_cast<bool>((actual) == (expected));                                                 \
        EXPECT_TRUE(equal_) << #actual " == " #expected;                                                               \
        if (!equal_)                                                                                                   \
            return;                                                                                                    \
    } while (false)

#define QTRY_VERIFY_WITH_TIMEOUT(expression, timeout)                                                                  \
    do {                                                                                                               \
        if (!QTest::qWaitFor([&] { return static_cast<bool>(expression); }, timeout)) {                                \
            ADD_FAILURE() << "never became true: " #expression;                                                        \
            return;                                                                                                    \
        }                                                                                                              \
    } while (false)

#define QTRY_VERIFY(expression) QTRY_VERIFY_WITH_TIMEOUT(expression, 5000)

#define QTRY_COMPARE_WITH_TIMEOUT(actual, expected, timeout)                                                           \
    do {                                                                                                               \
        if (!QTest::qWaitFor([&] { return static_cast<bool>((actual) == (expected)); }, timeout)) {                    \
            ADD_FAILURE() << "never became equal: " #actual " == " #expected;                                          \
            return;                                                                                                    \
        }                                                                                                              \
    } while (false)

#define QTRY_COMPARE(actual, expected) QTRY_COMPARE_WITH_TIMEOUT(actual, expected, 5000)
