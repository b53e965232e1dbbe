#pragma once

#include "UIView.h"

#include <functional>
#include <vector>

// The events a control reports (the platform's values; touch up inside is 64).
enum UIControlEvents : unsigned {
    UIControlEventTouchDown = 1u << 0,
    UIControlEventTouchDownRepeat = 1u << 1,
    UIControlEventTouchDragInside = 1u << 2,
    UIControlEventTouchDragOutside = 1u << 3,
    UIControlEventTouchDragEnter = 1u << 4,
    UIControlEventTouchDragExit = 1u << 5,
    UIControlEventTouchUpInside = 1u << 6,
    UIControlEventTouchUpOutside = 1u << 7,
    UIControlEventTouchCancel = 1u << 8,
    UIControlEventValueChanged = 1u << 12,
    UIControlEventAllTouchEvents = 0x00000FFFu,
    UIControlEventAllEvents = 0xFFFFFFFFu,
};

// The states a control draws (the platform's values; highlighted is 1).
enum UIControlState : unsigned {
    UIControlStateNormal = 0,
    UIControlStateHighlighted = 1u << 0,
    UIControlStateDisabled = 1u << 1,
    UIControlStateSelected = 1u << 2,
};

// A view that tracks a touch and reports what happens as control events to target–action pairs. The
// action is a callback; the target is only a key that identifies who registered it, so that it can be
// removed, and so that registering the same target again for the same events replaces its action
// instead of adding a second one (the platform ignores a repeated target–selector pair).
//
// Tracking: touch down highlights the control; moving keeps it highlighted while the finger stays within
// 70 points of the bounds (the platform's allowance) and reports drag enter/exit/inside/outside; lifting
// reports touch up inside or outside and unhighlights; a cancelled touch reports touch cancel. A
// disabled control takes its touches and reports nothing. Controls do not pass touches on.
class UIControl : public UIView {
public:
    using Action = std::function<void()>;

    UIControl();
    explicit UIControl(CGRect frame);

    void addTargetActionForControlEvents(const void* target, Action action, unsigned events);
    // A null target removes every registration for the events.
    void removeTargetActionForControlEvents(const void* target, unsigned events);
    // Runs the actions registered for any of the events, in registration order.
    void sendActionsForControlEvents(unsigned events);
    unsigned allControlEvents() const;

    bool isEnabled() const { return enabled_; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted);
    unsigned state() const;
    bool isTracking() const { return tracking_; }
    bool isTouchInside() const { return touchInside_; }

    void touchesBeganWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesMovedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesEndedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesCancelledWithEvent(const UITouchSet& touches, UIEvent* event) override;

    std::string className() const override { return "UIControl"; }

private:
    struct Registration {
        const void* target;
        Action action;
        unsigned events;
    };

    bool isNear(CGPoint point) const;

    std::vector<Registration> registrations_;
    bool enabled_ = true;
    bool selected_ = false;
    bool highlighted_ = false;
    bool tracking_ = false;
    bool touchInside_ = false;
};
