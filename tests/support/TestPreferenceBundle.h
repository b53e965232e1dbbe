#pragma once

#include <filesystem>
#include <string>

// Installs the tests' preference bundle (helpers/PreferencesTestBundle.cpp, built as a library) into the
// current device root, as the installer installs a bundle: the folder
// "/System/Library/PreferenceBundles/TestBundle.bundle/" with the library, its Info.plist and the specifier
// file "TestBundle.plist", and the entry "/Library/PreferenceLoader/Preferences/TestBundle.plist" that puts
// the row "Test Bundle" on the Settings root page. The specifier file's rows store into the domain kDomain
// and post kNotification after each change.
class TestPreferenceBundle {
public:
    static constexpr const char* kDomain = "net.example.test";
    static constexpr const char* kPreferencePath = "/var/mobile/Library/Preferences/net.example.test.plist";
    static constexpr const char* kNotification = "net.example.test.changed";
    static constexpr const char* kBundlePath = "/System/Library/PreferenceBundles/TestBundle.bundle";

    // Answers whether every file was written.
    static bool install(const std::filesystem::path& deviceRoot, const std::filesystem::path& library);
    // The specifier file's XML.
    static std::string specifierFile();
};
