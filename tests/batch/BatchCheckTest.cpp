// The command-line mode checks each result as the window does, and shares output folders with the window safely.
#include "engine/DosCommand.h"
#include "engine/command.h"
#include "engine/commandManager.h"
#include "list/ItemData.h"
#include "tests/batch/BatchProgram.h"
#include "tests/support/FailureKinds.h"
#include "tests/support/PrivateFolders.h"
#include "tests/support/Unprivileged.h"
#include "tests/support/WaitUntil.h"
#include "toolkit/Application.h"
#include "toolkit/VirtualStringTree.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

TEST(BatchCheck, EveryKindOfBrokenResultFailsItsRowWithItsCauseAndLeavesNothing)
{
    TBatchProgram program;
    const std::vector<TFailureKind> kinds = FailureKinds(program.Folder("clips"));
    const QString out = program.Folder("out");
    std::vector<TBatchProgram::TRow> rows;
    for (const TFailureKind& kind : kinds)
        rows.push_back({ program.Source(QString(kind.Name).replace(' ', '-') + ".avi", kind.Script), 0, out });
    rows.push_back({ program.Source("good.avi"), 0, out });

    const TBatchProgram::TResult result = program.Run({ "--convert", program.WriteList("l.qfl", rows), "-j", "2" });

    EXPECT_EQ(result.ExitCode, 1);
    for (std::size_t row = 0; row < kinds.size(); ++row)
        EXPECT_TRUE(
            result.Out.contains(QString("item %1: %2: %3").arg(row + 1).arg(rows[row].FileName, kinds[row].Reason)))
            << kinds[row].Name << "\n"
            << result.Out.toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList({ "good.mp4" }));
}

// A user's process limit reached: no thread and no process can be made. Every row fails with the cause, the
// run ends, nothing is left behind.
TEST(BatchCheck, NoThreadOrProcessToBeHadFailsEachRowAndTheRunEnds)
{
    TBatchProgram program;
    const QString out = program.Folder("out");
    const QString list
        = program.WriteList("l.qfl", { { program.Source("a.avi"), 0, out }, { program.Source("b.avi"), 0, out } });
    for (const QString& path : { program.Folder("."), out })
        GiveToUnprivilegedUser(path);

    const std::string child = AsUnprivilegedUser([&] {
        const std::string command
            = QString("'%1/reelhand' --convert '%2' >'%3/said.txt' 2>&1").arg(program.Path(), list, out).toStdString();
        // The limit counts every process and thread of the user; this one and its shell are all it may have.
        const rlimit none { 1, 1 };
        ::setrlimit(RLIMIT_NPROC, &none);
        ::alarm(60);
        return std::to_string(::execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), nullptr));
    });
    QFile said(out + "/said.txt");
    ASSERT_TRUE(said.open(QIODevice::ReadOnly)) << child;
    const QString text = QString::fromUtf8(said.readAll());
    EXPECT_TRUE(text.contains("Converted 0, failed 2, skipped 0 of 2")) << text.toStdString() << child;
    EXPECT_TRUE(text.contains("could not be started: Resource temporarily unavailable.")) << text.toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList({ "said.txt" }));
}

// The window and a command-line run convert into one folder at the same time, under the same names. Each file
// gets a name of its own; the window's failed rows take nothing of the command line's finished files.
TEST(BatchCheck, WindowAndCommandLineShareAFolderWithoutTouchingEachOthersFiles)
{
    TBatchProgram program;
    const QString out = program.Folder("out");
    std::vector<TBatchProgram::TRow> rows;
    for (const char* name : { "w1.avi", "w2.avi", "w3.avi" })
        rows.push_back({ program.Source(name, "sleep 300\n"), 0, out });
    std::unique_ptr<QProcess> cli = program.Start({ "--convert", program.WriteList("l.qfl", rows) });

    Application->SetProgramFolder(program.Path());
    {
        TCommandManager catalogue;
        CommandManager = &catalogue;
        TVirtualStringTree list;
        TCommand job(&list);
        // The window converts the same sources; the middle one fails there after its encoder wrote everything.
        const char* scripts[] = { "sleep 250\n", "sleep 250\nexit 1\n", "sleep 250\n" };
        for (int i = 0; i < 3; ++i) {
            const QString source = program.Folder("window") + "/" + QString("w%1.avi").arg(i + 1);
            ASSERT_TRUE(MakeScriptedClip(source, scripts[i]));
            PVirtualNode node = list.AddChild(nullptr);
            TItemData& item = list.GetNodeData<TItemNodeData>(node)->ItemData;
            item = { source, 0, out + "/" };
        }
        bool finished = false;
        job.OnFinished = [&](TDosCommand*, bool) { finished = true; };
        job.Start();
        ASSERT_TRUE(WaitUntil([&] { return finished; }, 30000));
        EXPECT_EQ(job.FailedRows(), 1);
        CommandManager = nullptr;
    }
    Application->SetProgramFolder(QString());
    ASSERT_TRUE(cli->state() == QProcess::NotRunning || cli->waitForFinished(30000));
    EXPECT_EQ(cli->exitCode(), 0) << cli->readAllStandardOutput().toStdString();

    // Three files of the command line and two of the window, under five names.
    EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({ "w1.mp4", "w1_2.mp4", "w2.mp4", "w3.mp4", "w3_2.mp4" }));
}

// The window killed in the middle of a row leaves its unfinished output where no resume takes it for done.
TEST(BatchCheck, AWindowKilledMidRowLeavesNothingThatCountsAsFinished)
{
    TBatchProgram program;
    const QString source = program.Source("clip.avi", "begin\nwait\n");
    QProcess window;
    QProcessEnvironment offscreen = QProcessEnvironment::systemEnvironment();
    offscreen.insert("QT_QPA_PLATFORM", "offscreen");
    window.setProcessEnvironment(offscreen);
    window.start(REELHAND_PROGRAMDRIVER, { program.Path(), source });
    ASSERT_TRUE(WaitUntil([&] { return OutputsBeingWritten(program.Path() + "/convert") == 1; }, 30000));
    window.kill();
    window.waitForFinished();
    program.Source("clip.avi");

    const TBatchProgram::TResult result
        = program.Run({ "--convert", program.WriteList("l.qfl", { { source, 0, "" } }), "--skip-done" });

    EXPECT_EQ(result.ExitCode, 0) << result.Out.toStdString();
    EXPECT_TRUE(result.Out.contains("Converted 1, failed 0, skipped 0 of 1")) << result.Out.toStdString();
    EXPECT_EQ(QDir(program.Path() + "/convert").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({ "clip.mp4" }));
}
