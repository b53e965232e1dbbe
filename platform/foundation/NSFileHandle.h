#pragma once

#include "FileSystemCalls.h"
#include "NSError.h"
#include "Result.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

// A file opened for reading and kept open (see NSFileManager::fileHandleForReadingAtPath). Its bytes stay
// readable through it whatever happens to its path afterwards: an atomic replace puts a new file there and
// a removal unlinks the name, while this one lives on, unchanged, until the handle closes. So a reader that
// knows where things lie in a file it wrote or read can read them again later without keeping them.
//
// Reads go through the FileSystemCalls of the manager that opened it. Safe to read from several threads at
// once (positional reads); readDataToEndOfFile moves the file's position and is not.
class NSFileHandle {
public:
    NSFileHandle(int fd, std::shared_ptr<FileSystemCalls> calls);
    ~NSFileHandle();
    NSFileHandle(const NSFileHandle&) = delete;
    NSFileHandle& operator=(const NSFileHandle&) = delete;

    int fileDescriptor() const { return fd_; }
    // The open file's status (fstat): which file it is, its size.
    Result<struct stat> status() const;

    // Fills `buffer` with the bytes at `offset`; an error (EIO) when the file ends before the buffer is full.
    [[nodiscard]] std::optional<NSError> readAtOffset(std::uint64_t offset, std::span<char> buffer) const;
    // The bytes from the file's position to its end; refuses a file that grows past `maxBytes` (EFBIG).
    Result<std::string> readDataToEndOfFile(std::size_t maxBytes) const;

private:
    int fd_;
    std::shared_ptr<FileSystemCalls> calls_;
};
