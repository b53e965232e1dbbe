#include "FileSystemCalls.h"
#include "LogTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

using namespace logtest;

namespace {

const char* kNew = PLWriter::kNewNotificationsPath;
const char* kOld = PLWriter::kOldNotificationsPath;

// System calls of which one kind fails with a chosen error.
class FailingCalls final : public FileSystemCalls {
public:
    enum class Step { Write, Fsync, Rename, MoveAside };
    FailingCalls(Step step, int error) : step_(step), error_(error) {}

    ssize_t write(int fd, const void* buffer, size_t size) override
    {
        return step_ == Step::Write ? fail() : FileSystemCalls::write(fd, buffer, size);
    }
    int fsync(int fd) override { return step_ == Step::Fsync ? fail() : FileSystemCalls::fsync(fd); }
    int rename(const char* from, const char* to) override
    {
        return step_ == Step::Rename ? fail() : FileSystemCalls::rename(from, to);
    }
    int renameNoReplace(const char* from, const char* to) override
    {
        return step_ == Step::MoveAside ? fail() : FileSystemCalls::renameNoReplace(from, to);
    }

private:
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
    const std::pair<Step, const char*> steps[] = {{Step::Write, "write"}, {Step::Fsync, "fsync"}, {Step::Rename, "rename"}};
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
            EXPECT_EQ(bodies(readLog(kNew)), (std::vector<std::string>{"D", "B", "A"})) << "the store works again";
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
