#pragma once

#include "NSObject.h"

#include <memory>

class ObjCClass;

// A shell object whose methods of the hook table answer through the runtime: the object's class (by its
// className) holds the implementations, so a library that replaced one with MSHookMessage runs in place
// of the shell's own. Shell objects are always made with std::make_shared.
class SBObject : public NSObject, public std::enable_shared_from_this<SBObject> {
public:
    // The runtime class of this object; the shell's classes are registered first when need be.
    const ObjCClass& runtimeClass() const;

protected:
    template <class T>
    std::shared_ptr<T> self()
    {
        return std::static_pointer_cast<T>(shared_from_this());
    }
};
