#pragma once

#include "Mutex.h"
#include "NSDate.h"
#include "ThreadSafety.h"

#include <memory>
#include <string>

// Formats dates in a style, a locale and a time zone, on ICU. With no locale set it follows the device's
// locale (NSLocale, "en_US" by default); with no time zone set, the process's default zone (NSTimeZone).
// In en_US the short date style gives "12/7/26" and the short time style "8:33 PM".
//
// ICU 72 (CLDR 42) puts a narrow no-break space (U+202F) before "AM"/"PM"; the output has a plain space
// there, as the phone shows it, so texts match the artwork's layout and tests on every host.
//
// One formatter may be shared between threads; its calls are serialised.
class NSDateFormatter {
public:
    // The platform's numbers.
    enum class Style { None = 0, Short = 1, Medium = 2, Long = 3, Full = 4 };

    NSDateFormatter();
    ~NSDateFormatter();
    NSDateFormatter(const NSDateFormatter&) = delete;
    NSDateFormatter& operator=(const NSDateFormatter&) = delete;

    Style dateStyle() const;
    void setDateStyle(Style style);
    Style timeStyle() const;
    void setTimeStyle(Style style);
    // An ICU locale identifier such as "de_DE"; empty follows the device's locale.
    std::string localeIdentifier() const;
    void setLocaleIdentifier(std::string identifier);
    // An Olson zone name such as "Europe/Berlin"; empty follows the process's default. ICU formats an
    // unknown name as GMT.
    std::string timeZoneName() const;
    void setTimeZoneName(std::string name);

    // The date in the formatter's styles; empty for a null date or when both styles are None.
    std::string stringFromDate(const std::shared_ptr<NSDate>& date) const;

private:
    void closeFormat() const VT_REQUIRES(mutex_);
    bool openFormat(const std::string& locale, const std::string& zone) const VT_REQUIRES(mutex_);

    mutable Mutex mutex_;
    Style dateStyle_ VT_GUARDED_BY(mutex_) = Style::None;
    Style timeStyle_ VT_GUARDED_BY(mutex_) = Style::None;
    std::string locale_ VT_GUARDED_BY(mutex_);
    std::string zone_ VT_GUARDED_BY(mutex_);
    // ICU's formatter, opened for the effective locale and zone it was made with.
    mutable void* format_ VT_GUARDED_BY(mutex_) = nullptr; // a UDateFormat*
    mutable std::string formatLocale_ VT_GUARDED_BY(mutex_);
    mutable std::string formatZone_ VT_GUARDED_BY(mutex_);
};
