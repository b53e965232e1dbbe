#include "FileSystemCalls.h"
#include "LogTestSupport.h"
#include "NSNotification.h"
#include "NSNotificationCenter.h"

#include <gtest/gtest.h>

#include "Mutex.h"
#include "MutexLocker.h"
#include "SystemLog.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <tuple>

using namespace logtest;

namespace {

const char* kNew = PLWriter::kNewNotificationsPath;
const char* kOld = PLWriter::kOldNotificationsPath;

// System calls of which one kind fails with a chosen error.
class FailingCalls final : public FileSystemCalls {
public:
    enum class Step { Write, Fsync, FolderFsync, Rename, MoveAside, Unlink, ReadBack };
    FailingCalls(Step step, int error) : step_(step), error_(error) {}

    ssize_t write(int fd, const void* buffer, size_t size) override
    {
        return step_ == Step::Write ? fail() : FileSystemCalls::write(fd, buffer, size);
    }
    // How the store reads back the records it copies from the file it holds open.
    ssize_t pread(int fd, void* buffer, size_t size, off_t offset) override
    {
        return step_ == Step::ReadBack ? fail() : FileSystemCalls::pread(fd, buffer, size, offset);
    }
    int fsync(int fd) override
    {
        return step_ == Step::Fsync || (step_ == Step::FolderFsync && isFolder(fd)) ? fail() : FileSystemCalls::fsync(fd);
    }
    int unlink(const char* path) override { return step_ == Step::Unlink ? fail() : FileSystemCalls::unlink(path); }
    int rename(const char* from, const char* to) override
    {
        return step_ == Step::Rename ? fail() : FileSystemCalls::rename(from, to);
    }
    int renameNoReplace(const char* from, const char* to) override
    {
        return step_ == Step::MoveAside ? fail() : FileSystemCalls::renameNoReplace(from, to);
    }

private:
    static bool isFolder(int fd)
    {
        struct stat status {};
        return ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
    }
    int fail() const
    {
        errno = error_;
        return -1;
    }

    Step step_;
    int error_;
};

// Installs failing calls in the default file manager for its lifetime.
class InjectedFailure {
public:
    InjectedFailure(FailingCalls::Step step, int error)
    {
        NSFileManager::defaultManager().setFileSystemCalls(std::make_shared<FailingCalls>(step, error));
    }
    ~InjectedFailure() { NSFileManager::defaultManager().setFileSystemCalls(nullptr); }
};

// The lines written to the system log while it lives; any thread may write them.
class SystemLogLines {
public:
    SystemLogLines()
    {
        SystemLog::setObserver([this](const std::string& line) {
            MutexLocker locker(mutex_);
            lines_.push_back(line);
        });
    }
    ~SystemLogLines() { SystemLog::setObserver(nullptr); }

    std::vector<std::string> lines()
    {
        MutexLocker locker(mutex_);
        return lines_;
    }

private:
    Mutex mutex_;
    std::vector<std::string> lines_ VT_GUARDED_BY(mutex_);
};

void runJob(std::function<void()> job)
{
    NSThread::detachNewThread(std::move(job));
    drain();
}

} // namespace

class LogStoreFailures : public LogFixture {};

TEST_F(LogStoreFailures, AFailedWriteLeavesThePreviousFileIntact)
{
    using Step = FailingCalls::Step;
    const std::pair<Step, const char*> steps[] = {
        {Step::Write, "write"}, {Step::Fsync, "fsync"}, {Step::Rename, "rename"}, {Step::ReadBack, "read back"}};
    for (const auto& [step, name] : steps) {
        for (const int error : {ENOSPC, EIO}) {
            SCOPED_TRACE(std::string(name) + " fails with " + std::to_string(error));
            writeLog(kNew, {makeRecord("Chat", "B", "com.example.chat"), makeRecord("Mail", "A", "com.example.mail")});
            // Each file keeps a record after the deletion, so the deletion has to rewrite both.
            writeLog(kOld, {makeRecord("Chat", "old", "com.example.chat"), makeRecord("Mail", "older", "com.example.mail")});
            const auto newBefore = fileBytes(root.hostPath(kNew));
            const auto oldBefore = fileBytes(root.hostPath(kOld));
            {
                const InjectedFailure failure(step, error);
                runJob([] { PLWriter::write(makeRecord("Chat", "C")); });
                runJob([] { PLWriter::deleteNotificationsForApplication("com.example.chat"); });
            }
            EXPECT_EQ(fileBytes(root.hostPath(kNew)), newBefore);
            EXPECT_EQ(fileBytes(root.hostPath(kOld)), oldBefore);

            runJob([] { PLWriter::write(makeRecord("Chat", "D")); });
            EXPECT_EQ(bodies(readLog(kNew)), (std::vector<std::string>{"D", "C", "B", "A"}))
                << "the store works again, and the record it could not write comes behind the newer one";
        }
    }
}

