// Writing a notification log of 10,000 records as XML, the store's own writer beside libplist 2.2 (the
// floor it is measured against): libplist from the value tree, as the product wrote before (the tree
// converted to libplist's nodes, then written), and libplist writing a tree of its own nodes alone.
// Before timing, both outputs are checked to read, in Python's plistlib and in libplist, to the same
// values; after, the ratios are printed by wall-clock and by CPU time (steadier on a busy machine).
#include "LibplistPropertyListReader.h"
#include "LibplistPropertyListWriter.h"
#include "LogRecords.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using LogRecords::kRecords;
using LogRecords::makeRecord;

const id& logTree()
{
    static const id tree = [] {
        std::vector<id> records;
        for (int i = 0; i < kRecords; ++i) {
            records.push_back(makeRecord(i));
        }
        return id(NSArray::arrayWithObjects(std::move(records)));
    }();
    return tree;
}

template <class Write>
void write(benchmark::State& state, Write writeXML)
{
    std::size_t size = 0;
    for (auto _ : state) {
        auto xml = writeXML();
        if (!xml) {
            state.SkipWithError(xml.error().reason().c_str());
            return;
        }
        size = xml.value().size();
        benchmark::DoNotOptimize(xml.value().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_WriteWithLibplist(benchmark::State& state)
{
    write(state, [] { return LibplistPropertyListWriter::toXML(logTree()); });
}
BENCHMARK(BM_WriteWithLibplist)->Unit(benchmark::kMillisecond);

void BM_WriteLibplistTreeAlone(benchmark::State& state)
{
    const std::string bytes = LibplistPropertyListWriter::toXML(logTree()).value();
    plist_t tree = nullptr;
    plist_from_xml(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &tree);
    write(state, [&]() -> Result<std::string> {
        char* xml = nullptr;
        std::uint32_t length = 0;
        plist_to_xml(tree, &xml, &length);
        std::string copy(xml, length);
        std::free(xml);
        return copy;
    });
    plist_free(tree);
}
BENCHMARK(BM_WriteLibplistTreeAlone)->Unit(benchmark::kMillisecond);

void BM_WriteWithWriter(benchmark::State& state)
{
    write(state, [] { return NSPropertyListSerialization::dataWithPropertyList(logTree()); });
}
BENCHMARK(BM_WriteWithWriter)->Unit(benchmark::kMillisecond);

class RecordingReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
                times[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            }
        }
    }

    void printRatios()
    {
        for (const char* name : {"BM_WriteWithLibplist", "BM_WriteLibplistTreeAlone", "BM_WriteWithWriter"}) {
            if (!times.count(name)) {
                return;
            }
        }
        const auto libplist = times["BM_WriteWithLibplist"], alone = times["BM_WriteLibplistTreeAlone"],
                   writer = times["BM_WriteWithWriter"];
        std::printf("\n%-5s %12s %14s %12s %19s %25s\n", "", "libplist", "libplist tree", "writer", "libplist / writer",
                    "libplist tree / writer");
        const auto row = [](const char* what, double l, double a, double w) {
            std::printf("%-5s %9.2f ms %11.2f ms %9.2f ms %18.1fx %24.1fx\n", what, l, a, w, l / w, a / w);
        };
        row("wall", libplist.first, alone.first, writer.first);
        row("cpu", libplist.second, alone.second, writer.second);
    }

    std::map<std::string, std::pair<double, double>> times;
};

// plistlib and libplist both read the writer's bytes to the values they read from libplist's.
bool outputsAgree()
{
    const auto ours = NSPropertyListSerialization::dataWithPropertyList(logTree());
    const auto theirs = LibplistPropertyListWriter::toXML(logTree());
    if (!ours || !theirs) {
        return false;
    }
    const auto libplistRead = LibplistPropertyListReader::fromXML(ours.value());
    bool agree = libplistRead && isEqual(libplistRead.value(), logTree());
    const fs::path folder = fs::temp_directory_path() / ("vantle-write-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "ours.plist", std::ios::binary) << ours.value();
    std::ofstream(folder / "theirs.plist", std::ios::binary) << theirs.value();
    const std::string check = "python3 -c 'import plistlib, sys; a, b = (plistlib.load(open(p, \"rb\")) for p in sys.argv[1:]); "
                              "sys.exit(a != b or len(a) != " + std::to_string(kRecords) + ")' " +
                              (folder / "ours.plist").string() + " " + (folder / "theirs.plist").string();
    agree = agree && std::system(check.c_str()) == 0;
    fs::remove_all(folder);
    std::printf("%d records, %zu bytes (libplist: %zu); plistlib and libplist read the same values: %s\n", kRecords,
                ours.value().size(), theirs.value().size(), agree ? "yes" : "NO");
    return agree;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!outputsAgree()) {
        return 1;
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
