#include "tests/support/TestDialogs.h"
#include "tests/support/WaitUntil.h"
#include "toolkit/Application.h"

#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

// Errors handed over for later: the thread that hands them over never waits, and their boxes open one after
// the other, only once no other message box is open.
TEST(LaterErrorBox, ErrorsFromAnotherThreadWaitForTheOpenBoxThenComeInTurn)
{
    TTestDialogs dialogs;
    int rounds = 0;
    dialogs.CloseBoxWhen = [&] {
        if (rounds++ == 0) {
            std::thread worker([] {
                Application->ShowExceptionLater("first");
                Application->ShowExceptionLater("no longer wanted", [] { return false; });
                Application->ShowExceptionLater("second");
            });
            worker.join();
        }
        // Open for a few rounds of the event loop, in which the handed-over errors would show if they could.
        return rounds > 5;
    };
    QTimer::singleShot(0, [] { Application->MessageBox("open", TMsgIcon::Information, QMessageBox::Ok); });

    ASSERT_TRUE(WaitUntil([&] { return dialogs.Messages.size() >= 3 && dialogs.OpenBoxes == 0; }));
    QCoreApplication::processEvents();

    QStringList texts;
    for (const TTestDialogs::Message& message : dialogs.Messages)
        texts << message.Text;
    EXPECT_EQ(texts, (QStringList{"open", "first", "second"}));
    EXPECT_EQ(dialogs.MostOpenBoxes, 1);
    EXPECT_EQ(dialogs.Messages[1].Icon, TMsgIcon::Stop);
    EXPECT_EQ(dialogs.Messages[1].Caption, Application->Title());
}