TEST_F(LogStoreFailures, AnUnreadableFileThatCannotBeMovedAsideIsLeftAlone)
{
    const std::string damaged = "half a property list <plist><array>";
    std::ofstream(root.hostPath(kNew), std::ios::binary) << damaged;
    std::ofstream(root.hostPath(kOld), std::ios::binary) << damaged;
    {
        const InjectedFailure failure(FailingCalls::Step::MoveAside, EACCES);
        runJob([] { PLWriter::write(makeRecord("Chat", "C")); });
        runJob([] { PLWriter::deleteNotificationsForApplication("com.example.chat"); });
    }
    EXPECT_EQ(fileBytes(root.hostPath(kNew)), damaged) << "neither replaced nor removed";
    EXPECT_EQ(fileBytes(root.hostPath(kOld)), damaged);
}

TEST_F(LogStoreFailures, ARecordThatCannotBeWrittenIsLoggedAndWrittenWithTheNextOne)
{
    enum class Fault { NoFolder, DiskFull, FlushFails };
    const std::tuple<Fault, int, const char*> faults[] = {
        {Fault::NoFolder, ENOENT, "missing log folder"},
        {Fault::DiskFull, ENOSPC, "full disk"},
        {Fault::FlushFails, EIO, "failing flush"},
    };
    for (const auto& [fault, error, name] : faults) {
        SCOPED_TRACE(name);
        std::filesystem::remove_all(root.hostPath(PLWriter::kLogFolder));
        root.createDirectory("/var/mobile/Library/Vantle");
        const auto window = std::make_shared<FakeWindow>();
        VTWindowLink::setSharedLink(window);
        int broadcasts = 0;
        NSNotificationCenter::defaultCenter().addObserver(
            this, [&](const std::shared_ptr<NSNotification>&) { ++broadcasts; }, std::string(PLWriter::kNewNotificationBroadcast));
        const std::uint64_t appendsBefore = PLWriter::appendCount();
        SystemLogLines systemLog;
        {
            std::optional<InjectedFailure> injected;
            if (fault == Fault::NoFolder) {
                std::filesystem::remove_all(root.hostPath(PLWriter::kLogFolder));
            } else {
                injected.emplace(fault == Fault::DiskFull ? FailingCalls::Step::Write : FailingCalls::Step::Fsync, error);
            }
            runJob([] { PLWriter::write(makeRecord("Chat", "while failing")); });
        }
        EXPECT_FALSE(readLog(kNew).has_value());
        EXPECT_TRUE(window->received.empty()) << "nothing is shown of a record that is not in the log";
        EXPECT_EQ(broadcasts, 0);
        EXPECT_EQ(PLWriter::appendCount(), appendsBefore);
        const auto lines = systemLog.lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find(PLWriter::kNewNotificationsPath), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(std::strerror(error)), std::string::npos) << lines[0];

        root.createDirectory("/var/mobile/Library/Vantle");
        runJob([] { PLWriter::write(makeRecord("Chat", "after")); });
        EXPECT_EQ(bodies(readLog(kNew)), (std::vector<std::string>{"after", "while failing"}));
        EXPECT_EQ(bodies(window->received), (std::vector<std::string>{"while failing", "after"}))
            << "each record is handed over once it is written, in the order of the file";
        EXPECT_EQ(broadcasts, 2);
        EXPECT_EQ(PLWriter::appendCount(), appendsBefore + 2);
        NSNotificationCenter::defaultCenter().removeObserver(this);
    }
}

TEST_F(LogStoreFailures, ARecordTheFileCannotHoldIsDroppedWithoutHoldingUpTheOthers)
{
    SystemLogLines systemLog;
    constexpr double kMillenniaAway = 3.2e11; // about year 12141: the XML form keeps the years 0001 to 9999
    runJob([] { PLWriter::write(makeRecord("Far", "too late", "", kMillenniaAway)); });
    runJob([] { PLWriter::write(makeRecord("Chat", "fine")); });
    runJob([] { PLWriter::write(makeRecord("Chat", "fine too")); });
    EXPECT_EQ(bodies(readLog(kNew)), (std::vector<std::string>{"fine too", "fine"}));
    const auto lines = systemLog.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Far"), std::string::npos) << lines[0];
}

