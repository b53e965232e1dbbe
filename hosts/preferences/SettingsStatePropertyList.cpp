#include "SettingsStatePropertyList.h"

#include "NSArray.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"
#include "PreferencesControlNames.h"

namespace {

using Names = PreferencesControlNames;

id strings(const std::vector<std::string>& texts)
{
    std::vector<id> objects;
    for (const auto& text : texts) {
        objects.push_back(NSString::stringWithString(text));
    }
    return NSArray::arrayWithObjects(std::move(objects));
}

id row(const PreferencesAppController::Row& shown)
{
    NSDictionary::Entries entries{
        {"text", NSString::stringWithString(shown.text)}, {"detail", NSString::stringWithString(shown.detail)}};
    if (shown.on) {
        entries.emplace("on", NSNumber::numberWithBool(*shown.on));
    }
    if (shown.checked) {
        entries.emplace("checked", NSNumber::numberWithBool(*shown.checked));
    }
    return NSDictionary::dictionaryWithEntries(std::move(entries));
}

id sections(const std::vector<PreferencesAppController::Section>& shown)
{
    std::vector<id> objects;
    for (const auto& section : shown) {
        std::vector<id> rows;
        for (const auto& each : section.rows) {
            rows.push_back(row(each));
        }
        NSDictionary::Entries entries{{"rows", NSArray::arrayWithObjects(std::move(rows))}};
        if (section.header) {
            entries.emplace(Names::kHeaderKey, NSString::stringWithString(*section.header));
        }
        if (section.footer) {
            entries.emplace(Names::kFooterKey, NSString::stringWithString(*section.footer));
        }
        objects.push_back(NSDictionary::dictionaryWithEntries(std::move(entries)));
    }
    return NSArray::arrayWithObjects(std::move(objects));
}

} // namespace

Result<std::string> SettingsStatePropertyList::xml(const PreferencesAppController::State& state)
{
    NSDictionary::Entries entries{
        {"title", NSString::stringWithString(state.title)},
        {"stack", strings(state.stack)},
        {Names::kSectionsKey, sections(state.sections)},
    };
    if (state.alert) {
        entries.emplace(Names::kAlertKey,
            NSDictionary::dictionaryWithEntries({{"title", NSString::stringWithString(state.alert->title)},
                {"message", NSString::stringWithString(state.alert->message)},
                {"buttons", strings(state.alert->buttons)}}));
    }
    return NSPropertyListSerialization::dataWithPropertyList(NSDictionary::dictionaryWithEntries(std::move(entries)));
}
