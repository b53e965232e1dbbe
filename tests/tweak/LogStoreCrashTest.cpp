// A process appending to the log is killed with SIGKILL at arbitrary moments; each time, the file must
// still parse and hold every record whose append had returned.
#include "ChildProcess.h"
#include "LogTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace logtest;

class LogStoreCrash : public LogFixture {};

TEST_F(LogStoreCrash, KilledWritersNeverLeaveABrokenOrShortFile)
{
    constexpr int kKills = 200;
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> appendsBeforeKill(0, 6);
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        std::filesystem::remove(root.hostPath(PLWriter::kNewNotificationsPath));

        std::string failure;
        auto appender = ChildProcess::start({VANTLE_LOG_APPENDER, root.path().string()}, {}, failure);
        ASSERT_NE(appender, nullptr) << failure;
        // The child keeps appending while this process reads its reports, so the kill lands anywhere in
        // an append: in the middle of writing the temporary file, between fsync and rename, after it.
        int confirmed = -1;
        const int wanted = appendsBeforeKill(random);
        for (int line = 0; line < wanted; ++line) {
            const auto said = appender->nextLine();
            ASSERT_TRUE(said.has_value());
            confirmed = std::stoi(said->substr(std::string("appended ").size()));
        }
        appender.reset(); // SIGKILL, then reaped

        const bool exists = std::filesystem::exists(root.hostPath(PLWriter::kNewNotificationsPath));
        if (confirmed < 0 && !exists) {
            continue; // killed before the first append finished
        }
        const auto records = readLog(PLWriter::kNewNotificationsPath);
        ASSERT_TRUE(records.has_value()) << "the file does not parse";
        const auto held = bodies(records);
        // Newest first: the last append may or may not have made it; every confirmed one did.
        ASSERT_GE(static_cast<int>(held.size()), confirmed + 1);
        for (std::size_t position = 0; position < held.size(); ++position) {
            EXPECT_EQ(held[held.size() - 1 - position], std::to_string(position));
        }
    }

    // What the killed writers left half-written is found and removed.
    NSFileManager::defaultManager().removeStaleTemporaryFiles(PLWriter::kLogFolder);
    for (const auto& entry : std::filesystem::directory_iterator(root.hostPath(PLWriter::kLogFolder))) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
    }
}
