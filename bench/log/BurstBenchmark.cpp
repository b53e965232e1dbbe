// A burst of 10,000 records posted over the session bus by one plug-in client as fast as it can, into this
// process serving the log store's messaging centre as the shell does (PLWriter::sharedListener on the main
// run loop, a private dbus-daemon). Timed from the client's first post until every record it had
// acknowledged is in the new-notifications file and every writer thread has ended; then the file is
// checked: each acknowledged record exactly once, nothing else, and the records of each of the client's
// sending threads newest first (a thread posts its next record only once the last one was answered, so
// the store had it written before the next arrived; the order among the threads' posts is free).
//
// Beside it, in the same run, the rate of a store that rewrites the file once per record (each record's
// time measured at file sizes across the burst and summed): "baseline" as the store did it before (libplist
// parses and writes the whole file), "one_rewrite" as the store does it now but without writing the records
// that wait for the lock together.
//
//     build/default/bench/log_bench --benchmark_filter=Burst
#include "LogBenchSupport.h"

#include "CPDistributedMessagingCenter.h"
#include "ChildProcess.h"
#include "JobThreadTracker.h"
#include "NSFileManager.h"
#include "PrivateBus.h"

#include <benchmark/benchmark.h>

#include <map>
#include <set>

namespace {

using namespace logbench;

constexpr int kBurst = 10000;
constexpr int kSampleStep = 1000;

// Seconds a store that rewrites the file for every record takes for a burst of kBurst records into an
// empty file: each record's append timed at every kSampleStep records of file size, the steps between
// taken as straight lines.
template <class AppendOne>
double oneRewritePerRecordSeconds(benchmark::State& state, const fs::path& path, AppendOne appendOne)
{
    double total = 0;
    double previous = -1;
    for (int size = 0; size <= kBurst; size += kSampleStep) {
        resetLog(state, path, size == 0 ? std::string() : logBytes(size));
        if (size == 0) {
            fs::remove(path);
        }
        const double seconds = appendOne(size);
        if (previous >= 0) {
            total += (previous + seconds) / 2 * kSampleStep;
        }
        previous = seconds;
    }
    return total;
}

struct BurstOutcome {
    long senders = 0;
    long acknowledged = -1;
    std::set<std::string> refused;
    std::string failure;
};

BurstOutcome runBurst(const PrivateBus& bus)
{
    BurstOutcome outcome;
    ChildProcess::Options options;
    options.environment.emplace_back("DBUS_SESSION_BUS_ADDRESS", bus.address());
    auto client = ChildProcess::start({LOG_BURST_CLIENT, std::to_string(kBurst)}, options, outcome.failure);
    if (!client) {
        return outcome;
    }
    const auto first = client->nextLine();
    if (!first || !first->starts_with("sending ") || (outcome.senders = std::stol(first->substr(8))) <= 0) {
        outcome.failure = "the client did not start sending";
        return outcome;
    }
    while (const auto line = client->nextLine()) {
        if (line->starts_with("acknowledged ")) {
            outcome.acknowledged = std::stol(line->substr(13));
        } else if (line->starts_with("refused ")) {
            outcome.refused.insert("burst " + line->substr(8));
        }
    }
    if (client->waitForExit() != 0 || outcome.acknowledged < 0) {
        outcome.failure = "the client failed";
    }
    JobThreadTracker::waitForAll();
    runQueuedMainThreadWork();
    return outcome;
}

// Empty when the file holds every acknowledged record once, nothing else, and each sending thread's records
// newest first.
std::string checkLog(const BurstOutcome& outcome)
{
    const auto list = NSFileManager::defaultManager().readPropertyListAtPath(PLWriter::kNewNotificationsPath).valueAs<NSArray>();
    if (!list) {
        return "the log does not read";
    }
    std::set<std::string> seen;
    // Per sending thread, the index of the record seen last, reading newest first.
    std::map<long, long> olderThan;
    for (const auto& element : list->objects()) {
        const auto record = as<NSDictionary>(element);
        const auto body = record ? record->stringForKey("Body") : std::nullopt;
        if (!body || !body->starts_with("burst ") || !seen.insert(*body).second || outcome.refused.contains(*body)) {
            return "a record is in the log twice or should not be there";
        }
        const long index = std::stol(body->substr(6));
        const auto [last, first] = olderThan.try_emplace(index % outcome.senders, index);
        if (!first && last->second <= index) {
            return *body + " is in the log before a record its thread posted later";
        }
        last->second = index;
    }
    if (static_cast<long>(seen.size()) != outcome.acknowledged) {
        return "the log holds " + std::to_string(seen.size()) + " records, not the " +
               std::to_string(outcome.acknowledged) + " acknowledged";
    }
    return {};
}

void BM_BusBurstBesideOneRewritePerRecord(benchmark::State& state)
{
    StoreSetting setting(state);
    PrivateBus bus;
    if (!bus.isRunning()) {
        state.SkipWithError(bus.failure().c_str());
        return;
    }
    CrossProcessChannels::useSessionBus(bus.address());
    PLWriter::sharedListener();
    if (!CPDistributedMessagingCenter::centerNamed(PLWriter::kMessagingCenterName)->isServing()) {
        state.SkipWithError("the store's messaging centre is not served (run this benchmark once per process)");
        return;
    }
    for (auto _ : state) {
        fs::remove(setting.newFile());
        BurstOutcome outcome;
        const double seconds = secondsOf([&] { outcome = runBurst(bus); });
        if (!outcome.failure.empty()) {
            state.SkipWithError(outcome.failure.c_str());
            return;
        }
        if (const auto wrong = checkLog(outcome); !wrong.empty()) {
            state.SkipWithError(wrong.c_str());
            return;
        }
        state.SetIterationTime(seconds);
        state.counters["records_per_s"] = static_cast<double>(outcome.acknowledged) / seconds;
        state.counters["acknowledged"] = static_cast<double>(outcome.acknowledged);
    }
    CrossProcessChannels::useLoopback();

    const double baseline = oneRewritePerRecordSeconds(state, setting.newFile(), [&](int size) {
        return secondsOf([&] { benchmark::DoNotOptimize(appendThroughLibplist(setting.newFile(), makeRecord(size))); });
    });
    const double oneRewrite = oneRewritePerRecordSeconds(state, setting.newFile(), [&](int size) {
        if (size > 0) { // the store wrote the file last, as in a burst
            resetLog(state, setting.newFile(), logBytes(size - 1));
            PLWriter::write(makeRecord(size - 1));
            runQueuedMainThreadWork();
        }
        return secondsOf([&] {
            PLWriter::write(makeRecord(size));
            runQueuedMainThreadWork();
        });
    });
    const double rate = state.counters["records_per_s"];
    state.counters["baseline_records_per_s"] = kBurst / baseline;
    state.counters["speedup_over_baseline"] = rate / (kBurst / baseline);
    state.counters["one_rewrite_records_per_s"] = kBurst / oneRewrite;
    state.counters["speedup_over_one_rewrite"] = rate / (kBurst / oneRewrite);
}
BENCHMARK(BM_BusBurstBesideOneRewritePerRecord)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
