#include "CABasicAnimation.h"

#include <cmath>

namespace {

CGFloat mix(CGFloat a, CGFloat b, double f) { return a + (b - a) * f; }

struct Decomposed {
    CGFloat tx, ty, angle, sx, sy;
};

// t = scale(sx, sy), then rotate(angle), then translate; shear is not kept.
Decomposed decompose(const CGAffineTransform& t)
{
    const CGFloat sx = std::hypot(t.a, t.b);
    const CGFloat angle = sx == 0 ? 0 : std::atan2(t.b, t.a);
    const CGFloat sy = sx == 0 ? std::hypot(t.c, t.d) : (t.a * t.d - t.b * t.c) / sx;
    return {t.tx, t.ty, angle, sx, sy};
}

CGAffineTransform compose(const Decomposed& d)
{
    CGAffineTransform t = CGAffineTransformConcat(CGAffineTransformMakeScale(d.sx, d.sy), CGAffineTransformMakeRotation(d.angle));
    t.tx = d.tx;
    t.ty = d.ty;
    return t;
}

} // namespace

CABasicAnimation::CABasicAnimation(std::string keyPath, CAAnimationValue from, CAAnimationValue to)
    : keyPath_(std::move(keyPath)), from_(from), to_(to)
{
}

std::shared_ptr<CABasicAnimation> CABasicAnimation::animationWithKeyPath(std::string keyPath, CAAnimationValue from,
                                                                         CAAnimationValue to)
{
    return std::make_shared<CABasicAnimation>(std::move(keyPath), from, to);
}

CAAnimationValue CABasicAnimation::valueAt(double fraction) const { return interpolate(from_, to_, fraction); }

CAAnimationValue CABasicAnimation::interpolate(const CAAnimationValue& from, const CAAnimationValue& to, double f)
{
    if (from.index() != to.index()) {
        return to;
    }
    if (const auto* a = std::get_if<CGFloat>(&from)) {
        return mix(*a, std::get<CGFloat>(to), f);
    }
    if (const auto* a = std::get_if<CGPoint>(&from)) {
        const CGPoint& b = std::get<CGPoint>(to);
        return CGPointMake(mix(a->x, b.x, f), mix(a->y, b.y, f));
    }
    if (const auto* a = std::get_if<CGRect>(&from)) {
        const CGRect& b = std::get<CGRect>(to);
        return CGRectMake(mix(a->origin.x, b.origin.x, f), mix(a->origin.y, b.origin.y, f),
                          mix(a->size.width, b.size.width, f), mix(a->size.height, b.size.height, f));
    }
    const Decomposed a = decompose(std::get<CGAffineTransform>(from));
    const Decomposed b = decompose(std::get<CGAffineTransform>(to));
    if (f <= 0) {
        return from;
    }
    if (f >= 1) {
        return to;
    }
    return compose({mix(a.tx, b.tx, f), mix(a.ty, b.ty, f), mix(a.angle, b.angle, f), mix(a.sx, b.sx, f),
                    mix(a.sy, b.sy, f)});
}
