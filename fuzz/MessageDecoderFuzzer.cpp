// Fuzzes the messaging centre's decoding of a message from another process. Input: the message name, a NUL
// byte, then the user information as XML text (no NUL: the whole input is the XML, with an empty name).
#include "CPMessageDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto split = input.find('\0');
    const std::string_view name = split == std::string_view::npos ? std::string_view() : input.substr(0, split);
    const std::string_view xml = split == std::string_view::npos ? input : input.substr(split + 1);
    auto decoded = CPMessageDecoder::decode(name, xml);
    if (decoded && !decoded.value()) {
        __builtin_trap(); // an accepted message always carries a dictionary
    }
    return 0;
}
