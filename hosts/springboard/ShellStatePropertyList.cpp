#include "ShellStatePropertyList.h"

#include "NSArray.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"
#include "SpringBoardControlNames.h"

namespace {

template <class T, class Convert>
id arrayOf(const std::vector<T>& items, Convert convert)
{
    std::vector<id> objects;
    for (const T& item : items) {
        objects.push_back(convert(item));
    }
    return NSArray::arrayWithObjects(std::move(objects));
}

id string(const std::string& text)
{
    return NSString::stringWithString(text);
}

id alert(const SBShell::AlertInfo& alert)
{
    return NSDictionary::dictionaryWithEntries({{"title", string(alert.title)}, {"message", string(alert.message)}});
}

id window(const SBShell::WindowInfo& window)
{
    return NSDictionary::dictionaryWithEntries({{"level", NSNumber::numberWithDouble(window.level)}, {"name", string(window.name)}});
}

} // namespace

Result<std::string> ShellStatePropertyList::xml(const SBShell::State& state)
{
    NSDictionary::Entries entries{
        {"locked", NSNumber::numberWithBool(state.locked)},
        {"orientation", NSNumber::numberWithInteger(state.orientation)},
        {"statusBarImages", arrayOf(state.statusBarImages, string)},
        {"alerts", arrayOf(state.alerts, alert)},
        {"sounds", arrayOf(state.sounds, string)},
        {"windows", arrayOf(state.windows, window)},
        {"batteryLevel", NSNumber::numberWithInteger(state.batteryLevel)},
        {"switcherShown", NSNumber::numberWithBool(state.switcherShown)},
    };
    if (state.foreground) {
        entries[SpringBoardControlNames::kForegroundKey] = string(*state.foreground);
    }
    return NSPropertyListSerialization::dataWithPropertyList(NSDictionary::dictionaryWithEntries(std::move(entries)));
}
