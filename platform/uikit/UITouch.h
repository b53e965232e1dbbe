#pragma once

#include "CGGeometry.h"
#include "NSObject.h"

#include <memory>
#include <vector>

class UIView;
class UIWindow;

enum UITouchPhase {
    UITouchPhaseBegan = 0,
    UITouchPhaseMoved = 1,
    UITouchPhaseStationary = 2,
    UITouchPhaseEnded = 3,
    UITouchPhaseCancelled = 4,
};

class UITouch;
// The touches handed to a responder for one phase (the platform's set of touches).
using UITouchSet = std::vector<std::shared_ptr<UITouch>>;

// One finger on the screen, from the moment it comes down until it lifts or is cancelled. The view it
// began on (the hit-test result) keeps receiving it wherever the finger moves. The touch retains its view
// and window for its whole life.
class UITouch final : public NSObject {
public:
    UITouch(std::shared_ptr<UIView> view, std::shared_ptr<UIWindow> window, CGPoint locationInWindow,
            double timestamp);

    UITouchPhase phase() const { return phase_; }
    UIView* view() const { return view_.get(); }
    UIWindow* window() const { return window_.get(); }
    unsigned tapCount() const { return 1; }
    double timestamp() const { return timestamp_; }

    // The location in the coordinates of the view (of the touch's window when view is null).
    CGPoint locationInView(const UIView* view) const;
    CGPoint previousLocationInView(const UIView* view) const;

    // Moves the touch on (the previous location becomes the current one).
    void moveTo(CGPoint locationInWindow, UITouchPhase phase, double timestamp);
    void setPhase(UITouchPhase phase) { phase_ = phase; }

    std::string className() const override { return "UITouch"; }

private:
    CGPoint inView(CGPoint locationInWindow, const UIView* view) const;

    std::shared_ptr<UIView> view_;
    std::shared_ptr<UIWindow> window_;
    CGPoint location_;
    CGPoint previous_;
    double timestamp_;
    UITouchPhase phase_ = UITouchPhaseBegan;
};
