#pragma once

#include "NSDictionary.h"

// The accessors of a notification record: a dictionary with "Application", "Body", "Date", optionally
// "Bundle Identifier" and, in memory only, "Action" (a LaunchAction). Each accessor answers the value
// stored under its key as it is, or null; producers decide the types, so readers check with `as<T>()`.
namespace NSDictionaryVantle {

inline constexpr const char* kApplication = "Application";
inline constexpr const char* kBody = "Body";
inline constexpr const char* kDate = "Date";
inline constexpr const char* kBundleIdentifier = "Bundle Identifier";
inline constexpr const char* kAction = "Action";

id application(const NSDictionary& record);
id body(const NSDictionary& record);
id bundleIdentifier(const NSDictionary& record);
id date(const NSDictionary& record);
id action(const NSDictionary& record);

// The plain record: a new dictionary with only "Application", "Body", "Date" and, when present,
// "Bundle Identifier"; the form the log files keep and the window is handed. Absent values stay absent.
std::shared_ptr<NSDictionary> simpleNotification(const NSDictionary& record);

} // namespace NSDictionaryVantle
