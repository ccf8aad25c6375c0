#include "app/addForm.h"
#include "app/mainForm.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/imagebutton.h"
#include "tests/app/AppTesting.h"
#include "toolkit/VirtualStringTree.h"

#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <sys/wait.h>

namespace
{

// The process ids the fake encoder logged at its start.
QList<int> StartedEncoders(const QString& log)
{
    QList<int> pids;
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return pids;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("start "))
            pids << line.split(' ').value(2).split('\t').value(0).toInt();
    return pids;
}

bool ProcessGone(int pid)
{
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

class Shutdown : public TMainWindowTest
{
protected:
    Shutdown() { qputenv("REELHAND_FAKE_LOG", Log().toUtf8()); }
    ~Shutdown() override { qunsetenv("REELHAND_FAKE_LOG"); }
    QString Log() const { return m_folder.Path() + "/encoder.log"; }
};

class BrokenCatalogue : public TMainWindowTest
{
protected:
    BrokenCatalogue()
        : TMainWindowTest("<commands><command><format>A</format></commands>")
    {
    }
};

} // namespace

TEST_F(Shutdown, ClosingDuringABatchEndsTheEncoderAndReportsNothing)
{
    AddClips({ "wait", "" });
    ConvertUntilRow(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return StartedEncoders(Log()).size() == 1; }));
    const int pid = StartedEncoders(Log())[0];
    ASSERT_FALSE(ProcessGone(pid));
    m_dialogs.ButtonAnswers = { QMessageBox::Yes }; // closing during a batch asks first
    EXPECT_TRUE(m_window->close());
    m_window.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ProcessGone(pid); }, 5000));
    // Nothing arrives later either: no second encoder, no message after the question.
    EXPECT_EQ(StartedEncoders(Log()).size(), 1);
    EXPECT_EQ(m_dialogs.Messages.size(), 1);
}

TEST_F(BrokenCatalogue, ShowsTheParseErrorOnceAndStartsWithNoFormats)
{
    ASSERT_EQ(m_dialogs.Messages.size(), 1);
    EXPECT_EQ(m_dialogs.Messages[0].Icon, TMsgIcon::Stop);
    EXPECT_TRUE(m_dialogs.Messages[0].Text.contains("command"));
    m_dialogs.FileAnswers.append(QStringList { m_folder.Clip("a.avi") });
    int formats = -1;
    WhenModal([&formats](QDialog* shown) {
        auto* dialog = static_cast<TaddDlg*>(shown);
        formats = dialog->ComboBox1->count();
        Click(dialog->btnOk);
    });
    Click(m_window->btnAdd);
    EXPECT_EQ(formats, 0);
    EXPECT_EQ(m_window->VirtualStringTree1->RootNodeCount(), 1u);
    EXPECT_EQ(m_dialogs.Messages.size(), 1);
}
