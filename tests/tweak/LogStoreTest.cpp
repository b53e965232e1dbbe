#include "CFNotificationCenter.h"
#include "CrossProcessChannels.h"
#include "FileSystemCalls.h"
#include "LaunchAction.h"
#include "LogTestSupport.h"
#include "NSNotification.h"
#include "NSNotificationCenter.h"
#include "NSNumber.h"
#include "NSPropertyListSerialization.h"
#include "NSRecursiveLockHolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

using namespace logtest;

namespace {

const char* kNew = PLWriter::kNewNotificationsPath;
const char* kOld = PLWriter::kOldNotificationsPath;

// The files in the log folder whose names say they were moved aside.
std::vector<std::filesystem::path> setAside(const TemporaryDeviceRoot& root)
{
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(root.hostPath(PLWriter::kLogFolder))) {
        if (entry.path().filename().string().find(".unreadable-") != std::string::npos) {
            found.push_back(entry.path());
        }
    }
    return found;
}

class RenameCountingCalls final : public FileSystemCalls {
public:
    int rename(const char* from, const char* to) override
    {
        ++renames;
        return FileSystemCalls::rename(from, to);
    }
    std::atomic<int> renames{0};
};

// Counts the in-process broadcasts and keeps the last one.
class BroadcastWatcher {
public:
    BroadcastWatcher()
    {
        NSNotificationCenter::defaultCenter().addObserver(
            this,
            [this](const std::shared_ptr<NSNotification>& notification) {
                ++count;
                last = notification;
            },
            std::string(PLWriter::kNewNotificationBroadcast));
    }
    ~BroadcastWatcher() { NSNotificationCenter::defaultCenter().removeObserver(this); }

    int count = 0;
    std::shared_ptr<NSNotification> last;
};

} // namespace

class LogStore : public LogFixture {
protected:
    static void writeNow(const std::shared_ptr<NSDictionary>& record)
    {
        NSThread::detachNewThread([record] { PLWriter::write(record); });
        drain();
    }
    static void deleteNow(const std::string& bundleIdentifier)
    {
        NSThread::detachNewThread([bundleIdentifier] { PLWriter::deleteNotificationsForApplication(bundleIdentifier); });
        drain();
    }
};

TEST_F(LogStore, AppendsNewestFirstWithOnlyThePlainKeys)
{
    writeNow(makeRecord("Chat", "A", "com.example.chat", 1000.75));
    auto log = readLog(kNew);
    ASSERT_TRUE(log.has_value()) << "a missing file is created";
    EXPECT_EQ(log->size(), 1u);

    writeNow(makeRecord("Chat", "B"));
    auto full = makeRecord("Chat", "C", "com.example.chat")->entries();
    full.emplace("Action", LaunchAction::actionWithType(LaunchAction::Application, string("com.example.chat")));
    full.emplace("Sound", string("ding"));
    writeNow(NSDictionary::dictionaryWithEntries(full));

    log = readLog(kNew);
    EXPECT_EQ(bodies(log), (std::vector<std::string>{"C", "B", "A"}));
    ASSERT_EQ(log->size(), 3u);
    EXPECT_EQ(log->at(0)->count(), 4u) << "Action and the extra key are not stored";
    EXPECT_EQ(log->at(1)->count(), 3u) << "no Bundle Identifier when the record has none";
    EXPECT_EQ(log->at(2)->stringForKey("Bundle Identifier"), "com.example.chat");
    const auto date = log->at(2)->objectForKey<NSDate>("Date");
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->timeIntervalSinceReferenceDate(), 1000.0) << "the file keeps whole seconds";
    EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(kOld));
}

TEST_F(LogStore, AnnouncesEachRecordOnEveryChannel)
{
    CrossProcessChannels::useLoopback();
    int darwinPosts = 0;
    int marker = 0;
    CFNotificationCenter::getDarwinNotifyCenter().addObserver(
        PLWriter::kNewNotificationDarwinName,
        [&](CFNotificationCenter*, void*, const std::string&, const void*, const std::shared_ptr<NSDictionary>&) {
            ++darwinPosts;
        },
        &marker);
    BroadcastWatcher broadcasts;
    const auto window = std::make_shared<FakeWindow>();
    VTWindowLink::setSharedLink(window);

    auto full = makeRecord("Chat", "closed", "com.example.chat")->entries();
    const auto action = LaunchAction::actionWithType(LaunchAction::Application, string("com.example.chat"));
    full.emplace("Action", action);
    writeNow(NSDictionary::dictionaryWithEntries(full));

    EXPECT_TRUE(statusBarShown());
    EXPECT_EQ(darwinPosts, 1);
    ASSERT_EQ(broadcasts.count, 1);
    EXPECT_EQ(broadcasts.last->object(), nullptr);
    EXPECT_EQ(broadcasts.last->userInfo()->objectForKey("Action"), action) << "the broadcast carries the full record";
    ASSERT_EQ(window->received.size(), 1u);
    EXPECT_EQ(window->received[0]->count(), 4u) << "the window gets the plain record";
    EXPECT_NE(window->received[0]->objectForKey<NSDate>("Date"), nullptr);
    EXPECT_TRUE(window->onMainThread);

    window->shown = true;
    writeNow(makeRecord("Chat", "open"));
    EXPECT_EQ(darwinPosts, 2) << "other processes always hear of a record";
    EXPECT_EQ(broadcasts.count, 1) << "no in-process broadcast while the panel is open";
    EXPECT_EQ(window->received.size(), 2u);

    CFNotificationCenter::getDarwinNotifyCenter().removeEveryObserver(&marker);
}

