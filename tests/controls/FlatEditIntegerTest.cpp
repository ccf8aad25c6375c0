#include "controls/FlatEditUnit.h"
#include "tests/support/TestDialogs.h"
#include "toolkit/Exception.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

struct IntegerEdit {
    TMyFlatEdit Edit;

    explicit IntegerEdit(const QString& text, TEditValueType type = evtInteger)
    {
        Edit.SetValueType(type);
        Edit.setText(text);
        Edit.show();
        QApplication::setActiveWindow(&Edit);
        Edit.setFocus();
    }

    void Wheel(int delta)
    {
        QWheelEvent wheel(QPointF(5, 5), Edit.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&Edit, &wheel);
        EXPECT_TRUE(wheel.isAccepted());
    }
};

} // namespace

TEST(FlatEditIntegerMode, LettersAndDeleteDoNothing)
{
    IntegerEdit e("12");
    QTest::keyClicks(&e.Edit, "ab-+.");
    EXPECT_EQ(e.Edit.text(), "12");
    e.Edit.setCursorPosition(0);
    QTest::keyClick(&e.Edit, Qt::Key_Delete);
    EXPECT_EQ(e.Edit.text(), "12");
    QTest::keyClicks(&e.Edit, "3");
    EXPECT_EQ(e.Edit.text(), "312");
}

TEST(FlatEditIntegerMode, NoLeadingZeroAndBackspaceNeverEmpties)
{
    IntegerEdit e("45");
    e.Edit.setCursorPosition(0);
    QTest::keyClick(&e.Edit, Qt::Key_0);
    EXPECT_EQ(e.Edit.text(), "45");
    e.Edit.end(false);
    QTest::keyClick(&e.Edit, Qt::Key_Backspace);
    EXPECT_EQ(e.Edit.text(), "4");
    QTest::keyClick(&e.Edit, Qt::Key_Backspace);
    EXPECT_EQ(e.Edit.text(), "0");
    QTest::keyClick(&e.Edit, Qt::Key_Backspace);
    EXPECT_EQ(e.Edit.text(), "0");
    QTest::keyClick(&e.Edit, Qt::Key_0);
    EXPECT_EQ(e.Edit.text(), "0");
    QTest::keyClick(&e.Edit, Qt::Key_7);
    EXPECT_EQ(e.Edit.text(), "7");
    QTest::keyClicks(&e.Edit, "09");
    EXPECT_EQ(e.Edit.text(), "709");
}

TEST(FlatEditIntegerMode, BackspaceOverAWholeSelectionLeavesZero)
{
    IntegerEdit e("1234");
    e.Edit.selectAll();
    QTest::keyClick(&e.Edit, Qt::Key_Backspace);
    EXPECT_EQ(e.Edit.text(), "0");
    EXPECT_EQ(e.Edit.asInteger(), 0);
}

TEST(FlatEditIntegerMode, UpAndDownStepWithinTheBounds)
{
    IntegerEdit e("");
    QTest::keyClick(&e.Edit, Qt::Key_Up);
    EXPECT_EQ(e.Edit.text(), "1");
    QTest::keyClick(&e.Edit, Qt::Key_Down);
    QTest::keyClick(&e.Edit, Qt::Key_Down);
    EXPECT_EQ(e.Edit.text(), "0");

    e.Edit.SetMinValue(3);
    e.Edit.SetMaxValue(5);
    e.Edit.setText("4");
    QTest::keyClick(&e.Edit, Qt::Key_Up);
    QTest::keyClick(&e.Edit, Qt::Key_Up);
    EXPECT_EQ(e.Edit.asInteger(), 5);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(&e.Edit, Qt::Key_Down);
    EXPECT_EQ(e.Edit.asInteger(), 3);
}

TEST(FlatEditIntegerMode, WithoutMaximumUpNeverStops)
{
    IntegerEdit e("998");
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(&e.Edit, Qt::Key_Up);
    EXPECT_EQ(e.Edit.text(), "1003");
    e.Edit.setText("2147483647");
    QTest::keyClick(&e.Edit, Qt::Key_Up);
    EXPECT_EQ(e.Edit.text(), "2147483647");
}

TEST(FlatEditIntegerMode, WheelStepsAndIsAlwaysConsumed)
{
    IntegerEdit e("10");
    e.Wheel(120);
    e.Wheel(120);
    EXPECT_EQ(e.Edit.text(), "12");
    e.Wheel(-120);
    EXPECT_EQ(e.Edit.text(), "11");
    e.Wheel(0);
    EXPECT_EQ(e.Edit.text(), "10");

    IntegerEdit free("10", evDefault);
    free.Wheel(120);
    EXPECT_EQ(free.Edit.text(), "10");
}

TEST(FlatEditIntegerMode, FloatModeAcceptsNothingAndDoesNotStep)
{
    IntegerEdit e("5", evtFloat);
    QTest::keyClicks(&e.Edit, "12a.");
    QTest::keyClick(&e.Edit, Qt::Key_Up);
    e.Wheel(120);
    EXPECT_EQ(e.Edit.text(), "5");
    EXPECT_EQ(e.Edit.asInteger(), 5);
}

TEST(FlatEditIntegerMode, FreeTextModeTakesEverythingAndReadsAsZero)
{
    IntegerEdit e("", evDefault);
    QTest::keyClicks(&e.Edit, "a1 b");
    QTest::keyClick(&e.Edit, Qt::Key_Home);
    QTest::keyClick(&e.Edit, Qt::Key_Delete);
    EXPECT_EQ(e.Edit.text(), "1 b");
    EXPECT_EQ(e.Edit.asInteger(), 0);
}

TEST(FlatEditIntegerMode, AsIntegerRejectsTextThatIsNoNumber)
{
    IntegerEdit e("12x");
    try {
        e.Edit.asInteger();
        FAIL() << "no error for a non-numeric text";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(), "'12x' is not a valid integer value");
    }
}

TEST(FlatEditIntegerMode, SteppingATooLargeNumberReportsItInsteadOfCrashing)
{
    TTestDialogs dialogs;
    IntegerEdit e("99999999999");
    QTest::keyClick(&e.Edit, Qt::Key_Up);
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Text, "'99999999999' is not a valid integer value");
    EXPECT_EQ(e.Edit.text(), "99999999999");
}
