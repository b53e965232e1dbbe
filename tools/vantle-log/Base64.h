#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Standard base64 with padding, as JSON consumers decode binary values.
class Base64 {
public:
    static std::string encode(const std::vector<std::uint8_t>& bytes);
};
