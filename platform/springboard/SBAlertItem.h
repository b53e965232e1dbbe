#pragma once

#include "SBObject.h"

#include <string>
#include <vector>

// Something the shell announces with a pop-up: a title, a message, a button that dismisses it (and any
// buttons of its own beside it), and the sound it plays when it appears. Alert items are shown by
// SBAlertItemsController, one at a time.
class SBAlertItem : public SBObject {
public:
    virtual std::string alertTitle() const { return {}; }
    virtual std::string alertMessage() const { return {}; }
    virtual std::string dismissButtonTitle() const { return "OK"; }
    // The buttons beside the dismiss button, in order; none for most items.
    virtual std::vector<std::string> otherButtonTitles() const { return {}; }
    // The user tapped a button of the pop-up, which then goes away: 0 is the dismiss button, 1 and up the
    // other buttons in order. Not called when the shell takes the pop-up away itself.
    virtual void didClickButton(int) {}
    // Empty for a silent pop-up.
    virtual std::string soundName() const { return {}; }

    std::string className() const override { return "SBAlertItem"; }
};
