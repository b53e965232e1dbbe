// The shell is killed with SIGKILL in the middle of a burst of records that one client sends over the bus as
// fast as the shell answers, several calls in flight at once: a plug-in posting to the log's messaging centre,
// and a desktop client calling Notify. The log file must still parse and hold each record at most once, and
// every record whose call the client saw answered: the shell answers only after the write that holds the
// record has returned.
#include "ChildProcess.h"
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "PLWriter.h"
#include "ShellHost.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct Burst {
    const char* name;
    std::vector<std::string> hostArguments;
    std::vector<std::string> client; // the peer's arguments, the burst's size last
    long size;
};

TEST(ShellCrash, AShellKilledDuringABurstLeavesAWholeLogWithEveryAcknowledgedRecordOnce)
{
    const Burst bursts[] = {
        {"plug-in messages", {}, {"burst", PLWriter::kMessagingCenterName, PLWriter::kNewNotificationMessage}, 10000},
        {"desktop notifications", {"--desktop-notifications"}, {"notify-burst"}, 2000},
    };
    for (const Burst& burst : bursts) {
        SCOPED_TRACE(burst.name);
        // Acknowledgements seen before the kill: half the burst, so the kill lands while records are still
        // arriving and being written.
        const long killAfter = burst.size / 2;
        ShellHost::Options shellOptions;
        shellOptions.hostArguments = burst.hostArguments;
        ShellHost shell(shellOptions);
        ASSERT_TRUE(shell.isRunning()) << shell.failure();
        ChildProcess::Options options;
        options.environment = {{"DBUS_SESSION_BUS_ADDRESS", shell.busAddress()}};
        std::vector<std::string> arguments{VANTLE_IPC_PEER};
        arguments.insert(arguments.end(), burst.client.begin(), burst.client.end());
        arguments.push_back(std::to_string(burst.size));
        std::string failure;
        auto client = ChildProcess::start(arguments, options, failure);
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
            if (!killed && static_cast<long>(acknowledged.size()) >= killAfter) {
                shell.kill();
                killed = true;
            }
        }
        ASSERT_TRUE(killed) << "the burst ended before " << killAfter << " acknowledgements";

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
            EXPECT_TRUE(number >= 0 && number < burst.size) << body;
            EXPECT_TRUE(logged.insert(number).second) << "record " << body << " is in the file twice";
        }
        long lost = 0;
        for (const long number : acknowledged) {
            lost += logged.contains(number) ? 0 : 1;
        }
        EXPECT_EQ(lost, 0) << "of " << acknowledged.size() << " acknowledged records";
    }
}

} // namespace
