#include "UIControl.h"

#include <algorithm>

namespace {
constexpr CGFloat kTouchAllowance = 70;
}

UIControl::UIControl() : UIControl(CGRectZero) {}

UIControl::UIControl(CGRect frame) : UIView(frame) {}

void UIControl::addTargetActionForControlEvents(const void* target, Action action, unsigned events)
{
    if (!action || events == 0) {
        return;
    }
    for (Registration& registration : registrations_) {
        if (registration.target == target && registration.events == events) {
            registration.action = std::move(action);
            return;
        }
    }
    registrations_.push_back({target, std::move(action), events});
}

void UIControl::removeTargetActionForControlEvents(const void* target, unsigned events)
{
    for (Registration& registration : registrations_) {
        if (target == nullptr || registration.target == target) {
            registration.events &= ~events;
        }
    }
    registrations_.erase(std::remove_if(registrations_.begin(), registrations_.end(),
                                        [](const Registration& r) { return r.events == 0; }),
                         registrations_.end());
}

void UIControl::sendActionsForControlEvents(unsigned events)
{
    const std::shared_ptr<UIView> keep = sharedView();  // an action may release the control
    std::vector<Action> actions;
    for (const Registration& registration : registrations_) {
        if ((registration.events & events) != 0) {
            actions.push_back(registration.action);
        }
    }
    for (const Action& action : actions) {
        action();
    }
}

unsigned UIControl::allControlEvents() const
{
    unsigned events = 0;
    for (const Registration& registration : registrations_) {
        events |= registration.events;
    }
    return events;
}

void UIControl::setEnabled(bool enabled)
{
    enabled_ = enabled;
    setNeedsDisplay();
}

void UIControl::setSelected(bool selected)
{
    selected_ = selected;
    setNeedsDisplay();
}

void UIControl::setHighlighted(bool highlighted)
{
    highlighted_ = highlighted;
    setNeedsDisplay();
}

unsigned UIControl::state() const
{
    unsigned state = UIControlStateNormal;
    if (highlighted_) {
        state |= UIControlStateHighlighted;
    }
    if (!enabled_) {
        state |= UIControlStateDisabled;
    }
    if (selected_) {
        state |= UIControlStateSelected;
    }
    return state;
}

bool UIControl::isNear(CGPoint point) const
{
    return CGRectContainsPoint(CGRectInset(bounds(), -kTouchAllowance, -kTouchAllowance), point);
}

void UIControl::touchesBeganWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (!enabled_ || touches.empty()) {
        return;
    }
    tracking_ = true;
    touchInside_ = true;
    setHighlighted(true);
    sendActionsForControlEvents(touches.front()->tapCount() > 1 ? UIControlEventTouchDownRepeat
                                                                : UIControlEventTouchDown);
}

void UIControl::touchesMovedWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (!enabled_ || !tracking_ || touches.empty()) {
        return;
    }
    const bool inside = isNear(touches.front()->locationInView(this));
    const bool wasInside = touchInside_;
    touchInside_ = inside;
    setHighlighted(inside);
    if (inside != wasInside) {
        sendActionsForControlEvents(inside ? UIControlEventTouchDragEnter : UIControlEventTouchDragExit);
    }
    sendActionsForControlEvents(inside ? UIControlEventTouchDragInside : UIControlEventTouchDragOutside);
}

void UIControl::touchesEndedWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (!enabled_ || !tracking_ || touches.empty()) {
        return;
    }
    const bool inside = isNear(touches.front()->locationInView(this));
    tracking_ = false;
    touchInside_ = false;
    setHighlighted(false);
    sendActionsForControlEvents(inside ? UIControlEventTouchUpInside : UIControlEventTouchUpOutside);
}

void UIControl::touchesCancelledWithEvent(const UITouchSet&, UIEvent*)
{
    if (!tracking_) {
        return;
    }
    tracking_ = false;
    touchInside_ = false;
    setHighlighted(false);
    sendActionsForControlEvents(UIControlEventTouchCancel);
}
