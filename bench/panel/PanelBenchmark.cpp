// The panel as a person meets it: from the gesture to the first frame with rows drawn, with 1,000 to
// 1,000,000 records in the log ("Hide Read" off, so both files are read), beside the floor of reading the
// same files' bytes; the longest the main thread is blocked while the panel closes, beside one frame; the
// shell's resident memory with the panel open, over several openings; and the capture's cost on the shell's
// main thread per alert, beside the shell's own work for that alert.
//
//     build/default/bench/panel_bench --benchmark_filter='/100000|/1000000'

#include "CKSMSMessage.h"
#include "CrossProcessChannels.h"
#include "DeviceRoot.h"
#include "JobThreadTracker.h"
#include "LAActivator.h"
#include "LAEvent.h"
#include "NSArray.h"
#include "NSBundle.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSNumber.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "PLWriter.h"
#include "SBClasses.h"
#include "SBSMSAlertItem.h"
#include "ShellHost.h"
#include "UIRenderer.h"
#include "UITableView.h"
#include "VTWindow.h"
#include "VTWindowController.h"
#include "Vantle.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string hostBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void putHostBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A log of the records first to end (end not included), newest first, of ten applications; every third
// text wraps onto a second line.
void writeLog(const char* path, int first, int end)
{
    std::vector<id> records;
    for (int i = first; i < end; ++i) {
        records.push_back(NSDictionary::dictionaryWithEntries(
            {{"Application", NSString::stringWithString("App " + std::to_string(i / 7 % 10))},
             {"Body", NSString::stringWithString("Notification " + std::to_string(i) +
                                                 (i % 3 == 0 ? ": a longer text that wraps onto a second line" : ""))},
             {"Bundle Identifier", NSString::stringWithString("com.example.app" + std::to_string(i / 7 % 10))},
             {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(800000000.0 - i)}}));
    }
    (void)NSFileManager::defaultManager().writePropertyList(NSArray::arrayWithObjects(records), path);
}

// The preferences of a person who keeps everything and reads it all: "Hide Read" off, no item limit, the
// list grouped as given ("Date" or "Application").
void writeKeepEverythingPreferences(const char* groupBy = "Date")
{
    (void)NSFileManager::defaultManager().writePropertyList(
        NSDictionary::dictionaryWithEntries({{"Hide Read", NSNumber::numberWithBool(false)},
                                             {"Items To Keep", NSNumber::numberWithInteger(-1)},
                                             {"Group By", NSString::stringWithString(groupBy)}}),
        PLWriter::kPreferencesPath);
}

// A device root with the artwork and a log of `count` records, half new and half read, of ten applications,
// shown by the shell's panel as installed; the files' bytes are kept so each opening starts from the same log.
class PanelDevice {
public:
    explicit PanelDevice(int count)
    {
        std::string pattern = (fs::temp_directory_path() / "vantle-panel-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            return;
        }
        root_ = pattern;
        fs::copy(VANTLE_ARTWORK_DIR, root_, fs::copy_options::recursive);
        DeviceRoot::setRoot(root_);
        fs::create_directories(DeviceRoot::resolve("/var/mobile/Library/Preferences"));
        writeKeepEverythingPreferences();
        writeLog(PLWriter::kNewNotificationsPath, 0, count / 2);
        writeLog(PLWriter::kOldNotificationsPath, count / 2, count);
        for (const char* path : {PLWriter::kNewNotificationsPath, PLWriter::kOldNotificationsPath}) {
            saved_[path] = hostBytes(DeviceRoot::resolve(path));
        }
    }
    ~PanelDevice()
    {
        if (!root_.empty()) {
            fs::remove_all(root_);
        }
    }

    // Puts the log back as it was before the panel's last close rewrote it.
    void restoreLog() const
    {
        for (const auto& [path, bytes] : saved_) {
            putHostBytes(DeviceRoot::resolve(path), bytes);
        }
    }
    std::size_t readLogBytes() const
    {
        std::size_t total = 0;
        for (const auto& [path, bytes] : saved_) {
            total += hostBytes(DeviceRoot::resolve(path)).size();
        }
        return total;
    }

private:
    fs::path root_;
    std::map<std::string, std::string> saved_;
};

