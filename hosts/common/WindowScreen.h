#pragma once

#include "CGGeometry.h"

#include <functional>
#include <memory>

class UIHostScreen;
class UIImage;

// What a host shows in its window and where the window's pointer goes: the host's screen, its picture
// upright, and the pointer's points (those of the upright picture) turned back onto the screen and sent
// through its touch router, as the control tool's touches are. Main thread only.
class WindowScreen {
public:
    // `isAnimating`: whether the picture changes with time by itself now (an animation or a slide runs).
    WindowScreen(UIHostScreen& screen, std::function<bool()> isAnimating)
        : screen_(screen)
        , isAnimating_(std::move(isAnimating))
    {
    }

    // The screen as drawn now, as the person holding the device sees it, at the screen's scale.
    std::shared_ptr<UIImage> picture() const;
    bool isAnimating() const { return isAnimating_(); }

    // One finger, as the screen's touch router takes it: beginTouch answers the touch, or -1 when nothing
    // took it (then its moves and its end are not sent).
    int beginTouch(CGPoint point);
    void moveTouch(int touch, CGPoint point);
    void endTouch(int touch, CGPoint point);

private:
    UIHostScreen& screen_;
    std::function<bool()> isAnimating_;
};
