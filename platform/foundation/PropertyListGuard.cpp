#include "PropertyListGuard.h"

#include "BinaryPropertyListReader.h"
#include "XMLPropertyListScanner.h"

#include <fmt/format.h>

PropertyListGuard::Format PropertyListGuard::detectFormat(std::string_view bytes)
{
    return bytes.substr(0, 6) == "bplist" ? Format::Binary : Format::XML;
}

std::optional<NSError> PropertyListGuard::checkSize(std::string_view bytes, const PropertyListLimits& limits)
{
    if (bytes.size() > limits.maxBytes) {
        return NSError(fmt::format("larger than {} bytes", limits.maxBytes));
    }
    if (bytes.empty()) {
        return NSError("empty file");
    }
    return std::nullopt;
}

std::optional<NSError> PropertyListGuard::check(std::string_view bytes, const PropertyListLimits& limits)
{
    if (auto refused = checkSize(bytes, limits)) {
        return refused;
    }
    if (detectFormat(bytes) == Format::Binary) {
        return BinaryPropertyListReader::check(bytes, limits);
    }
    return XMLPropertyListScanner::check(bytes, limits);
}
