#include "UITouch.h"

#include "UIView.h"
#include "UIWindow.h"

UITouch::UITouch(std::shared_ptr<UIView> view, std::shared_ptr<UIWindow> window, CGPoint locationInWindow,
                 double timestamp)
    : view_(std::move(view)),
      window_(std::move(window)),
      location_(locationInWindow),
      previous_(locationInWindow),
      timestamp_(timestamp)
{
}

CGPoint UITouch::inView(CGPoint locationInWindow, const UIView* view) const
{
    if (view == nullptr || window_ == nullptr) {
        return locationInWindow;
    }
    return view->convertPointFromView(locationInWindow, window_.get());
}

CGPoint UITouch::locationInView(const UIView* view) const { return inView(location_, view); }

CGPoint UITouch::previousLocationInView(const UIView* view) const { return inView(previous_, view); }

void UITouch::moveTo(CGPoint locationInWindow, UITouchPhase phase, double timestamp)
{
    previous_ = location_;
    location_ = locationInWindow;
    phase_ = phase;
    timestamp_ = timestamp;
}
