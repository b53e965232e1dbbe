#pragma once

#include <string>

// What the loader did with one library of the device's DynamicLibraries folder.
struct LoadedLibrary {
    // The library's name without ".dylib" ("Vantle").
    std::string name;
    bool loaded = false;
    // Why it was not loaded: its filter does not name the process, its filter does not read, or the
    // system's loader refused it (dlerror's text). Empty when loaded.
    std::string reason;
    // The dlopen handle of a loaded library, never closed: a library lives as long as the process.
    void* handle = nullptr;
};
