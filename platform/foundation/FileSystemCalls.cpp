#include "FileSystemCalls.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

int FileSystemCalls::open(const char* path, int flags, mode_t mode)
{
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int FileSystemCalls::close(int fd)
{
    return ::close(fd);
}

ssize_t FileSystemCalls::read(int fd, void* buffer, size_t size)
{
    return ::read(fd, buffer, size);
}

ssize_t FileSystemCalls::pread(int fd, void* buffer, size_t size, off_t offset)
{
    return ::pread(fd, buffer, size, offset);
}

ssize_t FileSystemCalls::write(int fd, const void* buffer, size_t size)
{
    return ::write(fd, buffer, size);
}

int FileSystemCalls::fsync(int fd)
{
    return ::fsync(fd);
}

int FileSystemCalls::fstat(int fd, struct stat* status)
{
    return ::fstat(fd, status);
}

int FileSystemCalls::stat(const char* path, struct stat* status)
{
    return ::stat(path, status);
}

int FileSystemCalls::flock(int fd, int operation)
{
    int result;
    do {
        result = ::flock(fd, operation);
    } while (result < 0 && errno == EINTR);
    return result;
}

int FileSystemCalls::rename(const char* from, const char* to)
{
    return ::rename(from, to);
}

int FileSystemCalls::renameNoReplace(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return -1;
    }
    // A file system without RENAME_NOREPLACE: link() refuses an existing target just the same.
    if (::link(from, to) != 0) {
        return -1;
    }
    return ::unlink(from);
}

int FileSystemCalls::unlink(const char* path)
{
    return ::unlink(path);
}
