#pragma once

#include "SBObject.h"

class UIImage;

#include <memory>
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
    // Whether a tap on the pop-up's text does something: didTapMessage, after which the pop-up goes away as
    // after a tap on the dismiss button (without didClickButton). No for most items.
    virtual bool respondsToMessageTap() const { return false; }
    virtual void didTapMessage() {}
    // A small picture beside the title (the sender's icon) and a larger one above the message; none for
    // most items.
    virtual std::shared_ptr<UIImage> alertIcon() const { return nullptr; }
    virtual std::shared_ptr<UIImage> alertImage() const { return nullptr; }
    // Empty for a silent pop-up.
    virtual std::string soundName() const { return {}; }

    std::string className() const override { return "SBAlertItem"; }
};
