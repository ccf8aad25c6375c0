#include "list/ItemData.h"
#include "list/ListKeeper.h"
#include "list/itemManager.h"
#include "list/saveManager.h"
#include "list/treeManager.h"
#include "toolkit/Application.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>
#include <sys/resource.h>
#include <time.h>

namespace {

std::vector<std::string> FileNames(int count)
{
    std::vector<std::string> files;
    files.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        files.push_back("/home/user/Videos/holiday/clip " + std::to_string(i) + ".avi");
    return files;
}

// A shown list of the main window's size with the model installed, as the program has it.
struct TShownList {
    TShownList() : model(&tree)
    {
        tree.resize(828, 249);
        tree.show();
        QApplication::processEvents();
    }
    TVirtualStringTree tree;
    TTreeManager model;
};

void AddFiles(benchmark::State& state)
{
    const int count = int(state.range(0));
    const std::vector<std::string> files = FileNames(count);
    TItemManager staging;
    ItemManager = &staging;
    TShownList list;
    for (auto _ : state) {
        state.PauseTiming();
        list.tree.Clear();
        for (int i = 0; i < count; ++i)
            staging.StageItem(files[size_t(i)], i % 10, "/home/user/Videos/out/");
        state.ResumeTiming();
        list.model.AddFiles(files);
        QApplication::processEvents();
    }
    ItemManager = nullptr;
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(AddFiles)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void FillRows(TVirtualStringTree& tree, const std::vector<std::string>& files, bool withFolders = true)
{
    TTreeUpdate update(&tree);
    for (size_t i = 0; i < files.size(); ++i) {
        TItemNodeData* data = tree.GetNodeData<TItemNodeData>(tree.AddChild(nullptr));
        data->NodeType = 1;
        data->ItemData.FileName = QString::fromStdString(files[i]);
        data->ItemData.FormatIndex = int32_t(i % 10);
        data->ItemData.Path = withFolders && i % 2 ? QString("/home/user/Videos/out/") : QString();
    }
}

void ExportList(benchmark::State& state)
{
    QTemporaryDir dir;
    TShownList list;
    FillRows(list.tree, FileNames(int(state.range(0))));
    TSaveManager saver(&list.tree);
    const std::string path = dir.filePath("bench.qfl").toStdString();
    for (auto _ : state)
        saver.SaveList(path);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ExportList)->Arg(100000)->Unit(benchmark::kMillisecond);

void ImportList(benchmark::State& state)
{
    QTemporaryDir dir;
    TShownList list;
    FillRows(list.tree, FileNames(int(state.range(0))));
    TSaveManager saver(&list.tree);
    const std::string path = dir.filePath("bench.qfl").toStdString();
    saver.SaveList(path);
    for (auto _ : state) {
        state.PauseTiming();
        list.tree.Clear();
        state.ResumeTiming();
        saver.LoadList(path);
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ImportList)->Arg(100000)->Unit(benchmark::kMillisecond);

// Heap bytes per row of a list with 100,000 rows; with empty names the figure is the row's own cost, with
// names it includes the strings.
void MemoryPerRow(benchmark::State& state)
{
    const int count = 100000;
    const bool named = state.range(0) != 0;
    const std::vector<std::string> files = named ? FileNames(count) : std::vector<std::string>(size_t(count));
    double perRow = 0;
    for (auto _ : state) {
        TShownList list;
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        FillRows(list.tree, files, named);
        const size_t after = mallinfo2().uordblks;
        perRow = double(after - before) / count;
    }
    state.counters["bytes_per_row"] = perRow;
}
BENCHMARK(MemoryPerRow)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// Import of a list file whose one item holds a file name of the given megabytes: refused, in the time of one read
// and parse of the file. The peak memory counter is the process's, so run this benchmark on its own to read it.
void ImportRefusesAHugeName(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("huge.qfl");
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("<list><item><filename>/");
        file.write(QByteArray(qsizetype(state.range(0)) << 20, 'n'));
        file.write("</filename><format>0</format><path/></item></list>");
    }
    TShownList list;
    TSaveManager loader(&list.tree);
    for (auto _ : state) {
        try {
            loader.LoadList(path.toStdString());
            state.SkipWithError("the huge name was imported");
        } catch (const EListFileError&) {
        }
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_mb"] = double(usage.ru_maxrss) / 1024;
}
BENCHMARK(ImportRefusesAHugeName)->Arg(256)->Iterations(3)->Unit(benchmark::kMillisecond);

double ThreadSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Drives the rows for the given time as the window's job does in a batch whose rows fail at once: every 10 ms a row
// ends (state and reason) and the next starts, each repainted and the new one selected; every 100 ms the running
// row gets a progress tick. Returns the time the window's thread spent, in seconds.
double RunBatch(TVirtualStringTree& tree, int lengthMs)
{
    const double start = ThreadSeconds();
    int step = 0;
    QTimer job;
    QObject::connect(&job, &QTimer::timeout, [&] {
        const PVirtualNode ended = tree.GetNodeAtIndex(step % int(tree.RootNodeCount()));
        TItemNodeData* data = tree.GetNodeData<TItemNodeData>(ended);
        data->ImageIndex = step % 3 ? Done : Failed;
        data->ItemData.Reason = step % 3 ? QString() : QString("The source file does not exist.");
        tree.RepaintNode(ended);
        const PVirtualNode next = tree.GetNodeAtIndex((step + 1) % int(tree.RootNodeCount()));
        tree.GetNodeData<TItemNodeData>(next)->ImageIndex = Converting;
        tree.RepaintNode(next);
        tree.SetSelected(next, true);
        tree.ScrollIntoView(next);
        if (++step % 10 == 0) {
            tree.GetNodeData<TItemNodeData>(next)->ItemData.Progress = QString("%1 %").arg(step % 100);
            tree.RepaintNode(next);
        }
    });
    job.start(10);
    QEventLoop loop;
    QTimer::singleShot(lengthMs, &loop, &QEventLoop::quit);
    loop.exec();
    return ThreadSeconds() - start;
}

// What keeping the list costs the window's thread during a batch over 100,000 rows: window_share_pct is the thread's
// time with the keeper less its time for the same batch without one, as a share of the batch's length; saves is how
// often the rows were taken to be written (each a pass over them on the window's thread).
void KeptListDuringABatch(benchmark::State& state)
{
    constexpr int lengthMs = 5000;
    QTemporaryDir dir;
    // Not shown: painting would cost both runs alike and only blur the difference.
    TVirtualStringTree tree;
    FillRows(tree, FileNames(100000));
    double share = 0;
    int saves = 0;
    for (auto _ : state) {
        const double without = RunBatch(tree, lengthMs);
        TListKeeper keeper(&tree, dir.filePath("list.qfl"));
        const double with = RunBatch(tree, lengthMs);
        saves = keeper.Saves();
        share = 100 * (with - without) / (lengthMs / 1000.0);
    }
    state.counters["window_share_pct"] = share;
    state.counters["saves"] = saves;
}
BENCHMARK(KeptListDuringABatch)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    TApplication application;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
