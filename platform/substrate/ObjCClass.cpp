#include "ObjCClass.h"

#include "MutexLocker.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>

Mutex ObjCClass::mutex_;

namespace {

// The registry of classes by name. Classes are never removed, so the pointers handed out stay valid.
struct ClassRegistry {
    Mutex mutex;
    std::map<std::string, std::unique_ptr<ObjCClass>, std::less<>> classes VT_GUARDED_BY(mutex);
};

ClassRegistry& registry()
{
    static ClassRegistry* const instance = new ClassRegistry; // lives until exit: classes outlive statics
    return *instance;
}

// The readable name of a signature ("void (std::shared_ptr<SBApplication> const&)") for messages.
std::string readableTypeName(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(type.name());
}

} // namespace

ObjCClass* ObjCClass::lookUp(std::string_view name)
{
    ClassRegistry& classes = registry();
    MutexLocker locked(classes.mutex);
    const auto found = classes.classes.find(name);
    return found == classes.classes.end() ? nullptr : found->second.get();
}

ObjCClass& ObjCClass::registerClass(const std::string& name, ObjCClass* superclass)
{
    ClassRegistry& classes = registry();
    MutexLocker locked(classes.mutex);
    auto& slot = classes.classes[name];
    if (!slot) {
        slot.reset(new ObjCClass(name, superclass));
    }
    return *slot;
}

bool ObjCClass::instancesRespondToSelector(std::string_view selector) const
{
    return lookUpMethod(selector).has_value();
}

std::optional<ObjCClass::Method> ObjCClass::ownMethod(std::string_view selector) const
{
    MutexLocker locked(mutex_);
    const auto found = methods_.find(selector);
    return found == methods_.end() ? std::nullopt : std::optional<Method>(found->second);
}

void ObjCClass::setOwnMethod(const std::string& selector, std::optional<Method> method)
{
    MutexLocker locked(mutex_);
    if (method) {
        methods_.insert_or_assign(selector, std::move(*method));
    } else if (const auto found = methods_.find(selector); found != methods_.end()) {
        methods_.erase(found);
    }
}

std::optional<ObjCClass::Method> ObjCClass::exchangeMethod(const std::string& selector, Method method,
                                                           bool onlyOverSameSignature)
{
    MutexLocker locked(mutex_);
    std::optional<Method> previous = findMethod(selector);
    if (onlyOverSameSignature && (!previous || *previous->signature != *method.signature)) {
        return std::nullopt;
    }
    methods_.insert_or_assign(selector, std::move(method));
    return previous;
}

std::optional<ObjCClass::Method> ObjCClass::findMethod(std::string_view selector) const
{
    for (const ObjCClass* cls = this; cls; cls = cls->superclass_) {
        if (const auto found = cls->methods_.find(selector); found != cls->methods_.end()) {
            return found->second;
        }
    }
    return std::nullopt;
}

std::optional<ObjCClass::Method> ObjCClass::lookUpMethod(std::string_view selector) const
{
    MutexLocker locked(mutex_);
    return findMethod(selector);
}

void ObjCClass::reportSignatureMismatch(std::string_view selector, const std::type_info& registered,
                                        const std::type_info& asked) const
{
    std::fprintf(stderr, "%s: %.*s is implemented as %s, not asked for as %s\n", name_.c_str(),
                 static_cast<int>(selector.size()), selector.data(), readableTypeName(registered).c_str(),
                 readableTypeName(asked).c_str());
}

void ObjCClass::reportUnrecognizedSelector(std::string_view selector) const
{
    std::fprintf(stderr, "%s: unrecognized selector %.*s\n", name_.c_str(), static_cast<int>(selector.size()),
                 selector.data());
    std::abort();
}
