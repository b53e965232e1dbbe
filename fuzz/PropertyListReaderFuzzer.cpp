// The guarded property-list reader on arbitrary bytes. Beyond "no crash, no sanitizer report" it checks
// two promises: a tree the guard let through is no deeper than the cap (so the guard's bound holds for
// what the parser really built), and whatever was read, once written, reads back.
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSPropertyListSerialization.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

std::size_t depthOf(const id& root)
{
    std::vector<std::pair<const NSObject*, std::size_t>> stack{{root.get(), 1}};
    std::size_t deepest = 0;
    while (!stack.empty()) {
        const auto [object, depth] = stack.back();
        stack.pop_back();
        deepest = std::max(deepest, depth);
        if (const auto* array = dynamic_cast<const NSArray*>(object)) {
            for (const id& item : array->objects()) {
                stack.emplace_back(item.get(), depth + 1);
            }
        } else if (const auto* dictionary = dynamic_cast<const NSDictionary*>(object)) {
            for (const auto& entry : dictionary->entries()) {
                stack.emplace_back(entry.second.get(), depth + 1);
            }
        }
    }
    return deepest;
}

[[noreturn]] void broken(const char* promise, const std::string& detail)
{
    std::fprintf(stderr, "broken promise: %s: %s\n", promise, detail.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PropertyListLimits limits;
    limits.maxDepth = 16;
    limits.maxObjects = 20000;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto value = NSPropertyListSerialization::propertyListWithData(bytes, limits);
    if (!value) {
        return 0;
    }
    if (depthOf(value.value()) > limits.maxDepth) {
        broken("the guard bounds the depth", value.value()->description());
    }
    auto xml = NSPropertyListSerialization::dataWithPropertyList(value.value(), limits);
    if (!xml) {
        // Values the binary form can hold but XML cannot: dates outside the years 0001 to 9999.
        const std::string& reason = xml.error().reason();
        if (reason.find("outside the years 0001 to 9999") == std::string::npos) {
            broken("what was read can be written", reason);
        }
        return 0;
    }
    auto again = NSPropertyListSerialization::propertyListWithData(xml.value(), limits);
    if (!again) {
        broken("what was written reads back", again.error().reason() + "\n" + xml.value());
    }
    return 0;
}
