#include "NSFileHandle.h"

#include <fmt/format.h>

#include <cerrno>

NSFileHandle::NSFileHandle(int fd, std::shared_ptr<FileSystemCalls> calls)
    : fd_(fd)
    , calls_(std::move(calls))
{
}

NSFileHandle::~NSFileHandle()
{
    calls_->close(fd_);
}

Result<struct stat> NSFileHandle::status() const
{
    struct stat status {};
    if (calls_->fstat(fd_, &status) != 0) {
        return NSError::fromErrno("cannot read the file's status", errno);
    }
    return status;
}

std::optional<NSError> NSFileHandle::readAtOffset(std::uint64_t offset, std::span<char> buffer) const
{
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        const ssize_t got =
            calls_->pread(fd_, buffer.data() + filled, buffer.size() - filled, static_cast<off_t>(offset + filled));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return NSError::fromErrno("cannot read", errno);
        }
        if (got == 0) {
            return NSError("cannot read: the file ends before the bytes wanted", EIO);
        }
        filled += static_cast<std::size_t>(got);
    }
    return std::nullopt;
}

Result<std::string> NSFileHandle::readDataToEndOfFile(std::size_t maxBytes) const
{
    struct stat status {};
    if (calls_->fstat(fd_, &status) != 0) {
        return NSError::fromErrno("cannot read", errno);
    }
    if (static_cast<std::uint64_t>(status.st_size) > maxBytes) {
        return NSError(fmt::format("larger than {} bytes", maxBytes), EFBIG);
    }
    std::string contents(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t filled = 0;
    while (true) {
        // At the size fstat gave, a small read tells whether the file grew since (read on, within the cap)
        // or ends there, as nearly every file does, without growing a large buffer to find out.
        char probe[4096];
        const bool atSize = filled == contents.size();
        const ssize_t got = atSize ? calls_->read(fd_, probe, sizeof probe)
                                   : calls_->read(fd_, contents.data() + filled, contents.size() - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return NSError::fromErrno("cannot read", errno);
        }
        if (got == 0) {
            break;
        }
        if (atSize) {
            if (contents.size() + static_cast<std::size_t>(got) > maxBytes) {
                return NSError(fmt::format("larger than {} bytes", maxBytes), EFBIG);
            }
            contents.append(probe, static_cast<std::size_t>(got));
        }
        filled += static_cast<std::size_t>(got);
    }
    contents.resize(filled);
    return contents;
}
