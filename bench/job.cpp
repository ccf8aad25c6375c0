// A batch of 20 short clips through the conversion job against a plain shell loop running the same 20 encoder
// commands, in the same run: the ratio of wall times, and the idle gap between one encoder's exit and the next
// start (measured with the scripted stand-in encoder, which logs both moments). Then the window's job converting
// two files at once against the command-line mode's --jobs 2 on 12 clips, each against itself with one file at
// a time; what the check of each finished file costs within a batch of 20; and the check of a 1 GB output.
#include "engine/DosCommand.h"
#include "engine/plan/EncoderPlan.h"
#include "engine/plan/EncoderTask.h"
#include "engine/media/OutputCheck.h"
#include "engine/command.h"
#include "engine/commandManager.h"
#include "list/ItemData.h"
#include "toolkit/Application.h"
#include "toolkit/VirtualStringTree.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <vector>

namespace
{

constexpr int Clips = 20;

struct TBench {
    QTemporaryDir Root;
    QString Program() const { return Root.path() + "/program"; }
    QString Convert() const { return Program() + "/convert"; }
    QStringList Sources;
    QStringList Scripts; // empty files: the stand-in's script for an instant good run
};

TBench* Bench = nullptr;

void PointEncoder(const QString& program)
{
    QString link = Bench->Program() + "/bin/ffmpeg";
    QFile::remove(link);
    QFile::link(program, link);
}

void ClearFolder(const QString& folder)
{
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files))
        dir.remove(name);
}

// Runs the job over the given sources and returns the wall time in seconds from Start to OnFinished.
double RunJob(const QStringList& sources, int filesAtOnce = 1)
{
    auto catalogue = std::make_unique<TCommandManager>();
    CommandManager = catalogue.get();
    TVirtualStringTree list;
    for (const QString& source : sources) {
        TItemNodeData* data = list.GetNodeData<TItemNodeData>(list.AddChild(nullptr));
        data->NodeType = 1;
        data->ImageIndex = Waiting;
        data->ItemData.FileName = source;
        data->ItemData.FormatIndex = 0;
    }
    TCommand job(&list);
    job.SetFilesAtOnce(filesAtOnce);
    bool finished = false;
    QEventLoop loop;
    job.OnFinished = [&](TDosCommand*, bool) {
        finished = true;
        loop.quit();
    };
    auto begin = std::chrono::steady_clock::now();
    job.Start();
    // A blocking loop, not a polling one: a spinning main thread would take the encoder's processor time.
    if (!finished)
        loop.exec();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    CommandManager = nullptr;
    return seconds;
}

