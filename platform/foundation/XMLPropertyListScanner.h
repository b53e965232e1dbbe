#pragma once

#include "NSError.h"
#include "PropertyListLimits.h"

#include <optional>
#include <string_view>

// A single linear pass over XML markup that bounds how deep and how large the tree is that a parser could
// build from it, without building anything. Comments, CDATA sections and processing instructions are
// skipped as XML defines them; anything the scanner cannot classify with certainty (a '<' that starts no
// markup, a '<' inside a tag or declaration, a document type with an internal subset, unterminated
// markup) is refused, so the bound never falls below what the parser sees.
class XMLPropertyListScanner {
public:
    // Empty when element nesting stays within the depth cap (one extra level for the <plist> wrapper)
    // and the number of elements within the object cap.
    static std::optional<NSError> check(std::string_view xml, const PropertyListLimits& limits);
};
