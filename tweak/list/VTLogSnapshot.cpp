#include "VTLogSnapshot.h"

#include "NSArray.h"
#include "NSFileManager.h"
#include "NSPropertyListSerialization.h"
#include "PLWriter.h"
#include "VTEncodedLog.h"

#include <cerrno>

VTLogSnapshot VTLogSnapshot::read(bool withOldNotifications)
{
    VTLogSnapshot snapshot;
    snapshot.new_ = readFile(PLWriter::kNewNotificationsPath);
    if (withOldNotifications) {
        snapshot.old_ = readFile(PLWriter::kOldNotificationsPath);
    }
    return snapshot;
}

VTLogSnapshot::File VTLogSnapshot::readFile(const char* path)
{
    auto contents = NSFileManager::defaultManager().contentsAtPath(path);
    if (contents) {
        return File{true, std::move(contents).value()};
    }
    const int code = contents.error().code();
    return File{code != ENOENT && code != ENOTDIR, std::nullopt};
}

void VTLogSnapshot::appendRecords(const File& file, Records& records)
{
    if (!file.bytes) {
        return;
    }
    const auto value = NSPropertyListSerialization::propertyListWithData(std::string_view(*file.bytes));
    const auto list = value ? as<NSArray>(value.value()) : nullptr;
    if (!list) {
        return;
    }
    for (const auto& element : list->objects()) {
        if (auto record = as<NSDictionary>(element)) {
            records.push_back(std::move(record));
        }
    }
}

VTLogSnapshot::Records VTLogSnapshot::records(unsigned& newRecords) const
{
    Records records;
    appendRecords(new_, records);
    newRecords = static_cast<unsigned>(records.size());
    appendRecords(old_, records);
    return records;
}

std::optional<VTLogSnapshot::Outline> VTLogSnapshot::outline() const
{
    Outline outline;
    for (const File* file : {&new_, &old_}) {
        if (!file->exists) {
            continue;
        }
        const auto elements = file->bytes ? VTEncodedLog::elementsOf(*file->bytes) : std::nullopt;
        if (!elements) {
            return std::nullopt;
        }
        for (const auto element : *elements) {
            if (VTEncodedLog::isDictionaryElement(element)) {
                outline.elements_.push_back(element);
            }
        }
        if (file == &new_) {
            outline.newRecords_ = static_cast<unsigned>(outline.elements_.size());
        }
    }
    return outline;
}

std::shared_ptr<NSDictionary> VTLogSnapshot::Outline::recordAt(std::size_t position) const
{
    const auto value = NSPropertyListSerialization::propertyListWithData(elements_.at(position));
    return value ? as<NSDictionary>(value.value()) : nullptr;
}
