#include "VTLogFile.h"

#include "HeapMemory.h"
#include "NSArray.h"
#include "NSLog.h"
#include "NSPropertyListSerialization.h"
#include "PropertyListLimits.h"

#include <cerrno>

namespace {

NSFileManager& files() { return NSFileManager::defaultManager(); }

bool sameAttributes(const Result<NSFileManager::Attributes>& now, const std::optional<NSFileManager::Attributes>& then)
{
    return then && now && now.value() == *then;
}

} // namespace

Result<VTLogFile::State> VTLogFile::load()
{
    if (sameAttributes(files().attributesOfItemAtPath(path_), written_)) {
        return State::Ok;
    }
    forget();
    return readAfresh();
}

Result<VTLogFile::State> VTLogFile::readAfresh()
{
    const auto found = readAndSplit();
    // Reading a long log parses every record only to find where each lies; what the parse took goes back
    // to the system, or the shell would keep a log's worth of it after the first append.
    HeapMemory::returnFreedMemoryToTheSystem();
    return found;
}

Result<VTLogFile::State> VTLogFile::readAndSplit()
{
    auto opened = files().fileHandleForReadingAtPath(path_);
    if (!opened) {
        const int code = opened.error().code();
        if (code == ENOENT || code == ENOTDIR) {
            return State::Missing;
        }
        return unreadable(opened.error().reason());
    }
    const std::shared_ptr<NSFileHandle> file = std::move(opened).value();
    const auto contents = file->readDataToEndOfFile(PropertyListLimits{}.maxBytes);
    if (!contents) {
        return unreadable(contents.error().reason());
    }
    const auto value = NSPropertyListSerialization::propertyListWithData(contents.value());
    const auto list = value ? as<NSArray>(value.value()) : nullptr;
    if (!list) {
        return unreadable(value ? std::string("not a list") : value.error().reason());
    }
    const auto& records = list->objects();
    // Files this system wrote are cut into pieces as they are, which stay in the file; only others need
    // encoding again.
    if (auto pieces = VTEncodedLog::split(contents.value(), records, file)) {
        log_ = std::move(*pieces);
        return State::Ok;
    }
    auto encoded = VTEncodedLog::encode(records);
    if (!encoded) {
        unreadableReason_ = "its records cannot be written again: " + encoded.error().reason();
        return encoded.error();
    }
    log_ = std::move(encoded).value();
    return State::Ok;
}

std::optional<NSError> VTLogFile::save()
{
    const auto pieces = log_.pieces();
    std::shared_ptr<NSFileHandle> written;
    // Replaced but not flushed counts as written: every reader sees the new file, and so does this
    // process after a crash.
    if (auto error = NSFileManager::failureToChange(files().createFileAtPath(path_, pieces, &written))) {
        forget();
        return error;
    }
    log_.nowIn(written);
    remember(*written);
    return std::nullopt;
}

std::optional<NSError> VTLogFile::remove()
{
    forget();
    auto error = NSFileManager::failureToChange(files().removeItemAtPath(path_));
    if (error && error->code() == ENOENT) {
        return std::nullopt; // gone already
    }
    return error;
}

Result<VTLogFile::State> VTLogFile::unreadable(std::string reason)
{
    unreadableReason_ = std::move(reason);
    return State::Unreadable;
}

std::optional<NSError> VTLogFile::moveAside()
{
    forget();
    const auto moved = files().moveAsideUnreadableFileAtPath(path_);
    if (!moved) {
        return moved.error();
    }
    NSLog("Vantle: {} does not read as a log ({}); its records are kept in {}", path_, unreadableReason_, moved.value());
    return std::nullopt;
}

std::optional<NSError> VTLogFile::setAsideWithOtherElements()
{
    // The log in memory stays: what the caller writes next is taken from it.
    written_.reset();
    const auto moved = files().moveAsideFileAtPath(path_, kOtherElementsTag);
    if (!moved) {
        return moved.error();
    }
    NSLog("Vantle: {} holds elements that are not records; the file is kept as {}", path_, moved.value());
    return std::nullopt;
}

std::optional<NSError> VTLogFile::replace(VTEncodedLog log)
{
    const auto found = load();
    if (log.empty()) {
        return takeOffPath(found);
    }
    if (!found || found.value() == State::Unreadable) {
        // Its records could not be kept in memory: replacing it unread would destroy them.
        if (auto error = moveAside()) {
            return error;
        }
    } else if (found.value() == State::Ok && log_.holdsOtherElements()) {
        if (auto error = setAsideWithOtherElements()) {
            return error;
        }
    }
    log_ = std::move(log);
    return save();
}

std::optional<NSError> VTLogFile::keepNewest(std::size_t count)
{
    const auto found = load();
    if (!found && count > 0) {
        return found.error();
    }
    if (count == 0 || found.value() != State::Ok) {
        // Also a file that reads but whose records could not be written again: it goes whole.
        return takeOffPath(found);
    }
    if (log_.count() > count && log_.othersAmongOldest(log_.count() - count)) {
        if (auto error = setAsideWithOtherElements()) {
            return error;
        }
    }
    const std::size_t dropped = log_.keepNewest(count);
    if (log_.empty()) {
        return remove();
    }
    return dropped > 0 ? save() : std::nullopt;
}

std::optional<NSError> VTLogFile::takeOffPath(const Result<State>& found)
{
    if (found && found.value() == State::Missing) {
        return std::nullopt;
    }
    if (found && found.value() == State::Ok && log_.holdsOtherElements()) {
        if (auto error = setAsideWithOtherElements()) {
            return error;
        }
        forget();
        return std::nullopt;
    }
    // A file whose records could not be kept in memory goes aside whole, never removed.
    return found && found.value() == State::Ok ? remove() : moveAside();
}

void VTLogFile::remember(const NSFileHandle& written)
{
    const auto attributes = files().attributesOfItemAtPath(path_);
    const auto status = written.status();
    if (!attributes || !status || attributes.value().device != status.value().st_dev ||
        attributes.value().inode != status.value().st_ino) {
        forget(); // someone replaced the file already
        return;
    }
    written_ = attributes.value();
}

void VTLogFile::forget()
{
    written_.reset();
    log_ = VTEncodedLog();
}
