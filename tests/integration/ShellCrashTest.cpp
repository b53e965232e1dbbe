// The shell is killed with SIGKILL in the middle of a burst of 10,000 records that one plug-in client posts
// over the bus as fast as the shell takes them. The log file must still parse and hold each record once, and
// at least every record the shell had announced: it posts "net.torvask.NewNotification" only after the write
// that holds a record has returned.
#include "CFNotificationCenter.h"
#include "ChildProcess.h"
#include "CrossProcessChannels.h"
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSRunLoop.h"
#include "PLWriter.h"
#include "ShellHost.h"
#include "TestDeadline.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

constexpr long kBurst = 10000;
// Announcements heard before the kill: half the burst, so the kill lands while records are still arriving and
// being written.
constexpr int kKillAfterAnnouncements = 5000;

TEST(ShellCrash, AShellKilledDuringABurstLeavesAWholeLogWithEveryAnnouncedRecordOnce)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    CrossProcessChannels::useSessionBus(shell.busAddress());
    auto& darwin = CFNotificationCenter::getDarwinNotifyCenter();
    int announced = 0;
    bool listening = false;
    int key = 0;
    darwin.addObserver("net.torvask.NewNotification", [&](auto&&...) { ++announced; }, &key);
    darwin.addObserver("net.torvask.Test.Listening", [&](auto&&...) { listening = true; }, &key);
    darwin.postNotification("net.torvask.Test.Listening");
    ASSERT_TRUE(NSRunLoop::mainRunLoop().runUntilWithin([&] { return listening; }, kTestDeadline));

    ChildProcess::Options options;
    options.environment = {{"DBUS_SESSION_BUS_ADDRESS", shell.busAddress()}};
    std::string failure;
    auto client = ChildProcess::start(
        {VANTLE_IPC_PEER, "burst", PLWriter::kMessagingCenterName, PLWriter::kNewNotificationMessage, std::to_string(kBurst)},
        options, failure);
    ASSERT_NE(client, nullptr) << failure;
    ASSERT_TRUE(NSRunLoop::mainRunLoop().runUntilWithin([&] { return announced >= kKillAfterAnnouncements; },
                                                        kTestDeadline));
    const int heard = announced;
    shell.kill();
    darwin.removeEveryObserver(&key);
    CrossProcessChannels::useLoopback();

    const auto read = NSFileManager::defaultManager().readPropertyListAtPath(PLWriter::kNewNotificationsPath);
    ASSERT_TRUE(read.isOk()) << read.reason();
    const auto list = read.valueAs<NSArray>();
    ASSERT_NE(list, nullptr);
    std::set<long> bodies;
    for (const auto& element : list->objects()) {
        const auto record = as<NSDictionary>(element);
        ASSERT_NE(record, nullptr);
        const std::string body = record->stringForKey("Body").value_or("");
        const long number = std::stol(body);
        EXPECT_TRUE(number >= 0 && number < kBurst) << body;
        EXPECT_TRUE(bodies.insert(number).second) << "record " << body << " is in the file twice";
    }
    EXPECT_GE(bodies.size(), static_cast<std::size_t>(heard));
}

} // namespace
