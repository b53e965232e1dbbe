#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSString.h"
#include "SteppedClockScope.h"
#include "SystemLog.h"
#include "TemporaryDeviceRoot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kFolder = "/var/mobile/Library/Vantle";
constexpr const char* kLog = "/var/mobile/Library/Vantle/NewNotifications.plist";

// Fails one chosen system call with a chosen errno; everything else is real.
class FailingCalls final : public FileSystemCalls {
public:
    enum class Step { None, Write, ShortWriteThenFail, Fsync, Rename, DirectoryFsync, Unlink };

    FailingCalls(Step step, int error) : step_(step), error_(error) {}

    ssize_t write(int fd, const void* buffer, size_t size) override
    {
        if (step_ == Step::Write) {
            return fail();
        }
        if (step_ == Step::ShortWriteThenFail) {
            if (wroteOnce_) {
                return fail();
            }
            wroteOnce_ = true;
            return FileSystemCalls::write(fd, buffer, size / 2);
        }
        return FileSystemCalls::write(fd, buffer, size);
    }
    int fsync(int fd) override
    {
        struct stat status {};
        FileSystemCalls::fstat(fd, &status);
        const bool directory = S_ISDIR(status.st_mode);
        trace.push_back(directory ? "fsync folder" : "fsync file");
        if ((step_ == Step::Fsync && !directory) || (step_ == Step::DirectoryFsync && directory)) {
            return fail();
        }
        return FileSystemCalls::fsync(fd);
    }
    int rename(const char* from, const char* to) override
    {
        return step_ == Step::Rename ? fail() : FileSystemCalls::rename(from, to);
    }
    int unlink(const char* path) override
    {
        trace.push_back("unlink " + std::filesystem::path(path).filename().string());
        return step_ == Step::Unlink ? fail() : FileSystemCalls::unlink(path);
    }

    std::vector<std::string> trace;

private:
    int fail()
    {
        errno = error_;
        return -1;
    }

    Step step_;
    int error_;
    bool wroteOnce_ = false;
};

std::string hostContents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> temporaryFiles(const std::filesystem::path& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".tmp-") != std::string::npos) {
            found.push_back(entry.path().filename().string());
        }
    }
    return found;
}

id record(const std::string& body)
{
    return NSDictionary::dictionaryWithEntries({
        {"Application", NSString::stringWithString("Messages")},
        {"Body", NSString::stringWithString(body)},
        {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(818368415)},
    });
}

// Real calls, except that fstat tells a file's size as `shortBy` bytes less than it is, as if the file grew
// between fstat and the reads.
class ShrinkingFstat final : public FileSystemCalls {
public:
    explicit ShrinkingFstat(off_t shortBy) : shortBy_(shortBy) {}
    int fstat(int fd, struct stat* status) override
    {
        const int result = FileSystemCalls::fstat(fd, status);
        status->st_size = std::max<off_t>(0, status->st_size - shortBy_);
        return result;
    }

private:
    off_t shortBy_;
};

class NSFileManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root.createDirectory(kFolder);
        SystemLog::setObserver([this](const std::string& line) { logged.push_back(line); });
    }
    void TearDown() override { SystemLog::setObserver(nullptr); }

    TemporaryDeviceRoot root;
    NSFileManager manager;
    std::vector<std::string> logged;
};

} // namespace

TEST_F(NSFileManagerTest, AFileThatGrewSinceItsSizeWasTakenIsReadWholeWithinTheCap)
{
    const std::string bytes(10000, 'x');
    ASSERT_EQ(manager.createFileAtPath(kLog, bytes), std::nullopt);
    struct Case {
        off_t shortBy;
        std::size_t cap;
        bool whole;
    };
    for (const Case& c : {Case{0, 10000, true}, Case{1, 10000, true}, Case{9000, 10000, true}, Case{10000, 10000, true},
                          Case{9000, 9999, false}}) {
        const NSFileManager shrinking(std::make_shared<ShrinkingFstat>(c.shortBy));
        const auto read = shrinking.contentsAtPath(kLog, c.cap);
        EXPECT_EQ(read.ok() && read.value() == bytes, c.whole) << c.shortBy << " short, cap " << c.cap;
        EXPECT_EQ(!read.ok() && read.error().code() == EFBIG, !c.whole) << c.shortBy << " short, cap " << c.cap;
    }
}

