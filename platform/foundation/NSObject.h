#pragma once

#include <memory>
#include <string>

// The root of every object that travels as a plain reference: property-list values (NSString, NSNumber,
// NSDate, NSData, NSArray, NSDictionary) and in-memory objects that are never persisted (launch actions,
// the shell's alert objects). Ownership is shared (`id`); "answers objectForKey:" and similar questions are
// asked with `as<T>()`, which answers null for an object of another kind and never throws.
class NSObject {
public:
    NSObject() = default;
    NSObject(const NSObject&) = delete;
    NSObject& operator=(const NSObject&) = delete;
    virtual ~NSObject() = default;

    // A readable form for logs and tools. Values print their content; other objects their class.
    virtual std::string description() const;
    // The name of the object's class as the platform would print it ("NSString", "LaunchAction").
    virtual std::string className() const;
    // Value equality for property-list values, identity for everything else.
    virtual bool isEqual(const NSObject& other) const { return this == &other; }
};

using id = std::shared_ptr<NSObject>;

template <class T>
std::shared_ptr<T> as(const std::shared_ptr<NSObject>& object)
{
    return std::dynamic_pointer_cast<T>(object);
}

bool isEqual(const id& a, const id& b);
