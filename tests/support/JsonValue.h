#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A JSON value read from a tool's output, for tests that check what a tool printed by its meaning rather
// than its spelling. Reads RFC 8259 JSON (one value, white space around it); typed accessors answer
// absent/empty for a value of another kind, so a check on a wrong shape fails instead of crashing.
class JsonValue {
public:
    using Array = std::vector<JsonValue>;
    using Object = std::map<std::string, JsonValue>;

    // The value, or absent with the reason in `problem` (what is wrong and at which offset).
    static std::optional<JsonValue> parse(std::string_view text, std::string& problem);

    bool isNull() const { return std::holds_alternative<std::nullptr_t>(value_); }
    std::optional<bool> boolean() const;
    std::optional<double> number() const;
    std::optional<std::string> string() const;
    const Array& array() const;
    const Object& object() const;
    // The member of an object; a null value when there is none.
    const JsonValue& operator[](const std::string& key) const;
    bool has(const std::string& key) const { return object().count(key) != 0; }

private:
    friend class JsonParser;
    using Storage = std::variant<std::nullptr_t, bool, double, std::string, Array, Object>;
    Storage value_ = nullptr;
};