bool panelHasRows()
{
    const auto panel = VTWindowController::sharedController()->window();
    return panel && panel->listManager() && !panel->listManager()->isBusy() && panel->content()->numberOfSections() > 0;
}

void closeAndSettle()
{
    VTWindowController::sharedController()->setShowWindow(false);
    NSRunLoop::mainRunLoop().runUntil([] { return !VTWindowController::sharedController()->window()->listManager(); });
    JobThreadTracker::waitForAll();
}

// The log sizes the panel is measured at.
void logSizes(benchmark::internal::Benchmark* benchmark)
{
    for (const int records : {1'000, 10'000, 100'000, 1'000'000}) {
        benchmark->Arg(records);
    }
}

// Records, and the order: 0 by date, 1 by application.
void logSizesInBothOrders(benchmark::internal::Benchmark* benchmark)
{
    for (const int records : {1'000, 10'000, 100'000, 1'000'000}) {
        benchmark->Args({records, 0})->Args({records, 1});
    }
}

void BM_PanelOpenToFirstFrameWithRows(benchmark::State& state)
{
    CrossProcessChannels::useLoopback();
    const PanelDevice device(static_cast<int>(state.range(0)));
    writeKeepEverythingPreferences(state.range(1) == 0 ? "Date" : "Application");
    const auto controller = VTWindowController::sharedController();
    PLWriter::reloadSettings();
    // The gesture opens the panel as on a new device.
    (void)LAActivator::sharedInstance().assignEvent(LAActivator::kStatusBarSwipeDown, VTWindowController::kListenerName);
    for (auto _ : state) {
        state.PauseTiming();
        device.restoreLog();
        state.ResumeTiming();
        LAActivator::sharedInstance().sendEventToListener(LAEvent::eventWithName(LAActivator::kStatusBarSwipeDown));
        NSRunLoop::mainRunLoop().runUntil(panelHasRows);
        benchmark::DoNotOptimize(UIRenderer::renderScreen());
        state.PauseTiming();
        closeAndSettle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PanelOpenToFirstFrameWithRows)->Apply(logSizesInBothOrders)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FloorReadTheLogFilesBytes(benchmark::State& state)
{
    const PanelDevice device(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(device.readLogBytes());
    }
}
BENCHMARK(BM_FloorReadTheLogFilesBytes)->Apply(logSizes)->Unit(benchmark::kMillisecond)->UseRealTime();

// The panel's close as the shell runs it (the slide out, then the list written back as read), timed as the
// longest single turn of the main run loop from the close until the list manager is gone: that is how long
// the shell cannot draw a frame or take a touch. The floor is one frame at 60 Hz. Each iteration opens the
// panel on the same log first.
void BM_PanelCloseLongestMainThreadTurn(benchmark::State& state)
{
    CrossProcessChannels::useLoopback();
    const PanelDevice device(static_cast<int>(state.range(0)));
    const auto controller = VTWindowController::sharedController();
    PLWriter::reloadSettings();
    double longest = 0;
    for (auto _ : state) {
        device.restoreLog();
        controller->setShowWindow(true);
        NSRunLoop::mainRunLoop().runUntil(panelHasRows);
        JobThreadTracker::waitForAll();
        controller->setShowWindow(false);
        double turn = 0;
        while (controller->window()->listManager()) {
            const auto start = std::chrono::steady_clock::now();
            NSRunLoop::mainRunLoop().runOnce();
            turn = std::max(turn, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        longest = std::max(longest, turn);
        state.SetIterationTime(turn);
        JobThreadTracker::waitForAll();
    }
    state.counters["floor_ms"] = 1000.0 / 60;
    state.counters["longest_turn_ms"] = longest * 1e3;
}
BENCHMARK(BM_PanelCloseLongestMainThreadTurn)->Apply(logSizes)->Unit(benchmark::kMillisecond)->UseManualTime();

// VmRSS and VmHWM (the peak) of a process, in megabytes, from its /proc entry.
struct ResidentMemory {
    double current = 0;
    double peak = 0;
};

ResidentMemory residentMemoryOf(pid_t pid)
{
    ResidentMemory memory;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        std::istringstream fields(line);
        std::string name;
        double kilobytes = 0;
        fields >> name >> kilobytes;
        if (name == "VmRSS:") {
            memory.current = kilobytes / 1024;
        } else if (name == "VmHWM:") {
            memory.peak = kilobytes / 1024;
        }
    }
    return memory;
}

// The real shell on a freshly installed device at the screen scale given, with half of the records new
// and half read; the panel opened by the gesture through sbctl, and the memory read once the shell is idle
// (the log read, sorted and drawn). What it reports is the counters, in megabytes; the time is sbctl's.
void BM_ShellResidentMemoryWithThePanelOpen(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    ShellHost::Options options;
    options.scale = static_cast<int>(state.range(1));
    options.prepareDevice = [count](const TemporaryDeviceRoot& device) {
        device.createDirectory("/var/mobile/Library/Preferences");
        writeKeepEverythingPreferences();
        writeLog(PLWriter::kNewNotificationsPath, 0, count / 2);
        writeLog(PLWriter::kOldNotificationsPath, count / 2, count);
    };
    const ShellHost shell(options);
    if (!shell.isRunning()) {
        state.SkipWithError(shell.failure().c_str());
        return;
    }
    const int cycles = static_cast<int>(state.range(2));
    const auto run = [&](const std::vector<std::string>& arguments) {
        const ToolRun tool = shell.sbctl(arguments);
        if (tool.status != 0) {
            state.SkipWithError(("sbctl failed: " + tool.all()).c_str());
        }
        return tool.status == 0;
    };
    const auto swipe = [&] { return run({"activator", "libactivator.statusbar.swipe.down"}) && run({"idle"}); };
    ResidentMemory closed;
    ResidentMemory firstOpen;
    ResidentMemory open;
    for (auto _ : state) {
        closed = residentMemoryOf(shell.pid());
        for (int cycle = 0; cycle < cycles; ++cycle) {
            // The swipe toggles: after the first cycle one closes the panel, the next opens it again. A frame
            // is drawn, as a display would have it.
            if ((cycle > 0 && !swipe()) || !swipe() || !run({"screenshot", (shell.device().path() / "panel.png").string()})) {
                return;
            }
            open = residentMemoryOf(shell.pid());
            if (cycle == 0) {
                firstOpen = open;
            }
        }
    }
    state.counters["closed_rss_MB"] = closed.current;
    state.counters["first_open_rss_MB"] = firstOpen.current;
    state.counters["open_rss_MB"] = open.current;
    state.counters["peak_rss_MB"] = open.peak;
}
// Records, screen scale, openings ("Items To Keep" is off, so every opening shows every record).
BENCHMARK(BM_ShellResidentMemoryWithThePanelOpen)
    ->Args({10'000, 1, 1})
    ->Args({10'000, 2, 1})
    ->Args({100'000, 1, 5})
    ->Args({1'000'000, 1, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A text-message alert as the shell makes it: a new item and its "setMessage:".
void sendTextMessage()
{
    std::make_shared<SBSMSAlertItem>()->setMessage(std::make_shared<CKSMSMessage>("Anna", "Are we still on for lunch?"));
}

// The shell's own work per alert; it must run before the capture is hooked in.
void BM_FloorShellAlertWithoutCapture(benchmark::State& state)
{
    SBClasses::registerAll();
    for (auto _ : state) {
        sendTextMessage();
    }
}
BENCHMARK(BM_FloorShellAlertWithoutCapture)->Unit(benchmark::kMicrosecond);

// The same alert with the capture hooked in: building the record, deciding the pop-up, starting its writer
// thread. The writers run outside the timing, every 100 alerts, and the log starts again after each batch so
// that the writers' cost stays that of a short log.
void BM_ShellAlertWithCapture(benchmark::State& state)
{
    CrossProcessChannels::useLoopback();
    const PanelDevice device(0);
    NSBundle::setMainBundleIdentifier("com.apple.springboard");
    VantleInitialize();
    int sent = 0;
    for (auto _ : state) {
        sendTextMessage();
        if (++sent % 100 == 0) {
            state.PauseTiming();
            JobThreadTracker::waitForAll();
            (void)NSFileManager::defaultManager().removeItemAtPath(PLWriter::kNewNotificationsPath);
            state.ResumeTiming();
        }
    }
    JobThreadTracker::waitForAll();
}
BENCHMARK(BM_ShellAlertWithCapture)->Unit(benchmark::kMicrosecond);

} // namespace