std::string ShellQuoted(const std::string& argument)
{
    std::string quoted = "'";
    for (char c : argument)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The same encoder commands as the job builds, one after the other in a shell.
double RunShell(const QStringList& sources)
{
    TCommandManager catalogue;
    std::string script;
    for (const QString& source : sources) {
        std::string name = source.mid(source.lastIndexOf('/') + 1).toStdString();
        name = name.substr(0, name.rfind('.')) + "." + catalogue.GetExt(0);
        const std::vector<std::string> arguments
            = EncoderArguments((Bench->Program() + "/bin/ffmpeg").toStdString(), source.toStdString(),
                SplitCommandLine(catalogue.GetParams(0)), (Bench->Convert() + "/").toStdString() + name);
        // The shell gets the very arguments the runner passes, each in single quotes: the catalogue's filter
        // expressions hold parentheses and asterisks that the shell would otherwise read itself.
        for (const std::string& argument : arguments)
            script += ShellQuoted(argument) + " ";
        script += ">/dev/null 2>&1\n";
    }
    auto begin = std::chrono::steady_clock::now();
    QProcess::execute("/bin/sh", { "-c", QString::fromStdString(script) });
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

void BM_TwentyClipsJobVersusShell(benchmark::State& state)
{
    PointEncoder(REELHAND_FFMPEG);
    double job = 0, shell = 0;
    for (auto _ : state) {
        ClearFolder(Bench->Convert());
        double j = RunJob(Bench->Sources);
        ClearFolder(Bench->Convert());
        double s = RunShell(Bench->Sources);
        state.SetIterationTime(j + s);
        job += j;
        shell += s;
    }
    state.counters["job_s"] = job / state.iterations();
    state.counters["shell_s"] = shell / state.iterations();
    state.counters["ratio"] = job / shell;
}
BENCHMARK(BM_TwentyClipsJobVersusShell)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The command-line mode on the same sources, from the same program folder, as a list file.
double RunCommandLine(const QStringList& sources, int jobs)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<list>\r\n";
    for (const QString& source : sources)
        xml += "  <item>\r\n    <filename>" + source.toHtmlEscaped().toUtf8()
            + "</filename>\r\n    <format>0</format>\r\n    <path></path>\r\n  </item>\r\n";
    const QString list = Bench->Root.path() + "/list.qfl";
    QFile file(list);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(xml + "</list>\r\n");
    file.close();
    auto begin = std::chrono::steady_clock::now();
    QProcess::execute(Bench->Program() + "/reelhand", { "--convert", list, "--jobs", QString::number(jobs), "-q" });
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

void BM_TwelveClipsWindowTwoAtOnceVersusCommandLine(benchmark::State& state)
{
    PointEncoder(REELHAND_FFMPEG);
    const QStringList twelve = Bench->Sources.mid(0, 12);
    double window1 = 0, window2 = 0, cli1 = 0, cli2 = 0;
    for (auto _ : state) {
        double times[4];
        ClearFolder(Bench->Convert());
        times[0] = RunJob(twelve, 2);
        ClearFolder(Bench->Convert());
        times[1] = RunCommandLine(twelve, 2);
        ClearFolder(Bench->Convert());
        times[2] = RunJob(twelve, 1);
        ClearFolder(Bench->Convert());
        times[3] = RunCommandLine(twelve, 1);
        window2 += times[0];
        cli2 += times[1];
        window1 += times[2];
        cli1 += times[3];
        state.SetIterationTime(times[0] + times[1] + times[2] + times[3]);
    }
    state.counters["window2_s"] = window2 / state.iterations();
    state.counters["cli2_s"] = cli2 / state.iterations();
    state.counters["window2_vs_cli2"] = window2 / cli2;
    state.counters["window_speedup"] = window1 / window2;
    state.counters["cli_speedup"] = cli1 / cli2;
}
BENCHMARK(BM_TwelveClipsWindowTwoAtOnceVersusCommandLine)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The probe of each source and the check of each finished file, as a batch makes them, against the batch's time.
void BM_CheckAfterEachFileInABatchOfTwenty(benchmark::State& state)
{
    PointEncoder(REELHAND_FFMPEG);
    TCommandManager catalogue;
    TEncoderTask task;
    task.Params = catalogue.GetParams(0);
    task.Plan = catalogue.GetPlan(0);
    double batch = 0, check = 0;
    for (auto _ : state) {
        ClearFolder(Bench->Convert());
        batch += RunJob(Bench->Sources);
        auto begin = std::chrono::steady_clock::now();
        for (const QString& source : Bench->Sources) {
            const QString name = source.mid(source.lastIndexOf('/') + 1)
                                     .replace(".avi", "." + QString::fromStdString(catalogue.GetExt(0)));
            task.OutputName = name.toStdString();
            const TMediaInfo probed = ProbeMedia(source.toStdString(), TProbeDepth::Untrusted);
            if (OutputFault(probed, PlanEncoding(task, probed).Tracks, (Bench->Convert() + "/" + name).toStdString()))
                state.SkipWithError("a finished file failed its check");
        }
        check += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        state.SetIterationTime(batch);
    }
    state.counters["batch_s"] = batch / state.iterations();
    state.counters["check_s"] = check / state.iterations();
    state.counters["check_share_pct"] = 100 * check / batch;
}
BENCHMARK(BM_CheckAfterEachFileInABatchOfTwenty)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The check of a 1 GB output, read to its end as every finished file is: its time and pace, and its share of the
// time the encoder took to write the file (a copy of every packet, as fast as any format makes one).
void BM_CheckOfAGigabyteOutput(benchmark::State& state)
{
    const QString source = Bench->Root.path() + "/clips/gigabyte source.mkv";
    const QString output = Bench->Root.path() + "/clips/gigabyte output.mkv";
    if (!QFile::exists(source)
        && QProcess::execute(REELHAND_FFMPEG,
               { "-nostdin", "-v", "error", "-f", "lavfi", "-i", "testsrc2=size=1280x720:rate=25:duration=30", "-f",
                   "lavfi", "-i", "sine=duration=30", "-c:v", "rawvideo", "-pix_fmt", "yuv420p", "-c:a", "pcm_s16le",
                   source })
            != 0)
        return state.SkipWithError("no source");
    TEncoderTask task;
    task.Params = "-map 0 -c copy";
    task.OutputName = "output.mkv";
    double encode = 0, check = 0;
    for (auto _ : state) {
        QFile::remove(output);
        auto begin = std::chrono::steady_clock::now();
        QProcess::execute(
            REELHAND_FFMPEG, { "-nostdin", "-v", "error", "-i", source, "-map", "0", "-c", "copy", output });
        encode += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        begin = std::chrono::steady_clock::now();
        const TMediaInfo probed = ProbeMedia(source.toStdString(), TProbeDepth::Untrusted);
        if (OutputFault(probed, PlanEncoding(task, probed).Tracks, output.toStdString()))
            state.SkipWithError("the copy failed its check");
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        check += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["output_MB"] = QFileInfo(output).size() / 1e6;
    state.counters["copy_s"] = encode / state.iterations();
    state.counters["check_s"] = check / state.iterations();
    state.counters["check_MB_per_s"] = QFileInfo(output).size() / 1e6 / (check / state.iterations());
    state.counters["check_vs_copy_pct"] = 100 * check / encode;
}
BENCHMARK(BM_CheckOfAGigabyteOutput)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

#ifdef REELHAND_FAKEENCODER
// Gaps in milliseconds between one run's end and the next run's start, from the stand-in's log.
std::vector<double> Gaps(const QString& log)
{
    std::vector<qint64> starts, ends;
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : file.readAll().split('\n')) {
        QList<QByteArray> words = line.split('\t').value(0).split(' ');
        if (words.value(0) == "start")
            starts.push_back(words.value(1).toLongLong());
        else if (words.value(0) == "end")
            ends.push_back(words.value(1).toLongLong());
    }
    std::vector<double> gaps;
    for (size_t i = 1; i < starts.size() && i <= ends.size(); ++i)
        gaps.push_back((starts[i] - ends[i - 1]) / 1e6);
    return gaps;
}

void BM_IdleGapBetweenEncoders(benchmark::State& state)
{
    PointEncoder(REELHAND_FAKEENCODER);
    QString log = Bench->Program() + "/bin/encoder.log";
    std::vector<double> jobGaps, shellGaps;
    for (auto _ : state) {
        ClearFolder(Bench->Convert());
        QFile::remove(log);
        double j = RunJob(Bench->Scripts);
        std::vector<double> g = Gaps(log);
        jobGaps.insert(jobGaps.end(), g.begin(), g.end());
        ClearFolder(Bench->Convert());
        QFile::remove(log);
        double s = RunShell(Bench->Scripts);
        g = Gaps(log);
        shellGaps.insert(shellGaps.end(), g.begin(), g.end());
        state.SetIterationTime(j + s);
    }
    auto mean = [](const std::vector<double>& v) {
        double sum = 0;
        for (double x : v)
            sum += x;
        return v.empty() ? 0.0 : sum / v.size();
    };
    auto max = [](const std::vector<double>& v) { return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end()); };
    state.counters["job_gap_ms"] = mean(jobGaps);
    state.counters["job_gap_max_ms"] = max(jobGaps);
    state.counters["shell_gap_ms"] = mean(shellGaps);
    state.counters["shell_gap_max_ms"] = max(shellGaps);
}
BENCHMARK(BM_IdleGapBetweenEncoders)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
#endif

bool Prepare(TBench& bench)
{
    QDir root(bench.Root.path());
    if (!root.mkpath("program/bin") || !root.mkpath("program/convert") || !root.mkpath("clips"))
        return false;
    if (!QFile::copy(REELHAND_SOURCE_DIR "/resources/command", bench.Program() + "/command"))
        return false;
    if (!QFile::copy(REELHAND_PROGRAM_DIR "/reelhand", bench.Program() + "/reelhand"))
        return false;
    for (int i = 0; i < Clips; ++i) {
        QString clip = bench.Root.path() + QString("/clips/clip%1.avi").arg(i, 2, 10, QChar('0'));
        int code = QProcess::execute(REELHAND_FFMPEG,
            { "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                QString("testsrc=size=160x120:rate=25:duration=1:decimals=%1").arg(i % 3), "-f", "lavfi", "-i",
                "sine=duration=1", "-c:v", "mpeg4", "-c:a", "pcm_s16le", "-shortest", clip });
        if (code != 0)
            return false;
        bench.Sources << clip;
        // A real clip, so that the stand-in's runs pass the check; its empty script makes them instant.
        QString script = bench.Root.path() + QString("/clips/instant%1.avi").arg(i, 2, 10, QChar('0'));
        QFile::copy(clip, script);
        QFile(script + ".script").open(QIODevice::WriteOnly);
        bench.Scripts << script;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    TApplication application;
    application.SetTitle("Quor Reelhand");
    TBench bench;
    if (!Prepare(bench))
        return 1;
    Bench = &bench;
    application.SetProgramFolder(bench.Program());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
