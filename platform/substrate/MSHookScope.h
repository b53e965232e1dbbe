#pragma once

#include "MSHookMessage.h"

#include <functional>
#include <optional>
#include <string>

// For tests: installs a replacement as MSHookMessage does and, when the scope ends, puts the class's own
// table entry back as it was (the class's own implementation again, or none, so the inherited one answers).
// Scopes on the same selector end in the reverse order of their start.
class MSHookScope {
public:
    // `previous`, when given, receives the implementation the replacement chains to (empty if the hook was
    // refused; then the scope restores nothing).
    template <class Sig>
    MSHookScope(ObjCClass* cls, const std::string& selector, std::function<Sig> replacement,
                std::function<Sig>* previous = nullptr)
        : cls_(cls), selector_(selector), saved_(cls ? cls->ownMethod(selector) : std::nullopt)
    {
        const std::optional<ObjCClass::Method> chained =
            MSHookMessageErased(cls, selector, ObjCClass::Method::of(std::move(replacement)));
        installed_ = chained.has_value();
        if (previous) {
            *previous = chained ? chained->as<Sig>() : std::function<Sig>();
        }
    }
    ~MSHookScope()
    {
        if (installed_) {
            cls_->setOwnMethod(selector_, std::move(saved_));
        }
    }
    MSHookScope(const MSHookScope&) = delete;
    MSHookScope& operator=(const MSHookScope&) = delete;

    // Whether the replacement was installed.
    bool isInstalled() const { return installed_; }

private:
    ObjCClass* cls_;
    std::string selector_;
    std::optional<ObjCClass::Method> saved_;
    bool installed_ = false;
};
