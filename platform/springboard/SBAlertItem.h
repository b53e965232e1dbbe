#pragma once

#include "SBObject.h"

#include <string>

// Something the shell announces with a pop-up: a title, a message and one button that dismisses it, and
// the sound it plays when it appears. Alert items are shown by SBAlertItemsController, one at a time.
class SBAlertItem : public SBObject {
public:
    virtual std::string alertTitle() const { return {}; }
    virtual std::string alertMessage() const { return {}; }
    virtual std::string dismissButtonTitle() const { return "OK"; }
    // Empty for a silent pop-up.
    virtual std::string soundName() const { return {}; }

    std::string className() const override { return "SBAlertItem"; }
};
