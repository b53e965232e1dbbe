#include "LogFile.h"

#include "DeviceRoot.h"
#include "NSArray.h"
#include "NSFileManager.h"
#include "ValueDescription.h"

#include <system_error>

LogFile::LogFile(Status status, std::filesystem::path hostPath, std::string reason, std::vector<id> elements)
    : status_(status), hostPath_(std::move(hostPath)), reason_(std::move(reason)), elements_(std::move(elements))
{
}

LogFile LogFile::read(std::string_view devicePath)
{
    std::filesystem::path host = DeviceRoot::resolve(devicePath);
    // Opening a FIFO or a device for reading could block or have effects; only a regular file is read.
    std::error_code error;
    const auto type = std::filesystem::status(host, error).type();
    if (type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::regular &&
        type != std::filesystem::file_type::directory && !error) {
        return LogFile(Status::Unreadable, std::move(host), "not a regular file", {});
    }

    const PropertyListRead read = NSFileManager::defaultManager().readPropertyListAtPath(devicePath);
    if (read.isMissing()) {
        return LogFile(Status::Missing, std::move(host), {}, {});
    }
    if (read.isUnreadable()) {
        return LogFile(Status::Unreadable, std::move(host), read.reason(), {});
    }
    const auto list = read.valueAs<NSArray>();
    if (!list) {
        return LogFile(Status::Unreadable, std::move(host),
                       "not a list (its top level is " + ValueDescription::typeNameWithArticle(read.value()) + ")", {});
    }
    return LogFile(Status::Ok, std::move(host), {}, list->objects());
}
