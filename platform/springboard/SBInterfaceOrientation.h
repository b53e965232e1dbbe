#pragma once

#include "CGGeometry.h"

class UIWindow;

// The interface orientations as the platform numbers them (1 portrait, 2 upside down, 3 and 4 the two
// landscapes) and how the shell turns its full-screen windows to one: rotated about the screen's centre
// (orientation 3 by +π/2, 4 by -π/2, 2 by π), with bounds of 320 × 480 or 480 × 320.
class SBInterfaceOrientation {
public:
    SBInterfaceOrientation() = delete;

    static bool isValid(int orientation) { return orientation >= 1 && orientation <= 4; }
    static bool isLandscape(int orientation) { return orientation == 3 || orientation == 4; }
    static CGFloat rotationAngle(int orientation);
    static CGSize screenSize(int orientation);
    static void applyToWindow(UIWindow& window, int orientation);
};
