#pragma once

#include "CGGeometry.h"

// A 2-D affine transform in the platform's row-vector convention: a point (x, y) maps to
// (a·x + c·y + tx, b·x + d·y + ty). Concat(t1, t2) applies t1 first, then t2.
struct CGAffineTransform {
    CGFloat a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    friend bool operator==(const CGAffineTransform&, const CGAffineTransform&) = default;
};

inline constexpr CGAffineTransform CGAffineTransformIdentity{};

constexpr CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx,
                                                  CGFloat ty)
{
    return {a, b, c, d, tx, ty};
}
CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy);
// Positive angles turn clockwise on screen (y grows downwards), as on the phone.
CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle);

CGAffineTransform CGAffineTransformConcat(CGAffineTransform first, CGAffineTransform second);
// These apply the new operation before the given transform (the platform's order).
CGAffineTransform CGAffineTransformTranslate(CGAffineTransform t, CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformScale(CGAffineTransform t, CGFloat sx, CGFloat sy);
CGAffineTransform CGAffineTransformRotate(CGAffineTransform t, CGFloat angle);
// A transform that cannot be inverted (determinant 0) is answered unchanged, as on the platform.
CGAffineTransform CGAffineTransformInvert(CGAffineTransform t);

bool CGAffineTransformIsIdentity(CGAffineTransform t);
bool CGAffineTransformEqualToTransform(CGAffineTransform a, CGAffineTransform b);

CGPoint CGPointApplyAffineTransform(CGPoint point, CGAffineTransform t);
// Applies only the linear part (no translation).
CGSize CGSizeApplyAffineTransform(CGSize size, CGAffineTransform t);
// The bounding box of the transformed rectangle.
CGRect CGRectApplyAffineTransform(CGRect rect, CGAffineTransform t);
