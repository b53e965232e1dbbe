// A desktop client sending a burst of Notify calls to whichever notification server owns
// org.freedesktop.Notifications on the session bus of its environment (DBUS_SESSION_BUS_ADDRESS), keeping
// <in-flight> calls outstanding: as many threads, each on a connection of its own, each sending its next call
// once its last one was answered. Call <i> has the summary "<i>", an empty body, no actions and no hints.
//
//     notify_burst_client <count> <in-flight>
//
// Connects every thread first, then sends, and says at the end, on one line:
//     acknowledged <n> failed <m> seconds <s>
// where <s> is the time from the first call to the last answer; then, for a burst with failures, the first
// failure's error. Exit status 0 when every call was answered with an id, 1 otherwise, 2 for bad arguments.
#include <sdbus-c++/sdbus-c++.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kName = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
// A server that falls behind is measured, not cut off at the bus library's default 25 s.
constexpr auto kCallTimeout = std::chrono::minutes(5);

// Holds every sender until all are connected, so the burst's time holds no connection set-up.
class StartingLine {
public:
    explicit StartingLine(std::size_t senders) : waiting_(senders) {}

    void arriveAndWait()
    {
        std::unique_lock lock(mutex_);
        if (--waiting_ == 0) {
            start_ = std::chrono::steady_clock::now();
            allThere_.notify_all();
        }
        allThere_.wait(lock, [&] { return waiting_ == 0; });
    }
    std::chrono::steady_clock::time_point start() const { return start_; }

private:
    std::mutex mutex_;
    std::condition_variable allThere_;
    std::size_t waiting_;
    std::chrono::steady_clock::time_point start_;
};

struct Tally {
    std::atomic<long> next{0};
    std::atomic<long> acknowledged{0};
    std::atomic<long> failed{0};
    std::mutex mutex;
    std::string firstFailure;

    void fail(const std::string& reason)
    {
        ++failed;
        std::lock_guard lock(mutex);
        if (firstFailure.empty()) {
            firstFailure = reason;
        }
    }
};

void send(long count, StartingLine& line, Tally& tally)
{
    std::unique_ptr<sdbus::IConnection> connection;
    std::unique_ptr<sdbus::IProxy> proxy;
    try {
        connection = sdbus::createSessionBusConnection();
        proxy = sdbus::createProxy(*connection, kName, kPath);
    } catch (const sdbus::Error& error) {
        tally.fail(error.getName() + ": " + error.getMessage());
    }
    line.arriveAndWait();
    if (!proxy) {
        return;
    }
    for (long index = tally.next++; index < count; index = tally.next++) {
        try {
            std::uint32_t id = 0;
            proxy->callMethod("Notify")
                .onInterface(kName)
                .withTimeout(kCallTimeout)
                .withArguments(std::string("Burst"), std::uint32_t(0), std::string(), std::to_string(index),
                               std::string(), std::vector<std::string>{}, std::map<std::string, sdbus::Variant>{},
                               std::int32_t(-1))
                .storeResultsTo(id);
            ++tally.acknowledged;
        } catch (const sdbus::Error& error) {
            tally.fail(error.getName() + ": " + error.getMessage());
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const long count = argc == 3 ? std::strtol(argv[1], nullptr, 10) : 0;
    const long inFlight = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 0;
    if (count <= 0 || inFlight <= 0) {
        std::fprintf(stderr, "usage: notify_burst_client <count> <in-flight>\n");
        return 2;
    }
    StartingLine line(static_cast<std::size_t>(inFlight));
    Tally tally;
    std::vector<std::thread> senders;
    for (long sender = 0; sender < inFlight; ++sender) {
        senders.emplace_back([&] { send(count, line, tally); });
    }
    for (auto& sender : senders) {
        sender.join();
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - line.start();
    std::printf("acknowledged %ld failed %ld seconds %.6f\n", tally.acknowledged.load(), tally.failed.load(),
                elapsed.count());
    if (!tally.firstFailure.empty()) {
        std::printf("%s\n", tally.firstFailure.c_str());
    }
    return tally.failed == 0 ? 0 : 1;
}
