#pragma once

#include "UIButton.h"

#include <string>

// A button of an alert: a translucent white gloss over the alert's blue with a white bold title, darker
// for the cancel button, brighter while pressed.
class UIAlertButton : public UIButton {
public:
    static constexpr CGFloat height = 43;

    UIAlertButton(std::string title, bool isCancel);

    bool isCancelButton() const { return cancel_; }
    void setCancelButton(bool cancel);

    void drawRect(CGRect rect) override;

    std::string className() const override { return "UIAlertButton"; }

private:
    bool cancel_;
};