TEST_F(LogStore, StatusBarImageFollowsTheSettingAndThePlatform)
{
    writePreferences({{"Statusbar Icons", NSNumber::numberWithBool(false)}});
    PLWriter::reloadSettings();
    writeNow(makeRecord("Chat", "quiet"));
    EXPECT_FALSE(statusBarShown());

    PLWriter::resetSettings();
    UIApplication::setInstancesRespondToSelector("addStatusBarImageNamed:", false);
    writeNow(makeRecord("Chat", "old platform"));
    UIApplication::setInstancesRespondToSelector("addStatusBarImageNamed:", true);
    EXPECT_FALSE(statusBarShown());
    EXPECT_EQ(bodies(readLog(kNew)), (std::vector<std::string>{"old platform", "quiet"}));

    // Emptying the new file takes the image away only where the platform has the operation.
    writeNow(makeRecord("Chat", "shown", "com.example.chat"));
    EXPECT_TRUE(statusBarShown());
    writeLog(kNew, {makeRecord("Chat", "only", "com.example.chat")});
    UIApplication::setInstancesRespondToSelector("removeStatusBarImageNamed:", false);
    deleteNow("com.example.chat");
    UIApplication::setInstancesRespondToSelector("removeStatusBarImageNamed:", true);
    EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(kNew));
    EXPECT_TRUE(statusBarShown());
}

TEST_F(LogStore, DeletesOneApplicationsRecordsFromBothFilesKeepingOrder)
{
    writeLog(kNew, {makeRecord("Chat", "n1", "com.example.chat"), makeRecord("Mail", "n2", "com.example.mail"),
                    makeRecord("Chat", "n3", "com.example.chat"), makeRecord("Battery", "n4"),
                    makeRecord("Chat", "n5", "com.example.CHAT")});
    writeLog(kOld, {makeRecord("Chat", "o1", "com.example.chat"), makeRecord("Mail", "o2", "com.example.mail")});
    UIApplication::sharedApplication()->addStatusBarImageNamed(PLWriter::kStatusBarImageName);

    deleteNow("com.example.chat");
    EXPECT_EQ(bodies(readLog(kNew)), (std::vector<std::string>{"n2", "n4", "n5"}))
        << "another letter case and records without an identifier stay";
    EXPECT_EQ(bodies(readLog(kOld)), (std::vector<std::string>{"o2"}));
    EXPECT_TRUE(statusBarShown()) << "records remain in the new file";

    deleteNow("com.example.unknown");
    EXPECT_EQ(bodies(readLog(kNew)), (std::vector<std::string>{"n2", "n4", "n5"}));

    deleteNow("com.example.mail");
    EXPECT_EQ(bodies(readLog(kNew)), (std::vector<std::string>{"n4", "n5"}));
    EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(kOld)) << "an emptied old file is removed";
    EXPECT_TRUE(statusBarShown()) << "the old file leaves the status bar alone";
}

TEST_F(LogStore, EmptyingTheNewFileRemovesItAndTheStatusBarImage)
{
    writeLog(kNew, {makeRecord("Chat", "n1", "com.example.chat")});
    writeNow(makeRecord("Chat", "n0", "com.example.chat"));
    ASSERT_TRUE(statusBarShown());
    deleteNow("com.example.chat");
    EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(kNew));
    EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(kOld)) << "a missing file stays missing";
    EXPECT_FALSE(statusBarShown());
}

TEST_F(LogStore, NothingIsDeletedWhileThePanelIsShown)
{
    writeLog(kNew, {makeRecord("Chat", "n1", "com.example.chat")});
    writeLog(kOld, {makeRecord("Chat", "o1", "com.example.chat")});
    const auto before = fileBytes(root.hostPath(kNew));
    const auto window = std::make_shared<FakeWindow>();
    window->shown = true;
    VTWindowLink::setSharedLink(window);
    deleteNow("com.example.chat");
    EXPECT_EQ(fileBytes(root.hostPath(kNew)), before);
    EXPECT_EQ(bodies(readLog(kOld)), (std::vector<std::string>{"o1"}));
}

