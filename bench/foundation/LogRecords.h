#pragma once

#include "NSDate.h"
#include "NSDictionary.h"
#include "NSString.h"

#include <string>

// The records of the foundation benchmarks' log, shaped like the store's: every seventh body has
// characters XML escapes, and every fifth record no bundle identifier (a system alert).
namespace LogRecords {

constexpr int kRecords = 10000;
constexpr int kApplications = 10;

inline id makeRecord(int i)
{
    NSDictionary::Entries entries{
        {"Application", NSString::stringWithString("Application " + std::to_string(i % kApplications))},
        {"Body", NSString::stringWithString("Message " + std::to_string(i) +
                                            (i % 7 == 0 ? ": Tom & Jerry <3 \"quoted\" caf\xC3\xA9"
                                                        : ": are we still meeting at the station at six?"))},
        {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(800000000.0 + i)},
    };
    if (i % 5 != 0) {
        entries.emplace("Bundle Identifier", NSString::stringWithString("com.example.app" + std::to_string(i % kApplications)));
    }
    return NSDictionary::dictionaryWithEntries(std::move(entries));
}

} // namespace LogRecords
