#pragma once

#include "CGGeometry.h"

#include <memory>

class UIImage;

// What a host shows in its window and where the window's pointer goes. Points are those of the picture as
// the window shows it: upright, so 480 x 320 when a phone lies in landscape. Main thread only.
class WindowScreen {
public:
    virtual ~WindowScreen() = default;

    // The screen as drawn now, as the person holding the phone sees it, at the screen's scale.
    virtual std::shared_ptr<UIImage> picture() = 0;
    // Whether the picture changes with time by itself now (an animation or a slide runs).
    virtual bool isAnimating() const = 0;

    // One finger, as the screen's touch router takes it: beginTouch answers the touch, or -1 when nothing
    // took it (then its moves and its end are not sent).
    virtual int beginTouch(CGPoint point) = 0;
    virtual void moveTouch(int touch, CGPoint point) = 0;
    virtual void endTouch(int touch, CGPoint point) = 0;
};
