#include "InstallLayout.h"

#include <system_error>

std::optional<std::filesystem::path> InstallLayout::installedPrefix()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::nullopt;
    }
    const std::filesystem::path prefix = program.parent_path().parent_path();
    if (!std::filesystem::is_directory(prefix / VANTLE_INSTALL_ARTWORK_DIR, error)) {
        return std::nullopt;
    }
    return prefix;
}

std::filesystem::path InstallLayout::installedOr(const char* relative, const std::filesystem::path& fromBuild)
{
    const auto prefix = installedPrefix();
    return prefix ? *prefix / relative : fromBuild;
}

std::filesystem::path InstallLayout::artwork(const std::filesystem::path& fromBuild)
{
    return installedOr(VANTLE_INSTALL_ARTWORK_DIR, fromBuild);
}

std::filesystem::path InstallLayout::tweakLibrary(const std::filesystem::path& fromBuild)
{
    return installedOr(VANTLE_INSTALL_TWEAK_LIBRARY, fromBuild);
}

std::filesystem::path InstallLayout::preferenceBundles(const std::filesystem::path& fromBuild)
{
    return installedOr(VANTLE_INSTALL_PREFERENCE_BUNDLES_DIR, fromBuild);
}
