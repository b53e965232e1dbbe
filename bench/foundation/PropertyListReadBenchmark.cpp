// Reading a notification log of 10,000 records (the XML the store writes, from a file in the system's
// temporary folder) three ways: the floor of reading the bytes alone, libplist 2.2 behind the guard (how
// the log was read before), and NSPropertyListSerialization (the guard and XMLPropertyListReader). Each
// read includes reading the file. Before timing, both readers' values are checked equal; after, the
// ratios are printed.
#include "LibplistPropertyListReader.h"
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

constexpr int kRecords = 10000;
constexpr int kApplications = 10;

// Shaped like the store's records; every seventh body has characters XML escapes, and every fifth record
// no bundle identifier (a system alert).
id makeRecord(int i)
{
    NSDictionary::Entries entries{
        {"Application", NSString::stringWithString("Application " + std::to_string(i % kApplications))},
        {"Body", NSString::stringWithString("Message " + std::to_string(i) +
                                            (i % 7 == 0 ? ": Tom & Jerry <3 \"quoted\" caf\xC3\xA9"
                                                        : ": are we still meeting at the station at six?"))},
        {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(800000000.0 + i)},
    };
    if (i % 5 != 0) {
        entries.emplace("Bundle Identifier", NSString::stringWithString("com.example.app" + std::to_string(i % kApplications)));
    }
    return NSDictionary::dictionaryWithEntries(std::move(entries));
}

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

void setBytes(benchmark::State& state, std::size_t size)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_ReadBytesFloor(benchmark::State& state)
{
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string bytes = logFile().read();
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    setBytes(state, size);
}
BENCHMARK(BM_ReadBytesFloor)->Unit(benchmark::kMillisecond);

void BM_ReadWithLibplist(benchmark::State& state)
{
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string bytes = logFile().read();
        size = bytes.size();
        auto value = readWithLibplist(bytes);
        if (!value) {
            state.SkipWithError(value.error().reason().c_str());
            return;
        }
        benchmark::DoNotOptimize(value.value().get());
    }
    setBytes(state, size);
}
BENCHMARK(BM_ReadWithLibplist)->Unit(benchmark::kMillisecond);

void BM_ReadWithReader(benchmark::State& state)
{
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string bytes = logFile().read();
        size = bytes.size();
        auto value = NSPropertyListSerialization::propertyListWithData(bytes);
        if (!value) {
            state.SkipWithError(value.error().reason().c_str());
            return;
        }
        benchmark::DoNotOptimize(value.value().get());
    }
    setBytes(state, size);
}
BENCHMARK(BM_ReadWithReader)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's mean real time per iteration, in milliseconds, for the ratios.
class RecordingReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
                milliseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
    }
    std::map<std::string, double> milliseconds;
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
    auto& ms = reporter.milliseconds;
    if (ms.count("BM_ReadBytesFloor") && ms.count("BM_ReadWithLibplist") && ms.count("BM_ReadWithReader")) {
        std::printf("\nreader %.2f ms, libplist %.2f ms, floor %.3f ms\n", ms["BM_ReadWithReader"],
                    ms["BM_ReadWithLibplist"], ms["BM_ReadBytesFloor"]);
        std::printf("libplist / reader: %.1fx faster (goal: at least 8x); reader / floor: %.1fx\n",
                    ms["BM_ReadWithLibplist"] / ms["BM_ReadWithReader"], ms["BM_ReadWithReader"] / ms["BM_ReadBytesFloor"]);
    }
    benchmark::Shutdown();
    return 0;
}
