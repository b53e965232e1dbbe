#pragma once

#include "CGContext.h"
#include "CGGeometry.h"

// The device's wallpaper behind the lock and home screens: a deep blue sky darkening towards the bottom,
// with a soft glow of light near the top.
class SBWallpaper {
public:
    SBWallpaper() = delete;
    static void drawInRect(CGContext& context, CGRect rect);
};
