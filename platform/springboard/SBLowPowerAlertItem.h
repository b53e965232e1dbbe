#pragma once

#include "SBAlertItem.h"

#include <memory>

class ObjCClass;

// The pop-up of a low battery: "Low Battery", "20% of battery remaining".
//
// Through the runtime ("SBLowPowerAlertItem"):
//   "initWithLevel:"  InitWithLevel: std::shared_ptr<SBLowPowerAlertItem>(
//                         const std::shared_ptr<SBLowPowerAlertItem>& self, int level)
//                     level: the battery's charge in percent; answers the initialised item (self).
class SBLowPowerAlertItem : public SBAlertItem {
public:
    using InitWithLevel = std::shared_ptr<SBLowPowerAlertItem>(const std::shared_ptr<SBLowPowerAlertItem>&, int);

    // Makes an item and sends it "initWithLevel:".
    static std::shared_ptr<SBLowPowerAlertItem> initWithLevel(int level);

    int level() const { return level_; }

    std::string alertTitle() const override { return "Low Battery"; }
    std::string alertMessage() const override;
    std::string soundName() const override { return "low_power.caf"; }
    std::string className() const override { return "SBLowPowerAlertItem"; }

    static void registerMethods(ObjCClass& cls);

private:
    static std::shared_ptr<SBLowPowerAlertItem> initImp(const std::shared_ptr<SBLowPowerAlertItem>& self, int level);

    int level_ = 0;
};
