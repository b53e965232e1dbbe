// The shell is killed with SIGKILL in the middle of a burst of 10,000 records that one plug-in client posts
// over the bus as fast as the shell answers, several posts in flight at once. The log file must still parse
// and hold each record at most once, and every record whose post the client saw acknowledged: the shell
// answers a post only after the write that holds its record has returned.
#include "ChildProcess.h"
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "PLWriter.h"
#include "ShellHost.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

constexpr long kBurst = 10000;
// Acknowledgements seen before the kill: half the burst, so the kill lands while records are still arriving
// and being written.
constexpr long kKillAfterAcknowledgements = 5000;

TEST(ShellCrash, AShellKilledDuringABurstLeavesAWholeLogWithEveryAcknowledgedRecordOnce)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    ChildProcess::Options options;
    options.environment = {{"DBUS_SESSION_BUS_ADDRESS", shell.busAddress()}};
    std::string failure;
    auto client = ChildProcess::start(
        {VANTLE_IPC_PEER, "burst", PLWriter::kMessagingCenterName, PLWriter::kNewNotificationMessage, std::to_string(kBurst)},
        options, failure);
    ASSERT_NE(client, nullptr) << failure;

    std::set<long> acknowledged;
    bool killed = false;
    // Every acknowledgement counts, also those read after the kill: the shell answered them before it died.
    while (const auto line = client->nextLine()) {
        if (*line == "done") {
            break;
        }
        if (line->starts_with("acknowledged ")) {
            acknowledged.insert(std::stol(line->substr(13)));
        }
        if (!killed && static_cast<long>(acknowledged.size()) >= kKillAfterAcknowledgements) {
            shell.kill();
            killed = true;
        }
    }
    ASSERT_TRUE(killed) << "the burst ended before " << kKillAfterAcknowledgements << " acknowledgements";

    const auto read = NSFileManager::defaultManager().readPropertyListAtPath(PLWriter::kNewNotificationsPath);
    ASSERT_TRUE(read.isOk()) << read.reason();
    const auto list = read.valueAs<NSArray>();
    ASSERT_NE(list, nullptr);
    std::set<long> logged;
    for (const auto& element : list->objects()) {
        const auto record = as<NSDictionary>(element);
        ASSERT_NE(record, nullptr);
        const std::string body = record->stringForKey("Body").value_or("");
        const long number = std::stol(body);
        EXPECT_TRUE(number >= 0 && number < kBurst) << body;
        EXPECT_TRUE(logged.insert(number).second) << "record " << body << " is in the file twice";
    }
    for (const long number : acknowledged) {
        EXPECT_TRUE(logged.contains(number)) << "record " << number << " was acknowledged but is not in the file";
    }
}

} // namespace
