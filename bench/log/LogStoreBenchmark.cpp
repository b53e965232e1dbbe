// The notification log store on a temporary device root, each figure beside its floor in the same run:
// appending one record to a new-notifications file that already holds 10 to 100,000 records, and deleting
// one application's records (a tenth) from 10,000 or 100,000. The floor is the very bytes the store leaves
// in the file, written crash-safely with plain system calls (temporary file in the same folder, write,
// fsync, rename, fsync of the folder) and no property-list work. Every iteration times the store, then the floor,
// then the baseline (the append as the store made it before: the whole file parsed and written again by
// libplist), each from the same starting file, so the disk's moods touch all three alike; the counters give
// each one's mean and its ratio to the floor ("ratio" is the store's).
//
// "Warm" is the usual case: the store itself wrote the file last (it is put back by an append of the
// store's own outside the timed region). "Cold": someone else wrote it last, so the store reads it first.
//
// "After a panel close": the list manager of a panel that showed 10,000 records closes, moving them all into
// the old-notifications file, while one more record is logged that it did not take, which it leaves in the
// new-notifications file. Then the store deletes one application's records (a tenth of the old file) or
// appends a record; the floor is the one file that operation changes, written durably. "close_ms" is the
// close itself.
//
// Google Benchmark runs these on the process's initial thread, which is this platform's main thread: the
// store's in-process broadcast, posted on the main thread while the caller waits, then runs at once, and
// what it queues for the main run loop is run inside the timed region after each call.
//
//     build/default/bench/log_bench --benchmark_min_time=0.5
#include "LogBenchSupport.h"
#include "JobThreadTracker.h"
#include "NSFileManager.h"
#include "NSNumber.h"
#include "VTSorterByDate.h"

#include <benchmark/benchmark.h>

#include <functional>

