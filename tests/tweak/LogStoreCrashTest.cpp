// Workers that append records, delete an application's records and close the panel (the list manager's
// rewrite of both files) are killed with SIGKILL at a thousand arbitrary moments; each time both log files
// must still parse, newest first, and hold every record whose append had returned, unless a deletion of its
// application had begun.
#include "ChildProcess.h"
#include "LogTestSupport.h"
#include "NSNumber.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace logtest;

namespace {

// What a worker said before it died.
class Acknowledged {
public:
    void heard(const std::string& line)
    {
        const auto space = line.find(' ');
        const std::string what = line.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
        if (what == "appended") {
            const auto second = rest.find(' ');
            records_[std::stol(rest.substr(0, second))] = rest.substr(second + 1);
        } else if (what == "deleting") {
            deleting_.insert(rest);
        } else if (what == "deleted") {
            std::erase_if(records_, [&](const auto& record) { return record.second == rest; });
            deleting_.erase(rest);
        } else {
            ASSERT_EQ(what, "closed");
        }
    }

    // The records that must be in one of the files.
    std::vector<long> mustBeKept() const
    {
        std::vector<long> kept;
        for (const auto& [number, bundleIdentifier] : records_) {
            if (!deleting_.count(bundleIdentifier)) {
                kept.push_back(number);
            }
        }
        return kept;
    }

private:
    std::map<long, std::string> records_; // record number -> bundle identifier, appended and not deleted
    std::set<std::string> deleting_;      // deletions begun but not returned
};

// The record numbers of a log file, which must parse (or be missing) and list the newest first.
std::vector<long> numbersIn(const char* path)
{
    const auto read = NSFileManager::defaultManager().readPropertyListAtPath(path);
    EXPECT_FALSE(read.isUnreadable()) << path << ": " << read.reason();
    std::vector<long> numbers;
    for (const auto& body : bodies(readLog(path))) {
        numbers.push_back(std::stol(body));
    }
    EXPECT_TRUE(std::is_sorted(numbers.rbegin(), numbers.rend())) << path << " is not newest first";
    return numbers;
}

} // namespace

class LogStoreCrash : public LogFixture {};

TEST_F(LogStoreCrash, KilledWorkersNeverLeaveABrokenFileNorLoseAnAcknowledgedRecord)
{
    constexpr int kKills = 1000;
    // Closing keeps every record: none is cut by the item limit.
    writePreferences({{"Items To Keep", NSNumber::numberWithInteger(-1)}});
    std::string failure;
    ChildProcess::Options options;
    options.takesInput = true;
    auto workload = ChildProcess::start({VANTLE_LOG_WORKLOAD, root.path().string()}, options, failure);
    ASSERT_NE(workload, nullptr) << failure;

    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> linesBeforeKill(0, 6);
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        std::filesystem::remove(root.hostPath(PLWriter::kNewNotificationsPath));
        std::filesystem::remove(root.hostPath(PLWriter::kOldNotificationsPath));

        ASSERT_TRUE(workload->writeLine("run " + std::to_string(random())));
        const auto started = workload->nextLine();
        ASSERT_TRUE(started && started->rfind("pid ", 0) == 0) << started.value_or("(nothing)");
        // The worker keeps going while this process reads what it says, so the kill lands anywhere: in the
        // middle of writing a temporary file, between a rename and the next file's change, after it.
        Acknowledged acknowledged;
        for (int wanted = linesBeforeKill(random); wanted > 0; --wanted) {
            const auto said = workload->nextLine();
            ASSERT_TRUE(said.has_value());
            acknowledged.heard(*said);
        }
        ::kill(std::stoi(started->substr(4)), SIGKILL);
        for (auto said = workload->nextLine(); said != "ended"; said = workload->nextLine()) {
            ASSERT_TRUE(said.has_value());
            acknowledged.heard(*said);
        }

        std::set<long> held;
        for (const char* path : {PLWriter::kNewNotificationsPath, PLWriter::kOldNotificationsPath}) {
            for (const long number : numbersIn(path)) {
                held.insert(number);
            }
        }
        for (const long number : acknowledged.mustBeKept()) {
            ASSERT_TRUE(held.count(number)) << "record " << number << " was acknowledged but is in neither file";
        }
        ASSERT_FALSE(HasFailure());
    }

    // Nothing was ever found unreadable and moved aside, and what the killed workers left half-written is
    // found and removed.
    NSFileManager::defaultManager().removeStaleTemporaryFiles(PLWriter::kLogFolder);
    for (const auto& entry : std::filesystem::directory_iterator(root.hostPath(PLWriter::kLogFolder))) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
        EXPECT_EQ(entry.path().filename().string().find(".unreadable-"), std::string::npos) << entry.path();
    }
}
