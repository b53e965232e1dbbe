#include "NSFileManager.h"

#include "Clock.h"
#include "DeviceRoot.h"
#include "MutexLocker.h"
#include "NSDate.h"
#include "NSPropertyListSerialization.h"
#include "SystemLog.h"

#include <fmt/format.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporaryMarker = ".tmp-";
constexpr std::size_t kTemporarySuffixLength = 6;

std::string randomSuffix()
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}() ^ (static_cast<std::uint64_t>(::getpid()) << 32)};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
    std::string suffix(kTemporarySuffixLength, 'x');
    for (char& c : suffix) {
        c = kAlphabet[pick(generator)];
    }
    return suffix;
}

fs::path temporaryPathFor(const fs::path& target)
{
    return target.parent_path() / ("." + target.filename().string() + std::string(kTemporaryMarker) + randomSuffix());
}

bool isTemporaryName(const std::string& name)
{
    const std::size_t tail = kTemporaryMarker.size() + kTemporarySuffixLength;
    if (name.size() <= tail + 1 || name[0] != '.') {
        return false;
    }
    if (name.compare(name.size() - tail, kTemporaryMarker.size(), kTemporaryMarker) != 0) {
        return false;
    }
    return std::all_of(name.end() - kTemporarySuffixLength, name.end(),
                       [](unsigned char c) { return std::isalnum(c) != 0; });
}

std::string unixTimestamp(double secondsSinceReferenceDate)
{
    const auto unixSeconds =
        static_cast<std::time_t>(std::floor(secondsSinceReferenceDate + NSDate::kReferenceDateFromUnixEpoch));
    std::tm calendar{};
    gmtime_r(&unixSeconds, &calendar);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &calendar);
    return text;
}

std::optional<NSError> writeAll(FileSystemCalls& calls, int fd, std::string_view contents)
{
    while (!contents.empty()) {
        const ssize_t written = calls.write(fd, contents.data(), contents.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return NSError::fromErrno("cannot write", written < 0 ? errno : EIO);
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return std::nullopt;
}

// Writes the pieces one after another through a buffer of a bounded size: small pieces in memory are
// gathered, so a file of many small pieces costs few system calls and no copy of the whole; large ones are
// written as they are; parts of other files are read into the buffer and written from it.
class PieceWriter {
public:
    PieceWriter(FileSystemCalls& calls, int fd) : calls_(calls), fd_(fd) {}

    std::optional<NSError> write(std::span<const NSFileManager::Piece> pieces)
    {
        if (pieces.size() == 1 && !pieces.front().file) {
            return writeAll(calls_, fd_, pieces.front().bytes); // nothing to gather
        }
        for (const auto& piece : pieces) {
            if (auto error = piece.file ? copy(*piece.file, piece.offset, piece.length) : add(piece.bytes)) {
                return error;
            }
        }
        return flush();
    }

private:
    static constexpr std::size_t kGathered = 256 * 1024;

    std::optional<NSError> add(std::string_view bytes)
    {
        if (filled_ + bytes.size() > kGathered && filled_ > 0) {
            if (auto error = flush()) {
                return error;
            }
        }
        if (bytes.size() >= kGathered) {
            return writeAll(calls_, fd_, bytes);
        }
        std::memcpy(buffer().data() + filled_, bytes.data(), bytes.size());
        filled_ += bytes.size();
        return std::nullopt;
    }

    std::optional<NSError> copy(const NSFileHandle& file, std::uint64_t offset, std::uint64_t length)
    {
        while (length > 0) {
            if (filled_ == kGathered) {
                if (auto error = flush()) {
                    return error;
                }
            }
            const std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(length, kGathered - filled_));
            if (auto error = file.readAtOffset(offset, std::span<char>(buffer().data() + filled_, part))) {
                return error;
            }
            filled_ += part;
            offset += part;
            length -= part;
        }
        return std::nullopt;
    }

    std::optional<NSError> flush()
    {
        const auto error = writeAll(calls_, fd_, std::string_view(buffer().data(), filled_));
        filled_ = 0;
        return error;
    }

    std::string& buffer()
    {
        if (buffer_.empty()) {
            buffer_.resize(kGathered);
        }
        return buffer_;
    }

    FileSystemCalls& calls_;
    int fd_;
    std::string buffer_;
    std::size_t filled_ = 0;
};

// The file just written at `temporary` (whose descriptor `fd` is open for writing only), opened again for
// reading before it is renamed, so the handle holds exactly the file written.
Result<std::shared_ptr<NSFileHandle>> reopenForReading(const std::shared_ptr<FileSystemCalls>& calls, int fd,
                                                       const fs::path& temporary)
{
    const int reading = calls->open(temporary.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW, 0);
    if (reading < 0) {
        return NSError::fromErrno("cannot open the new file for reading", errno);
    }
    auto handle = std::make_shared<NSFileHandle>(reading, calls);
    struct stat written {}, opened {};
    if (calls->fstat(fd, &written) != 0 || calls->fstat(reading, &opened) != 0) {
        return NSError::fromErrno("cannot open the new file for reading", errno);
    }
    if (written.st_dev != opened.st_dev || written.st_ino != opened.st_ino) {
        return NSError("cannot open the new file for reading: another file took its name", EEXIST);
    }
    return handle;
}

// Flushes the folder after a change of one of its names (`change`: "replaced", "removed"). A failure leaves
// the change made but perhaps not durable; it is logged here because callers count the change as made.
std::optional<NSError> flushDirectory(FileSystemCalls& calls, const fs::path& changed, std::string_view change)
{
    const fs::path directory = changed.parent_path();
    const int fd = calls.open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    int error = errno;
    const int result = fd < 0 ? -1 : calls.fsync(fd);
    if (fd >= 0) {
        error = errno;
        calls.close(fd);
    }
    if (result == 0) {
        return std::nullopt;
    }
    const NSError notFlushed = NSError::changeNotFlushed(
        fmt::format("file {}, but its folder could not be flushed to disk", change), error);
    SystemLog::write(fmt::format("{}: {}", changed.string(), notFlushed.reason()));
    return notFlushed;
}

// A temporary file created exclusively and held under flock(), so a cleaner in another process leaves it
// alone. The lock is taken after the file exists, so a cleaner may remove it in between; the identity
// check after locking catches that and the caller tries another name.
struct LockedTemporary {
    int fd = -1;
    fs::path path;
};

Result<LockedTemporary> createLockedTemporary(FileSystemCalls& calls, const fs::path& target)
{
    int lastError = EEXIST;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path path = temporaryPathFor(target);
        const int fd = calls.open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            lastError = errno;
            if (lastError == EEXIST) {
                continue;
            }
            break;
        }
        struct stat opened {}, named {};
        if (calls.flock(fd, LOCK_EX | LOCK_NB) == 0 && calls.fstat(fd, &opened) == 0 &&
            calls.stat(path.c_str(), &named) == 0 && opened.st_ino == named.st_ino && opened.st_dev == named.st_dev) {
            return LockedTemporary{fd, path};
        }
        lastError = errno;
        calls.close(fd);
    }
    return NSError::fromErrno("cannot create a temporary file", lastError);
}

} // namespace

