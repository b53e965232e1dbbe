#include "LibplistPropertyListWriter.h"

#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"
#include "TextSanitizer.h"

#include <fmt/format.h>
#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

namespace {

struct NodeFree {
    void operator()(void* node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, NodeFree>;

// An integer above the signed range needs libplist's unsigned mark, which only its parsers set.
Node unsignedIntegerNode(std::uint64_t value)
{
    const std::string xml = fmt::format("<plist version=\"1.0\"><integer>{}</integer></plist>", value);
    plist_t node = nullptr;
    plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &node);
    return Node(node);
}

Result<Node> nodeFromNumber(const NSNumber& number)
{
    switch (number.kind()) {
    case NSNumber::Kind::Boolean:
        return Node(plist_new_bool(number.boolValue() ? 1 : 0));
    case NSNumber::Kind::Integer:
        return Node(plist_new_uint(static_cast<std::uint64_t>(number.integerValue())));
    case NSNumber::Kind::Unsigned:
        return unsignedIntegerNode(number.unsignedIntegerValue());
    case NSNumber::Kind::Real:
        if (!std::isfinite(number.doubleValue())) {
            return NSError("a real number that is not finite cannot be written");
        }
        return Node(plist_new_real(number.doubleValue()));
    }
    return NSError("unknown kind of number");
}

Result<Node> nodeFromDate(const NSDate& date)
{
    const double seconds = date.timeIntervalSinceReferenceDate();
    const double whole = std::floor(seconds);
    if (!std::isfinite(seconds) || whole < std::numeric_limits<std::int32_t>::min() ||
        whole > std::numeric_limits<std::int32_t>::max()) {
        return NSError(fmt::format("date {} is outside the years 1933 to 2068 that libplist holds", date.description()));
    }
    auto microseconds = static_cast<std::int32_t>(std::lround((seconds - whole) * 1e6));
    if (microseconds >= 1000000) {
        microseconds = 999999;
    }
    return Node(plist_new_date(static_cast<std::int32_t>(whole), microseconds));
}

Result<Node> nodeFromValue(const id& value);

Result<Node> nodeFromArray(const NSArray& array)
{
    Node node(plist_new_array());
    for (const id& item : array.objects()) {
        auto child = nodeFromValue(item);
        if (!child) {
            return child.error();
        }
        plist_array_append_item(node.get(), child.value().release());
    }
    return node;
}

Result<Node> nodeFromDictionary(const NSDictionary& dictionary)
{
    Node node(plist_new_dict());
    for (const auto& [key, value] : dictionary.entries()) {
        auto child = nodeFromValue(value);
        if (!child) {
            return child.error();
        }
        plist_dict_set_item(node.get(), TextSanitizer::sanitizedForXML(key).c_str(), child.value().release());
    }
    return node;
}

Result<Node> nodeFromValue(const id& value)
{
    if (!value) {
        return NSError("a null value cannot be written");
    }
    if (const auto string = as<NSString>(value)) {
        return Node(plist_new_string(TextSanitizer::sanitizedForXML(string->string()).c_str()));
    }
    if (const auto number = as<NSNumber>(value)) {
        return nodeFromNumber(*number);
    }
    if (const auto date = as<NSDate>(value)) {
        return nodeFromDate(*date);
    }
    if (const auto data = as<NSData>(value)) {
        return Node(plist_new_data(reinterpret_cast<const char*>(data->bytes().data()), data->length()));
    }
    if (const auto array = as<NSArray>(value)) {
        return nodeFromArray(*array);
    }
    if (const auto dictionary = as<NSDictionary>(value)) {
        return nodeFromDictionary(*dictionary);
    }
    return NSError(fmt::format("a {} is not a property-list value", value->className()));
}

template <class Write>
Result<std::string> written(const id& plist, Write write)
{
    auto tree = nodeFromValue(plist);
    if (!tree) {
        return tree.error();
    }
    char* bytes = nullptr;
    std::uint32_t length = 0;
    write(tree.value().get(), &bytes, &length);
    const std::unique_ptr<char, decltype(&std::free)> owned(bytes, &std::free);
    if (!bytes) {
        return NSError("libplist wrote nothing");
    }
    return std::string(bytes, length);
}

} // namespace

Result<std::string> LibplistPropertyListWriter::toXML(const id& plist)
{
    return written(plist, plist_to_xml);
}

Result<std::string> LibplistPropertyListWriter::toBinary(const id& plist)
{
    return written(plist, plist_to_bin);
}
