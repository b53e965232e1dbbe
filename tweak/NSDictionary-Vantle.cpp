#include "NSDictionary-Vantle.h"

namespace NSDictionaryVantle {

id application(const NSDictionary& record) { return record.objectForKey(kApplication); }
id body(const NSDictionary& record) { return record.objectForKey(kBody); }
id bundleIdentifier(const NSDictionary& record) { return record.objectForKey(kBundleIdentifier); }
id date(const NSDictionary& record) { return record.objectForKey(kDate); }
id action(const NSDictionary& record) { return record.objectForKey(kAction); }

std::shared_ptr<NSDictionary> simpleNotification(const NSDictionary& record)
{
    NSDictionary::Entries plain;
    for (const char* key : {kApplication, kBody, kDate, kBundleIdentifier}) {
        if (auto value = record.objectForKey(key)) {
            plain.emplace(key, std::move(value));
        }
    }
    return NSDictionary::dictionaryWithEntries(std::move(plain));
}

} // namespace NSDictionaryVantle
