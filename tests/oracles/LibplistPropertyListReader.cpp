#include "LibplistPropertyListReader.h"

#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"
#include "TextSanitizer.h"

#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using Node = std::unique_ptr<void, decltype(&plist_free)>;

// Depth is bounded by the guard, so recursion is safe here.
Result<id> valueFromNode(plist_t node);

// libplist 2.2 keeps one 64-bit integer per node and marks it unsigned by an internal length of 16
// (set when the parsed text or binary integer exceeds the signed range). The public API exposes that mark
// only through comparison: a node equals a freshly made (signed) one only if the marks match.
bool isUnsignedIntegerNode(plist_t node, std::uint64_t value)
{
    const Node probe(plist_new_uint(value), &plist_free);
    return !plist_compare_node_value(node, probe.get());
}

// libplist 2.2 hands dates out as seconds and microseconds since 2001. Its binary reader truncates the
// stored double toward zero and keeps the fraction's magnitude, so a negative time carries its fraction
// with the wrong sign; -123.5 arrives as (-123, 500000).
double secondsFromDateNode(plist_t node)
{
    std::int32_t seconds = 0, microseconds = 0;
    plist_get_date_val(node, &seconds, &microseconds);
    const double fraction = std::fabs(static_cast<double>(microseconds)) / 1e6;
    return seconds < 0 ? seconds - fraction : seconds + fraction;
}

Result<id> arrayFromNode(plist_t node)
{
    const std::uint32_t count = plist_array_get_size(node);
    std::vector<id> items;
    items.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        auto item = valueFromNode(plist_array_get_item(node, i));
        if (!item) {
            return item.error();
        }
        items.push_back(std::move(item).value());
    }
    return id(NSArray::arrayWithObjects(std::move(items)));
}

Result<id> dictionaryFromNode(plist_t node)
{
    NSDictionary::Entries entries;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(node, &iterator);
    const std::unique_ptr<void, decltype(&std::free)> ownedIterator(iterator, &std::free);
    while (true) {
        char* rawKey = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, iterator, &rawKey, &value);
        const std::unique_ptr<char, decltype(&std::free)> key(rawKey, &std::free);
        if (!value) {
            break;
        }
        auto converted = valueFromNode(value);
        if (!converted) {
            return converted.error();
        }
        entries.insert_or_assign(TextSanitizer::validUTF8(key ? key.get() : ""), std::move(converted).value());
    }
    return id(NSDictionary::dictionaryWithEntries(std::move(entries)));
}

Result<id> valueFromNode(plist_t node)
{
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        std::uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return id(NSNumber::numberWithBool(value != 0));
    }
    case PLIST_UINT: {
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        if (isUnsignedIntegerNode(node, value)) {
            return id(NSNumber::numberWithUnsignedInteger(value));
        }
        return id(NSNumber::numberWithInteger(static_cast<std::int64_t>(value)));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return id(NSNumber::numberWithDouble(value));
    }
    case PLIST_STRING: {
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return id(NSString::stringWithString(TextSanitizer::validUTF8(text ? std::string_view(text, length) : "")));
    }
    case PLIST_DATE:
        return id(NSDate::dateWithTimeIntervalSinceReferenceDate(secondsFromDateNode(node)));
    case PLIST_DATA: {
        std::uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        return id(NSData::dataWithBytes(bytes ? std::string_view(bytes, length) : ""));
    }
    case PLIST_ARRAY:
        return arrayFromNode(node);
    case PLIST_DICT:
        return dictionaryFromNode(node);
    default:
        return NSError("property list holds a value of a type that is not read");
    }
}

Result<id> valueFromTree(plist_t root, const char* refusal)
{
    const Node tree(root, &plist_free);
    if (!tree) {
        return NSError(refusal);
    }
    return valueFromNode(tree.get());
}

} // namespace

Result<id> LibplistPropertyListReader::fromBinary(std::string_view bytes)
{
    plist_t root = nullptr;
    plist_from_bin(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    return valueFromTree(root, "not a valid binary property list");
}

Result<id> LibplistPropertyListReader::fromXML(std::string_view bytes)
{
    plist_t root = nullptr;
    plist_from_xml(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    return valueFromTree(root, "not a valid XML property list");
}