TEST_F(NSFileManagerTest, FilesAndFoldersAtDevicePaths)
{
    EXPECT_FALSE(manager.fileExistsAtPath(kLog));
    EXPECT_EQ(manager.createFileAtPath(kLog, "first"), std::nullopt);
    EXPECT_EQ(manager.createFileAtPath(kLog, "second, longer"), std::nullopt);
    EXPECT_EQ(hostContents(root.hostPath(kLog)), "second, longer");
    ASSERT_TRUE(manager.contentsAtPath(kLog).ok());
    EXPECT_EQ(manager.contentsAtPath(kLog).value(), "second, longer");
    EXPECT_EQ(manager.contentsAtPath(kLog, 5).error().reason(), "larger than 5 bytes");
    EXPECT_EQ(manager.contentsAtPath("/nothing").error().code(), ENOENT);
    ASSERT_EQ(::mkfifo(root.hostPath("/fifo").c_str(), 0600), 0);
    EXPECT_EQ(manager.contentsAtPath("/fifo").error().reason(), "not a regular file")
        << "answered at once, not when a writer opens the FIFO";
    EXPECT_TRUE(temporaryFiles(root.hostPath(kFolder)).empty());

    bool isDirectory = true;
    EXPECT_TRUE(manager.fileExistsAtPath(kLog, isDirectory));
    EXPECT_FALSE(isDirectory);
    EXPECT_TRUE(manager.fileExistsAtPath(kFolder, isDirectory));
    EXPECT_TRUE(isDirectory);

    EXPECT_EQ(manager.createDirectoryAtPath("/var/mobile/Library/Vantle/Plugins Info/Deep", false)->code(), ENOENT);
    EXPECT_EQ(manager.createDirectoryAtPath("/var/mobile/Library/Vantle/Plugins Info/Deep", true), std::nullopt);
    EXPECT_EQ(manager.createDirectoryAtPath("/var/mobile/Library/Vantle/Plugins Info", true), std::nullopt);
    EXPECT_EQ(manager.createDirectoryAtPath(kLog, true)->code(), EEXIST);
    EXPECT_EQ(manager.createFileAtPath("/var/mobile/Library/Vantle/Collapsed.plist", "c"), std::nullopt);
    const auto names = manager.contentsOfDirectoryAtPath(kFolder);
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(names.value(), (std::vector<std::string>{"Collapsed.plist", "NewNotifications.plist", "Plugins Info"}));
    EXPECT_FALSE(manager.contentsOfDirectoryAtPath("/missing").ok());

    // A move never replaces what is already there.
    const auto moved = manager.moveItemAtPath("/var/mobile/Library/Vantle/Collapsed.plist", kLog);
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(moved->code(), EEXIST);
    EXPECT_EQ(hostContents(root.hostPath(kLog)), "second, longer");
    EXPECT_EQ(manager.moveItemAtPath(kLog, "/var/mobile/Library/Vantle/OldNotifications.plist"), std::nullopt);
    EXPECT_FALSE(manager.fileExistsAtPath(kLog));

    EXPECT_EQ(manager.removeItemAtPath("/var/mobile/Library/Vantle/Plugins Info"), std::nullopt);
    EXPECT_FALSE(manager.fileExistsAtPath("/var/mobile/Library/Vantle/Plugins Info/Deep"));
    EXPECT_EQ(manager.removeItemAtPath(kLog)->code(), ENOENT);
    EXPECT_TRUE(manager.removeItemAtPath("/..").has_value());
    EXPECT_TRUE(std::filesystem::exists(root.path()));
}

