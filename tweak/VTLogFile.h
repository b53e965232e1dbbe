#pragma once

#include "NSError.h"
#include "NSFileManager.h"
#include "Result.h"
#include "VTEncodedLog.h"

#include <optional>
#include <string>

// One log file of the store and what the store last wrote to it.
//
// The store is the only writer of the log files in the shell: the list manager's writes go through it too
// (PLWriter::replaceOldNotifications, keepNewestNewNotifications), all under the store's lock. After each
// write this object keeps the log it wrote, as where its records lie in the file written, which it holds
// open (see VTEncodedLog), together with the file's attributes just after the write (device, inode, size,
// modification and change times to the nanosecond). While the file on disk still has those
// attributes, load() trusts the log in memory and reads nothing; anything that changed the file since
// (another process, a person) shows as different attributes and the file is read afresh.
//
// What the check cannot see: a write in place that keeps the size and the inode and lands within the same
// tick of the file system's clock as the store's own write, so that neither the modification nor the change
// time moves (setting the times back afterwards moves the change time, which cannot be set). Every writer
// of this system replaces a file by renaming a new one over it, which always makes a new inode. Such a write
// would also change the bytes the log copies from the file it holds open. A replacement by another process
// in the moment between the store's rename and its look at the attributes shows as another file (device
// and inode) than the one held open, and that file is read afresh.
//
// Not thread-safe: the store uses it under its lock.
class VTLogFile {
public:
    enum class State { Missing, Unreadable, Ok };

    explicit VTLogFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // Brings log() up to what the file holds and says what was found: a missing or unreadable file leaves
    // an empty log. Fails when the file reads but its records cannot be written again.
    [[nodiscard]] Result<State> load();
    // What the file holds as of the last load(), for the caller to change and save().
    VTEncodedLog& log() { return log_; }

    // Writes log() (not empty) atomically, and remembers it with the file's attributes afterwards. A
    // failure leaves the file as it was; a file replaced whose folder could not be flushed counts as
    // written (see NSFileManager).
    [[nodiscard]] std::optional<NSError> save();
    // Removes the file durably; a file already gone counts as removed. A failure leaves it in place (and
    // the file manager writes it to the system log).
    [[nodiscard]] std::optional<NSError> remove();
    // Moves an unreadable file aside so that its path can be written (see NSFileManager).
    [[nodiscard]] std::optional<NSError> moveAside();

    // Makes `log` the file's whole content, or takes the file off its path when `log` is empty. A file there
    // that does not read is moved aside first, and so is one holding elements that are not records (a
    // record list never holds them, and they would be lost). A failure leaves the file as it was.
    [[nodiscard]] std::optional<NSError> replace(VTEncodedLog log);
    // Leaves the file holding only its newest `count` elements, or takes it off its path when that leaves
    // none; a file that does not read is moved aside, and so is one of whose elements that are not records
    // some would go; a missing one stays missing. A failure leaves the file as it was.
    [[nodiscard]] std::optional<NSError> keepNewest(std::size_t count);

    // The word in the name of a file set aside because it held elements that are not records.
    static constexpr const char* kOtherElementsTag = "other-elements";

private:
    Result<State> readAfresh();
    Result<State> readAndSplit();
    Result<State> unreadable(std::string reason);
    // Moves the file aside, for a change that would drop elements of it that are not records.
    std::optional<NSError> setAsideWithOtherElements();
    // Moves the file aside when `found` says it does not read, leaves it when missing, else removes it.
    std::optional<NSError> takeOffPath(const Result<State>& found);
    // Takes `written`, just written at the path, as the file there, unless another has replaced it already.
    void remember(const NSFileHandle& written);
    void forget();

    std::string path_;
    VTEncodedLog log_;
    // The file's attributes after the last write of log_; absent when log_ may differ from the file.
    std::optional<NSFileManager::Attributes> written_;
    // Why the last read found the file unreadable, for the system log when it is moved aside.
    std::string unreadableReason_;
};
