#pragma once

#include "NSObject.h"
#include "UITouch.h"

enum UIEventType { UIEventTypeTouches = 0 };

// The touches in progress at one moment: every finger on the screen, each in its current phase.
class UIEvent final : public NSObject {
public:
    UIEvent(UITouchSet touches, double timestamp) : touches_(std::move(touches)), timestamp_(timestamp) {}

    UIEventType type() const { return UIEventTypeTouches; }
    double timestamp() const { return timestamp_; }
    const UITouchSet& allTouches() const { return touches_; }
    UITouchSet touchesForView(const UIView* view) const;
    UITouchSet touchesForWindow(const UIWindow* window) const;

    std::string className() const override { return "UIEvent"; }

private:
    UITouchSet touches_;
    double timestamp_;
};
