#pragma once

#include "LoadedLibrary.h"
#include "NSError.h"
#include "Result.h"

#include <string>
#include <vector>

// The code-injection loader the shell runs at start, before it finishes launching. Every library
// "<Name>.dylib" in the device folder kDynamicLibrariesPath (an ELF shared object keeping the device's file
// name) has a filter property list "<Name>.plist" beside it:
//
//     { Filter = { Bundles = ( "com.apple.springboard" ); }; }
//
// A library whose filter names the process's bundle identifier is loaded (dlopen, RTLD_NOW | RTLD_GLOBAL, so
// its symbols are found by later libraries) and its initialisers (ELF constructors) run as it loads.
// The filter may be written in the text form above (see OpenStepPropertyList) or as an XML or binary
// property list. Libraries load in name order. A library without a filter, or with a filter that does not
// read or has no list of bundles, is not loaded; such a filter, and a library the system refuses, each
// write one line to stderr. Nothing here stops the process.
class SubstrateLoader {
public:
    static constexpr const char* kDynamicLibrariesPath = "/Library/MobileSubstrate/DynamicLibraries/";

    SubstrateLoader() = delete;

    // Loads the libraries meant for the process and answers what happened to each library of the folder,
    // in name order. No folder, no libraries.
    static std::vector<LoadedLibrary> loadLibrariesForBundleIdentifier(const std::string& bundleIdentifier);

    // Whether the filter property list at the device path names the bundle; an error when it does not read
    // or is not a filter.
    static Result<bool> filterNamesBundle(const std::string& filterPath, const std::string& bundleIdentifier);

private:
    static LoadedLibrary loadCandidate(const std::string& name, const std::string& bundleIdentifier);
};
