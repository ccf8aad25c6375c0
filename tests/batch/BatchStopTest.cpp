// Ctrl+C or SIGTERM in the middle of a batch: every encoder ends, no partial output stays, the summary is printed.
#include "tests/batch/BatchProgram.h"
#include "tests/support/PrivateFolders.h"
#include "tests/support/ProcessState.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <csignal>
#include <gtest/gtest.h>

TEST(BatchStop, SignalEndsEveryEncoderAndLeavesNoPartialFile)
{
    struct Case {
        int signal;
        int exitCode;
        QString reason;
    };
    for (const Case& c : { Case { SIGINT, 130, "Stopped by you." }, Case { SIGTERM, 143, "Stopped by SIGTERM." } }) {
        TBatchProgram program;
        const QString out = program.Folder("out");
        std::vector<TBatchProgram::TRow> rows;
        for (const char* name : { "a.avi", "b.avi", "c.avi", "d.avi" })
            rows.push_back({ program.Source(name, "begin\nwait\n"), 0, out });
        std::unique_ptr<QProcess> batch = program.Start({ "--convert", program.WriteList("l.qfl", rows), "-j", "2" });
        ASSERT_TRUE(WaitUntil([&] { return OutputsBeingWritten(out) == 2; }, 30000)) << "two encoders writing";

        ::kill(static_cast<pid_t>(batch->processId()), c.signal);

        ASSERT_TRUE(batch->waitForFinished(30000));
        EXPECT_EQ(batch->exitStatus(), QProcess::CrashExit) << "ended by the signal, after its clean-up";
        EXPECT_EQ(batch->exitCode(), c.exitCode - 128);
        const QString text = QString::fromUtf8(batch->readAllStandardOutput());
        EXPECT_TRUE(text.contains(c.reason + " 2 rows were not started.\n")) << text.toStdString();
        EXPECT_TRUE(text.contains("Converted 0, failed 2, skipped 0 of 4 in "));
        EXPECT_TRUE(text.contains("  item 2: " + rows[1].FileName + ": " + c.reason + "\n")) << text.toStdString();
        EXPECT_TRUE(FilesIn(out).isEmpty()) << FilesIn(out).join(' ').toStdString();
        EXPECT_TRUE(PrivateFolders(out).isEmpty()) << PrivateFolders(out).join(' ').toStdString();
        const std::vector<TEncoderRun> runs = program.Runs();
        ASSERT_EQ(runs.size(), 2u);
        for (const TEncoderRun& run : runs)
            EXPECT_TRUE(ProcessEnded(run.Pid)) << "the encoder outlived the program";
    }
}
