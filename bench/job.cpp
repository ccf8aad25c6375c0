// A batch of 20 short clips through the conversion job against a plain shell loop running the same 20 encoder
// commands, in the same run: the ratio of wall times, and the idle gap between one encoder's exit and the next
// start (measured with the scripted stand-in encoder, which logs both moments).
#include "engine/DosCommand.h"
#include "engine/EncoderTask.h"
#include "engine/command.h"
#include "engine/commandManager.h"
#include "list/ItemData.h"
#include "toolkit/Application.h"
#include "toolkit/VirtualStringTree.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
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
double RunJob(const QStringList& sources)
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
        const std::string commandLine = EncoderCommandLine((Bench->Program() + "/bin/ffmpeg").toStdString(),
            source.toStdString(), catalogue.GetParams(0), (Bench->Convert() + "/").toStdString() + name);
        // The shell gets the very arguments the runner passes, each in single quotes: the catalogue's filter
        // expressions hold parentheses and asterisks that the shell would otherwise read itself.
        for (const std::string& argument : SplitCommandLine(commandLine))
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
    for (int i = 0; i < Clips; ++i) {
        QString clip = bench.Root.path() + QString("/clips/clip%1.avi").arg(i, 2, 10, QChar('0'));
        int code = QProcess::execute(REELHAND_FFMPEG,
            { "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                QString("testsrc=size=160x120:rate=25:duration=1:decimals=%1").arg(i % 3), "-f", "lavfi", "-i",
                "sine=duration=1", "-c:v", "mpeg4", "-c:a", "pcm_s16le", "-shortest", clip });
        if (code != 0)
            return false;
        bench.Sources << clip;
        QString script = bench.Root.path() + QString("/clips/instant%1.avi").arg(i, 2, 10, QChar('0'));
        QFile(script).open(QIODevice::WriteOnly);
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
