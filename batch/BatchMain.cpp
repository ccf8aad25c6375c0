#include "batch/BatchMain.h"

#include "batch/BatchConsole.h"
#include "batch/BatchOptions.h"
#include "batch/BatchRunner.h"
#include "batch/ConsoleDialogs.h"
#include "engine/ConversionRun.h"
#include "engine/commandManager.h"
#include "platform/Terminal.h"
#include "toolkit/Application.h"
#include "toolkit/Locations.h"
#include "toolkit/SignalWatcher.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <cstdio>

namespace {

constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

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
    const std::string programFolder = Application->ProgramFolder().toStdString();
    TEncoderSlot::TSettings settings { FindEncoder(), programFolder, options.SkipDone };
    // Without its encoder every row would fail the same way; the message says what to do instead.
    try {
        CheckEncoder(settings.Encoder);
    } catch (const EEncoderMissing& error) {
        Complain(error.Message());
        return ExitFailed;
    }
    // A catalogue that cannot be read is reported through the dialog seam and leaves no formats: every row then
    // fails, naming its format.
    TCommandManager catalogue;
    const int jobs = options.Jobs > 0 ? options.Jobs : QThread::idealThreadCount();
    TBatchRunner runner(std::move(rows), jobs, catalogue, settings);
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
    QCoreApplication::setApplicationVersion(REELHAND_VERSION);
    TApplication application;
    application.SetTitle("Quor Reelhand");
    TConsoleDialogs dialogs;
    application.SetSeam(&dialogs);
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
