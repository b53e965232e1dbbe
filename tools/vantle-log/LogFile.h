#pragma once

#include "NSObject.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// One log file of a device root as it was found, read without changing anything: missing (an empty log),
// unreadable (with the reason: not a regular file, does not parse, not a list), or its elements, newest
// first. Elements are kept as they are, whatever their type.
class LogFile {
public:
    enum class Status { Missing, Unreadable, Ok };

    // Reads the file at a device path under the current DeviceRoot.
    static LogFile read(std::string_view devicePath);

    Status status() const { return status_; }
    bool isUnreadable() const { return status_ == Status::Unreadable; }
    const std::filesystem::path& hostPath() const { return hostPath_; }
    // Why the file does not read; empty otherwise.
    const std::string& reason() const { return reason_; }
    // The elements of the list; empty unless the file read.
    const std::vector<id>& elements() const { return elements_; }

private:
    LogFile(Status status, std::filesystem::path hostPath, std::string reason, std::vector<id> elements);

    Status status_;
    std::filesystem::path hostPath_;
    std::string reason_;
    std::vector<id> elements_;
};
