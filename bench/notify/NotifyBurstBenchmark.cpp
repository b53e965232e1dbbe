// Desktop notifications as a busy client sends them: a burst of 10,000 Notify calls with 64 in flight
// (notify_burst_client: 64 threads, each on a connection of its own, each sending its next call once its
// last was answered), on a private session bus that starts no services, timed from the first call to the
// last answer.
//
//   - Vantle: the real shell with --desktop-notifications on a freshly installed device whose
//     new-notifications file already holds 10,000 records. Each answer means the record is on disk; after
//     the burst the file must hold every record sent beside the 10,000 it had.
//   - xfce4-notifyd, measured the same way in the same run, under an Xvfb of its own, when it and Xvfb are
//     installed (the row is skipped otherwise); it shows each notification as it comes.
//   - The floor: one crash-safe replacement of the log at the burst's middle size (15,000 records) by plain
//     system calls, and how many calls a second a server could answer if every replacement carried all 64
//     calls in flight.
//
//     build/default/bench/notify_bench
#include "../log/LogBenchSupport.h"

#include "ChildProcess.h"
#include "NSFileManager.h"
#include "PrivateBus.h"
#include "ShellHost.h"
#include "TemporaryDeviceRoot.h"
#include "ToolRun.h"
#include "XvfbServer.h"

#include <benchmark/benchmark.h>

#include <signal.h>

#include <chrono>
#include <optional>
#include <sstream>

namespace {

using namespace logbench;

constexpr int kBurst = 10000;
constexpr int kInFlight = 64;
constexpr int kRecordsBefore = 10000;
constexpr const char* kXfceNotifyd = "/usr/lib/x86_64-linux-gnu/xfce4/notifyd/xfce4-notifyd";

struct BurstOutcome {
    long acknowledged = 0;
    long failed = 0;
    double seconds = 0;
    std::string failure; // why the burst could not be measured
};

BurstOutcome runBurst(const std::string& busAddress)
{
    const ToolRun run = ToolRun::of("env", "DBUS_SESSION_BUS_ADDRESS=" + ToolRun::quoted(busAddress) + " " +
                                               NOTIFY_BURST_CLIENT + " " + std::to_string(kBurst) + " " +
                                               std::to_string(kInFlight));
    BurstOutcome outcome;
    std::istringstream line(run.out);
    std::string acknowledged, failed, seconds;
    if (!(line >> acknowledged >> outcome.acknowledged >> failed >> outcome.failed >> seconds >> outcome.seconds) ||
        outcome.seconds <= 0) {
        outcome.failure = "the burst client failed: " + run.all();
    }
    return outcome;
}

// Reports the burst; false (the row skipped) when it could not be measured.
bool report(benchmark::State& state, const BurstOutcome& outcome)
{
    if (!outcome.failure.empty()) {
        state.SkipWithError(outcome.failure.c_str());
        return false;
    }
    state.SetIterationTime(outcome.seconds);
    state.counters["calls_per_s"] = static_cast<double>(outcome.acknowledged) / outcome.seconds;
    state.counters["acknowledged"] = static_cast<double>(outcome.acknowledged);
    state.counters["failed"] = static_cast<double>(outcome.failed);
    return true;
}

// The newest first log of kRecordsBefore records, written where the shell will read it.
void writeRecordsBefore(const TemporaryDeviceRoot& device)
{
    device.createDirectory(PLWriter::kLogFolder);
    const std::string bytes = logBytes(kRecordsBefore);
    (void)NSFileManager::defaultManager().createFileAtPath(PLWriter::kNewNotificationsPath, bytes);
}

std::size_t recordsIn(const char* devicePath)
{
    const auto records = NSFileManager::defaultManager().readPropertyListAtPath(devicePath).valueAs<NSArray>();
    return records ? records->count() : 0;
}

void BM_VantleNotifyBurst(benchmark::State& state)
{
    ShellHost::Options options;
    options.hostArguments = {"--desktop-notifications"};
    options.prepareDevice = writeRecordsBefore;
    const ShellHost shell(options);
    if (!shell.isRunning()) {
        state.SkipWithError(shell.failure().c_str());
        return;
    }
    BurstOutcome outcome;
    for (auto _ : state) {
        outcome = runBurst(shell.busAddress());
    }
    if (!report(state, outcome)) {
        return;
    }
    // Every answer came after its record's rewrite, so the file holds them all now.
    const std::size_t logged = recordsIn(PLWriter::kNewNotificationsPath);
    state.counters["records_after"] = static_cast<double>(logged);
    if (logged != static_cast<std::size_t>(kRecordsBefore + outcome.acknowledged)) {
        state.SkipWithError("the log does not hold every acknowledged record");
    }
}
BENCHMARK(BM_VantleNotifyBurst)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// xfce4-notifyd with a home of its own (its settings and its log stay in the scratch folder) on a private
// bus and display.
void BM_XfceNotifydNotifyBurst(benchmark::State& state)
{
    if (!std::filesystem::exists(kXfceNotifyd) || !XvfbServer::isInstalled()) {
        state.SkipWithError("xfce4-notifyd or Xvfb is not installed");
        return;
    }
    const TemporaryDeviceRoot home;
    const XvfbServer display;
    const PrivateBus bus;
    if (!display.isRunning() || !bus.isRunning()) {
        state.SkipWithError((display.failure() + bus.failure()).c_str());
        return;
    }
    ChildProcess::Options options;
    options.environment = {{"DISPLAY", display.display()},
                           {"DBUS_SESSION_BUS_ADDRESS", bus.address()},
                           {"HOME", home.path().string()},
                           {"XDG_CONFIG_HOME", (home.path() / "config").string()},
                           {"XDG_CACHE_HOME", (home.path() / "cache").string()},
                           {"XDG_DATA_HOME", (home.path() / "data").string()},
                           {"XDG_RUNTIME_DIR", home.path().string()}};
    std::string failure;
    const auto server = ChildProcess::start({kXfceNotifyd}, options, failure);
    const ToolRun owned = ToolRun::of("env", "DBUS_SESSION_BUS_ADDRESS=" + ToolRun::quoted(bus.address()) +
                                                 " gdbus wait --session --timeout 60 org.freedesktop.Notifications");
    if (!server || owned.status != 0) {
        state.SkipWithError(("xfce4-notifyd did not take the name: " + failure + owned.all()).c_str());
        return;
    }
    BurstOutcome outcome;
    for (auto _ : state) {
        outcome = runBurst(bus.address());
    }
    server->sendSignal(SIGTERM);
    (void)server->waitForExit();
    (void)report(state, outcome);
}
BENCHMARK(BM_XfceNotifydNotifyBurst)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FloorCrashSafeReplaceOfTheLog(benchmark::State& state)
{
    const ScratchDeviceRoot root;
    if (!root.error().empty()) {
        state.SkipWithError(root.error().c_str());
        return;
    }
    const fs::path path = DeviceRoot::resolve(PLWriter::kNewNotificationsPath);
    const std::string bytes = logBytes(kRecordsBefore + kBurst / 2);
    for (auto _ : state) {
        if (!writeDurably(path, bytes)) {
            state.SkipWithError("cannot replace the file");
            return;
        }
    }
    state.counters["replaces_per_s"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["calls_per_s_at_64_per_replace"] =
        benchmark::Counter(kInFlight, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FloorCrashSafeReplaceOfTheLog)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

} // namespace

BENCHMARK_MAIN();