// Pieces, in memory or parts of an open file, are written as the file's contents one after another,
// whatever their sizes; the handle answered is the file written, whatever replaces the path later. A write
// that fails part way, or a part that cannot be read, leaves the previous file.
TEST_F(NSFileManagerTest, PiecesAreWrittenAsOneFile)
{
    using Piece = NSFileManager::Piece;
    const std::string small(100, 's');
    const std::string large(300 * 1024, 'l');
    ASSERT_EQ(manager.createFileAtPath("/var/mobile/Library/Vantle/Source", small + large + "end"), std::nullopt);
    const auto source = manager.fileHandleForReadingAtPath("/var/mobile/Library/Vantle/Source");
    ASSERT_TRUE(source);
    const NSFileHandle& file = *source.value();
    const std::vector<std::pair<std::vector<Piece>, std::string>> cases{
        {{}, ""},
        {{Piece::inMemory("one")}, "one"},
        {{Piece::inMemory(large)}, large},
        {std::vector<Piece>(5000, Piece::inMemory(small)), [&] {
             std::string joined;
             for (int i = 0; i < 5000; ++i) {
                 joined += small;
             }
             return joined;
         }()},
        {{Piece::inMemory(small), Piece::inMemory(large), Piece::inMemory(""), Piece::inMemory("end")}, small + large + "end"},
        {{Piece::inMemory("<"), Piece::inFile(file, 0, small.size() + large.size() + 3), Piece::inMemory(">")},
         "<" + small + large + "end>"},
        {{Piece::inFile(file, small.size() + large.size(), 3), Piece::inMemory(small), Piece::inFile(file, 0, 0)},
         "end" + small},
    };
    for (const auto& [pieces, joined] : cases) {
        std::shared_ptr<NSFileHandle> written;
        ASSERT_EQ(manager.createFileAtPath(kLog, pieces, &written), std::nullopt);
        EXPECT_EQ(hostContents(root.hostPath(kLog)), joined) << pieces.size() << " pieces";
        ASSERT_EQ(manager.createFileAtPath(kLog, "replaced"), std::nullopt);
        ASSERT_TRUE(written);
        EXPECT_EQ(written->readDataToEndOfFile(SIZE_MAX).value(), joined) << pieces.size() << " pieces";
    }
    const std::string previous = hostContents(root.hostPath(kLog));
    const std::vector<Piece> pieces(5000, Piece::inMemory(small));
    NSFileManager failing(std::make_shared<FailingCalls>(FailingCalls::Step::ShortWriteThenFail, ENOSPC));
    EXPECT_TRUE(failing.createFileAtPath(kLog, pieces).has_value());
    const std::vector<Piece> beyondTheEnd{Piece::inMemory(small), Piece::inFile(file, large.size(), small.size() + 4)};
    EXPECT_EQ(manager.createFileAtPath(kLog, beyondTheEnd)->code(), EIO);
    EXPECT_EQ(hostContents(root.hostPath(kLog)), previous);
}

TEST_F(NSFileManagerTest, EachFailedWriteStepLeavesThePreviousFileAndReportsIt)
{
    ASSERT_EQ(manager.createFileAtPath(kLog, "previous records"), std::nullopt);
    const std::string next(100000, 'n');
    struct Case {
        FailingCalls::Step step;
        int error;
        const char* reason;
    };
    for (const Case& c : {Case{FailingCalls::Step::Write, ENOSPC, "cannot write: No space left on device"},
                          Case{FailingCalls::Step::ShortWriteThenFail, ENOSPC, "cannot write: No space left on device"},
                          Case{FailingCalls::Step::Fsync, EIO, "cannot flush to disk: Input/output error"},
                          Case{FailingCalls::Step::Rename, EIO, "cannot replace the file: Input/output error"}}) {
        NSFileManager failing(std::make_shared<FailingCalls>(c.step, c.error));
        const auto error = failing.createFileAtPath(kLog, next);
        ASSERT_TRUE(error.has_value()) << c.reason;
        EXPECT_EQ(error->reason(), c.reason);
        EXPECT_EQ(error->code(), c.error);
        EXPECT_EQ(hostContents(root.hostPath(kLog)), "previous records") << c.reason;
        EXPECT_TRUE(temporaryFiles(root.hostPath(kFolder)).empty()) << c.reason;
    }

    EXPECT_TRUE(logged.empty()) << "the caller reports a change that was not made";

    // Once renamed the new file is in place: the failed flush of the folder is reported and logged as a
    // change that was made but may not survive a power cut.
    NSFileManager failing(std::make_shared<FailingCalls>(FailingCalls::Step::DirectoryFsync, EIO));
    const auto error = failing.createFileAtPath(kLog, next);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code(), EIO);
    EXPECT_TRUE(error->changeIsInPlace());
    EXPECT_EQ(NSFileManager::failureToChange(error), std::nullopt);
    EXPECT_EQ(hostContents(root.hostPath(kLog)), next);
    EXPECT_EQ(logged, (std::vector<std::string>{root.hostPath(kLog).string() + ": " + error->reason()}));

    // A missing folder is an error too, and creates nothing.
    EXPECT_EQ(manager.createFileAtPath("/var/mobile/Library/Missing/x.plist", "x")->code(), ENOENT);

    // The default manager takes the seam as well.
    NSFileManager::defaultManager().setFileSystemCalls(std::make_shared<FailingCalls>(FailingCalls::Step::Fsync, EIO));
    EXPECT_TRUE(NSFileManager::defaultManager().createFileAtPath(kLog, "lost").has_value());
    NSFileManager::defaultManager().setFileSystemCalls(nullptr);
    EXPECT_EQ(NSFileManager::defaultManager().createFileAtPath(kLog, "kept"), std::nullopt);
    EXPECT_EQ(hostContents(root.hostPath(kLog)), "kept");
}

