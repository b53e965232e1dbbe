// Reading a notification log of 10,000 records (the XML the store writes) two ways, beside two floors
// (reading the file's bytes, and making the value tree without parsing): libplist 2.2 behind the guard
// (how XML was read before) and NSPropertyListSerialization (its size check, then XMLPropertyListReader,
// which keeps the depth and object caps in its one pass).
// Both parse the same bytes in memory and free what they built within the timed loop. Before timing, the two readers' values are
// checked equal; after, the ratios are printed, by wall-clock and by CPU time (steadier on a busy machine).
#include "LibplistPropertyListReader.h"
#include "LogRecords.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"
#include "PropertyListGuard.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using LogRecords::kRecords;
using LogRecords::makeRecord;

std::string logBytes()
{
    std::vector<id> records;
    for (int i = 0; i < kRecords; ++i) {
        records.push_back(makeRecord(i));
    }
    auto xml = NSPropertyListSerialization::dataWithPropertyList(NSArray::arrayWithObjects(std::move(records)));
    return xml ? xml.value() : std::string();
}

class LogFile {
public:
    LogFile() : path_(fs::temp_directory_path() / ("vantle-read-bench-" + std::to_string(getpid()) + ".plist"))
    {
        std::ofstream(path_, std::ios::binary) << logBytes();
    }
    ~LogFile()
    {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    std::string read() const
    {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    fs::path path_;
};

const LogFile& logFile()
{
    static const LogFile file;
    return file;
}

Result<id> readWithLibplist(const std::string& bytes)
{
    if (auto refused = PropertyListGuard::check(bytes, {})) {
        return *refused;
    }
    return LibplistPropertyListReader::fromXML(bytes);
}

const std::string& logBytesInMemory()
{
    static const std::string bytes = logFile().read();
    return bytes;
}

void setBytes(benchmark::State& state, std::size_t size)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_ReadFileFloor(benchmark::State& state)
{
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string bytes = logFile().read();
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    setBytes(state, size);
}
BENCHMARK(BM_ReadFileFloor)->Unit(benchmark::kMillisecond);

template <class Read>
void parse(benchmark::State& state, Read read)
{
    const std::string& bytes = logBytesInMemory();
    for (auto _ : state) {
        auto value = read(bytes);
        if (!value) {
            state.SkipWithError(value.error().reason().c_str());
            return;
        }
        benchmark::DoNotOptimize(value.value().get());
    }
    setBytes(state, bytes.size());
}

void BM_ParseWithLibplist(benchmark::State& state)
{
    parse(state, readWithLibplist);
}
BENCHMARK(BM_ParseWithLibplist)->Unit(benchmark::kMillisecond);

void BM_ParseWithReader(benchmark::State& state)
{
    parse(state, [](const std::string& bytes) { return NSPropertyListSerialization::propertyListWithData(bytes); });
}
BENCHMARK(BM_ParseWithReader)->Unit(benchmark::kMillisecond);

// The second floor: making and freeing the same value tree the plain way (one make_shared per value, no
// sharing), from its texts already cut out and decoded, with no parsing at all. The reader makes fewer
// allocations than this (repeated short strings shared, values cut from blocks), so it is a reference
// rather than a bound.
void BM_BuildValuesFloor(benchmark::State& state)
{
    struct Field {
        std::string key;
        std::string text; // empty for the date
        double date = 0;
    };
    std::vector<std::vector<Field>> fields;
    const auto log = as<NSArray>(NSPropertyListSerialization::propertyListWithData(logBytesInMemory()).value());
    for (const id& record : log->objects()) {
        auto& recordFields = fields.emplace_back();
        for (const auto& [key, value] : as<NSDictionary>(record)->entries()) {
            const auto date = as<NSDate>(value);
            recordFields.push_back({key, date ? "" : as<NSString>(value)->string(),
                                    date ? date->timeIntervalSinceReferenceDate() : 0});
        }
    }
    for (auto _ : state) {
        std::vector<id> records;
        for (const auto& recordFields : fields) {
            NSDictionary::Entries entries;
            for (const Field& field : recordFields) {
                id value = field.text.empty() ? id(NSDate::dateWithTimeIntervalSinceReferenceDate(field.date))
                                              : id(NSString::stringWithString(field.text));
                entries.insert_or_assign(entries.end(), field.key, std::move(value));
            }
            records.push_back(NSDictionary::dictionaryWithEntries(std::move(entries)));
        }
        const auto tree = NSArray::arrayWithObjects(std::move(records));
        benchmark::DoNotOptimize(tree.get());
    }
}
BENCHMARK(BM_BuildValuesFloor)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's mean wall-clock and CPU time per iteration, in milliseconds, for the ratios.
class RecordingReporter final : public benchmark::ConsoleReporter {
public:
    struct Times {
        double wall = 0;
        double cpu = 0;
    };

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
        const char* names[] = {"BM_ReadFileFloor", "BM_BuildValuesFloor", "BM_ParseWithLibplist", "BM_ParseWithReader"};
        for (const char* name : names) {
            if (!times.count(name)) {
                return;
            }
        }
        const Times file = times["BM_ReadFileFloor"], values = times["BM_BuildValuesFloor"],
                    libplist = times["BM_ParseWithLibplist"], reader = times["BM_ParseWithReader"];
        std::printf("\n%-5s %12s %12s %12s %12s %18s %16s\n", "", "read file", "build values", "libplist", "reader",
                    "libplist / reader", "reader / values");
        const auto row = [](const char* what, double f, double v, double l, double r) {
            std::printf("%-5s %9.2f ms %9.2f ms %9.2f ms %9.2f ms %17.1fx %15.1fx\n", what, f, v, l, r, l / r, r / v);
        };
        row("wall", file.wall, values.wall, libplist.wall, reader.wall);
        row("cpu", file.cpu, values.cpu, libplist.cpu, reader.cpu);
    }

    std::map<std::string, Times> times;
};

bool readersAgree()
{
    const std::string bytes = logFile().read();
    auto ours = NSPropertyListSerialization::propertyListWithData(bytes);
    auto theirs = readWithLibplist(bytes);
    const auto records = ours ? as<NSArray>(ours.value()) : nullptr;
    const bool agree = ours && theirs && records && records->count() == kRecords && isEqual(ours.value(), theirs.value());
    std::printf("%d records, %zu bytes; both readers give the same values: %s\n", kRecords, bytes.size(),
                agree ? "yes" : "NO");
    return agree;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!readersAgree()) {
        return 1;
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
