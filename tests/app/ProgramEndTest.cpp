// The program ended from outside during a conversion: by a request to end, or by losing its display. It must
// end, and take the encoder and the encoder's own helpers with it.
#include "tests/app/ProgramFolder.h"
#include "tests/support/PrivateFolders.h"
#include "tests/support/ProcessState.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <csignal>
#include <gtest/gtest.h>

namespace
{

// The program (its own run, with one file put in hand) converting a file whose encoder starts a helper and
// then runs until killed.
class ConvertingProgram
{
public:
    explicit ConvertingProgram(const QProcessEnvironment& display)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(display);
        environment.insert("REELHAND_FAKE_LOG", Log());
        m_program.setProcessEnvironment(environment);
        m_program.setProcessChannelMode(QProcess::ForwardedChannels);
        m_program.start(
            REELHAND_PROGRAMDRIVER, { m_folder.Path(), m_folder.Clip("clip.avi", "begin\nhelper\nwait\n") });
    }
    ~ConvertingProgram()
    {
        // Whatever a failing test left running goes now.
        for (int pid : { Encoder, Helper })
            if (pid > 0 && !ProcessEnded(pid))
                ::kill(pid, SIGKILL);
    }

    // Waits until the encoder and its helper run; their process ids are then known.
    bool WaitUntilEncoding()
    {
        return WaitUntil([&] {
            QFile log(Log());
            if (!log.open(QIODevice::ReadOnly))
                return false;
            for (const QByteArray& line : log.readAll().split('\n')) {
                const QList<QByteArray> fields = line.split('\t').value(0).split(' ');
                if (fields.value(0) == "start")
                    Encoder = fields.value(2).toInt();
                if (fields.value(0) == "helper")
                    Helper = fields.value(2).toInt();
            }
            return Encoder > 0 && Helper > 0;
        }, 30000);
    }

    QProcess& Program() { return m_program; }
    // True while the encoder's output, begun as a real one opens it before it encodes, stands unfinished.
    bool Writing() const { return OutputsBeingWritten(m_folder.ConvertFolder()) > 0; }
    // True when nothing at all of the run is left in the output folder.
    bool NothingLeft() const
    {
        return QDir(m_folder.ConvertFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty();
    }
    int Encoder = 0;
    int Helper = 0;

private:
    QString Log() const { return m_folder.Path() + "/encoder.log"; }

    TProgramFolder m_folder;
    QProcess m_program;
};

class ProgramEndBySignal : public ::testing::TestWithParam<int>
{
};

} // namespace

TEST_P(ProgramEndBySignal, EndsTheProgramTheEncoderAndItsHelpers)
{
    QProcessEnvironment offscreen;
    offscreen.insert("QT_QPA_PLATFORM", "offscreen");
    ConvertingProgram converting(offscreen);
    ASSERT_TRUE(converting.WaitUntilEncoding());
    ASSERT_TRUE(WaitUntil([&] { return converting.Writing(); }));

    ::kill(static_cast<pid_t>(converting.Program().processId()), GetParam());

    ASSERT_TRUE(converting.Program().waitForFinished(20000)) << "the program did not end";
    // It ends as the signal ends a program, once it has put things in order.
    EXPECT_EQ(converting.Program().exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(converting.Program().exitCode(), GetParam());
    EXPECT_TRUE(ProcessEnded(converting.Encoder)) << "the encoder runs on";
    EXPECT_TRUE(WaitUntil([&] { return ProcessEnded(converting.Helper); }, 5000)) << "the encoder's helper runs on";
    EXPECT_TRUE(converting.NothingLeft()) << "the unfinished output was left behind";
}

INSTANTIATE_TEST_SUITE_P(Requests, ProgramEndBySignal, ::testing::Values(SIGTERM, SIGHUP, SIGINT));

// Qt's X11 platform ends the process with exit() when the display goes away.
TEST(ProgramEndByDisplay, LosingTheDisplayEndsTheEncoderAndItsHelpers)
{
    QProcess server;
    server.start("Xvfb", { "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24" });
    ASSERT_TRUE(server.waitForStarted(10000));
    ASSERT_TRUE(WaitUntil([&] { return server.canReadLine() || server.waitForReadyRead(10); }, 20000));
    const QByteArray number = server.readLine().trimmed();
    ASSERT_FALSE(number.isEmpty());
    QProcessEnvironment display;
    display.insert("QT_QPA_PLATFORM", "xcb");
    display.insert("DISPLAY", ":" + QString::fromLatin1(number));
    ConvertingProgram converting(display);
    ASSERT_TRUE(converting.WaitUntilEncoding());
    ASSERT_TRUE(WaitUntil([&] { return converting.Writing(); }));

    server.kill();
    server.waitForFinished(10000);

    ASSERT_TRUE(converting.Program().waitForFinished(20000)) << "the program did not end";
    EXPECT_TRUE(ProcessEnded(converting.Encoder)) << "the encoder runs on";
    EXPECT_TRUE(WaitUntil([&] { return ProcessEnded(converting.Helper); }, 5000)) << "the encoder's helper runs on";
    EXPECT_TRUE(converting.NothingLeft()) << "the unfinished output was left behind";
}
