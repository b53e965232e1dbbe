#include "VTSettings.h"

#include "MutexLocker.h"
#include "NSArray.h"
#include "NSNumber.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <climits>
#include <optional>

namespace {

std::size_t skipSpace(const std::string& text, std::size_t i)
{
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    return i;
}

// The platform's text-to-boolean rule: after white space, a sign and zeros, "Y", "y", "T", "t" or a
// digit 1 to 9 is true; anything else is false.
bool stringBoolValue(const std::string& text)
{
    std::size_t i = skipSpace(text, 0);
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    while (i < text.size() && text[i] == '0') {
        ++i;
    }
    if (i == text.size()) {
        return false;
    }
    const char c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

// The platform's text-to-integer rule: the leading decimal integer after white space, 0 when there is
// none, saturated at the type's bounds.
std::int64_t stringIntegerValue(const std::string& text)
{
    std::size_t i = skipSpace(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (INT64_MAX - digit) / 10) {
            return negative ? INT64_MIN : INT64_MAX;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

// A stored value as a boolean; absent when the value has no boolean reading (a date, a list), so a
// damaged file leaves the setting as it was instead of failing.
std::optional<bool> boolValue(const id& value)
{
    if (const auto number = as<NSNumber>(value)) {
        return number->boolValue();
    }
    if (const auto string = as<NSString>(value)) {
        return stringBoolValue(string->string());
    }
    return std::nullopt;
}

std::optional<std::int64_t> integerValue(const id& value)
{
    if (const auto number = as<NSNumber>(value)) {
        return number->integerValue();
    }
    if (const auto string = as<NSString>(value)) {
        return stringIntegerValue(string->string());
    }
    return std::nullopt;
}

// "Items To Keep": any negative number keeps every record, 0 to 2^31-1 keeps that many, and anything
// else (a number past 2^31-1, NaN, a value that is not a number, text without a leading integer) counts
// as the default. Truncating such a value instead would turn "lots" into 0 or 2^32 + 3 into 3, and the
// next close of the panel would delete the log down to that.
std::int32_t itemLimitOf(std::int64_t value)
{
    if (value < 0) {
        return static_cast<std::int32_t>(std::max<std::int64_t>(value, INT32_MIN));
    }
    return value <= INT32_MAX ? static_cast<std::int32_t>(value) : VTSettings::kDefaultItemsToKeep;
}

bool startsWithInteger(const std::string& text)
{
    std::size_t i = skipSpace(text, 0);
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

std::optional<std::int32_t> itemLimitValue(const id& value)
{
    if (!value) {
        return std::nullopt;
    }
    if (const auto number = as<NSNumber>(value)) {
        switch (number->kind()) {
        case NSNumber::Kind::Integer:
            return itemLimitOf(number->integerValue());
        case NSNumber::Kind::Unsigned:
            return number->unsignedIntegerValue() <= INT32_MAX ? static_cast<std::int32_t>(number->unsignedIntegerValue())
                                                               : VTSettings::kDefaultItemsToKeep;
        case NSNumber::Kind::Real: {
            const double real = number->doubleValue();
            if (std::isnan(real) || real >= 2147483648.0) {
                return VTSettings::kDefaultItemsToKeep;
            }
            if (real < 0) { // any negative number, -0.5 too, keeps everything
                return real > -2147483648.0 ? std::min(-1, static_cast<std::int32_t>(real)) : INT32_MIN;
            }
            return static_cast<std::int32_t>(real);
        }
        case NSNumber::Kind::Boolean:
            return VTSettings::kDefaultItemsToKeep;
        }
    }
    if (const auto string = as<NSString>(value); string && startsWithInteger(string->string())) {
        return itemLimitOf(stringIntegerValue(string->string()));
    }
    return VTSettings::kDefaultItemsToKeep;
}

template <class T, class Convert>
void setIfPresent(std::atomic<T>& setting, const NSDictionary& file, const char* key, Convert convert)
{
    if (const auto value = convert(file.objectForKey(key))) {
        setting.store(*value, std::memory_order_relaxed);
    }
}

std::shared_ptr<const VTSettings::IgnoredSet> ignoredSetOf(const id& stored)
{
    auto ignored = std::make_shared<VTSettings::IgnoredSet>();
    if (const auto entries = as<NSArray>(stored)) {
        for (const auto& entry : entries->objects()) {
            const auto application = as<NSDictionary>(entry);
            if (const auto bundleId = application ? application->stringForKey("Bundle Id") : std::nullopt) {
                ignored->insert(*bundleId);
            }
        }
    }
    return ignored;
}

} // namespace

VTSettings& VTSettings::shared()
{
    static VTSettings settings;
    return settings;
}

void VTSettings::reset()
{
    autoDeleteOnBadge_.store(false, std::memory_order_relaxed);
    autoDelete_.store(0, std::memory_order_relaxed);
    blockHomescreenAlerts_.store(false, std::memory_order_relaxed);
    blockLockscreenAlerts_.store(false, std::memory_order_relaxed);
    customIcons_.store(true, std::memory_order_relaxed);
    hideRead_.store(true, std::memory_order_relaxed);
    itemsToKeep_.store(kDefaultItemsToKeep, std::memory_order_relaxed);
    livePulldown_.store(true, std::memory_order_relaxed);
    statusbarIcons_.store(true, std::memory_order_relaxed);
    musicOnLockscreen_.store(true, std::memory_order_relaxed);
    musicOnHomescreen_.store(true, std::memory_order_relaxed);
    lockscreenAllowed_.store(true, std::memory_order_relaxed);
    springBoardAllowed_.store(true, std::memory_order_relaxed);
    const MutexLocker guard(objectsMutex_);
    groupBy_ = nullptr;
    redirections_ = nullptr;
    ignoredApplications_ = nullptr;
}

void VTSettings::apply(const std::shared_ptr<NSDictionary>& file)
{
    const auto contents = file ? file : NSDictionary::dictionary();
    applyScalars(*contents);

    const auto groupBy = contents->objectForKey("Group By");
    const auto groupByString = as<NSString>(groupBy);
    auto newGroupBy = !groupBy ? NSString::stringWithString("Date")
                      : groupByString ? NSString::stringWithString(groupByString->string())
                                      : nullptr;
    auto newRedirections = contents->objectForKey<NSDictionary>("Redirections");
    if (!newRedirections) {
        newRedirections = NSDictionary::dictionary();
    }
    auto newIgnored = ignoredSetOf(contents->objectForKey("Ignored Applications"));

    const MutexLocker guard(objectsMutex_);
    groupBy_ = std::move(newGroupBy);
    redirections_ = std::move(newRedirections);
    ignoredApplications_ = std::move(newIgnored);
}

void VTSettings::applyScalars(const NSDictionary& file)
{
    setIfPresent(autoDeleteOnBadge_, file, "Auto Delete On Badge", boolValue);
    setIfPresent(autoDelete_, file, "Auto Delete Type", integerValue);
    setIfPresent(blockHomescreenAlerts_, file, "Block Homescreen Alerts", boolValue);
    setIfPresent(blockLockscreenAlerts_, file, "Block Lockscreen Alerts", boolValue);
    setIfPresent(customIcons_, file, "Custom Icons", boolValue);
    setIfPresent(hideRead_, file, "Hide Read", boolValue);
    setIfPresent(itemsToKeep_, file, "Items To Keep", itemLimitValue);
    setIfPresent(livePulldown_, file, "Live Pulldown", boolValue);
    setIfPresent(statusbarIcons_, file, "Statusbar Icons", boolValue);
    setIfPresent(musicOnLockscreen_, file, "Music Lockscreen", boolValue);
    setIfPresent(musicOnHomescreen_, file, "Music Homescreen", boolValue);
}

std::shared_ptr<NSString> VTSettings::groupBy() const
{
    const MutexLocker guard(objectsMutex_);
    return groupBy_;
}

std::shared_ptr<NSDictionary> VTSettings::redirections() const
{
    const MutexLocker guard(objectsMutex_);
    return redirections_;
}

std::shared_ptr<const VTSettings::IgnoredSet> VTSettings::ignoredApplications() const
{
    const MutexLocker guard(objectsMutex_);
    return ignoredApplications_;
}
