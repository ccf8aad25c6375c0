#include "batch/BatchMain.h"

#include "batch/BatchConsole.h"
#include "batch/BatchOptions.h"
#include "batch/BatchRunner.h"
#include "engine/EncoderTask.h"
#include "engine/commandManager.h"
#include "platform/FileSystem.h"
#include "platform/Terminal.h"
#include "toolkit/ErrorReport.h"
#include "toolkit/ProgramFolder.h"
#include "toolkit/SignalWatcher.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;
constexpr int FilesForTheProgram = 32;
constexpr int FilesPerEncoder = 8;

void Complain(const std::string& message)
{
    std::fprintf(stderr, "reelhand: %s\n", message.c_str());
}

TRunOutcome StopOutcome(int signal)
{
    switch (signal) {
    case SIGINT:
        return TRunOutcome::StoppedByYou();
    case SIGTERM:
        return TRunOutcome::Failure("Stopped by SIGTERM.");
    case SIGHUP:
        return TRunOutcome::Failure("Stopped by SIGHUP.");
    default:
        return TRunOutcome::Failure("Stopped by signal " + std::to_string(signal) + ".");
    }
}

TBatchConsole::TMode ConsoleMode(const TBatchOptions& options)
{
    if (options.Quiet)
        return TBatchConsole::TMode::Quiet;
    return platform::StandardOutputIsTerminal() ? TBatchConsole::TMode::Live : TBatchConsole::TMode::Plain;
}

int Convert(const TBatchOptions& options)
{
    std::vector<TBatchRow> rows;
    try {
        rows = ReadBatchRows(options.ListPath, options.ShardIndex, options.ShardCount);
    } catch (const std::exception& error) {
        Complain(error.what());
        return ExitUsage;
    }
    const std::string programFolder = ProgramFolder().toStdString();
    // A catalogue that cannot be read is reported through the dialog seam and leaves no formats: every row then
    // fails, naming its format.
    TCommandManager catalogue;
    const TBatchRunner::TSettings settings { { programFolder + "/bin/ffmpeg", programFolder, &catalogue },
        options.SkipDone };
    // Without its encoder every row would fail the same way; the message says what to do instead.
    try {
        CheckEncoder(settings.Conversion.Encoder);
    } catch (const EEncoderMissing& error) {
        Complain(error.Message());
        return ExitFailed;
    }
    int jobs = options.Jobs > 0 ? options.Jobs : QThread::idealThreadCount();
    // Each encoder holds a few files open here (its pipes, its private folder's lock, the probes); more encoders
    // than the limit allows would fail rows with "Too many open files" instead of waiting for their turn.
    const int allowed = std::max(1, (platform::OpenFileLimit() - FilesForTheProgram) / FilesPerEncoder);
    if (jobs > allowed) {
        Complain("--jobs " + std::to_string(jobs) + " needs more open files than the limit of "
            + std::to_string(platform::OpenFileLimit()) + " allows; converting " + std::to_string(allowed)
            + " files at once.");
        jobs = allowed;
    }
    TBatchRunner runner(std::move(rows), jobs, settings);
    TBatchConsole console(ConsoleMode(options), runner);

    QEventLoop loop;
    int stoppedBy = 0;
    TSignalWatcher watcher([&](int signal) {
        if (stoppedBy == 0)
            stoppedBy = signal;
        runner.Stop(StopOutcome(signal));
    });
    QTimer redraw;
    QObject::connect(&redraw, &QTimer::timeout, [&] { console.Redraw(); });
    redraw.start(1000);
    runner.OnRowStarted = [&](const TBatchRow& row) { console.RowStarted(row); };
    runner.OnRowEnded = [&](const TBatchRow& row) { console.RowEnded(row); };
    runner.OnFinished = [&] { loop.quit(); };
    runner.Start();
    if (!runner.Finished())
        loop.exec();

    console.Summary(stoppedBy ? StopOutcome(stoppedBy).Reason() : std::string());
    if (stoppedBy)
        return 128 + stoppedBy;
    return runner.Count(TRowState::Failed) > 0 ? ExitFailed : 0;
}

} // namespace

int RunBatch(int argc, char* argv[])
{
    QCoreApplication qtApp(argc, argv);
    QCoreApplication::setApplicationName("Quor Reelhand");
    QCoreApplication::setApplicationVersion(REELHAND_VERSION);
    // What the window would show in a box (a catalogue that cannot be read) goes to standard error.
    SetErrorReporter(Complain);
    platform::IgnoreBrokenPipes();

    TBatchOptions options;
    try {
        options = ParseBatchOptions(QCoreApplication::arguments());
    } catch (const EBatchUsage& error) {
        Complain(error.Message());
        std::fprintf(stderr, "Try 'reelhand --help' for more.\n");
        return ExitUsage;
    }
    if (options.Help) {
        std::fputs(BatchHelpText().c_str(), stdout);
        return 0;
    }
    if (options.Version) {
        std::printf("Quor Reelhand %s\n", REELHAND_VERSION);
        return 0;
    }
    return Convert(options);
}
