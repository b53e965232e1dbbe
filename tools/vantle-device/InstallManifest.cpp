#include "InstallManifest.h"

#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSString.h"

#include <cstdint>
#include <filesystem>

std::string InstallManifest::contentHash(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ull;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4) {
        text[static_cast<std::size_t>(i)] = kDigits[hash & 0xf];
    }
    return text;
}

Result<InstallManifest> InstallManifest::load()
{
    const PropertyListRead read = NSFileManager::defaultManager().readPropertyListAtPath(kPath);
    InstallManifest manifest;
    if (read.isMissing()) {
        return manifest;
    }
    const auto dictionary = read.valueAs<NSDictionary>();
    if (!dictionary) {
        return NSError(read.isUnreadable() ? read.reason() : "not a dictionary");
    }
    for (const auto& [path, value] : dictionary->entries()) {
        if (const auto hash = as<NSString>(value)) {
            manifest.hashes_[path] = hash->string();
        }
    }
    return manifest;
}

std::optional<NSError> InstallManifest::save() const
{
    NSDictionary::Entries entries;
    for (const auto& [path, hash] : hashes_) {
        entries[path] = NSString::stringWithString(hash);
    }
    NSFileManager& files = NSFileManager::defaultManager();
    const std::string folder = std::filesystem::path(kPath).parent_path().string();
    if (auto error = files.createDirectoryAtPath(folder, true)) {
        return error;
    }
    return NSFileManager::failureToChange(
        files.writePropertyList(NSDictionary::dictionaryWithEntries(std::move(entries)), kPath));
}

std::optional<std::string> InstallManifest::hashForPath(const std::string& devicePath) const
{
    const auto found = hashes_.find(devicePath);
    if (found == hashes_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void InstallManifest::setHashForPath(const std::string& devicePath, std::string hash)
{
    hashes_[devicePath] = std::move(hash);
}
