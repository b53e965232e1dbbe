#pragma once

#include "SBStatusBar.h"
#include "UIWindow.h"

#include <memory>

// The status bar's window: full screen and turned with the screen like the shell's other windows, but it
// shows only the bar along its top edge and takes only the touches that land on it.
class SBStatusBarWindow : public UIWindow {
public:
    SBStatusBarWindow();

    SBStatusBar& statusBar() const { return *statusBar_; }

    bool pointInsideWithEvent(CGPoint point, UIEvent* event) override;
    void layoutSubviews() override;
    std::string className() const override { return "SBStatusBarWindow"; }

private:
    std::shared_ptr<SBStatusBar> statusBar_;
};
