#include "controls/MyFlatHintUnit.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

// Answers the hint of the row under the mouse, 25 pixels a row, as the file list does; row 0 has none.
class RowWidget : public QWidget {
public:
    using QWidget::QWidget;
    int Asked = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip)
            return QWidget::event(event);
        ++Asked;
        const auto* help = static_cast<QHelpEvent*>(event);
        const int row = help->pos().y() / 25;
        if (row == 0) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        QToolTip::showText(help->globalPos(), QString("[file]: row%1.avi\n[format]: MP4\n[path]: ").arg(row), this);
        return true;
    }
};

struct FlowForm {
    QWidget Form;
    QPushButton* Button;
    RowWidget* Rows;
    TMyFlatHint* Hint = nullptr;

    explicit FlowForm(bool withHint = true)
    {
        Form.resize(400, 300);
        Button = new QPushButton("Add", &Form);
        Button->setGeometry(16, 16, 112, 60);
        Button->setToolTip("add video files");
        Rows = new RowWidget(&Form);
        Rows->setGeometry(16, 100, 300, 150);
        if (withHint)
            Hint = new TMyFlatHint(&Form);
        Form.show();
        QApplication::setActiveWindow(&Form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Form));
        // The pointer starts on the bare form: a move to where it already is would not be delivered.
        QTest::mouseMove(&Form, QPoint(395, 295));
        if (TFlatHintManager* manager = TFlatHintManager::Instance())
            manager->CancelHint();
    }

    TMyFlatHintWindow* Window() { return TFlatHintManager::Instance()->HintWindow(); }
};

} // namespace

TEST(FlatHintFlow, RestingOnAButtonShowsItsHintInTheFlatWindowOnly)
{
    FlowForm f;
    QTest::mouseMove(f.Button, QPoint(40, 30));
    EXPECT_FALSE(f.Window()->isVisible()); // not at once: after the first-hint pause
    QTRY_VERIFY(f.Window()->isVisible());
    EXPECT_EQ(f.Window()->Caption(), "add video files");
    EXPECT_FALSE(QToolTip::isVisible());
    const QPoint cursor = f.Button->mapToGlobal(QPoint(40, 30));
    EXPECT_EQ(f.Window()->geometry().topLeft(), cursor + QPoint(12, 12));
    EXPECT_EQ(TFlatHintManager::Instance()->HintPause, 500);
    EXPECT_EQ(TFlatHintManager::Instance()->HintShortPause, 25);
    EXPECT_EQ(TFlatHintManager::Instance()->HintHidePause, 5000);
}

TEST(FlatHintFlow, AClickEndsTheHintAndTheNextWidgetHasItsOwn)
{
    FlowForm f;
    QTest::mouseMove(f.Button, QPoint(40, 30));
    QTRY_VERIFY(f.Window()->isVisible());
    QTest::mouseClick(f.Button, Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_FALSE(f.Window()->isVisible());
    QTest::mouseMove(f.Rows, QPoint(50, 30));
    QTRY_VERIFY(f.Window()->isVisible());
    EXPECT_EQ(f.Window()->Caption(), "[file]: row1.avi\n[format]: MP4\n[path]: ");
}

TEST(FlatHintFlow, RowHintsFollowTheRowUnderTheMouse)
{
    FlowForm f;
    QTest::mouseMove(f.Rows, QPoint(50, 30));
    QTRY_VERIFY(f.Window()->isVisible());
    EXPECT_EQ(f.Window()->Caption(), "[file]: row1.avi\n[format]: MP4\n[path]: ");
    QTest::mouseMove(f.Rows, QPoint(50, 60));
    QTRY_COMPARE(f.Window()->Caption(), QString("[file]: row2.avi\n[format]: MP4\n[path]: "));
    QTRY_VERIFY(f.Window()->isVisible());
    QTest::mouseMove(f.Rows, QPoint(50, 10));
    QTRY_VERIFY(!f.Window()->isVisible());
}

TEST(FlatHintFlow, RowWithoutHintThenRowWithOneStillGetsAHint)
{
    FlowForm f;
    QTest::mouseMove(f.Rows, QPoint(50, 10));
    QTRY_VERIFY(f.Rows->Asked > 0);
    EXPECT_FALSE(f.Window()->isVisible());
    QTest::mouseMove(f.Rows, QPoint(50, 80));
    QTRY_VERIFY(f.Window()->isVisible());
    EXPECT_EQ(f.Window()->Caption(), "[file]: row3.avi\n[format]: MP4\n[path]: ");
}

TEST(FlatHintFlow, ShowHintHookSeesAndMayChangeOrRefuseTheText)
{
    FlowForm f;
    QStringList seen;
    QList<QWidget*> controls;
    f.Hint->OnShowHint = [&](QString& text, bool& canShow, THintInfo& info) {
        seen << text;
        controls << info.HintControl;
        text = "changed: " + text;
        canShow = seen.size() == 1;
    };
    QTest::mouseMove(f.Button, QPoint(40, 30));
    QTRY_VERIFY(f.Window()->isVisible());
    EXPECT_EQ(f.Window()->Caption(), "changed: add video files");

    QTest::mouseMove(f.Rows, QPoint(50, 30));
    QTRY_COMPARE(seen.size(), 2);
    EXPECT_FALSE(f.Window()->isVisible());
    EXPECT_EQ(controls, (QList<QWidget*>{f.Button, f.Rows}));
}

TEST(FlatHintFlow, WithoutAnyComponentNoHintAppears)
{
    // A component switches the application to flat hints for the rest of the run, also after it is gone.
    delete new TMyFlatHint(nullptr);
    FlowForm f(false);
    QTest::mouseMove(f.Rows, QPoint(50, 30));
    QTRY_VERIFY(f.Rows->Asked > 0);
    QTest::qWait(0);
    EXPECT_FALSE(f.Window()->isVisible());
    EXPECT_FALSE(QToolTip::isVisible());
}

TEST(FlatHintFlow, TheHintGoesAfterTheHidePauseTheHookWasTold)
{
    FlowForm f;
    TFlatHintManager* manager = TFlatHintManager::Instance();
    manager->HintHidePause = 50;
    int told = 0;
    f.Hint->OnShowHint = [&](QString&, bool&, THintInfo& info) { told = info.HideTimeout; };
    QTest::mouseMove(f.Button, QPoint(40, 30));
    QTRY_VERIFY(f.Window()->isVisible());
    EXPECT_EQ(told, 50);
    QTRY_VERIFY(!f.Window()->isVisible());
    manager->HintHidePause = 5000;
}