namespace {

using namespace logbench;

enum class Cache { Cold, Warm };

// Leaves `path` holding logBytes(count), written last by the store when the cache is to be warm.
void prepareLog(benchmark::State& state, const fs::path& path, int count, Cache cache)
{
    if (cache == Cache::Cold || count == 0) {
        resetLog(state, path, logBytes(count));
        return;
    }
    resetLog(state, path, logBytes(count - 1));
    PLWriter::write(makeRecord(count - 1));
    runQueuedMainThreadWork();
}

// Means of the three figures and their ratios to the floor, as counters.
class BesideFloor {
public:
    void add(double store, double floor, double baseline)
    {
        store_ += store;
        floor_ += floor;
        baseline_ += baseline;
    }
    void report(benchmark::State& state, std::size_t fileBytes) const
    {
        const auto n = static_cast<double>(state.iterations());
        state.counters["floor_ms"] = floor_ / n * 1e3;
        state.counters["ratio"] = store_ / floor_;
        if (baseline_ > 0) {
            state.counters["baseline_ms"] = baseline_ / n * 1e3;
            state.counters["baseline_ratio"] = baseline_ / floor_;
        }
        state.counters["file_bytes"] = static_cast<double>(fileBytes);
    }

private:
    double store_ = 0;
    double floor_ = 0;
    double baseline_ = 0;
};

void BM_AppendBesideFloor(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const auto cache = static_cast<Cache>(state.range(1));
    StoreSetting setting(state);
    const std::string expected = logBytes(count + 1);
    const auto record = makeRecord(count);

    prepareLog(state, setting.newFile(), count, cache);
    PLWriter::write(record);
    runQueuedMainThreadWork();
    if (readWhole(setting.newFile()) != expected) {
        state.SkipWithError("the store did not leave the expected log");
        return;
    }
    BesideFloor figures;
    for (auto _ : state) {
        prepareLog(state, setting.newFile(), count, cache);
        const double store = secondsOf([&] {
            PLWriter::write(record);
            runQueuedMainThreadWork();
        });
        resetLog(state, setting.newFile(), logBytes(count));
        const double floor = secondsOf([&] { benchmark::DoNotOptimize(writeDurably(setting.newFile(), expected)); });
        resetLog(state, setting.newFile(), logBytes(count));
        const double baseline = secondsOf([&] { benchmark::DoNotOptimize(appendThroughLibplist(setting.newFile(), record)); });
        state.SetIterationTime(store);
        figures.add(store, floor, baseline);
    }
    figures.report(state, expected.size());
}
BENCHMARK(BM_AppendBesideFloor)
    ->ArgNames({"records", "warm"})
    ->ArgsProduct({{10, 1000, 10000, 100000}, {static_cast<int>(Cache::Warm), static_cast<int>(Cache::Cold)}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Deleting a tenth of the records (one application's) from the new-notifications file; the
// old-notifications file is absent.
void BM_DeleteOneApplicationBesideFloor(benchmark::State& state)
{
    const auto cache = static_cast<Cache>(state.range(0));
    const int records = static_cast<int>(state.range(1));
    StoreSetting setting(state);
    const std::string expected = logBytes(records, true);

    prepareLog(state, setting.newFile(), records, cache);
    PLWriter::deleteNotificationsForApplication(kDeletedApplication);
    if (readWhole(setting.newFile()) != expected) {
        state.SkipWithError("the store did not delete the application's records");
        return;
    }
    BesideFloor figures;
    for (auto _ : state) {
        prepareLog(state, setting.newFile(), records, cache);
        const double store = secondsOf([&] {
            PLWriter::deleteNotificationsForApplication(kDeletedApplication);
            runQueuedMainThreadWork();
        });
        resetLog(state, setting.newFile(), logBytes(records));
        const double floor = secondsOf([&] { benchmark::DoNotOptimize(writeDurably(setting.newFile(), expected)); });
        state.SetIterationTime(store);
        figures.add(store, floor, 0);
    }
    figures.report(state, expected.size());
}
BENCHMARK(BM_DeleteOneApplicationBesideFloor)
    ->ArgNames({"warm", "records"})
    ->ArgsProduct({{static_cast<int>(Cache::Warm), static_cast<int>(Cache::Cold)}, {10000, 100000}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

constexpr int kPanelLogSize = 10000;

enum class AfterClose { Delete, Append };

// The log as a panel close leaves it (see above), with every record kept ("Items To Keep" -1).
class PanelCloseSetting {
public:
    explicit PanelCloseSetting(benchmark::State& state) : store_(state)
    {
        auto& files = NSFileManager::defaultManager();
        const bool ready = !files.createDirectoryAtPath("/var/mobile/Library/Preferences", true) &&
                           !files.writePropertyList(NSDictionary::dictionaryWithEntries(
                                                        {{"Items To Keep", NSNumber::numberWithInteger(-1)}}),
                                                    PLWriter::kPreferencesPath);
        if (!ready) {
            state.SkipWithError("cannot write the preference file");
        }
        PLWriter::reloadSettings();
    }
    ~PanelCloseSetting() { PLWriter::resetSettings(); }

    const fs::path& newFile() const { return store_.newFile(); }
    const fs::path& oldFile() const { return oldFile_; }

    // Answers the seconds the close itself took.
    double closePanel(benchmark::State& state) const
    {
        resetLog(state, newFile(), logBytes(kPanelLogSize));
        std::error_code ignored;
        fs::remove(oldFile(), ignored);
        const auto panel = std::make_shared<VTSorterByDate>();
        panel->loadNotifications();
        runQueuedMainThreadWork();
        PLWriter::write(lateRecord());
        runQueuedMainThreadWork();
        return secondsOf([&] {
            panel->purge();
            panel->flush();
            JobThreadTracker::waitForAll(); // the list is written back on a job thread
        });
    }

    // Logged while the panel closes; not of the deleted application.
    static std::shared_ptr<NSDictionary> lateRecord() { return makeRecord(kPanelLogSize + 1); }
    static std::shared_ptr<NSDictionary> appendedRecord() { return makeRecord(kPanelLogSize + 2); }
    static std::string newFileBytes(std::vector<id> records)
    {
        auto xml = NSPropertyListSerialization::dataWithPropertyList(NSArray::arrayWithObjects(std::move(records)));
        return xml ? std::move(xml).value() : std::string();
    }

private:
    StoreSetting store_;
    const fs::path oldFile_ = DeviceRoot::resolve(PLWriter::kOldNotificationsPath);
};

void BM_AfterPanelCloseBesideFloor(benchmark::State& state)
{
    const auto operation = static_cast<AfterClose>(state.range(0));
    PanelCloseSetting setting(state);
    const std::string closedOld = logBytes(kPanelLogSize);
    const std::string closedNew = PanelCloseSetting::newFileBytes({PanelCloseSetting::lateRecord()});
    const bool deleting = operation == AfterClose::Delete;
    const fs::path& changed = deleting ? setting.oldFile() : setting.newFile();
    const std::string& before = deleting ? closedOld : closedNew;
    const std::string expected = deleting ? logBytes(kPanelLogSize, true)
                                          : PanelCloseSetting::newFileBytes(
                                                {PanelCloseSetting::appendedRecord(), PanelCloseSetting::lateRecord()});
    const auto operate = [&] {
        if (deleting) {
            PLWriter::deleteNotificationsForApplication(kDeletedApplication);
        } else {
            PLWriter::write(PanelCloseSetting::appendedRecord());
        }
        runQueuedMainThreadWork();
    };

    setting.closePanel(state);
    if (readWhole(setting.oldFile()) != closedOld || readWhole(setting.newFile()) != closedNew) {
        state.SkipWithError("the panel's close did not leave the expected log");
        return;
    }
    operate();
    if (readWhole(changed) != expected) {
        state.SkipWithError("the store did not leave the expected log");
        return;
    }
    BesideFloor figures;
    double closing = 0;
    for (auto _ : state) {
        closing += setting.closePanel(state);
        const double store = secondsOf(operate);
        resetLog(state, changed, before);
        const double floor = secondsOf([&] { benchmark::DoNotOptimize(writeDurably(changed, expected)); });
        state.SetIterationTime(store);
        figures.add(store, floor, 0);
    }
    figures.report(state, expected.size());
    state.counters["close_ms"] = closing / static_cast<double>(state.iterations()) * 1e3;
}
BENCHMARK(BM_AfterPanelCloseBesideFloor)
    ->ArgName("append")
    ->Arg(static_cast<int>(AfterClose::Delete))
    ->Arg(static_cast<int>(AfterClose::Append))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Reading a log in memory, which a cold store does first.
void BM_ParseLog(benchmark::State& state)
{
    const std::string bytes = logBytes(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(NSPropertyListSerialization::propertyListWithData(std::string_view(bytes)));
    }
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ParseLog)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
