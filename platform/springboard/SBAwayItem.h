#pragma once

#include "NSDate.h"
#include "NSObject.h"

#include <memory>
#include <string>

// An entry of the lock screen's list of missed events: its kind, when it happened and its title (the
// caller, for a missed call).
class SBAwayItem final : public NSObject {
public:
    enum Type { MissedCall = 1 };

    SBAwayItem(int type, std::shared_ptr<NSDate> date, std::string title)
        : type_(type), date_(std::move(date)), title_(std::move(title))
    {
    }

    int type() const { return type_; }
    const std::shared_ptr<NSDate>& date() const { return date_; }
    const std::string& title() const { return title_; }

    std::string className() const override { return "SBAwayItem"; }

private:
    const int type_;
    const std::shared_ptr<NSDate> date_;
    const std::string title_;
};
