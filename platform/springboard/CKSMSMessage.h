#pragma once

#include "NSObject.h"

#include <string>

// A text message as it arrives: the sender's name (or number) and the text.
class CKSMSMessage final : public NSObject {
public:
    CKSMSMessage(std::string sender, std::string text) : sender_(std::move(sender)), text_(std::move(text)) {}

    const std::string& sender() const { return sender_; }
    const std::string& text() const { return text_; }

    std::string className() const override { return "CKSMSMessage"; }

private:
    const std::string sender_;
    const std::string text_;
};