NSFileManager& NSFileManager::defaultManager()
{
    static NSFileManager manager;
    return manager;
}

std::optional<NSError> NSFileManager::failureToChange(std::optional<NSError> error)
{
    if (error && error->changeIsInPlace()) {
        return std::nullopt;
    }
    return error;
}

NSFileManager::NSFileManager(std::shared_ptr<FileSystemCalls> calls)
{
    setFileSystemCalls(std::move(calls));
}

void NSFileManager::setFileSystemCalls(std::shared_ptr<FileSystemCalls> calls)
{
    MutexLocker locker(mutex_);
    calls_ = calls ? std::move(calls) : std::make_shared<FileSystemCalls>();
}

std::shared_ptr<FileSystemCalls> NSFileManager::calls() const
{
    MutexLocker locker(mutex_);
    return calls_;
}

bool NSFileManager::fileExistsAtPath(std::string_view path) const
{
    bool isDirectory = false;
    return fileExistsAtPath(path, isDirectory);
}

bool NSFileManager::fileExistsAtPath(std::string_view path, bool& isDirectory) const
{
    struct stat status {};
    if (calls()->stat(DeviceRoot::resolve(path).c_str(), &status) != 0) {
        return false;
    }
    isDirectory = S_ISDIR(status.st_mode);
    return true;
}

bool NSFileManager::Attributes::operator==(const Attributes& other) const
{
    const auto same = [](const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; };
    return device == other.device && inode == other.inode && size == other.size && same(modified, other.modified) &&
           same(changed, other.changed);
}

