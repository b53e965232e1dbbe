#pragma once

#include "SBStatusBar.h"
#include "UIWindow.h"

#include <functional>
#include <memory>

// The status bar's window: full screen and turned with the screen like the shell's other windows, but it
// shows only the bar along its top edge and takes only the touches that land on it, and of those not the
// ones its owner lets through to a window beneath (see setLetsTouchThrough).
class SBStatusBarWindow : public UIWindow {
public:
    SBStatusBarWindow();

    SBStatusBar& statusBar() const { return *statusBar_; }
    // Asked, with a point of the screen on the bar, whether a touch there goes to the windows beneath.
    void setLetsTouchThrough(std::function<bool(CGPoint screenPoint)> letsThrough)
    {
        letsThrough_ = std::move(letsThrough);
    }

    bool pointInsideWithEvent(CGPoint point, UIEvent* event) override;
    void layoutSubviews() override;
    std::string className() const override { return "SBStatusBarWindow"; }

private:
    std::shared_ptr<SBStatusBar> statusBar_;
    std::function<bool(CGPoint)> letsThrough_;
};
