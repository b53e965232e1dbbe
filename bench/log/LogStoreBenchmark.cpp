// The notification log store on a temporary device root: appending one record to a new-notifications
// file that already holds 10, 1,000 or 10,000 records, and deleting one application's records (a tenth)
// from 10,000. Each is beside its floor: the very bytes the store leaves in the file, written crash-safely
// with plain system calls (temporary file in the same folder, write, fsync, rename, fsync of the folder)
// and no property-list work. A second floor also reads the previous file whole first, as any rewrite of a
// whole-file document must. The two property-list steps are timed on their own to show where the rest goes.
//
// The file is put back to its starting size outside the timed region before every iteration, so every
// iteration measures the same work. Bytes per iteration are the bytes of the file written.
//
// Google Benchmark runs these on the process's initial thread, which is this platform's main thread: the
// store's in-process broadcast, posted on the main thread while the caller waits, then runs at once, and
// what it queues for the main run loop is run inside the timed region after each call.
#include "CrossProcessChannels.h"
#include "DeviceRoot.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSPropertyListSerialization.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "NSThread.h"
#include "PLWriter.h"
#include "VTWindowLink.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kApplications = 10;
constexpr const char* kDeletedApplication = "com.example.app0"; // records 0, 10, 20, ...

// A fresh device root holding the log folder, made in the system's temporary folder (TMPDIR decides which
// file system is measured) and removed with everything in it afterwards.
class ScratchDeviceRoot {
public:
    ScratchDeviceRoot()
    {
        std::string pattern = (fs::temp_directory_path() / "vantle-log-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            error_ = "cannot create a temporary device root: " + std::string(std::strerror(errno));
            return;
        }
        path_ = pattern;
        DeviceRoot::setRoot(path_);
        std::error_code failed;
        fs::create_directories(DeviceRoot::resolve(PLWriter::kLogFolder), failed);
        if (failed) {
            error_ = "cannot create the log folder: " + failed.message();
        }
    }
    ~ScratchDeviceRoot()
    {
        DeviceRoot::resetRoot();
        if (!path_.empty()) {
            std::error_code ignored;
            fs::remove_all(path_, ignored);
        }
    }
    ScratchDeviceRoot(const ScratchDeviceRoot&) = delete;
    ScratchDeviceRoot& operator=(const ScratchDeviceRoot&) = delete;

    // Empty when the root is ready.
    const std::string& error() const { return error_; }

private:
    fs::path path_;
    std::string error_;
};

std::shared_ptr<NSDictionary> makeRecord(int i)
{
    return NSDictionary::dictionaryWithEntries({
        {"Application", NSString::stringWithString("Application " + std::to_string(i % kApplications))},
        {"Body", NSString::stringWithString("Message " + std::to_string(i) +
                                            ": are we still meeting at the station at six? I will bring the tickets.")},
        {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(800000000.0 + i)},
        {"Bundle Identifier", NSString::stringWithString("com.example.app" + std::to_string(i % kApplications))},
    });
}

bool belongsToDeletedApplication(int i) { return i % kApplications == 0; }

// The XML of a log of records `count - 1` down to 0 (newest first), optionally without the deleted
// application's; empty if it cannot be made.
std::string logBytes(int count, bool withoutDeletedApplication = false)
{
    std::vector<id> records;
    for (int i = count - 1; i >= 0; --i) {
        if (!(withoutDeletedApplication && belongsToDeletedApplication(i))) {
            records.push_back(makeRecord(i));
        }
    }
    auto xml = NSPropertyListSerialization::dataWithPropertyList(NSArray::arrayWithObjects(records));
    return xml ? std::move(xml).value() : std::string();
}

std::string readWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// The floor: the least a crash-safe replacement of a whole file costs.
bool writeDurably(const fs::path& target, const std::string& bytes)
{
    std::string temporary = (target.parent_path() / ".bench.tmp-XXXXXX").string();
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    const bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0 && ::rename(temporary.c_str(), target.c_str()) == 0;
    ::close(fd);
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    const int folder = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool flushed = folder >= 0 && ::fsync(folder) == 0;
    if (folder >= 0) {
        ::close(folder);
    }
    return flushed;
}

std::string readWithSystemCalls(const fs::path& path)
{
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return bytes;
    }
    struct stat status {};
    if (::fstat(fd, &status) == 0) {
        bytes.resize(static_cast<std::size_t>(status.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
    }
    ::close(fd);
    return bytes;
}

void runQueuedMainThreadWork()
{
    while (NSRunLoop::mainRunLoop().runOnce()) {
    }
}

// The store with default settings, no window and announcements kept inside the process.
class StoreSetting {
public:
    explicit StoreSetting(benchmark::State& state)
    {
        if (!NSThread::isMainThread()) {
            state.SkipWithError("the store's announcements need the benchmark on the main thread");
        }
        if (!root_.error().empty()) {
            state.SkipWithError(root_.error().c_str());
        }
        CrossProcessChannels::useLoopback();
        PLWriter::resetSettings();
        VTWindowLink::setSharedLink(nullptr);
    }
    ~StoreSetting() { runQueuedMainThreadWork(); }

    const fs::path& newFile() const { return newFile_; }

private:
    ScratchDeviceRoot root_;
    // Resolved once the scratch root is installed (members are made in this order).
    const fs::path newFile_ = DeviceRoot::resolve(PLWriter::kNewNotificationsPath);
};

// Puts the log file back to its starting bytes, durably, so every iteration starts from the same disk state.
void resetLog(benchmark::State& state, const fs::path& path, const std::string& bytes)
{
    if (!writeDurably(path, bytes)) {
        state.SkipWithError("cannot reset the log file");
    }
}

void reportBytes(benchmark::State& state, std::size_t bytesPerIteration)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytesPerIteration));
    state.counters["file_bytes"] = static_cast<double>(bytesPerIteration);
}

