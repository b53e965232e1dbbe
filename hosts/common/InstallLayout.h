#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Where a program finds the files the build makes for it (the artwork, the tweak library, the preference
// bundles) once installed: under the prefix its own folder (`bin/`) lies in, at the places the install
// rules put them. A program run from the build finds them in the build instead, at the paths the build
// compiled in.
class InstallLayout {
public:
    InstallLayout() = delete;

    // The prefix the running program is installed under (the parent of its folder, when that holds the
    // installed artwork), or nothing when it runs from the build.
    static std::optional<std::filesystem::path> installedPrefix();

    // The installed artwork tree, tweak library and staged preference bundles when installed; otherwise the
    // build's, as given.
    static std::filesystem::path artwork(const std::filesystem::path& fromBuild);
    static std::filesystem::path tweakLibrary(const std::filesystem::path& fromBuild);
    static std::filesystem::path preferenceBundles(const std::filesystem::path& fromBuild);

private:
    static std::filesystem::path installedOr(const char* relative, const std::filesystem::path& fromBuild);
};
