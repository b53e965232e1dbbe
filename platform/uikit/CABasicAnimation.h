#pragma once

#include "CAAnimation.h"
#include "CGAffineTransform.h"
#include "CGGeometry.h"

#include <string>
#include <variant>

// A value a layer property takes: opacity (a number), position (a point), bounds (a rectangle) or
// transform.
using CAAnimationValue = std::variant<CGFloat, CGPoint, CGRect, CGAffineTransform>;

// Animates one property of a layer ("position", "bounds", "transform", "opacity") from one value to
// another. Transforms are interpolated as translation, rotation angle and scale, so a turn of 135° passes
// through the angles in between instead of shrinking through a blend of matrices.
class CABasicAnimation final : public CAAnimation {
public:
    CABasicAnimation(std::string keyPath, CAAnimationValue from, CAAnimationValue to);
    static std::shared_ptr<CABasicAnimation> animationWithKeyPath(std::string keyPath, CAAnimationValue from,
                                                                  CAAnimationValue to);

    const std::string& keyPath() const { return keyPath_; }
    const CAAnimationValue& fromValue() const { return from_; }
    const CAAnimationValue& toValue() const { return to_; }
    // The value at the paced fraction (0 gives from, 1 gives to). Values of different kinds give `to`.
    CAAnimationValue valueAt(double fraction) const;

    static CAAnimationValue interpolate(const CAAnimationValue& from, const CAAnimationValue& to, double fraction);

    std::string className() const override { return "CABasicAnimation"; }

private:
    const std::string keyPath_;
    const CAAnimationValue from_;
    const CAAnimationValue to_;
};
