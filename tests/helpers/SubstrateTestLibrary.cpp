// A library for the loader's tests, installed into a device root under several names. Its initialiser
// registers a runtime class named after the file it was loaded from ("Loaded Matching.dylib"), so a test
// sees which copies were loaded and that each one's initialiser ran.
#include "ObjCClass.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>

namespace {

__attribute__((constructor)) void recordThatThisCopyWasLoaded()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&recordThatThisCopyWasLoaded), &info) && info.dli_fname) {
        ObjCClass::registerClass("Loaded " + std::filesystem::path(info.dli_fname).filename().string());
    }
}

} // namespace