// The bytes the store leaves after appending record `count` to a log of `count` records.
std::string bytesAfterAppend(const StoreSetting& setting, benchmark::State& state, const std::string& before, int count)
{
    resetLog(state, setting.newFile(), before);
    PLWriter::write(makeRecord(count));
    runQueuedMainThreadWork();
    std::string after = readWhole(setting.newFile());
    if (after != logBytes(count + 1)) {
        state.SkipWithError("the store did not leave the expected log");
    }
    return after;
}

void BM_StoreAppendOneRecord(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    StoreSetting setting(state);
    const std::string before = logBytes(count);
    const std::string after = bytesAfterAppend(setting, state, before, count);
    const auto record = makeRecord(count);
    for (auto _ : state) {
        state.PauseTiming();
        resetLog(state, setting.newFile(), before);
        state.ResumeTiming();
        PLWriter::write(record);
        runQueuedMainThreadWork();
    }
    reportBytes(state, after.size());
}
BENCHMARK(BM_StoreAppendOneRecord)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The floor of the append: the same resulting bytes, written crash-safely, nothing read or parsed.
void BM_FloorWriteSameBytesDurably(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    StoreSetting setting(state);
    const std::string before = logBytes(count);
    const std::string after = bytesAfterAppend(setting, state, before, count);
    for (auto _ : state) {
        state.PauseTiming();
        resetLog(state, setting.newFile(), before);
        state.ResumeTiming();
        benchmark::DoNotOptimize(writeDurably(setting.newFile(), after));
    }
    reportBytes(state, after.size());
}
BENCHMARK(BM_FloorWriteSameBytesDurably)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The floor with the read every whole-file rewrite needs: the previous bytes read, the new ones written.
void BM_FloorReadThenWriteSameBytesDurably(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    StoreSetting setting(state);
    const std::string before = logBytes(count);
    const std::string after = bytesAfterAppend(setting, state, before, count);
    for (auto _ : state) {
        state.PauseTiming();
        resetLog(state, setting.newFile(), before);
        state.ResumeTiming();
        benchmark::DoNotOptimize(readWithSystemCalls(setting.newFile()));
        benchmark::DoNotOptimize(writeDurably(setting.newFile(), after));
    }
    reportBytes(state, after.size());
}
BENCHMARK(BM_FloorReadThenWriteSameBytesDurably)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The property-list steps of the append on their own, in memory: parsing the previous log ...
void BM_ParseLog(benchmark::State& state)
{
    const std::string bytes = logBytes(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(NSPropertyListSerialization::propertyListWithData(std::string_view(bytes)));
    }
    reportBytes(state, bytes.size());
}
BENCHMARK(BM_ParseLog)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// ... and making the XML of the new one.
void BM_SerialiseLog(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0)) + 1;
    std::vector<id> records;
    for (int i = count - 1; i >= 0; --i) {
        records.push_back(makeRecord(i));
    }
    const auto list = NSArray::arrayWithObjects(records);
    std::size_t size = 0;
    for (auto _ : state) {
        auto xml = NSPropertyListSerialization::dataWithPropertyList(list);
        size = xml ? xml.value().size() : 0;
        benchmark::DoNotOptimize(xml);
    }
    reportBytes(state, size);
}
BENCHMARK(BM_SerialiseLog)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

constexpr int kDeletionLogSize = 10000;

// The bytes the store leaves after deleting one application's records from the full log.
std::string bytesAfterDeletion(const StoreSetting& setting, benchmark::State& state, const std::string& before)
{
    resetLog(state, setting.newFile(), before);
    PLWriter::deleteNotificationsForApplication(kDeletedApplication);
    runQueuedMainThreadWork();
    std::string after = readWhole(setting.newFile());
    if (after.empty() || after != logBytes(kDeletionLogSize, true)) {
        state.SkipWithError("the store did not delete the application's records");
    }
    return after;
}

// Deleting a tenth of 10,000 records (one application's) from the new-notifications file; the
// old-notifications file is absent.
void BM_StoreDeleteOneApplication(benchmark::State& state)
{
    StoreSetting setting(state);
    const std::string before = logBytes(kDeletionLogSize);
    const std::string after = bytesAfterDeletion(setting, state, before);
    for (auto _ : state) {
        state.PauseTiming();
        resetLog(state, setting.newFile(), before);
        state.ResumeTiming();
        PLWriter::deleteNotificationsForApplication(kDeletedApplication);
        runQueuedMainThreadWork();
    }
    reportBytes(state, after.size());
}
BENCHMARK(BM_StoreDeleteOneApplication)->Unit(benchmark::kMillisecond);

// The floor of the deletion: the 9,000 remaining records' bytes, written crash-safely.
void BM_FloorWriteRemainingBytesDurably(benchmark::State& state)
{
    StoreSetting setting(state);
    const std::string before = logBytes(kDeletionLogSize);
    const std::string after = bytesAfterDeletion(setting, state, before);
    for (auto _ : state) {
        state.PauseTiming();
        resetLog(state, setting.newFile(), before);
        state.ResumeTiming();
        benchmark::DoNotOptimize(writeDurably(setting.newFile(), after));
    }
    reportBytes(state, after.size());
}
BENCHMARK(BM_FloorWriteRemainingBytesDurably)->Unit(benchmark::kMillisecond);

} // namespace
