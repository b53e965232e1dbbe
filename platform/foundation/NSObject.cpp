#include "NSObject.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

std::string NSObject::className() const
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(typeid(*this).name(), nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : typeid(*this).name();
    std::free(demangled);
    return name;
}

std::string NSObject::description() const
{
    return "<" + className() + ">";
}

bool isEqual(const id& a, const id& b)
{
    if (!a || !b) {
        return a == b;
    }
    return a->isEqual(*b);
}