Result<NSFileManager::Attributes> NSFileManager::attributesOfItemAtPath(std::string_view path) const
{
    struct stat status {};
    if (calls()->stat(DeviceRoot::resolve(path).c_str(), &status) != 0) {
        return NSError::fromErrno("cannot read the attributes", errno);
    }
    return Attributes{status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
}

Result<std::shared_ptr<NSFileHandle>> NSFileManager::fileHandleForReadingAtPath(std::string_view path) const
{
    const auto syscalls = calls();
    const fs::path host = DeviceRoot::resolve(path);
    // Opened without blocking: a FIFO or a device at the path would otherwise hold the reader (and the
    // thread it runs on) until another process opens the other end. Only a regular file is read; its
    // reads never block, O_NONBLOCK or not.
    const int fd = syscalls->open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0);
    if (fd < 0) {
        return NSError::fromErrno("cannot open", errno);
    }
    auto handle = std::make_shared<NSFileHandle>(fd, syscalls);
    struct stat status {};
    if (syscalls->fstat(fd, &status) != 0) {
        return NSError::fromErrno("cannot read", errno);
    }
    if (S_ISDIR(status.st_mode)) {
        return NSError::fromErrno("cannot read", EISDIR);
    }
    if (!S_ISREG(status.st_mode)) {
        return NSError("not a regular file", EINVAL);
    }
    return handle;
}

Result<std::string> NSFileManager::contentsAtPath(std::string_view path, std::size_t maxBytes) const
{
    const auto handle = fileHandleForReadingAtPath(path);
    if (!handle) {
        return handle.error();
    }
    return handle.value()->readDataToEndOfFile(maxBytes);
}

std::optional<NSError> NSFileManager::createFileAtPath(std::string_view path, std::string_view contents)
{
    const Piece whole = Piece::inMemory(contents);
    return writeAtomically(calls(), DeviceRoot::resolve(path), std::span<const Piece>(&whole, 1), nullptr);
}

std::optional<NSError> NSFileManager::createFileAtPath(std::string_view path, std::span<const Piece> pieces,
                                                       std::shared_ptr<NSFileHandle>* written)
{
    return writeAtomically(calls(), DeviceRoot::resolve(path), pieces, written);
}

std::optional<NSError> NSFileManager::writeAtomically(const std::shared_ptr<FileSystemCalls>& syscalls,
                                                      const fs::path& target, std::span<const Piece> contents,
                                                      std::shared_ptr<NSFileHandle>* written)
{
    FileSystemCalls& calls = *syscalls;
    removeStaleTemporaryFilesOnce(calls, target.parent_path());
    auto created = createLockedTemporary(calls, target);
    if (!created) {
        return created.error();
    }
    const LockedTemporary temporary = created.value();
    auto failed = [&](NSError error) -> std::optional<NSError> {
        calls.unlink(temporary.path.c_str());
        calls.close(temporary.fd);
        return error;
    };
    if (auto error = PieceWriter(calls, temporary.fd).write(contents)) {
        return failed(*error);
    }
    if (calls.fsync(temporary.fd) != 0) {
        return failed(NSError::fromErrno("cannot flush to disk", errno));
    }
    std::shared_ptr<NSFileHandle> reading;
    if (written) {
        auto reopened = reopenForReading(syscalls, temporary.fd, temporary.path);
        if (!reopened) {
            return failed(reopened.error());
        }
        reading = std::move(reopened).value();
    }
    if (calls.rename(temporary.path.c_str(), target.c_str()) != 0) {
        return failed(NSError::fromErrno("cannot replace the file", errno));
    }
    // Closing releases the lock; the temporary name is gone by now, so no cleaner can mistake it.
    calls.close(temporary.fd);
    if (written) {
        *written = std::move(reading);
    }
    return flushDirectory(calls, target, "replaced");
}

std::optional<NSError> NSFileManager::removeDurably(FileSystemCalls& calls, const fs::path& target)
{
    if (calls.unlink(target.c_str()) == 0) {
        return flushDirectory(calls, target, "removed");
    }
    if (errno != EISDIR) {
        return NSError::fromErrno("cannot remove", errno);
    }
    std::error_code error;
    fs::remove_all(target, error);
    if (error) {
        return NSError::fromErrno("cannot remove", error.value());
    }
    return flushDirectory(calls, target, "removed");
}

void NSFileManager::removeStaleTemporaryFilesOnce(FileSystemCalls& calls, const fs::path& directory)
{
    {
        MutexLocker locker(mutex_);
        if (!cleanedDirectories_.insert(directory).second) {
            return;
        }
    }
    removeStaleTemporaryFilesIn(calls, directory);
}

void NSFileManager::removeStaleTemporaryFiles(std::string_view directoryPath)
{
    const auto syscalls = calls();
    removeStaleTemporaryFilesIn(*syscalls, DeviceRoot::resolve(directoryPath));
}

