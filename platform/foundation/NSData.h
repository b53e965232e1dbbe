#pragma once

#include "NSObject.h"

#include <cstdint>
#include <string_view>
#include <vector>

// An immutable run of bytes.
class NSData final : public NSObject {
public:
    explicit NSData(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    static std::shared_ptr<NSData> dataWithBytes(std::string_view bytes);

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::size_t length() const { return bytes_.size(); }
    std::string_view view() const;

    std::string description() const override;
    std::string className() const override { return "NSData"; }
    bool isEqual(const NSObject& other) const override;

private:
    const std::vector<std::uint8_t> bytes_;
};
