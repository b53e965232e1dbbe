#include "SettingsStateJson.h"

#include "JsonWriter.h"
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSPropertyListSerialization.h"
#include "PreferencesControlNames.h"

namespace {

using Names = PreferencesControlNames;

// JsonWriter writes a missing object as null.
id withNullSectionTitles(const id& sections)
{
    const auto array = as<NSArray>(sections);
    if (!array) {
        return sections;
    }
    std::vector<id> filled;
    for (const id& section : array->objects()) {
        const auto dictionary = as<NSDictionary>(section);
        if (!dictionary) {
            filled.push_back(section);
            continue;
        }
        NSDictionary::Entries entries = dictionary->entries();
        entries.try_emplace(Names::kHeaderKey, nullptr);
        entries.try_emplace(Names::kFooterKey, nullptr);
        filled.push_back(NSDictionary::dictionaryWithEntries(std::move(entries)));
    }
    return NSArray::arrayWithObjects(std::move(filled));
}

} // namespace

Result<std::string> SettingsStateJson::fromPropertyList(const std::string& xml)
{
    const auto read = NSPropertyListSerialization::propertyListWithData(xml);
    if (!read) {
        return NSError("the application's state does not read: " + read.error().reason());
    }
    const auto state = as<NSDictionary>(read.value());
    if (!state) {
        return NSError("the application's state is not a dictionary");
    }
    NSDictionary::Entries entries = state->entries();
    entries.try_emplace(Names::kAlertKey, nullptr);
    entries[Names::kSectionsKey] = withNullSectionTitles(state->objectForKey(Names::kSectionsKey));
    return JsonWriter::value(NSDictionary::dictionaryWithEntries(std::move(entries))) + "\n";
}
