#include "CPMessageDecoder.h"

#include "NSPropertyListSerialization.h"
#include "PropertyListGuard.h"
#include "TextSanitizer.h"

#include <string>

Result<std::shared_ptr<NSDictionary>> CPMessageDecoder::decode(std::string_view messageName,
                                                               std::string_view userInfoXML, const Limits& limits)
{
    if (messageName.empty()) {
        return NSError("empty message name");
    }
    if (messageName.size() > limits.maxNameBytes) {
        return NSError("message name too long (" + std::to_string(messageName.size()) + " bytes, at most " +
                       std::to_string(limits.maxNameBytes) + ")");
    }
    if (!TextSanitizer::isValidUTF8(messageName)) {
        return NSError("message name is not valid UTF-8");
    }
    if (userInfoXML.size() > limits.maxBytes) {
        return NSError("too large (" + std::to_string(userInfoXML.size()) + " bytes, at most " +
                       std::to_string(limits.maxBytes) + ")");
    }
    if (!TextSanitizer::isValidUTF8(userInfoXML)) {
        return NSError("user info is not valid UTF-8");
    }
    if (PropertyListGuard::detectFormat(userInfoXML) != PropertyListGuard::Format::XML) {
        return NSError("user info is not an XML property list");
    }
    PropertyListLimits plistLimits;
    plistLimits.maxBytes = limits.maxBytes;
    plistLimits.maxDepth = limits.maxDepth;
    plistLimits.maxObjects = limits.maxObjects;
    auto parsed = NSPropertyListSerialization::propertyListWithData(userInfoXML, plistLimits);
    if (!parsed) {
        return NSError("user info: " + parsed.error().reason());
    }
    auto dictionary = as<NSDictionary>(parsed.value());
    if (!dictionary) {
        return NSError("user info is not a dictionary");
    }
    return dictionary;
}
