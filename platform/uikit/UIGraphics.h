#pragma once

#include "CGContext.h"
#include "CGGeometry.h"
#include "UIImage.h"

#include <memory>

// The current graphics context of the calling thread: a stack that the renderer pushes around each
// drawRect call and that image contexts push while they are open. Views, images and text draw into the
// top of the stack.
class UIGraphics {
public:
    static CGContext* currentContext();
    static void pushContext(CGContext* context);
    static void popContext();

    // An off-screen bitmap context of the size in points at the scale (0 means the main screen's scale),
    // transparent at the start, made current until endImageContext.
    static void beginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale);
    // A picture of what the innermost image context holds so far; null outside one.
    static std::shared_ptr<UIImage> imageFromCurrentImageContext();
    static void endImageContext();
};

// The platform's functions of these names.
CGContext* UIGraphicsGetCurrentContext();
void UIGraphicsPushContext(CGContext* context);
void UIGraphicsPopContext();
void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale);
void UIGraphicsBeginImageContext(CGSize size);
std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext();
void UIGraphicsEndImageContext();