TEST_F(NSFileManagerTest, RemovalFlushesTheFolderAndAFailedOneLeavesTheFileAndIsLogged)
{
    const std::string path = root.hostPath(kLog).string();
    struct Case {
        FailingCalls::Step step;
        int error;
        bool fileRemains;
        const char* reason;
    };
    for (const Case& c :
         {Case{FailingCalls::Step::None, 0, false, ""},
          Case{FailingCalls::Step::Unlink, EACCES, true, "cannot remove: Permission denied"},
          Case{FailingCalls::Step::Unlink, EIO, true, "cannot remove: Input/output error"},
          Case{FailingCalls::Step::DirectoryFsync, EIO, false,
               "file removed, but its folder could not be flushed to disk: Input/output error"}}) {
        SCOPED_TRACE(c.reason);
        logged.clear();
        ASSERT_EQ(manager.createFileAtPath(kLog, "records"), std::nullopt);
        const auto calls = std::make_shared<FailingCalls>(c.step, c.error);
        const auto error = NSFileManager(calls).removeItemAtPath(kLog);

        EXPECT_EQ(manager.fileExistsAtPath(kLog), c.fileRemains);
        if (c.step == FailingCalls::Step::None) {
            EXPECT_EQ(error, std::nullopt);
            EXPECT_EQ(calls->trace, (std::vector<std::string>{"unlink NewNotifications.plist", "fsync folder"}));
            EXPECT_TRUE(logged.empty());
            continue;
        }
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->reason(), c.reason);
        EXPECT_EQ(error->code(), c.error);
        EXPECT_EQ(error->changeIsInPlace(), !c.fileRemains);
        EXPECT_EQ(logged, (std::vector<std::string>{path + ": " + c.reason}));
    }
    // Nothing to remove is answered, not logged.
    logged.clear();
    (void)manager.removeItemAtPath(kLog);
    EXPECT_EQ(manager.removeItemAtPath(kLog)->code(), ENOENT);
    EXPECT_TRUE(logged.empty());
}

TEST_F(NSFileManagerTest, StaleTemporaryFilesAreRemovedButNeverALiveWritersFile)
{
    const auto folder = root.hostPath(kFolder);
    const auto stale = folder / ".NewNotifications.plist.tmp-AbC123";
    const auto live = folder / ".OldNotifications.plist.tmp-XyZ789";
    const auto unrelated = folder / ".notes.tmp-12";
    for (const auto& path : {stale, live, unrelated}) {
        std::ofstream(path) << "partial";
    }
    // A writer elsewhere holds its temporary file under an exclusive lock until it is renamed away;
    // a separate open file description stands for that other process.
    const int writer = ::open(live.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);

    EXPECT_EQ(manager.createFileAtPath(kLog, "records"), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(live));
    EXPECT_TRUE(std::filesystem::exists(unrelated));

    ::close(writer);
    manager.removeStaleTemporaryFiles(kFolder);
    EXPECT_FALSE(std::filesystem::exists(live));
    EXPECT_TRUE(std::filesystem::exists(unrelated));
}

