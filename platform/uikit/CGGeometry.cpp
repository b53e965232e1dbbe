#include "CGGeometry.h"

#include <algorithm>

CGRect CGRectStandardize(CGRect rect)
{
    if (rect.size.width < 0) {
        rect.origin.x += rect.size.width;
        rect.size.width = -rect.size.width;
    }
    if (rect.size.height < 0) {
        rect.origin.y += rect.size.height;
        rect.size.height = -rect.size.height;
    }
    return rect;
}

CGFloat CGRectGetMinX(CGRect rect) { return CGRectStandardize(rect).origin.x; }
CGFloat CGRectGetMinY(CGRect rect) { return CGRectStandardize(rect).origin.y; }
CGFloat CGRectGetMaxX(CGRect rect)
{
    const CGRect r = CGRectStandardize(rect);
    return r.origin.x + r.size.width;
}
CGFloat CGRectGetMaxY(CGRect rect)
{
    const CGRect r = CGRectStandardize(rect);
    return r.origin.y + r.size.height;
}
CGFloat CGRectGetMidX(CGRect rect) { return rect.origin.x + rect.size.width / 2; }
CGFloat CGRectGetMidY(CGRect rect) { return rect.origin.y + rect.size.height / 2; }
CGFloat CGRectGetWidth(CGRect rect) { return std::fabs(rect.size.width); }
CGFloat CGRectGetHeight(CGRect rect) { return std::fabs(rect.size.height); }

bool CGRectIsNull(CGRect rect) { return std::isinf(rect.origin.x) || std::isinf(rect.origin.y); }

bool CGRectIsEmpty(CGRect rect)
{
    return CGRectIsNull(rect) || rect.size.width == 0 || rect.size.height == 0;
}

bool CGRectEqualToRect(CGRect a, CGRect b)
{
    if (CGRectIsNull(a) || CGRectIsNull(b)) {
        return CGRectIsNull(a) && CGRectIsNull(b);
    }
    return CGRectStandardize(a) == CGRectStandardize(b);
}

bool CGPointEqualToPoint(CGPoint a, CGPoint b) { return a == b; }
bool CGSizeEqualToSize(CGSize a, CGSize b) { return a == b; }

bool CGRectContainsPoint(CGRect rect, CGPoint point)
{
    if (CGRectIsNull(rect)) {
        return false;
    }
    return point.x >= CGRectGetMinX(rect) && point.x < CGRectGetMaxX(rect) && point.y >= CGRectGetMinY(rect) &&
           point.y < CGRectGetMaxY(rect);
}

bool CGRectContainsRect(CGRect outer, CGRect inner)
{
    return CGRectEqualToRect(CGRectUnion(outer, inner), outer);
}

bool CGRectIntersectsRect(CGRect a, CGRect b) { return !CGRectIsNull(CGRectIntersection(a, b)); }

CGRect CGRectIntersection(CGRect a, CGRect b)
{
    if (CGRectIsNull(a) || CGRectIsNull(b)) {
        return CGRectNull;
    }
    const CGFloat minX = std::max(CGRectGetMinX(a), CGRectGetMinX(b));
    const CGFloat minY = std::max(CGRectGetMinY(a), CGRectGetMinY(b));
    const CGFloat maxX = std::min(CGRectGetMaxX(a), CGRectGetMaxX(b));
    const CGFloat maxY = std::min(CGRectGetMaxY(a), CGRectGetMaxY(b));
    if (maxX < minX || maxY < minY) {
        return CGRectNull;
    }
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

CGRect CGRectUnion(CGRect a, CGRect b)
{
    if (CGRectIsNull(a)) {
        return CGRectStandardize(b);
    }
    if (CGRectIsNull(b)) {
        return CGRectStandardize(a);
    }
    const CGFloat minX = std::min(CGRectGetMinX(a), CGRectGetMinX(b));
    const CGFloat minY = std::min(CGRectGetMinY(a), CGRectGetMinY(b));
    const CGFloat maxX = std::max(CGRectGetMaxX(a), CGRectGetMaxX(b));
    const CGFloat maxY = std::max(CGRectGetMaxY(a), CGRectGetMaxY(b));
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

CGRect CGRectInset(CGRect rect, CGFloat dx, CGFloat dy)
{
    if (CGRectIsNull(rect)) {
        return CGRectNull;
    }
    CGRect r = CGRectStandardize(rect);
    r.origin.x += dx;
    r.origin.y += dy;
    r.size.width -= 2 * dx;
    r.size.height -= 2 * dy;
    if (r.size.width < 0 || r.size.height < 0) {
        return CGRectNull;
    }
    return r;
}

CGRect CGRectOffset(CGRect rect, CGFloat dx, CGFloat dy)
{
    if (CGRectIsNull(rect)) {
        return CGRectNull;
    }
    CGRect r = CGRectStandardize(rect);
    r.origin.x += dx;
    r.origin.y += dy;
    return r;
}

CGRect CGRectIntegral(CGRect rect)
{
    if (CGRectIsNull(rect)) {
        return CGRectNull;
    }
    const CGFloat minX = std::floor(CGRectGetMinX(rect));
    const CGFloat minY = std::floor(CGRectGetMinY(rect));
    const CGFloat maxX = std::ceil(CGRectGetMaxX(rect));
    const CGFloat maxY = std::ceil(CGRectGetMaxY(rect));
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

CGRect UIEdgeInsetsInsetRect(CGRect rect, UIEdgeInsets insets)
{
    rect.origin.x += insets.left;
    rect.origin.y += insets.top;
    rect.size.width -= insets.left + insets.right;
    rect.size.height -= insets.top + insets.bottom;
    return rect;
}
