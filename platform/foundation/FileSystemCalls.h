#pragma once

#include <sys/stat.h>
#include <sys/types.h>

// The few system calls the file manager makes, behind one seam so tests can make any of them fail
// (ENOSPC from write, EIO from fsync, EXDEV from rename, ...). Each method behaves like the call it is
// named after: it answers -1 and sets errno on failure. The base class makes the real calls; a test
// derives from it and overrides what it wants to break.
class FileSystemCalls {
public:
    virtual ~FileSystemCalls() = default;

    virtual int open(const char* path, int flags, mode_t mode);
    virtual int close(int fd);
    virtual ssize_t read(int fd, void* buffer, size_t size);
    virtual ssize_t pread(int fd, void* buffer, size_t size, off_t offset);
    virtual ssize_t write(int fd, const void* buffer, size_t size);
    virtual int fsync(int fd);
    virtual int fstat(int fd, struct stat* status);
    virtual int stat(const char* path, struct stat* status);
    virtual int flock(int fd, int operation);
    // Replaces `to` if it exists.
    virtual int rename(const char* from, const char* to);
    // Fails with EEXIST if `to` exists; never replaces anything.
    virtual int renameNoReplace(const char* from, const char* to);
    virtual int unlink(const char* path);
};