TEST_F(NSFileManagerTest, UnreadableFilesAreMovedAsideUnderUniqueNames)
{
    SteppedClockScope time(818368415.9); // 2026-12-07 20:33:35 UTC
    ASSERT_EQ(manager.createFileAtPath(kLog, "damaged one"), std::nullopt);
    const auto first = manager.moveAsideUnreadableFileAtPath(kLog);
    ASSERT_TRUE(first.ok()) << first.error().reason();
    EXPECT_EQ(first.value(), "/var/mobile/Library/Vantle/NewNotifications.plist.unreadable-20261207T203335Z");
    ASSERT_EQ(manager.createFileAtPath(kLog, "damaged two"), std::nullopt);
    const auto second = manager.moveAsideUnreadableFileAtPath(kLog);
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(second.value(), first.value() + "-2");

    EXPECT_EQ(hostContents(root.hostPath(first.value())), "damaged one");
    EXPECT_EQ(hostContents(root.hostPath(second.value())), "damaged two");
    EXPECT_FALSE(manager.fileExistsAtPath(kLog));
    EXPECT_EQ(manager.moveAsideUnreadableFileAtPath(kLog).error().code(), ENOENT);
}

TEST_F(NSFileManagerTest, PropertyListFilesReadAsMissingUnreadableOrAValue)
{
    EXPECT_TRUE(manager.readPropertyListAtPath(kLog).isMissing());
    EXPECT_TRUE(manager.readPropertyListAtPath("/var/mobile/Library/Vantle/NewNotifications.plist/x").isMissing());

    ASSERT_EQ(manager.createFileAtPath(kLog, "<plist><array><dict>"), std::nullopt);
    const auto damaged = manager.readPropertyListAtPath(kLog);
    EXPECT_TRUE(damaged.isUnreadable());
    EXPECT_EQ(damaged.reason().rfind("not a valid XML property list: ", 0), 0u) << damaged.reason();
    EXPECT_TRUE(manager.readPropertyListAtPath(kFolder).isUnreadable());

    const auto log = NSArray::arrayWithObjects({record("newest"), record("older")});
    ASSERT_EQ(manager.writePropertyList(log, kLog), std::nullopt);
    const auto read = manager.readPropertyListAtPath(kLog);
    ASSERT_TRUE(read.isOk()) << read.reason();
    ASSERT_NE(read.valueAs<NSArray>(), nullptr);
    EXPECT_TRUE(read.value()->isEqual(*log));
    EXPECT_EQ(read.valueAs<NSDictionary>(), nullptr);

    PropertyListLimits small;
    small.maxBytes = 64;
    EXPECT_EQ(manager.readPropertyListAtPath(kLog, small).reason(), "larger than 64 bytes");
    EXPECT_TRUE(manager.writePropertyList(std::make_shared<NSObject>(), kLog).has_value());
    EXPECT_TRUE(manager.readPropertyListAtPath(kLog).isOk());
}

TEST_F(NSFileManagerTest, ConcurrentReadersOnlyEverSeeWholeFiles)
{
    ASSERT_EQ(manager.writePropertyList(NSArray::arrayWithObjects({record("0")}), kLog), std::nullopt);
    std::atomic<bool> done{false};
    std::atomic<int> partial{0};
    std::thread reader([&] {
        while (!done) {
            if (!manager.readPropertyListAtPath(kLog).isOk()) {
                ++partial;
            }
        }
    });
    std::vector<std::thread> writers;
    for (int w = 0; w < 2; ++w) {
        writers.emplace_back([&, w] {
            for (int i = 0; i < 40; ++i) {
                std::vector<id> records(static_cast<std::size_t>(1 + i * 10), record(std::to_string(w)));
                EXPECT_EQ(manager.writePropertyList(NSArray::arrayWithObjects(std::move(records)), kLog), std::nullopt);
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    done = true;
    reader.join();
    EXPECT_EQ(partial, 0);
    EXPECT_TRUE(temporaryFiles(root.hostPath(kFolder)).empty());
}
