// Loading and saving a list file of 100,000 items, with pugixml and tinyxml2 reading the same file for scale,
// and inputs built to catch work that grows faster than the input.
#include "list/JclSimpleXML.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <pugixml.hpp>
#include <tinyxml2.h>

namespace {

constexpr int Items = 100000;

QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    return folder;
}

std::string PathIn(const char* name)
{
    return Folder().filePath(name).toStdString();
}

// The list file as an export writes it: non-ASCII bytes and ampersands in some names, an empty path in some.
const std::string& ListFile()
{
    static const std::string path = [] {
        TJclSimpleXML document;
        document.SetPrologEncoding("UTF-8");
        document.SetRootName("list");
        for (int i = 0; i < Items; ++i) {
            TJclSimpleXMLElemClassic* item = document.Root().AppendChild("item");
            std::string name = "/home/anna/Videos/Holidays 2024/Camera roll/clip " + std::to_string(i);
            if (i % 3 == 0)
                name += " caf\xC3\xA9 & friends";
            item->AppendChild("filename")->SetValue(name + ".mts");
            item->AppendChild("format")->SetValue(std::to_string(i % 20));
            item->AppendChild("path")->SetValue(i % 2 ? "/media/anna/Backup drive/Converted videos" : "");
        }
        const std::string file = PathIn("list.qfl");
        document.SaveDocument(file);
        return file;
    }();
    return path;
}

void FileSizeCounter(benchmark::State& state)
{
    state.counters["MB"] = static_cast<double>(QFileInfo(QString::fromStdString(ListFile())).size()) / 1e6;
}

void LoadOurs(benchmark::State& state)
{
    for (auto _ : state) {
        TJclSimpleXML document;
        document.LoadDocument(ListFile());
        benchmark::DoNotOptimize(document.Root().NumChildren());
    }
    FileSizeCounter(state);
}
BENCHMARK(LoadOurs)->Unit(benchmark::kMillisecond);

void LoadPugixml(benchmark::State& state)
{
    for (auto _ : state) {
        pugi::xml_document document;
        if (!document.load_file(ListFile().c_str()))
            state.SkipWithError("pugixml failed");
        benchmark::DoNotOptimize(document.first_child());
    }
    FileSizeCounter(state);
}
BENCHMARK(LoadPugixml)->Unit(benchmark::kMillisecond);

void LoadTinyxml2(benchmark::State& state)
{
    for (auto _ : state) {
        tinyxml2::XMLDocument document;
        if (document.LoadFile(ListFile().c_str()) != tinyxml2::XML_SUCCESS)
            state.SkipWithError("tinyxml2 failed");
        benchmark::DoNotOptimize(document.RootElement());
    }
    FileSizeCounter(state);
}
BENCHMARK(LoadTinyxml2)->Unit(benchmark::kMillisecond);

// Includes flushing the file to disk before it replaces the old one.
void SaveOurs(benchmark::State& state)
{
    TJclSimpleXML document;
    document.LoadDocument(ListFile());
    const std::string target = PathIn("saved.qfl");
    for (auto _ : state)
        document.SaveDocument(target);
    FileSizeCounter(state);
}
BENCHMARK(SaveOurs)->Unit(benchmark::kMillisecond);

void SaveOursToMemory(benchmark::State& state)
{
    TJclSimpleXML document;
    document.LoadDocument(ListFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(document.SaveToString());
}
BENCHMARK(SaveOursToMemory)->Unit(benchmark::kMillisecond);

void SavePugixml(benchmark::State& state)
{
    pugi::xml_document document;
    document.load_file(ListFile().c_str());
    const std::string target = PathIn("pugixml.qfl");
    for (auto _ : state)
        document.save_file(target.c_str());
}
BENCHMARK(SavePugixml)->Unit(benchmark::kMillisecond);

void SaveTinyxml2(benchmark::State& state)
{
    tinyxml2::XMLDocument document;
    document.LoadFile(ListFile().c_str());
    const std::string target = PathIn("tinyxml2.qfl");
    for (auto _ : state)
        document.SaveFile(target.c_str());
}
BENCHMARK(SaveTinyxml2)->Unit(benchmark::kMillisecond);

// Hostile inputs of n bytes; the fitted complexity must come out linear.
std::string Hostile(int kind, size_t n)
{
    std::string xml;
    switch (kind) {
    case 0: // nesting far past the limit
        while (xml.size() < n)
            xml += "<a>";
        break;
    case 1: // one huge attribute value full of references that are almost references
        xml = "<a v=\"";
        while (xml.size() < n)
            xml += "&#1234&amp&#x;&";
        xml += "\"/>";
        break;
    case 2: // a flat element with very many children of few names, then lookups
        xml = "<a>";
        for (int i = 0; xml.size() < n; ++i)
            xml += "<n" + std::to_string(i % 7) + "/>";
        xml += "</a>";
        break;
    }
    return xml;
}

void LoadHostile(benchmark::State& state)
{
    const std::string xml = Hostile(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
    for (auto _ : state) {
        TJclSimpleXML document;
        try {
            document.LoadFromString(xml);
            benchmark::DoNotOptimize(document.Root().ChildNamed("n3"));
        } catch (const EJclSimpleXMLError&) {
        }
    }
    state.SetComplexityN(state.range(1));
}
BENCHMARK(LoadHostile)
    ->ArgsProduct({{0, 1, 2}, {1 << 20, 4 << 20, 16 << 20}})
    ->Unit(benchmark::kMillisecond)
    ->ArgNames({"kind", "bytes"});

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
