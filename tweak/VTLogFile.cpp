#include "VTLogFile.h"

#include "NSArray.h"
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
    const auto contents = files().contentsAtPath(path_);
    if (!contents) {
        const int code = contents.error().code();
        return code == ENOENT || code == ENOTDIR ? State::Missing : State::Unreadable;
    }
    const auto value = NSPropertyListSerialization::propertyListWithData(contents.value());
    const auto list = value ? as<NSArray>(value.value()) : nullptr;
    if (!list) {
        return State::Unreadable;
    }
    const auto& records = list->objects();
    // Files this system wrote are cut into pieces as they are; only others need encoding again.
    if (auto pieces = VTEncodedLog::split(contents.value(), records)) {
        log_ = std::move(*pieces);
        return State::Ok;
    }
    auto encoded = VTEncodedLog::encode(records);
    if (!encoded) {
        return encoded.error();
    }
    log_ = std::move(encoded).value();
    return State::Ok;
}

std::optional<NSError> VTLogFile::save()
{
    const std::string bytes = log_.bytes();
    if (bytes.size() > PropertyListLimits{}.maxBytes) {
        forget();
        return NSError("the log would be larger than a property list may be", EFBIG);
    }
    // Replaced but not flushed counts as written: every reader sees the new file, and so does this
    // process after a crash.
    if (auto error = NSFileManager::failureToChange(files().createFileAtPath(path_, bytes))) {
        forget();
        return error;
    }
    remember(bytes.size());
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

std::optional<NSError> VTLogFile::moveAside()
{
    forget();
    const auto moved = files().moveAsideUnreadableFileAtPath(path_);
    return moved ? std::nullopt : std::optional<NSError>(moved.error());
}

std::optional<NSError> VTLogFile::replace(VTEncodedLog log)
{
    const auto found = load();
    if (log.empty()) {
        return takeOffPath(found);
    }
    if (found && found.value() == State::Unreadable) {
        if (auto error = moveAside()) {
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
    return found && found.value() == State::Unreadable ? moveAside() : remove();
}

void VTLogFile::remember(std::size_t size)
{
    const auto attributes = files().attributesOfItemAtPath(path_);
    if (!attributes || attributes.value().size != static_cast<off_t>(size)) {
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
