#include "NSPropertyListSerialization.h"

#include "BinaryPropertyListReader.h"
#include "PropertyListGuard.h"
#include "XMLPropertyListReader.h"
#include "XMLPropertyListWriter.h"

Result<id> NSPropertyListSerialization::propertyListWithData(std::string_view bytes, const PropertyListLimits& limits)
{
    // Both readers keep the depth and object caps themselves, before they make a value.
    if (auto refused = PropertyListGuard::checkSize(bytes, limits)) {
        return *refused;
    }
    if (PropertyListGuard::detectFormat(bytes) == PropertyListGuard::Format::Binary) {
        return BinaryPropertyListReader::read(bytes, limits);
    }
    return XMLPropertyListReader::propertyList(bytes, limits);
}

Result<id> NSPropertyListSerialization::propertyListWithData(const NSData& data, const PropertyListLimits& limits)
{
    return propertyListWithData(data.view(), limits);
}

Result<std::string> NSPropertyListSerialization::dataWithPropertyList(const id& plist, const PropertyListLimits& limits)
{
    return XMLPropertyListWriter::write(plist, limits);
}

std::optional<NSError> NSPropertyListSerialization::refusalToWrite(const id& plist, const PropertyListLimits& limits)
{
    return XMLPropertyListWriter::refusalFor(plist, limits);
}
