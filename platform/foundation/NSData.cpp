#include "NSData.h"

#include <fmt/format.h>

std::shared_ptr<NSData> NSData::dataWithBytes(std::string_view bytes)
{
    return std::make_shared<NSData>(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::string_view NSData::view() const
{
    return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
}

std::string NSData::description() const
{
    // "<48656c6c 6f>" as the platform prints data, cut after 64 bytes.
    std::string text = "<";
    const std::size_t shown = bytes_.size() < 64 ? bytes_.size() : 64;
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0 && i % 4 == 0) {
            text += ' ';
        }
        text += fmt::format("{:02x}", bytes_[i]);
    }
    if (shown < bytes_.size()) {
        text += fmt::format(" ... {} bytes", bytes_.size());
    }
    return text + ">";
}

bool NSData::isEqual(const NSObject& other) const
{
    const auto* data = dynamic_cast<const NSData*>(&other);
    return data && data->bytes_ == bytes_;
}
