#include "MSHookMessage.h"

#include <cstdio>

std::optional<ObjCClass::Method> MSHookMessageErased(ObjCClass* cls, const std::string& selector,
                                                     ObjCClass::Method replacement)
{
    if (!cls) {
        std::fprintf(stderr, "MSHookMessage: no class to hook %s in; nothing installed\n", selector.c_str());
        return std::nullopt;
    }
    std::optional<ObjCClass::Method> previous = cls->exchangeMethod(selector, std::move(replacement), true);
    if (!previous) {
        std::fprintf(stderr,
                     "MSHookMessage: %s does not answer %s with the replacement's signature; nothing installed\n",
                     cls->name().c_str(), selector.c_str());
    }
    return previous;
}
