#include "NSString.h"

#include <unicode/stringoptions.h>
#include <unicode/ustring.h>

bool NSString::isEqual(const NSObject& other) const
{
    const auto* string = dynamic_cast<const NSString*>(&other);
    return string && string->value_ == value_;
}

NSComparisonResult NSString::caseInsensitiveCompare(const NSString& other) const
{
    const auto toUTF16 = [](const std::string& text) {
        std::u16string out(text.size() + 1, u'\0');
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        // Lenient: ill-formed bytes become U+FFFD instead of failing the comparison.
        u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, text.data(),
                             static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
        out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
        return out;
    };
    const std::u16string a = toUTF16(value_);
    const std::u16string b = toUTF16(other.value_);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t order = u_strCaseCompare(a.data(), static_cast<int32_t>(a.size()), b.data(),
                                           static_cast<int32_t>(b.size()),
                                           U_FOLD_CASE_DEFAULT | U_COMPARE_CODE_POINT_ORDER, &status);
    if (order < 0) {
        return NSComparisonResult::OrderedAscending;
    }
    return order > 0 ? NSComparisonResult::OrderedDescending : NSComparisonResult::OrderedSame;
}
