// Writers (one of them not waiting for its writes), a deleter and a settings reload racing on the log store:
// nothing is lost, nothing doubled, each writer's records stay newest first. Run under the tsan preset as well.
#include "FileSystemCalls.h"
#include "LogTestSupport.h"
#include "NSNumber.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace logtest;

namespace {

constexpr int kWriters = 8;
constexpr int kRecordsPerWriter = 250;
constexpr const char* kDoomed = "com.example.doomed";

std::string bodyOf(int writer, int index) { return std::to_string(writer) + ":" + std::to_string(index); }

// Durability is tested with real fsyncs elsewhere; here they would only make two thousand rewrites wait for
// the disk.
class CallsWithoutFsync final : public FileSystemCalls {
public:
    int fsync(int) override { return 0; }
};

} // namespace

class LogStoreConcurrency : public LogFixture {
protected:
    LogStoreConcurrency() { NSFileManager::defaultManager().setFileSystemCalls(std::make_shared<CallsWithoutFsync>()); }
    ~LogStoreConcurrency() override { NSFileManager::defaultManager().setFileSystemCalls(nullptr); }
};

TEST_F(LogStoreConcurrency, ParallelWritersDeletionAndReloadLoseAndDoubleNothing)
{
    std::vector<std::shared_ptr<NSDictionary>> doomed;
    for (int index = 0; index < 50; ++index) {
        doomed.push_back(makeRecord("Doomed", "doomed " + std::to_string(index), std::string(kDoomed)));
    }
    writeLog(PLWriter::kNewNotificationsPath, doomed);
    writeLog(PLWriter::kOldNotificationsPath, doomed);
    writePreferences({{"Statusbar Icons", NSNumber::numberWithBool(true)}});

    // The last writer hands its records in without waiting for any of them, as the capture does.
    for (int writer = 0; writer < kWriters; ++writer) {
        NSThread::detachNewThread([writer] {
            for (int index = 0; index < kRecordsPerWriter; ++index) {
                const auto record = makeRecord("Writer", bodyOf(writer, index), "com.example.writer" + std::to_string(writer));
                if (writer + 1 < kWriters) {
                    PLWriter::write(record);
                } else {
                    PLWriter::writeLater(record);
                }
            }
        });
    }
    NSThread::detachNewThread([] {
        for (int round = 0; round < 20; ++round) {
            PLWriter::deleteNotificationsForApplication(kDoomed);
        }
    });
    NSThread::detachNewThread([] {
        for (int round = 0; round < 50; ++round) {
            PLWriter::reloadSettings();
        }
    });
    drain();

    const auto records = readLog(PLWriter::kNewNotificationsPath);
    ASSERT_TRUE(records.has_value());
    std::map<std::string, int> seen;
    std::vector<int> lastIndexOfWriter(kWriters, kRecordsPerWriter);
    for (const auto& body : bodies(records)) {
        ASSERT_EQ(body.rfind("doomed", 0), std::string::npos) << "a deleted record came back";
        ASSERT_EQ(++seen[body], 1) << body << " is in the log twice";
        const auto colon = body.find(':');
        const int writer = std::stoi(body.substr(0, colon));
        const int index = std::stoi(body.substr(colon + 1));
        EXPECT_LT(index, lastIndexOfWriter[writer]) << "writer " << writer << "'s records are out of order";
        lastIndexOfWriter[writer] = index;
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kWriters * kRecordsPerWriter));
    EXPECT_FALSE(readLog(PLWriter::kOldNotificationsPath).has_value()) << "the old file held only doomed records";
    EXPECT_TRUE(statusBarShown());
}
