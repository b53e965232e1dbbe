#pragma once

#include "NSObject.h"

#include <string>
#include <utility>

// What reading a property-list file found: no file, a file that does not read (with the reason), or a
// value. The product treats both of the first two as empty, but must tell them apart before it replaces a
// file: an unreadable one is moved aside first so no record is ever destroyed.
class PropertyListRead {
public:
    enum class Status { Missing, Unreadable, Ok };

    static PropertyListRead missing() { return PropertyListRead(Status::Missing, nullptr, "no such file"); }
    static PropertyListRead unreadable(std::string reason) { return PropertyListRead(Status::Unreadable, nullptr, std::move(reason)); }
    static PropertyListRead ok(id value) { return PropertyListRead(Status::Ok, std::move(value), {}); }

    Status status() const { return status_; }
    bool isOk() const { return status_ == Status::Ok; }
    bool isMissing() const { return status_ == Status::Missing; }
    bool isUnreadable() const { return status_ == Status::Unreadable; }
    // The value read; null unless isOk().
    const id& value() const { return value_; }
    template <class T>
    std::shared_ptr<T> valueAs() const { return as<T>(value_); }
    // Why there is no value; empty when isOk().
    const std::string& reason() const { return reason_; }

private:
    PropertyListRead(Status status, id value, std::string reason)
        : status_(status), value_(std::move(value)), reason_(std::move(reason))
    {
    }

    Status status_;
    id value_;
    std::string reason_;
};
