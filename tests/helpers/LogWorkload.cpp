// Works on the log of the device root given as its argument, as the shell does, until it is killed: for each
// line "run <seed>" on its standard input it forks a worker that appends records, deletes an application's
// records and closes the panel (the list manager's rewrite of both files), in an order drawn from the seed,
// and says on stdout what has returned:
//
//   pid <pid>                      the worker started; kill this process
//   appended <n> <bundle id>       the append of record "<n>" returned
//   deleting <bundle id>           a deletion of that application's records begins
//   deleted <bundle id>            ... and returned
//   closed                         a panel opened, loaded and closed
//   ended                          the worker is gone (after a kill); the files may be checked
//
// Forking from a process that has loaded everything but started no thread and no run loop makes a worker cost
// a fork, not a program start, so the crash test can kill a thousand of them in seconds; in the worker the
// forking thread is the initial thread, so it runs the main run loop.
#include "CrossProcessChannels.h"
#include "DeviceRoot.h"
#include "FileSystemCalls.h"
#include "JobThreadTracker.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "NSThread.h"
#include "PLWriter.h"
#include "VTNotificationListWindow.h"
#include "VTSorterByDate.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <iostream>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr std::array<const char*, 3> kBundleIdentifiers{"com.example.mail", "com.example.chat", "com.example.news"};

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// The panel as far as a list manager that opens and closes needs one.
class Panel final : public VTNotificationListWindow {
public:
    void reloadContent() override {}
    void finishedSorting() override {}
    void setCount(unsigned) override {}
    void setNoNotifications(bool) override {}
    std::shared_ptr<UITableView> content() const override { return nullptr; }
    VTController* controller() const override { return nullptr; }
    double listWidth() const override { return 320; }
};

// A kill leaves the page cache to the next reader, so what survives one does not depend on fsync (that is
// for power cuts, and NSFileManager's own tests fail it); without it a thousand workers take seconds, not a
// minute of waiting for the disk.
class CallsWithoutFsync final : public FileSystemCalls {
public:
    int fsync(int) override { return 0; }
};

// Runs the job on a job thread of its own, as the shell does, and returns once it has ended.
void onJobThread(std::function<void()> job)
{
    NSThread::detachNewThread(std::move(job));
    JobThreadTracker::waitForAll();
}

void append(long number, const std::string& bundleIdentifier)
{
    const auto record = NSDictionary::dictionaryWithEntries({
        {"Application", NSString::stringWithString("Worker")},
        {"Body", NSString::stringWithString(std::to_string(number))},
        {"Date", NSDate::date()},
        {"Bundle Identifier", NSString::stringWithString(bundleIdentifier)},
    });
    onJobThread([record] { PLWriter::write(record); });
}

void openAndClosePanel()
{
    Panel panel;
    auto manager = std::make_shared<VTSorterByDate>();
    manager->setWindow(&panel);
    manager->loadNotifications();
    JobThreadTracker::waitForAll();
    while (NSRunLoop::mainRunLoop().runOnce()) {
    }
    manager->purge();
    manager->flush();
}

[[noreturn]] void work(unsigned seed)
{
    CrossProcessChannels::useLoopback();
    NSFileManager::defaultManager().setFileSystemCalls(std::make_shared<CallsWithoutFsync>());
    say("pid " + std::to_string(getpid()));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> operation(0, 9);
    std::uniform_int_distribution<std::size_t> application(0, kBundleIdentifiers.size() - 1);
    for (long number = 0;; ++number) {
        const std::string bundleIdentifier = kBundleIdentifiers[application(random)];
        const int chosen = operation(random);
        if (chosen < 6) {
            append(number, bundleIdentifier);
            say("appended " + std::to_string(number) + " " + bundleIdentifier);
        } else if (chosen < 8) {
            say("deleting " + bundleIdentifier);
            onJobThread([bundleIdentifier] { PLWriter::deleteNotificationsForApplication(bundleIdentifier); });
            say("deleted " + bundleIdentifier);
        } else {
            openAndClosePanel();
            say("closed");
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantle_log_workload <device root>\n");
        return 2;
    }
    DeviceRoot::setRoot(argv[1]);
    for (std::string line; std::getline(std::cin, line);) {
        if (line.rfind("run ", 0) != 0) {
            std::fprintf(stderr, "vantle_log_workload: unknown command: %s\n", line.c_str());
            return 2;
        }
        const pid_t worker = fork();
        if (worker < 0) {
            std::perror("vantle_log_workload: fork");
            return 1;
        }
        if (worker == 0) {
            work(static_cast<unsigned>(std::stoul(line.substr(4))));
        }
        int status = 0;
        while (waitpid(worker, &status, 0) < 0 && errno == EINTR) {
        }
        say("ended");
    }
    return 0;
}