void NSFileManager::removeStaleTemporaryFilesIn(FileSystemCalls& calls, const fs::path& directory)
{
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!isTemporaryName(name)) {
            continue;
        }
        const int fd = calls.open(it->path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0);
        if (fd < 0) {
            continue;
        }
        // A live writer holds the lock until its file has been renamed away.
        if (calls.flock(fd, LOCK_EX | LOCK_NB) == 0) {
            calls.unlink(it->path().c_str());
        }
        calls.close(fd);
    }
}

std::optional<NSError> NSFileManager::removeItemAtPath(std::string_view path)
{
    const fs::path host = DeviceRoot::resolve(path);
    if (host == DeviceRoot::root()) {
        return NSError("refusing to remove the device root", EPERM);
    }
    const auto syscalls = calls();
    auto error = removeDurably(*syscalls, host);
    if (error && !error->changeIsInPlace() && error->code() != ENOENT) {
        SystemLog::write(fmt::format("{}: {}", host.string(), error->reason()));
    }
    return error;
}

std::optional<NSError> NSFileManager::moveItemAtPath(std::string_view from, std::string_view to)
{
    const auto syscalls = calls();
    if (syscalls->renameNoReplace(DeviceRoot::resolve(from).c_str(), DeviceRoot::resolve(to).c_str()) != 0) {
        return NSError::fromErrno("cannot move", errno);
    }
    return std::nullopt;
}

std::optional<NSError> NSFileManager::createDirectoryAtPath(std::string_view path, bool withIntermediateDirectories)
{
    std::error_code error;
    const fs::path host = DeviceRoot::resolve(path);
    if (fs::exists(host, error) && !fs::is_directory(host, error)) {
        return NSError::fromErrno("cannot create folder", EEXIST);
    }
    if (withIntermediateDirectories) {
        fs::create_directories(host, error);
        if (!error && !fs::is_directory(host, error)) {
            return NSError::fromErrno("cannot create folder", EEXIST);
        }
    } else if (!fs::create_directory(host, error) && !error) {
        return NSError::fromErrno("cannot create folder", EEXIST);
    }
    if (error) {
        return NSError::fromErrno("cannot create folder", error.value());
    }
    return std::nullopt;
}

Result<std::vector<std::string>> NSFileManager::contentsOfDirectoryAtPath(std::string_view path) const
{
    std::error_code error;
    std::vector<std::string> names;
    for (fs::directory_iterator it(DeviceRoot::resolve(path), error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    if (error) {
        return NSError::fromErrno("cannot list folder", error.value());
    }
    std::sort(names.begin(), names.end());
    return names;
}

Result<std::string> NSFileManager::moveAsideUnreadableFileAtPath(std::string_view path)
{
    return moveAsideFileAtPath(path, "unreadable");
}

Result<std::string> NSFileManager::moveAsideFileAtPath(std::string_view path, std::string_view tag)
{
    const auto syscalls = calls();
    const std::string devicePath = DeviceRoot::normalise(path);
    const std::string stem = fmt::format("{}.{}-{}", devicePath, tag, unixTimestamp(Clock::current()->referenceTime()));
    const fs::path from = DeviceRoot::resolve(devicePath);
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const std::string candidate = attempt == 1 ? stem : fmt::format("{}-{}", stem, attempt);
        if (syscalls->renameNoReplace(from.c_str(), DeviceRoot::resolve(candidate).c_str()) == 0) {
            // The move already happened and nothing was lost if the flush fails (which it logs).
            (void)flushDirectory(*syscalls, from, "moved aside");
            return candidate;
        }
        if (errno != EEXIST) {
            return NSError::fromErrno("cannot move the file aside", errno);
        }
    }
    return NSError("cannot move the file aside: every name is taken", EEXIST);
}

PropertyListRead NSFileManager::readPropertyListAtPath(std::string_view path, const PropertyListLimits& limits) const
{
    auto contents = contentsAtPath(path, limits.maxBytes);
    if (!contents) {
        const int code = contents.error().code();
        if (code == ENOENT || code == ENOTDIR) {
            return PropertyListRead::missing();
        }
        return PropertyListRead::unreadable(contents.error().reason());
    }
    auto value = NSPropertyListSerialization::propertyListWithData(contents.value(), limits);
    if (!value) {
        return PropertyListRead::unreadable(value.error().reason());
    }
    return PropertyListRead::ok(std::move(value).value());
}

std::optional<NSError> NSFileManager::writePropertyList(const id& plist, std::string_view path,
                                                        const PropertyListLimits& limits)
{
    auto xml = NSPropertyListSerialization::dataWithPropertyList(plist, limits);
    if (!xml) {
        return xml.error();
    }
    return createFileAtPath(path, xml.value());
}
