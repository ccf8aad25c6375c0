#include "batch/BatchMain.h"

#include "batch/BatchConsole.h"
#include "batch/BatchOptions.h"
#include "batch/BatchRunner.h"
#include "batch/ListFileRows.h"
#include "batch/RowList.h"
#include "batch/WatchRows.h"
#include "engine/commandManager.h"
#include "engine/plan/EncoderTask.h"
#include "platform/FileSystem.h"
#include "platform/Signals.h"
#include "platform/Terminal.h"
#include "toolkit/ErrorReport.h"
#include "toolkit/FileNames.h"
#include "toolkit/Locations.h"
#include "toolkit/ProgramFolder.h"
#include "toolkit/SignalWatcher.h"
#include "toolkit/VisibleText.h"
#include "watch/SleepLock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>

namespace
{

constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;
constexpr int FilesForTheProgram = 32;
constexpr int FilesPerEncoder = 8;

// Every line of the message on a line of its own; within a line, what came from outside is shown escaped.
void Complain(const std::string& message)
{
    for (const QString& line : QString::fromStdString(message).split('\n'))
        std::fprintf(stderr, "reelhand: %s\n", VisibleText(line).toUtf8().constData());
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

// The catalogue as --format takes it: position, name, extension; 1 when there is none to list.
int ListFormats()
{
    TCommandManager catalogue;
    const std::vector<std::string>& names = catalogue.Formats();
    std::size_t width = 0;
    for (const std::string& name : names)
        width = std::max<std::size_t>(width, QString::fromStdString(VisibleText(name)).size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const QString name = QString::fromStdString(VisibleText(names[i])).leftJustified(qsizetype(width));
        std::printf("%3zu  %s  .%s\n", i, name.toStdString().c_str(),
            VisibleText(catalogue.GetExt(static_cast<int>(i))).c_str());
    }
    return names.empty() ? ExitFailed : 0;
}

int Convert(const TBatchOptions& options)
{
    std::unique_ptr<TRowSource> rows;
    TWatchRows* watch = nullptr;
    if (!options.WatchFolder.empty()) {
        auto watched = std::make_unique<TWatchRows>(options);
        watch = watched.get();
        rows = std::move(watched);
    } else if (options.ListPath.empty())
        rows = std::make_unique<TRowList>(FileRows(options.Files, options.Format, options.OutputFolder, options.Choices));
    else
        rows = std::make_unique<TListFileRows>(options.ListPath);
    const std::string programFolder = ProgramFolder().toStdString();
    // A catalogue that cannot be read is reported on standard error and leaves no formats: every row then fails,
    // naming its format.
    TCommandManager catalogue;
    const TBatchRunner::TSettings settings { { FindEncoder(), programFolder, &catalogue, options.Split,
                                                 options.SplitStep },
        options.SkipDone, options.Choices, options.ShardIndex, options.ShardCount };
    // Without its encoder every row would fail the same way; the message says what to do instead.
    try {
        CheckEncoder(settings.Conversion.Encoder);
    } catch (const EEncoderMissing& error) {
        Complain(error.Message());
        return ExitFailed;
    }
    if (options.ListPath.empty() && static_cast<std::size_t>(options.Format) >= catalogue.Formats().size()) {
        Complain(
            "--format " + std::to_string(options.Format) + " is not in the catalogue; reelhand --formats lists it.");
        return ExitUsage;
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
    std::string watchFault;
    if (watch && !watch->Start(watchFault)) {
        Complain(watchFault);
        return ExitUsage;
    }
    TBatchRunner runner(std::move(rows), jobs, settings);
    TBatchConsole console(ConsoleMode(options), runner);

    QEventLoop loop;
    int stoppedBy = 0;
    TSignalWatcher watcher([&](int signal) {
        if (stoppedBy == 0)
            stoppedBy = signal;
        if (watch)
            watch->Stop();
        runner.Stop(StopOutcome(signal));
    });
    QTimer redraw;
    QObject::connect(&redraw, &QTimer::timeout, [&] { console.Redraw(); });
    redraw.start(1000);
    runner.OnRowStarted = [&](const TBatchRow& row) { console.RowStarted(row); };
    runner.OnRowEnded = [&](const TBatchRow& row) {
        console.RowEnded(row);
        if (watch)
            watch->RowEnded(row);
    };
    if (watch) {
        watch->OnReady = [&] { runner.RowsReady(); };
        // A folder unmounted under a running row would fail it for good: the row is stopped, to be taken again.
        watch->OnEnded = [&] {
            watch->Stop();
            runner.Stop(TRunOutcome::Failure(watch->EndMessage()));
        };
    }
    runner.OnFinished = [&] { loop.quit(); };
    // A list that cannot be read among its first rows converts nothing; one found faulty further on ends the
    // batch after the rows before the fault.
    if (!runner.Start()) {
        Complain(runner.SourceError());
        return ExitUsage;
    }
    // A watch holds the lock only while it works; a list from its start to its end.
    TSleepLock awake;
    if (!watch)
        awake.Hold(ConvertingText(std::size_t(runner.Total())));
    if (!runner.Finished())
        loop.exec();
    awake.Release();

    const std::string listFault = runner.SourceError();
    console.Summary(stoppedBy ? StopOutcome(stoppedBy).Reason() : std::string());
    if (!listFault.empty()) {
        Complain(listFault);
        return ExitUsage;
    }
    if (watch && !watch->EndMessage().empty() && !stoppedBy) {
        Complain(watch->EndMessage());
        return ExitFailed;
    }
    // Ended by the signal itself, so that a calling shell or loop knows it was asked to stop, and stops too.
    if (stoppedBy)
        platform::TerminationSignals::EndBy(stoppedBy);
    return runner.Count(TRowState::Failed) > 0 ? ExitFailed : 0;
}

} // namespace

int RunBatch(int argc, char* argv[], TBatchProgram program)
{
    QCoreApplication qtApp(argc, argv);
    QCoreApplication::setApplicationVersion(REELHAND_VERSION);
    // What the window would show in a box (a catalogue that cannot be read) goes to standard error.
    SetErrorReporter(Complain);
    platform::IgnoreBrokenPipes();

    TBatchOptions options;
    try {
        options = ParseBatchOptions(ArgumentTexts(argc, argv), program == TBatchProgram::ConvertOnly);
    } catch (const EBatchUsage& error) {
        Complain(error.Message());
        std::fprintf(stderr, "Try '%s --help' for more.\n",
            program == TBatchProgram::ConvertOnly ? "reelhand-convert" : "reelhand");
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
    return options.ListFormats ? ListFormats() : Convert(options);
}
