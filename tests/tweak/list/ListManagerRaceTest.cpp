// The list manager against the log store's writers on other threads: a record written while the panel
// opens is listed once, and one written while it closes is kept, exactly once. Run under tsan as well.
#include "FileSystemCalls.h"
#include "ListTestSupport.h"
#include "NSNumber.h"
#include "VTSorterByDate.h"

#include <gtest/gtest.h>

#include <map>

using namespace listtest;
using logtest::makeRecord;
using logtest::readLog;

namespace {

// Durability is tested elsewhere; here fsyncs would only make a thousand rewrites wait for the disk.
class CallsWithoutFsync final : public FileSystemCalls {
public:
    int fsync(int) override { return 0; }
};

std::map<std::string, int> occurrences(const std::vector<std::string>& bodies)
{
    std::map<std::string, int> seen;
    for (const auto& body : bodies) {
        ++seen[body];
    }
    return seen;
}

} // namespace

class ListManagerRace : public ListFixture {
protected:
    ListManagerRace()
    {
        NSFileManager::defaultManager().setFileSystemCalls(std::make_shared<CallsWithoutFsync>());
        logtest::writePreferences({{"Items To Keep", NSNumber::numberWithInteger(-1)}});
        PLWriter::reloadSettings();
        VTWindowLink::setSharedLink(link);
    }
    ~ListManagerRace() override { NSFileManager::defaultManager().setFileSystemCalls(nullptr); }

    std::shared_ptr<ForwardingLink> link = std::make_shared<ForwardingLink>();
};

TEST_F(ListManagerRace, ARecordWrittenWhileThePanelClosesIsKeptExactlyOnce)
{
    constexpr int kRounds = 1000;
    for (int round = 0; round < kRounds; ++round) {
        const std::string body = "record " + std::to_string(round);
        logtest::writeLog(PLWriter::kNewNotificationsPath, {makeRecord("Mail", "shown", "com.example.mail")});
        link->manager = open<VTSorterByDate>();

        NSThread::detachNewThread([body] { PLWriter::write(makeRecord("Clock", body, "com.apple.mobiletimer")); });
        if (round % 2 == 1) {
            NSRunLoop::mainRunLoop().runOnce(); // now and then let a hand-over in first
        }
        panel.listManager->purge();
        panel.listManager->flush();
        panel.release();
        link->manager.reset();
        logtest::drain();

        auto all = logtest::bodies(readLog(PLWriter::kNewNotificationsPath));
        for (const auto& old : logtest::bodies(readLog(PLWriter::kOldNotificationsPath))) {
            all.push_back(old);
        }
        const auto seen = occurrences(all);
        ASSERT_EQ(seen.count(body) ? seen.at(body) : 0, 1) << "round " << round;
        ASSERT_EQ(seen.count("shown") ? seen.at("shown") : 0, 1) << "round " << round;
        ASSERT_EQ(all.size(), 2u) << "round " << round;
        (void)NSFileManager::defaultManager().removeItemAtPath(PLWriter::kNewNotificationsPath);
        (void)NSFileManager::defaultManager().removeItemAtPath(PLWriter::kOldNotificationsPath);
    }
}

TEST_F(ListManagerRace, ARecordWrittenWhileThePanelLoadsIsListedOnce)
{
    constexpr int kRounds = 300;
    for (int round = 0; round < kRounds; ++round) {
        const std::string body = "record " + std::to_string(round);
        auto manager = std::make_shared<VTSorterByDate>();
        panel.adopt(manager);
        link->manager = manager;
        NSThread::detachNewThread([manager] { manager->loadNotifications(); });
        NSThread::detachNewThread([body] { PLWriter::write(makeRecord("Clock", body, "com.apple.mobiletimer")); });
        logtest::drain();

        ASSERT_EQ(occurrences(bodiesOf(manager->rawNotifications()))[body], 1) << "round " << round;
        ASSERT_EQ(manager->count(), 1u) << "round " << round;
        ASSERT_EQ(panel.count, 1u) << "round " << round;
        manager->purge();
        manager->flush();
        panel.release();
        link->manager.reset();
        logtest::drain();
        ASSERT_EQ(logtest::bodies(readLog(PLWriter::kOldNotificationsPath)), std::vector<std::string>{body});
        (void)NSFileManager::defaultManager().removeItemAtPath(PLWriter::kOldNotificationsPath);
    }
}
