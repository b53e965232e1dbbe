#pragma once

#include "ObjCClass.h"

#include <functional>
#include <optional>
#include <string>

// Replaces the implementation of `selector` in `cls` with `replacement` and returns the previous one
// (the class's own or inherited), which the replacement calls as the shell's own behaviour. `prefix` is
// accepted for the platform's signature and ignored: no renamed copy of the original is kept.
//
// Nothing is installed, and the answer is empty, when the class is null, when it does not answer the
// selector, or when its implementation has another signature; each of these writes one line to stderr.
// So a replacement never runs without the implementation it chains to.
template <class Sig>
std::function<Sig> MSHookMessage(ObjCClass* cls, const std::string& selector, std::function<Sig> replacement,
                                 const char* prefix = nullptr);

// The type-erased step of MSHookMessage: the previous entry, or empty (reported) when nothing was installed.
std::optional<ObjCClass::Method> MSHookMessageErased(ObjCClass* cls, const std::string& selector,
                                                     ObjCClass::Method replacement);

template <class Sig>
std::function<Sig> MSHookMessage(ObjCClass* cls, const std::string& selector, std::function<Sig> replacement,
                                 const char* /*prefix*/)
{
    const std::optional<ObjCClass::Method> previous =
        MSHookMessageErased(cls, selector, ObjCClass::Method::of(std::move(replacement)));
    return previous ? previous->as<Sig>() : std::function<Sig>();
}