TEST_F(LogStore, AnUnreadableNewFileIsMovedAsideBeforeItIsReplaced)
{
    const std::string damaged = "<?xml version=\"1.0\"?><plist><array><dict><key>Body</key>";
    std::ofstream(root.hostPath(kNew), std::ios::binary) << damaged;
    writeNow(makeRecord("Chat", "fresh"));
    EXPECT_EQ(bodies(readLog(kNew)), (std::vector<std::string>{"fresh"}));
    auto aside = setAside(root);
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(fileBytes(aside[0]), damaged) << "the damaged file keeps every byte";
    EXPECT_EQ(aside[0].filename().string().rfind("NewNotifications.plist.unreadable-", 0), 0u);

    // A property list that is not a list is not ours to overwrite either.
    ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(
        NSDictionary::dictionaryWithEntries({{"Body", string("a dictionary")}}), kNew));
    writeNow(makeRecord("Chat", "again"));
    EXPECT_EQ(bodies(readLog(kNew)), (std::vector<std::string>{"again"}));
    EXPECT_EQ(setAside(root).size(), 2u);
}

TEST_F(LogStore, DeletionMovesUnreadableFilesAsideInsteadOfRemovingThem)
{
    std::ofstream(root.hostPath(kNew), std::ios::binary) << "not a property list";
    std::ofstream(root.hostPath(kOld), std::ios::binary) << "bplist00 broken";
    UIApplication::sharedApplication()->addStatusBarImageNamed(PLWriter::kStatusBarImageName);
    deleteNow("com.example.chat");
    EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(kNew));
    EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(kOld));
    EXPECT_FALSE(statusBarShown()) << "the new file is gone from its path, as if emptied";
    std::vector<std::string> contents;
    for (const auto& path : setAside(root)) {
        contents.push_back(fileBytes(path));
    }
    std::sort(contents.begin(), contents.end());
    EXPECT_EQ(contents, (std::vector<std::string>{"bplist00 broken", "not a property list"}));
}

// A panel that opens while a deletion runs: it reads the new file under the store's lock at the moment
// the deletion asks whether the panel is shown, if it can get the lock then.
class OpeningWindow final : public VTWindowLink {
public:
    void addNotification(const std::shared_ptr<NSDictionary>&) override {}
    bool isWindowShown() const override
    {
        const bool wasShown = shown.exchange(true);
        std::thread opening([this] {
            if (PLWriter::storeLock().tryLock()) {
                panelShows = bodies(readLog(kNew));
                PLWriter::storeLock().unlock();
            }
        });
        opening.join();
        return wasShown;
    }

    mutable std::atomic<bool> shown{false};
    mutable std::vector<std::string> panelShows;
};

TEST_F(LogStore, APanelOpeningDuringADeletionNeverSeesItsRecordsVanish)
{
    writeLog(kNew, {makeRecord("Chat", "n1", "com.example.chat"), makeRecord("Mail", "n2", "com.example.mail")});
    const auto window = std::make_shared<OpeningWindow>();
    VTWindowLink::setSharedLink(window);
    deleteNow("com.example.chat");
    const auto kept = bodies(readLog(kNew));
    for (const auto& shown : window->panelShows) {
        EXPECT_TRUE(std::find(kept.begin(), kept.end(), shown) != kept.end()) << shown << " vanished under the open panel";
    }
    EXPECT_EQ(kept, (std::vector<std::string>{"n2"})) << "the panel was closed when the deletion looked";
}

TEST_F(LogStore, AppendsAndDeletionsLeaveTheBytesAFullWriteWouldLeave)
{
    const auto compactXml = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><array>") +
                            "<dict><key>Application</key><string>Chat</string><key>Body</key><string>first</string>" +
                            "<key>Date</key><date>2026-01-01T00:00:00Z</date><key>Bundle Identifier</key>" +
                            "<string>com.example.chat</string></dict></array></plist>";
    const std::pair<const char*, std::function<void()>> starts[] = {
        {"written by the system", [] { writeLog(kNew, {makeRecord("Chat", "first", "com.example.chat")}); }},
        {"another writer's layout", [&] { std::ofstream(root.hostPath(kNew), std::ios::binary) << compactXml; }},
        {"no file", [] {}},
    };
    for (const auto& [name, start] : starts) {
        SCOPED_TRACE(name);
        std::filesystem::remove(root.hostPath(kNew));
        start();
        writeNow(makeRecord("Mail", "a < b & \"c\" > d\n\ttabbed <dict>", "com.example.mail"));
        writeNow(makeRecord("Chat", "héllo ✓", "com.example.chat"));
        writeNow(makeRecord("Notes", ""));
        deleteNow("com.example.chat");
        writeNow(makeRecord("Mail", "last", "com.example.mail"));

        const auto records = readLog(kNew);
        ASSERT_TRUE(records.has_value());
        EXPECT_EQ(bodies(records), (std::vector<std::string>{"last", "", "a < b & \"c\" > d\n\ttabbed <dict>"}));
        const std::vector<id> objects(records->begin(), records->end());
        const auto fullWrite = NSPropertyListSerialization::dataWithPropertyList(NSArray::arrayWithObjects(objects));
        ASSERT_TRUE(fullWrite.ok());
        EXPECT_EQ(fileBytes(root.hostPath(kNew)), fullWrite.value());
    }
}

