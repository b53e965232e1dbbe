#pragma once

// What the log store's benchmarks share: a scratch device root, the records and logs they write, the
// floor (a file replaced crash-safely by plain system calls) and the one-rewrite-per-record baseline
// (what the store did before it kept its files in memory: parse the whole file with libplist, put the
// record in front, write the whole list again).
#include "CrossProcessChannels.h"
#include "DeviceRoot.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSPropertyListSerialization.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "NSThread.h"
#include "PLWriter.h"
#include "VTWindowLink.h"

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace logbench {

namespace fs = std::filesystem;

inline constexpr int kApplications = 10;
inline constexpr const char* kDeletedApplication = "com.example.app0"; // records 0, 10, 20, ...

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

inline std::shared_ptr<NSDictionary> makeRecord(int i)
{
    return NSDictionary::dictionaryWithEntries({
        {"Application", NSString::stringWithString("Application " + std::to_string(i % kApplications))},
        {"Body", NSString::stringWithString("Message " + std::to_string(i) +
                                            ": are we still meeting at the station at six? I will bring the tickets.")},
        {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(800000000.0 + i)},
        {"Bundle Identifier", NSString::stringWithString("com.example.app" + std::to_string(i % kApplications))},
    });
}

inline bool belongsToDeletedApplication(int i) { return i % kApplications == 0; }

// The XML of a log of records `count - 1` down to 0 (newest first), optionally without the deleted
// application's; empty if it cannot be made.
inline std::string logBytes(int count, bool withoutDeletedApplication = false)
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

inline std::string readWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline bool writeAll(int fd, const std::string& bytes)
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
inline bool writeDurably(const fs::path& target, const std::string& bytes)
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

inline std::string readWithSystemCalls(const fs::path& path)
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

inline void runQueuedMainThreadWork()
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
        PLWriter::resetStore();
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
inline void resetLog(benchmark::State& state, const fs::path& path, const std::string& bytes)
{
    if (!writeDurably(path, bytes)) {
        state.SkipWithError("cannot reset the log file");
    }
}


// Seconds taken by `work`.
template <class Work>
double secondsOf(Work&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The baseline: one record appended as the store did it before, with libplist alone: the whole file
// parsed, the record put in front, the whole list written out again and replaced crash-safely.
inline bool appendThroughLibplist(const fs::path& path, const std::shared_ptr<NSDictionary>& record)
{
    const std::string previous = readWithSystemCalls(path);
    plist_t list = nullptr;
    if (!previous.empty()) {
        plist_from_xml(previous.data(), static_cast<std::uint32_t>(previous.size()), &list);
    }
    if (!list || plist_get_node_type(list) != PLIST_ARRAY) {
        if (list) {
            plist_free(list);
        }
        list = plist_new_array();
    }
    const auto recordXml = NSPropertyListSerialization::dataWithPropertyList(record);
    plist_t item = nullptr;
    if (recordXml) {
        plist_from_xml(recordXml.value().data(), static_cast<std::uint32_t>(recordXml.value().size()), &item);
    }
    if (!item) {
        plist_free(list);
        return false;
    }
    plist_array_insert_item(list, item, 0);
    char* xml = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(list, &xml, &length);
    plist_free(list);
    const bool written = xml && writeDurably(path, std::string(xml, length));
    std::free(xml);
    return written;
}

} // namespace logbench
