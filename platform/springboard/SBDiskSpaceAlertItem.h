#pragma once

#include "SBAlertItem.h"

#include <memory>

class ObjCClass;

// The pop-up of a nearly full disk: "Almost Out of Storage".
//
// Through the runtime ("SBDiskSpaceAlertItem"):
//   "init"  Init: std::shared_ptr<SBDiskSpaceAlertItem>(const std::shared_ptr<SBDiskSpaceAlertItem>& self)
//           answers the initialised item (self).
class SBDiskSpaceAlertItem : public SBAlertItem {
public:
    using Init = std::shared_ptr<SBDiskSpaceAlertItem>(const std::shared_ptr<SBDiskSpaceAlertItem>&);

    // Makes an item and sends it "init".
    static std::shared_ptr<SBDiskSpaceAlertItem> init();

    std::string alertTitle() const override { return "Almost Out of Storage"; }
    std::string alertMessage() const override { return "You can manage your storage in Settings."; }
    std::string className() const override { return "SBDiskSpaceAlertItem"; }

    static void registerMethods(ObjCClass& cls);
};
