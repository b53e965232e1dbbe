#include "NSDateFormatter.h"

#include "MutexLocker.h"
#include "NSLocale.h"
#include "NSTimeZone.h"

#include <unicode/udat.h>
#include <unicode/ustring.h>

#include <vector>

namespace {

UDateFormatStyle icuStyle(NSDateFormatter::Style style)
{
    switch (style) {
    case NSDateFormatter::Style::Short:
        return UDAT_SHORT;
    case NSDateFormatter::Style::Medium:
        return UDAT_MEDIUM;
    case NSDateFormatter::Style::Long:
        return UDAT_LONG;
    case NSDateFormatter::Style::Full:
        return UDAT_FULL;
    case NSDateFormatter::Style::None:
        break;
    }
    return UDAT_NONE;
}

std::u16string utf16(const std::string& text)
{
    std::u16string out(text.size() + 1, u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8Lenient(out.data(), static_cast<int32_t>(out.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

std::string utf8(const UChar* text, int32_t length)
{
    std::string out(static_cast<std::size_t>(length) * 3 + 1, '\0');
    int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &written, text, length, 0xFFFD, nullptr,
                       &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(written) : 0);
    return out;
}

} // namespace

NSDateFormatter::NSDateFormatter() = default;

NSDateFormatter::~NSDateFormatter()
{
    MutexLocker locker(mutex_);
    closeFormat();
}

NSDateFormatter::Style NSDateFormatter::dateStyle() const
{
    MutexLocker locker(mutex_);
    return dateStyle_;
}

void NSDateFormatter::setDateStyle(Style style)
{
    MutexLocker locker(mutex_);
    dateStyle_ = style;
    closeFormat();
}

NSDateFormatter::Style NSDateFormatter::timeStyle() const
{
    MutexLocker locker(mutex_);
    return timeStyle_;
}

void NSDateFormatter::setTimeStyle(Style style)
{
    MutexLocker locker(mutex_);
    timeStyle_ = style;
    closeFormat();
}

std::string NSDateFormatter::localeIdentifier() const
{
    MutexLocker locker(mutex_);
    return locale_;
}

void NSDateFormatter::setLocaleIdentifier(std::string identifier)
{
    MutexLocker locker(mutex_);
    locale_ = std::move(identifier);
    closeFormat();
}

std::string NSDateFormatter::timeZoneName() const
{
    MutexLocker locker(mutex_);
    return zone_;
}

void NSDateFormatter::setTimeZoneName(std::string name)
{
    MutexLocker locker(mutex_);
    zone_ = std::move(name);
    closeFormat();
}

void NSDateFormatter::closeFormat() const
{
    if (format_) {
        udat_close(static_cast<UDateFormat*>(format_));
        format_ = nullptr;
    }
}

bool NSDateFormatter::openFormat(const std::string& locale, const std::string& zone) const
{
    if (format_ && formatLocale_ == locale && formatZone_ == zone) {
        return true;
    }
    closeFormat();
    const std::u16string zoneId = utf16(zone);
    UErrorCode status = U_ZERO_ERROR;
    format_ = udat_open(icuStyle(timeStyle_), icuStyle(dateStyle_), locale.c_str(), zoneId.data(),
                        static_cast<int32_t>(zoneId.size()), nullptr, 0, &status);
    if (U_FAILURE(status)) {
        closeFormat();
        return false;
    }
    formatLocale_ = locale;
    formatZone_ = zone;
    return true;
}

std::string NSDateFormatter::stringFromDate(const std::shared_ptr<NSDate>& date) const
{
    MutexLocker locker(mutex_);
    if (!date || (dateStyle_ == Style::None && timeStyle_ == Style::None)) {
        return {};
    }
    const std::string locale = locale_.empty() ? NSLocale::currentLocaleIdentifier() : locale_;
    const std::string zone = zone_.empty() ? NSTimeZone::defaultTimeZoneName() : zone_;
    if (!openFormat(locale, zone)) {
        return {};
    }
    const UDate milliseconds = date->timeIntervalSince1970() * 1000.0;
    std::vector<UChar> text(64);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = udat_format(static_cast<UDateFormat*>(format_), milliseconds, text.data(), static_cast<int32_t>(text.size()), nullptr, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        text.resize(static_cast<std::size_t>(length) + 1);
        status = U_ZERO_ERROR;
        length = udat_format(static_cast<UDateFormat*>(format_), milliseconds, text.data(), static_cast<int32_t>(text.size()), nullptr, &status);
    }
    if (U_FAILURE(status)) {
        return {};
    }
    for (int32_t i = 0; i < length; ++i) {
        if (text[static_cast<std::size_t>(i)] == 0x202F) {
            text[static_cast<std::size_t>(i)] = u' ';
        }
    }
    return utf8(text.data(), length);
}
