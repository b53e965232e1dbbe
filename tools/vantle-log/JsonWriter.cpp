#include "JsonWriter.h"

#include "Base64.h"
#include "DateText.h"
#include "LogFile.h"
#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"
#include "TextSanitizer.h"

#include <fmt/format.h>

#include <cmath>

namespace {

std::string marked(std::string_view marker, const std::string& text)
{
    return fmt::format("{{{}: {}}}", JsonWriter::string(marker), JsonWriter::string(text));
}

std::string number(const NSNumber& number)
{
    switch (number.kind()) {
    case NSNumber::Kind::Boolean:
        return number.boolValue() ? "true" : "false";
    case NSNumber::Kind::Integer:
        return fmt::format("{}", number.integerValue());
    case NSNumber::Kind::Unsigned:
        return fmt::format("{}", number.unsignedIntegerValue());
    case NSNumber::Kind::Real:
        break;
    }
    const double real = number.doubleValue();
    if (std::isnan(real)) {
        return marked("$number", "NaN");
    }
    if (std::isinf(real)) {
        return marked("$number", real > 0 ? "Infinity" : "-Infinity");
    }
    // The shortest text that reads back as the same double; JSON has the same exponent syntax.
    return fmt::format("{}", real);
}

std::string list(const std::vector<id>& elements)
{
    std::string out = "[";
    for (std::size_t i = 0; i < elements.size(); ++i) {
        out += (i == 0 ? "" : ", ") + JsonWriter::value(elements[i]);
    }
    return out + "]";
}

std::string fileValue(const LogFile& file)
{
    if (file.isUnreadable()) {
        return "null";
    }
    if (file.elements().empty()) {
        return "[]";
    }
    std::string out = "[";
    for (std::size_t i = 0; i < file.elements().size(); ++i) {
        out += (i == 0 ? "\n    " : ",\n    ") + JsonWriter::value(file.elements()[i]);
    }
    return out + "\n  ]";
}

} // namespace

std::string JsonWriter::string(std::string_view text)
{
    const std::string valid = TextSanitizer::validUTF8(text);
    std::string out = "\"";
    for (std::size_t i = 0; i < valid.size(); ++i) {
        const auto c = static_cast<unsigned char>(valid[i]);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                out += fmt::format("\\u{:04x}", c);
            } else if (c == 0xE2 && i + 2 < valid.size() && static_cast<unsigned char>(valid[i + 1]) == 0x80 &&
                       (static_cast<unsigned char>(valid[i + 2]) == 0xA8 || static_cast<unsigned char>(valid[i + 2]) == 0xA9)) {
                // U+2028 and U+2029 are valid in JSON but end a line in JavaScript and many viewers.
                out += static_cast<unsigned char>(valid[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
                i += 2;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string JsonWriter::value(const id& value)
{
    if (auto string = as<NSString>(value)) {
        return JsonWriter::string(string->string());
    }
    if (auto number = as<NSNumber>(value)) {
        return ::number(*number);
    }
    if (auto date = as<NSDate>(value)) {
        const auto iso = DateText::iso8601(*date);
        return iso ? JsonWriter::string(*iso) : marked("$date", DateText::raw(*date));
    }
    if (auto data = as<NSData>(value)) {
        return marked("$data", Base64::encode(data->bytes()));
    }
    if (auto array = as<NSArray>(value)) {
        return list(array->objects());
    }
    if (auto dictionary = as<NSDictionary>(value)) {
        std::string out = "{";
        for (const auto& [key, element] : dictionary->entries()) {
            out += (out.size() > 1 ? ", " : "") + JsonWriter::string(key) + ": " + JsonWriter::value(element);
        }
        return out + "}";
    }
    return value ? marked("$object", value->description()) : "null";
}

std::string JsonWriter::document(const LogFile& newFile, const LogFile& oldFile)
{
    return "{\n  \"new\": " + fileValue(newFile) + ",\n  \"old\": " + fileValue(oldFile) + "\n}\n";
}
