#pragma once

#include "CGGeometry.h"
#include "NSError.h"
#include "UITouchRouter.h"

#include <memory>
#include <optional>
#include <string>

class UIImage;

// The screen as a host drives it: a finger on it (the touch router, which runs the screen's one layout pass
// before every touch step) and pictures of it (the renderer, which runs it before every picture). The
// picture stands upright as the person holding the device sees it: the screen's own 320 x 480 turned by a
// number of quarter turns clockwise (a shell held in landscape turns it by one), and points of that upright
// picture map back onto the screen, where touches go. Main thread only.
class UIHostScreen {
public:
    // Quarter turns clockwise (negative: anticlockwise) that stand the screen's picture upright; 0 unless told.
    void setUprightQuarterTurns(int turns) { uprightQuarterTurns_ = turns; }

    // The finger, in points of the 320 x 480 screen.
    UITouchRouter& touches() { return touches_; }

    // The screen as drawn now, upright, at the screen's scale.
    std::shared_ptr<UIImage> uprightImage() const;
    // A point of the upright picture as the point of the screen beneath it.
    CGPoint screenPointForUprightPoint(CGPoint point) const;
    // The upright picture as PNG written to a host path.
    [[nodiscard]] std::optional<NSError> writeScreenshot(const std::string& hostPath) const;

private:
    UITouchRouter touches_;
    int uprightQuarterTurns_ = 0;
};
