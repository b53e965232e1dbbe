#pragma once

#include "Mutex.h"
#include "ThreadSafety.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>

// A class of the runtime the shell's classes live in: a name, a superclass and a table from selectors to
// implementations. The shell's objects answer their messages through these tables, so an implementation
// replaced here (MSHookMessage) really replaces the shell's own, and a method added under a selector (a
// category) is reachable by name from code that never linked the library that added it.
//
// An implementation is a std::function whose type is the full signature with the receiver first, for example
// void(const std::shared_ptr<SBSMSAlertItem>&, const std::shared_ptr<NSString>&). Each entry remembers that
// type; a lookup with another signature answers nothing (and says so on stderr) rather than call through a
// wrong type.
//
// Classes are registered once and live as long as the process; a class pointer never dangles. Tables are
// written when libraries load (hooks, categories) and read on the main thread as messages are sent; every
// operation is safe from any thread.
class ObjCClass {
public:
    ObjCClass(const ObjCClass&) = delete;
    ObjCClass& operator=(const ObjCClass&) = delete;

    // The class registered under this name, or null.
    static ObjCClass* lookUp(std::string_view name);
    // Registers the class, or returns the one already registered under the name (its superclass unchanged).
    static ObjCClass& registerClass(const std::string& name, ObjCClass* superclass = nullptr);

    const std::string& name() const { return name_; }
    ObjCClass* superclass() const { return superclass_; }

    // Sets this class's own implementation of the selector, replacing any it had.
    template <class Sig>
    void addMethod(const std::string& selector, std::function<Sig> implementation);

    // The implementation for the selector, own or inherited; empty when there is none, or when it was
    // registered with another signature (which also writes one line to stderr).
    template <class Sig>
    std::function<Sig> methodForSelector(std::string_view selector) const;

    bool instancesRespondToSelector(std::string_view selector) const;

    // Installs `implementation` on this class and returns the previous one (own or inherited; empty if none,
    // or if it had another signature).
    template <class Sig>
    std::function<Sig> replaceMethod(const std::string& selector, std::function<Sig> implementation);

    // Calls the current implementation with the arguments (the receiver first). A selector the class does
    // not answer with this signature is a programming error: "<class>: unrecognized selector <sel>" on
    // stderr, then abort, as the real runtime does.
    template <class Sig, class... Args>
    decltype(auto) send(std::string_view selector, Args&&... args) const;

    // One entry of a method table, with its type erased. Used by the templates above and by MSHookScope.
    struct Method {
        template <class Sig>
        static Method of(std::function<Sig> implementation)
        {
            return Method{std::make_shared<const std::function<Sig>>(std::move(implementation)), &typeid(Sig)};
        }
        template <class Sig>
        bool hasSignature() const { return *signature == typeid(Sig); }
        // REQUIRES: hasSignature<Sig>().
        template <class Sig>
        const std::function<Sig>& as() const { return *static_cast<const std::function<Sig>*>(implementation.get()); }

        std::shared_ptr<const void> implementation;
        const std::type_info* signature = &typeid(void);
    };
    // This class's own entry for the selector (not an inherited one).
    std::optional<Method> ownMethod(std::string_view selector) const;
    // Sets this class's own entry for the selector, or removes it when `method` is empty (so an inherited
    // one answers again); MSHookScope puts back what `ownMethod` answered with it.
    void setOwnMethod(const std::string& selector, std::optional<Method> method);
    // Installs `method` and answers the previous entry (own or inherited). With `onlyOverSameSignature`, a
    // selector without a previous entry of the same signature is left alone and the answer is empty.
    std::optional<Method> exchangeMethod(const std::string& selector, Method method, bool onlyOverSameSignature);

private:
    ObjCClass(std::string name, ObjCClass* superclass) : name_(std::move(name)), superclass_(superclass) {}

    std::optional<Method> findMethod(std::string_view selector) const VT_REQUIRES(mutex_);
    std::optional<Method> lookUpMethod(std::string_view selector) const VT_EXCLUDES(mutex_);

    // The typed implementation of `method`, or null (with the stderr line) when it has another signature.
    template <class Sig>
    const std::function<Sig>* typed(const std::optional<Method>& method, std::string_view selector) const;
    void reportSignatureMismatch(std::string_view selector, const std::type_info& registered,
                                 const std::type_info& asked) const;
    [[noreturn]] void reportUnrecognizedSelector(std::string_view selector) const;

    // One lock for every class's table: lookups walk the superclass chain, and writes are rare.
    static Mutex mutex_;

    const std::string name_;
    ObjCClass* const superclass_;
    std::map<std::string, Method, std::less<>> methods_ VT_GUARDED_BY(mutex_);
};

template <class Sig>
const std::function<Sig>* ObjCClass::typed(const std::optional<Method>& method, std::string_view selector) const
{
    if (!method) {
        return nullptr;
    }
    if (!method->hasSignature<Sig>()) {
        reportSignatureMismatch(selector, *method->signature, typeid(Sig));
        return nullptr;
    }
    return &method->as<Sig>();
}

template <class Sig>
void ObjCClass::addMethod(const std::string& selector, std::function<Sig> implementation)
{
    setOwnMethod(selector, Method::of(std::move(implementation)));
}

template <class Sig>
std::function<Sig> ObjCClass::methodForSelector(std::string_view selector) const
{
    const std::optional<Method> method = lookUpMethod(selector);
    const std::function<Sig>* implementation = typed<Sig>(method, selector);
    return implementation ? *implementation : std::function<Sig>();
}

template <class Sig>
std::function<Sig> ObjCClass::replaceMethod(const std::string& selector, std::function<Sig> implementation)
{
    const std::optional<Method> previous = exchangeMethod(selector, Method::of(std::move(implementation)), false);
    const std::function<Sig>* typedPrevious = typed<Sig>(previous, selector);
    return typedPrevious ? *typedPrevious : std::function<Sig>();
}

template <class Sig, class... Args>
decltype(auto) ObjCClass::send(std::string_view selector, Args&&... args) const
{
    // The entry keeps the implementation alive while it runs, even if it is replaced meanwhile.
    const std::optional<Method> method = lookUpMethod(selector);
    const std::function<Sig>* implementation = typed<Sig>(method, selector);
    if (!implementation || !*implementation) {
        reportUnrecognizedSelector(selector);
    }
    return (*implementation)(std::forward<Args>(args)...);
}
