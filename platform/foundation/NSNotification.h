#pragma once

#include "NSDictionary.h"
#include "NSObject.h"

#include <memory>
#include <string>

// A named in-process announcement with an optional sender object and user information.
class NSNotification final : public NSObject {
public:
    NSNotification(std::string name, id object, std::shared_ptr<NSDictionary> userInfo);

    static std::shared_ptr<NSNotification> notificationWithName(std::string name, id object = nullptr,
                                                                std::shared_ptr<NSDictionary> userInfo = nullptr);

    const std::string& name() const { return name_; }
    const id& object() const { return object_; }
    const std::shared_ptr<NSDictionary>& userInfo() const { return userInfo_; }

    std::string description() const override;
    std::string className() const override { return "NSNotification"; }

private:
    const std::string name_;
    const id object_;
    const std::shared_ptr<NSDictionary> userInfo_;
};
