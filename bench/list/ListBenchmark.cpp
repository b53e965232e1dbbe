// The panel's list over 10,000 records of distinct texts. Opening in its two halves: the loading thread's
// (reading the log and sorting by date) and the main thread's (publishing, the table's first reload, which
// asks every row's estimate, and its first layout, which measures the rows on screen). Then the reload
// after a deletion (a sort on the main thread and the table's reload). Beside them what opening no longer
// pays: measuring every entry's text once in the 14-point font.
#include "DeviceRoot.h"
#include "JobThreadTracker.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSFileManager.h"
#include "NSRunLoop.h"
#include "NSString-UIStringDrawing.h"
#include "NSString.h"
#include "PLWriter.h"
#include "UITableView.h"
#include "VTController.h"
#include "VTNotificationListWindow.h"
#include "VTSorterByDate.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kRecords = 10'000;
constexpr int kApplications = 10;

std::string textOf(int i)
{
    return "Notification " + std::to_string(i) + (i % 3 == 0 ? ": a longer text that wraps onto a second line" : "");
}

// A fresh device root with 10,000 new records of ten applications, removed afterwards.
class ScratchLog {
public:
    ScratchLog()
    {
        std::string pattern = (fs::temp_directory_path() / "vantle-list-bench-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            path_ = pattern;
            DeviceRoot::setRoot(path_);
            fs::create_directories(DeviceRoot::resolve(PLWriter::kLogFolder));
            std::vector<id> records;
            for (int i = 0; i < kRecords; ++i) {
                const std::string application = "App " + std::to_string(i / 7 % kApplications);
                records.push_back(NSDictionary::dictionaryWithEntries(
                    {{"Application", NSString::stringWithString(application)},
                     {"Body", NSString::stringWithString(textOf(i))},
                     {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(800000000.0 - i)}}));
            }
            (void)NSFileManager::defaultManager().writePropertyList(NSArray::arrayWithObjects(records),
                                                                    PLWriter::kNewNotificationsPath);
        }
    }
    ~ScratchLog()
    {
        DeviceRoot::resetRoot();
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchLog(const ScratchLog&) = delete;
    ScratchLog& operator=(const ScratchLog&) = delete;
    bool ok() const { return !path_.empty(); }

private:
    fs::path path_;
};

class Panel final : public VTNotificationListWindow {
public:
    Panel() : table(UITableView::initWithFrameStyle(CGRectMake(0, 0, 320, 380), UITableViewStyle::Plain))
    {
        table->setEstimatedRowHeight(50); // as the shell's panel has it
    }
    ~Panel() override { adopt(nullptr); }
    void adopt(const std::shared_ptr<VTSorter>& manager)
    {
        if (manager) {
            manager->setWindow(this);
        }
        table->setDataSource(manager.get());
        table->setDelegate(manager.get());
        listManager = manager;
    }
    void reloadContent() override
    {
        table->reloadData();
        table->layoutIfNeeded();
    }
    void finishedSorting() override {}
    void setCount(unsigned) override {}
    void setNoNotifications(bool) override {}
    std::shared_ptr<UITableView> content() const override { return table; }
    VTController* controller() const override { return nullptr; }
    double listWidth() const override { return 320; }

    std::shared_ptr<UITableView> table;
    std::shared_ptr<VTSorter> listManager;
};

void runMainLoop()
{
    JobThreadTracker::waitForAll();
    while (NSRunLoop::mainRunLoop().runOnce()) {
    }
}

// The loading thread's half, run here on the benchmark's thread.
void BM_ListLoadTenThousandRecords(benchmark::State& state)
{
    ScratchLog log;
    if (!log.ok()) {
        state.SkipWithError("no scratch device root");
        return;
    }
    for (auto _ : state) {
        auto panel = std::make_unique<Panel>();
        panel->adopt(std::make_shared<VTSorterByDate>());
        panel->listManager->loadNotifications();
        state.PauseTiming();
        runMainLoop();
        panel.reset(); // freeing the list is the closing's cost
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ListLoadTenThousandRecords)->Unit(benchmark::kMillisecond);

// The main thread's half: the loaded list published and the table reloaded.
void BM_ListPublishTenThousandRecords(benchmark::State& state)
{
    ScratchLog log;
    if (!log.ok()) {
        state.SkipWithError("no scratch device root");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto panel = std::make_unique<Panel>();
        panel->adopt(std::make_shared<VTSorterByDate>());
        panel->listManager->loadNotifications();
        state.ResumeTiming();
        runMainLoop();
        benchmark::DoNotOptimize(panel->table->numberOfSections());
        state.PauseTiming();
        panel.reset(); // freeing the list is the closing's cost
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ListPublishTenThousandRecords)->Unit(benchmark::kMillisecond);

void BM_ListReloadAfterDeletionTenThousandRecords(benchmark::State& state)
{
    ScratchLog log;
    if (!log.ok()) {
        state.SkipWithError("no scratch device root");
        return;
    }
    Panel panel;
    panel.adopt(std::make_shared<VTSorterByDate>());
    panel.listManager->loadNotifications();
    runMainLoop();
    for (auto _ : state) {
        panel.listManager->commitEditingStyleForRowAtIndexPath(*panel.table, UITableViewCellEditingStyle::Delete,
                                                               NSIndexPath(1, 0));
        runMainLoop();
    }
}
BENCHMARK(BM_ListReloadAfterDeletionTenThousandRecords)->Unit(benchmark::kMillisecond);

// What opening measured before it measured only the rows on screen: every entry's text once.
void BM_FloorMeasureTenThousandTexts(benchmark::State& state)
{
    const auto font = UIFont::systemFontOfSize(14);
    for (auto _ : state) {
        double total = 0;
        for (int i = 0; i < kRecords; ++i) {
            total += sizeWithFontConstrainedToSizeLineBreakMode(textOf(i), font, CGSizeMake(282, 9999),
                                                                UILineBreakModeWordWrap)
                         .height;
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_FloorMeasureTenThousandTexts)->Unit(benchmark::kMillisecond);

} // namespace
