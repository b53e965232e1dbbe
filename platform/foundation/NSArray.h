#pragma once

#include "NSObject.h"

#include <vector>

// An immutable ordered list of objects. To change a list, copy `objects()`, edit the copy and make a new
// array from it: arrays are shared between threads by reference and never change under a reader.
class NSArray final : public NSObject {
public:
    explicit NSArray(std::vector<id> objects) : objects_(std::move(objects)) {}

    static std::shared_ptr<NSArray> arrayWithObjects(std::vector<id> objects)
    {
        return std::make_shared<NSArray>(std::move(objects));
    }

    std::size_t count() const { return objects_.size(); }
    const std::vector<id>& objects() const { return objects_; }
    // The object at the index, or null past the end.
    id objectAtIndex(std::size_t index) const { return index < objects_.size() ? objects_[index] : nullptr; }
    template <class T>
    std::shared_ptr<T> objectAtIndex(std::size_t index) const { return as<T>(objectAtIndex(index)); }

    std::string description() const override;
    std::string className() const override { return "NSArray"; }
    bool isEqual(const NSObject& other) const override;

private:
    const std::vector<id> objects_;
};
