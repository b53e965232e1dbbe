#include "PostRequest.h"

#include "NSDate.h"
#include "NSDictionary-Vantle.h"
#include "NSString.h"
#include "TextSanitizer.h"

#include <array>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// The keys that have options of their own; `--set` may not replace them.
constexpr std::array<std::string_view, 4> kRecordKeys{NSDictionaryVantle::kApplication, NSDictionaryVantle::kBody,
                                                      NSDictionaryVantle::kDate,
                                                      NSDictionaryVantle::kBundleIdentifier};

std::optional<NSError> checkText(const std::string& option, const std::string& text)
{
    if (!TextSanitizer::isValidUTF8(text)) {
        return NSError(option + " is not valid UTF-8 text");
    }
    return std::nullopt;
}

Result<std::shared_ptr<NSDate>> parseDate(const std::optional<std::string>& text)
{
    if (!text) {
        return NSDate::date();
    }
    if (auto date = NSDate::dateWithISO8601String(*text)) {
        return date;
    }
    return NSError("--date '" + *text + "' is not an ISO 8601 date such as 2026-12-07T20:33:35Z");
}

bool isRecordKey(std::string_view key)
{
    for (const auto recordKey : kRecordKeys) {
        if (key == recordKey) {
            return true;
        }
    }
    return false;
}

std::optional<NSError> addAssignment(const std::string& assignment, NSDictionary::Entries& entries)
{
    const auto equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0) {
        return NSError("--set '" + assignment + "' is not KEY=VALUE");
    }
    const std::string key = assignment.substr(0, equals);
    if (isRecordKey(key)) {
        return NSError("--set cannot give \"" + key + "\": it has an option of its own");
    }
    if (auto invalid = checkText("--set " + key, assignment)) {
        return invalid;
    }
    entries[key] = NSString::stringWithString(assignment.substr(equals + 1));
    return std::nullopt;
}

} // namespace

Result<std::shared_ptr<NSDictionary>> PostRequest::record() const
{
    std::vector<std::pair<std::string, std::string>> texts{{"--app", application}, {"--body", body}};
    if (bundleIdentifier) {
        texts.emplace_back("--bundle", *bundleIdentifier);
    }
    for (const auto& [option, text] : texts) {
        if (auto invalid = checkText(option, text)) {
            return *invalid;
        }
    }
    auto date = parseDate(this->date);
    if (!date) {
        return date.error();
    }

    NSDictionary::Entries entries;
    for (const auto& assignment : assignments) {
        if (auto invalid = addAssignment(assignment, entries)) {
            return *invalid;
        }
    }
    entries[NSDictionaryVantle::kApplication] = NSString::stringWithString(application);
    entries[NSDictionaryVantle::kBody] = NSString::stringWithString(body);
    entries[NSDictionaryVantle::kDate] = date.value();
    if (bundleIdentifier) {
        entries[NSDictionaryVantle::kBundleIdentifier] = NSString::stringWithString(*bundleIdentifier);
    }
    return NSDictionary::dictionaryWithEntries(std::move(entries));
}
