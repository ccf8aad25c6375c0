// The child process runner against QProcess, in the same run and with the same child:
//   Latency     - from the child's write to the line handler on the user-interface thread (median, p99)
//   LongLines   - 20 MB in lines of 1 KiB, written in big chunks
//   ShortLines  - 4 MB in lines of 20 bytes, written in big chunks
//   SilentChild - processor time of this whole program while a child sleeps 3 s (scaled to a 10 s child)
// The child is the tests' scripted child, built next to the tests.
#include "engine/DosCommand.h"
#include "toolkit/Application.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <string>
#include <vector>

namespace {

const char* childProgram = REELHAND_CHILDPROG;

QStringList Flags(const std::vector<std::string>& flags)
{
    QStringList list;
    for (const std::string& flag : flags)
        list << QString::fromStdString(flag);
    return list;
}

std::string Command(const std::vector<std::string>& flags)
{
    std::string line = QuoteArgument(childProgram);
    for (const std::string& flag : flags)
        line += " " + QuoteArgument(flag);
    return line;
}

using LineHandler = std::function<void(const std::string&)>;

// Runs the child through the runner until it ends; every complete line goes to onLine.
void RunWithRunner(const std::vector<std::string>& flags, const LineHandler& onLine)
{
    QEventLoop loop;
    TDosCommand runner;
    runner.SetCommandLine(Command(flags));
    runner.OnNewLine = [&](TDosCommand*, const std::string& text, TOutputType type) {
        if (type == otEntireLine)
            onLine(text);
    };
    runner.OnTerminated = [&](TDosCommand*, uint32_t) { loop.quit(); };
    runner.Start();
    loop.exec();
}

// The same with QProcess, reading whole lines as they become available.
void RunWithQProcess(const std::vector<std::string>& flags, const LineHandler& onLine)
{
    QEventLoop loop;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    auto drain = [&] {
        while (process.canReadLine()) {
            QByteArray line = process.readLine();
            line.chop(1);
            onLine(line.toStdString());
        }
    };
    QObject::connect(&process, &QProcess::readyReadStandardOutput, drain);
    QObject::connect(&process, &QProcess::finished, [&] {
        drain();
        loop.quit();
    });
    process.start(childProgram, Flags(flags));
    loop.exec();
}

using Runner = void (*)(const std::vector<std::string>&, const LineHandler&);

void Latency(benchmark::State& state, Runner run)
{
    std::vector<double> micros;
    for (auto _ : state) {
        run({"--stamps", "400", "5"}, [&](const std::string& line) {
            auto now = std::chrono::steady_clock::now().time_since_epoch();
            long long written = std::stoll(line);
            micros.push_back(static_cast<double>(std::chrono::nanoseconds(now).count() - written) / 1000.0);
        });
    }
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
}

void Throughput(benchmark::State& state, Runner run, long bytes, long lineLength)
{
    long lines = 0;
    for (auto _ : state)
        run({"--burst", std::to_string(bytes), std::to_string(lineLength)}, [&](const std::string&) { ++lines; });
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    state.counters["lines_per_s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}

void SilentChild(benchmark::State& state, Runner run)
{
    double cpuSeconds = 0;
    double wallSeconds = 0;
    for (auto _ : state) {
        std::clock_t cpuBefore = std::clock();
        auto wallBefore = std::chrono::steady_clock::now();
        run({"--sleep", "3000"}, [](const std::string&) {});
        cpuSeconds += static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    }
    state.counters["cpu_percent_of_a_core"] = 100.0 * cpuSeconds / wallSeconds;
    state.counters["cpu_ms_per_10s_child"] = 1000.0 * cpuSeconds * (10.0 / wallSeconds);
}

} // namespace

BENCHMARK_CAPTURE(Latency, runner, RunWithRunner)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Latency, qprocess, RunWithQProcess)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Throughput, runner_long_lines, RunWithRunner, 20L << 20, 1024)
    ->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Throughput, qprocess_long_lines, RunWithQProcess, 20L << 20, 1024)
    ->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Throughput, runner_short_lines, RunWithRunner, 4L << 20, 20)
    ->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Throughput, qprocess_short_lines, RunWithQProcess, 4L << 20, 20)
    ->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(SilentChild, runner, RunWithRunner)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(SilentChild, qprocess, RunWithQProcess)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char* argv[])
{
    QApplication qtApp(argc, argv);
    TApplication application;
    application.SetTitle("Quor Reelhand");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
