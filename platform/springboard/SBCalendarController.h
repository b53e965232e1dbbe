#pragma once

#include "NSObject.h"

#include <memory>

// The shell's calendar: plays the alert sound of an alarm.
class SBCalendarController final : public NSObject {
public:
    static constexpr const char* kAlertSound = "calendar-alert.caf";

    static std::shared_ptr<SBCalendarController> sharedInstance();

    void playAlertSound();

    std::string className() const override { return "SBCalendarController"; }
};