TEST_F(LogStoreFailures, AWriteWhoseFolderCannotBeFlushedCountsAsWritten)
{
    const auto window = std::make_shared<FakeWindow>();
    VTWindowLink::setSharedLink(window);
    {
        const InjectedFailure failure(FailingCalls::Step::FolderFsync, EIO);
        runJob([] { PLWriter::write(makeRecord("Chat", "replaced, not flushed")); });
    }
    runJob([] { PLWriter::write(makeRecord("Chat", "next")); });
    EXPECT_EQ(bodies(readLog(kNew)), (std::vector<std::string>{"next", "replaced, not flushed"})) << "written once";
    EXPECT_EQ(bodies(window->received), (std::vector<std::string>{"replaced, not flushed", "next"}));
}

TEST_F(LogStoreFailures, EmptyingAFileRemovesItUnlessTheRemovalFails)
{
    using Step = FailingCalls::Step;
    const std::tuple<std::optional<Step>, bool, const char*> cases[] = {
        {std::nullopt, true, "no fault"},
        {Step::Unlink, false, "the unlink fails"},
        {Step::FolderFsync, true, "the folder's flush after the unlink fails"},
    };
    for (const auto& [step, removed, name] : cases) {
        SCOPED_TRACE(name);
        writeLog(kNew, {makeRecord("Chat", "only", "com.example.chat")});
        runJob([] { PLWriter::write(makeRecord("Chat", "newer", "com.example.chat")); }); // the store wrote it last
        UIApplication::sharedApplication()->addStatusBarImageNamed(PLWriter::kStatusBarImageName);
        const auto before = fileBytes(root.hostPath(kNew));
        SystemLogLines systemLog;
        {
            std::optional<InjectedFailure> injected;
            if (step) {
                injected.emplace(*step, EIO);
            }
            runJob([] { PLWriter::deleteNotificationsForApplication("com.example.chat"); });
        }
        EXPECT_EQ(NSFileManager::defaultManager().fileExistsAtPath(kNew), !removed);
        EXPECT_EQ(statusBarShown(), !removed) << "the image stays while the records do";
        if (!removed) {
            EXPECT_EQ(fileBytes(root.hostPath(kNew)), before);
            const auto lines = systemLog.lines();
            ASSERT_FALSE(lines.empty());
            EXPECT_NE(lines[0].find("NewNotifications.plist"), std::string::npos) << lines[0];
        }
        runJob([] { PLWriter::deleteNotificationsForApplication("com.example.chat"); });
        EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(kNew)) << "removed once the disk lets it";
    }
}

TEST_F(LogStoreFailures, APluginIsAnsweredOnceARewriteHoldsItsRecordAndAtOnceWhenTheRewriteFails)
{
    Mutex mutex;
    std::vector<std::string> answers;
    const auto listener = PLWriter::sharedListener();
    const auto post = [&](const std::string& body, const std::shared_ptr<NSDictionary>& record) {
        listener->receiveNotificationNamed(PLWriter::kNewNotificationMessage, record,
                                           CPMessageReply([&, body](const std::optional<CPMessagingError>& error) {
                                               MutexLocker locker(mutex);
                                               answers.push_back(error ? body + ": " + error->description() : body);
                                           }));
    };
    const auto answered = [&] {
        MutexLocker locker(mutex);
        return answers;
    };
    {
        const InjectedFailure failure(FailingCalls::Step::Write, ENOSPC);
        post("failed", makeRecord("Chat", "failed"));
        drain();
        ASSERT_EQ(answered().size(), 1u) << "answered without waiting for the disk to recover";
        EXPECT_NE(answered()[0].find(PLWriter::kNewNotificationsPath), std::string::npos) << answered()[0];
        EXPECT_NE(answered()[0].find(std::strerror(ENOSPC)), std::string::npos) << answered()[0];
    }
    post("no date", NSDictionary::dictionaryWithEntries({{"Application", string("Chat")}, {"Body", string("no date")}}));
    EXPECT_EQ(answered().back(), "no date") << "nothing to write: answered at once";
    post("after", makeRecord("Chat", "after"));
    drain();
    EXPECT_EQ(answered().back(), "after");
    EXPECT_EQ(bodies(readLog(kNew)), (std::vector<std::string>{"after"}))
        << "a record its sender was told had failed is never written later";
}
