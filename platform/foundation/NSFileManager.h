#pragma once

#include "FileSystemCalls.h"
#include "Mutex.h"
#include "NSFileHandle.h"
#include "NSError.h"
#include "NSObject.h"
#include "PropertyListLimits.h"
#include "PropertyListRead.h"
#include "Result.h"
#include "ThreadSafety.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Files and folders at device paths (see DeviceRoot). Every file of the system is read whole and written
// whole, and a write replaces the previous file atomically and durably: the bytes go to a temporary file
// in the same folder, which is written in full, flushed (fsync), renamed over the target, and then the
// folder itself is flushed so the rename survives a power cut. A removal unlinks the file and flushes the
// folder the same way.
//
// What a failure leaves:
// - Before the rename (or the unlink): the previous file as it was, and the error.
// - Flushing the folder after the rename (or the unlink): the change is made. Every process sees the new
//   file (or no file), and so does this one after a crash, but a power cut may still bring the previous
//   one back. The error answered says so (NSError::changeIsInPlace()), and callers count the change as
//   made; the manager writes a line to the system log, since nobody else will.
//
// All system calls of writing and removing go through the FileSystemCalls seam, so tests can fail any of
// them.
//
// Temporary files are named ".<name>.tmp-XXXXXX" and are held under an exclusive flock() while written.
// One that is not locked belongs to a writer that died; the first write into a folder (and
// removeStaleTemporaryFiles) removes those, never one a live writer in another process holds.
//
// Safe to use from any thread; operations on the same file are not ordered among themselves (the
// product's callers serialise their read-modify-write cycles with their own lock).
class NSFileManager {
public:
    static NSFileManager& defaultManager();

    // The error of a change that was not made; none when it was, also when only the folder's flush failed.
    // For callers that count such a change as made.
    static std::optional<NSError> failureToChange(std::optional<NSError> error);

    // A manager that makes its system calls through `calls` (the real ones when null).
    explicit NSFileManager(std::shared_ptr<FileSystemCalls> calls = nullptr);

    // Replaces the system-call seam; tests use it to inject failures into the default manager.
    void setFileSystemCalls(std::shared_ptr<FileSystemCalls> calls);

    bool fileExistsAtPath(std::string_view path) const;
    bool fileExistsAtPath(std::string_view path, bool& isDirectory) const;

    // What tells one version of a file from another without reading it: which file it is (device and
    // inode: an atomic replace makes a new one), its size, when its contents last changed and when the
    // file last changed at all (the change time, which no caller can set back). A writer that wrote the
    // file compares these to notice that someone else has written it since.
    struct Attributes {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};

        bool operator==(const Attributes& other) const;
    };
    Result<Attributes> attributesOfItemAtPath(std::string_view path) const;

    // The whole file; refuses a file larger than `maxBytes` without reading it, and anything but a regular
    // file (a FIFO, a device, a socket) without waiting on it ("not a regular file", EINVAL).
    Result<std::string> contentsAtPath(std::string_view path, std::size_t maxBytes = PropertyListLimits{}.maxBytes) const;
    // The file opened for reading, refused as contentsAtPath refuses it (no waiting on a FIFO, regular files
    // only).
    Result<std::shared_ptr<NSFileHandle>> fileHandleForReadingAtPath(std::string_view path) const;
    // Creates or atomically replaces the file with `contents`.
    [[nodiscard]] std::optional<NSError> createFileAtPath(std::string_view path, std::string_view contents);

    // A part of a file's contents: bytes in memory, or `length` bytes at `offset` of an open file.
    struct Piece {
        std::string_view bytes;
        const NSFileHandle* file = nullptr;
        std::uint64_t offset = 0;
        std::uint64_t length = 0;

        static Piece inMemory(std::string_view bytes) { return Piece{bytes}; }
        static Piece inFile(const NSFileHandle& file, std::uint64_t offset, std::uint64_t length)
        {
            return Piece{{}, &file, offset, length};
        }
        std::uint64_t size() const { return file ? length : bytes.size(); }
    };
    // The same with the contents given as pieces, written one after another without joining them first (the
    // files' parts are copied through a bounded buffer). With `written`, also answers the new file opened for
    // reading: the very file written, whatever later happens to the path. A piece of a file that cannot be
    // read fails the write.
    [[nodiscard]] std::optional<NSError> createFileAtPath(std::string_view path, std::span<const Piece> pieces,
                                                          std::shared_ptr<NSFileHandle>* written = nullptr);

    // Removes a file (or a folder with everything in it), then flushes the folder that held it. Nothing
    // there: an error with code ENOENT. Any other failure leaves the file in place, answers the error and
    // is written to the system log with the path and the reason.
    [[nodiscard]] std::optional<NSError> removeItemAtPath(std::string_view path);
    // Moves a file or folder; fails if something exists at `to` (nothing is replaced).
    [[nodiscard]] std::optional<NSError> moveItemAtPath(std::string_view from, std::string_view to);
    [[nodiscard]] std::optional<NSError> createDirectoryAtPath(std::string_view path, bool withIntermediateDirectories);
    // The names in a folder, sorted, without "." and "..".
    Result<std::vector<std::string>> contentsOfDirectoryAtPath(std::string_view path) const;

    // Moves a file that exists but does not read out of the way, to "<name>.unreadable-<UTC time>"
    // (for example "NewNotifications.plist.unreadable-20261207T203335Z", with "-2", "-3", ... added if
    // taken) in the same folder, so a rewrite of the path destroys nothing. Answers the new device path.
    Result<std::string> moveAsideUnreadableFileAtPath(std::string_view path);
    // The same for a file set aside for another reason, named "<name>.<tag>-<UTC time>" (tag: a word such
    // as "unreadable").
    Result<std::string> moveAsideFileAtPath(std::string_view path, std::string_view tag);

    // Removes the temporary files in a folder whose writers have died.
    void removeStaleTemporaryFiles(std::string_view directoryPath);

    // Reads a property-list file: missing (no such file), unreadable (with the reason) or its value.
    PropertyListRead readPropertyListAtPath(std::string_view path, const PropertyListLimits& limits = {}) const;
    // Writes the XML form of `plist` atomically.
    [[nodiscard]] std::optional<NSError> writePropertyList(const id& plist, std::string_view path, const PropertyListLimits& limits = {});

private:
    std::shared_ptr<FileSystemCalls> calls() const;
    std::optional<NSError> writeAtomically(const std::shared_ptr<FileSystemCalls>& calls, const std::filesystem::path& target,
                                           std::span<const Piece> contents, std::shared_ptr<NSFileHandle>* written);
    std::optional<NSError> removeDurably(FileSystemCalls& calls, const std::filesystem::path& target);
    void removeStaleTemporaryFilesOnce(FileSystemCalls& calls, const std::filesystem::path& directory);
    static void removeStaleTemporaryFilesIn(FileSystemCalls& calls, const std::filesystem::path& directory);

    mutable Mutex mutex_;
    std::shared_ptr<FileSystemCalls> calls_ VT_GUARDED_BY(mutex_);
    std::set<std::filesystem::path> cleanedDirectories_ VT_GUARDED_BY(mutex_);
};
