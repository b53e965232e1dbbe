#include "PSPreferenceFile.h"

#include "NSDictionary.h"
#include "NSFileManager.h"

std::optional<std::string> PSPreferenceFile::pathForDomain(const std::string& domain)
{
    if (domain.empty() || domain.front() == '.' || domain.find('/') != std::string::npos ||
        domain.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return std::string(kPreferencesFolder) + domain + ".plist";
}

PSPreferenceFile::PSPreferenceFile(std::string domain, NSFileManager& files) : domain_(std::move(domain)), files_(files)
{
}

id PSPreferenceFile::valueForKey(const std::string& key) const
{
    const auto path = pathForDomain(domain_);
    if (!path) {
        return nullptr;
    }
    const auto dictionary = files_.readPropertyListAtPath(*path).valueAs<NSDictionary>();
    return dictionary ? dictionary->objectForKey(key) : nullptr;
}

std::optional<NSError> PSPreferenceFile::setValueForKey(const id& value, const std::string& key)
{
    return setValuesForKeys({{key, value}});
}

std::optional<NSError> PSPreferenceFile::setValuesForKeys(const std::vector<std::pair<std::string, id>>& values)
{
    const auto path = pathForDomain(domain_);
    if (!path) {
        return NSError("\"" + domain_ + "\" is not a preference domain");
    }
    const PropertyListRead read = files_.readPropertyListAtPath(*path);
    const auto current = read.valueAs<NSDictionary>();
    if (!current && !read.isMissing()) {
        const Result<std::string> movedAside = files_.moveAsideUnreadableFileAtPath(*path);
        if (!movedAside) {
            return movedAside.error();
        }
    }
    NSDictionary::Entries entries = current ? current->entries() : NSDictionary::Entries();
    for (const auto& [key, value] : values) {
        if (value) {
            entries.insert_or_assign(key, value);
        } else {
            entries.erase(key);
        }
    }
    if (auto failure = files_.createDirectoryAtPath(kPreferencesFolder, true)) {
        return failure;
    }
    return NSFileManager::failureToChange(
        files_.writePropertyList(NSDictionary::dictionaryWithEntries(std::move(entries)), *path));
}
