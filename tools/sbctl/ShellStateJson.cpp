#include "ShellStateJson.h"

#include "JsonWriter.h"
#include "NSDictionary.h"
#include "NSPropertyListSerialization.h"
#include "SpringBoardControlNames.h"

Result<std::string> ShellStateJson::fromPropertyList(const std::string& xml)
{
    const auto read = NSPropertyListSerialization::propertyListWithData(xml);
    if (!read) {
        return NSError("the shell's state does not read: " + read.error().reason());
    }
    const auto state = as<NSDictionary>(read.value());
    if (!state) {
        return NSError("the shell's state is not a dictionary");
    }
    NSDictionary::Entries entries = state->entries();
    // JsonWriter writes a missing object as null.
    entries.try_emplace(SpringBoardControlNames::kForegroundKey, nullptr);
    return JsonWriter::value(NSDictionary::dictionaryWithEntries(std::move(entries))) + "\n";
}
