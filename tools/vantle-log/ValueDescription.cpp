#include "ValueDescription.h"

#include "Base64.h"
#include "DateText.h"
#include "DisplayText.h"
#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"

#include <fmt/format.h>

namespace {

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : DisplayText::escaped(text)) {
        if (c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

std::string contentOf(const id& value)
{
    if (auto string = as<NSString>(value)) {
        return quoted(string->string());
    }
    if (auto number = as<NSNumber>(value)) {
        return number->description();
    }
    if (auto date = as<NSDate>(value)) {
        return DateText::iso8601(*date).value_or(DateText::raw(*date));
    }
    if (auto data = as<NSData>(value)) {
        const std::string count = fmt::format("{} byte{}", data->length(), data->length() == 1 ? "" : "s");
        return data->length() == 0 ? count : count + " " + Base64::encode(data->bytes());
    }
    if (auto array = as<NSArray>(value)) {
        std::string out = "[";
        for (const id& element : array->objects()) {
            out += (out.size() > 1 ? ", " : "") + ValueDescription::describe(element);
        }
        return out + "]";
    }
    if (auto dictionary = as<NSDictionary>(value)) {
        std::string out = "{";
        for (const auto& [key, element] : dictionary->entries()) {
            out += (out.size() > 1 ? ", " : "") + quoted(key) + ": " + ValueDescription::describe(element);
        }
        return out + "}";
    }
    return value ? DisplayText::escaped(value->description()) : std::string();
}

} // namespace

std::string ValueDescription::typeName(const id& value)
{
    if (!value) {
        return "null";
    }
    if (as<NSString>(value)) {
        return "string";
    }
    if (auto number = as<NSNumber>(value)) {
        return number->kind() == NSNumber::Kind::Boolean ? "bool" : "number";
    }
    if (as<NSDate>(value)) {
        return "date";
    }
    if (as<NSData>(value)) {
        return "data";
    }
    if (as<NSArray>(value)) {
        return "array";
    }
    if (as<NSDictionary>(value)) {
        return "dictionary";
    }
    return value->className();
}

std::string ValueDescription::typeNameWithArticle(const id& value)
{
    const std::string name = typeName(value);
    if (name == "data" || name == "null") {
        return name;
    }
    return (name == "array" ? "an " : "a ") + name;
}

std::string ValueDescription::describe(const id& value)
{
    const std::string content = contentOf(value);
    return "<" + typeName(value) + (content.empty() ? "" : " " + content) + ">";
}