TEST_F(LogStore, AFileReplacedBehindTheStoresBackIsReadAfresh)
{
    writeNow(makeRecord("Chat", "mine"));
    const auto path = root.hostPath(kNew);
    struct stat written {};
    ASSERT_EQ(::stat(path.c_str(), &written), 0);

    // Another process replaces the file as every writer here does (a new file renamed over it), with the
    // same size, and sets its times to those of the store's file.
    const std::vector<id> theirs{makeRecord("Chat", "your")};
    const auto bytes = NSPropertyListSerialization::dataWithPropertyList(NSArray::arrayWithObjects(theirs));
    ASSERT_TRUE(bytes.ok());
    ASSERT_EQ(bytes.value().size(), static_cast<std::size_t>(written.st_size));
    const auto temporary = path.parent_path() / "elsewhere.tmp";
    std::ofstream(temporary, std::ios::binary) << bytes.value();
    const timespec times[2] = {written.st_atim, written.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, temporary.c_str(), times, 0), 0);
    std::filesystem::rename(temporary, path);

    writeNow(makeRecord("Chat", "next"));
    EXPECT_EQ(bodies(readLog(kNew)), (std::vector<std::string>{"next", "your"}));
}

TEST_F(LogStore, RecordsWaitingForTheLockAreWrittenWithOneRewriteAndHandedOverInItsOrder)
{
    const auto window = std::make_shared<FakeWindow>();
    VTWindowLink::setSharedLink(window);
    const auto calls = std::make_shared<RenameCountingCalls>();
    NSFileManager::defaultManager().setFileSystemCalls(calls);
    constexpr int kRecords = 5;
    {
        // As the list manager does while it rewrites the files.
        const NSRecursiveLockHolder hold(PLWriter::storeLock());
        for (int index = 0; index < kRecords; ++index) {
            NSThread::detachNewThread([index] { PLWriter::write(makeRecord("Chat", std::to_string(index))); });
        }
        // The first thread waits for the lock to write them all; the others leave at once.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (JobThreadTracker::runningCount() > 1) {
            ASSERT_TRUE(std::chrono::steady_clock::now() < deadline) << "the threads kept waiting";
            std::this_thread::yield();
        }
        EXPECT_FALSE(readLog(kNew).has_value());
    }
    drain();
    NSFileManager::defaultManager().setFileSystemCalls(nullptr);
    EXPECT_EQ(calls->renames.load(), 1);
    const auto written = bodies(readLog(kNew));
    ASSERT_EQ(written.size(), static_cast<std::size_t>(kRecords));
    EXPECT_EQ(std::set<std::string>(written.begin(), written.end()).size(), written.size());
    EXPECT_EQ(std::vector<std::string>(written.rbegin(), written.rend()), bodies(window->received))
        << "the window receives the records oldest first, as they were put in front of each other";
}

TEST_F(LogStore, AnUpdateReplacesItsRecordWhileTheNewFileHoldsItAndIsWrittenAnewOtherwise)
{
    const auto replaced = makeRecord("Volume", "10%", "org.example.volume", 1000);
    const auto update = makeRecord("Volume", "20%", "org.example.volume", 1001);
    struct Case {
        const char* name;
        std::vector<std::shared_ptr<NSDictionary>> newFile;
        bool panelShown;
        std::vector<std::string> after;
    };
    const std::vector<Case> cases = {
        {"held: taken out, the update in front", {makeRecord("Chat", "b"), replaced, makeRecord("Chat", "a")}, false,
         {"20%", "b", "a"}},
        {"moved on by the panel", {makeRecord("Chat", "b")}, false, {"20%", "b"}},
        {"held, but the panel shows it", {replaced}, true, {"20%", "10%"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeLog(kNew, c.newFile);
        const auto window = std::make_shared<FakeWindow>();
        window->shown = c.panelShown;
        VTWindowLink::setSharedLink(window);
        BroadcastWatcher broadcasts;
        NSThread::detachNewThread([&] { PLWriter::writeReplacing(update, replaced); });
        drain();
        EXPECT_EQ(bodies(readLog(kNew)), c.after);
        EXPECT_EQ(broadcasts.count, c.panelShown ? 0 : 1) << "announced as a new record is";
        VTWindowLink::setSharedLink(nullptr);
    }
}
