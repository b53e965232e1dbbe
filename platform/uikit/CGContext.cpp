#include "CGContext.h"

#include "UIImage.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace {

cairo_operator_t operatorFor(CGBlendMode mode)
{
    switch (mode) {
    case kCGBlendModeMultiply:
        return CAIRO_OPERATOR_MULTIPLY;
    case kCGBlendModeScreen:
        return CAIRO_OPERATOR_SCREEN;
    case kCGBlendModeOverlay:
        return CAIRO_OPERATOR_OVERLAY;
    case kCGBlendModeDarken:
        return CAIRO_OPERATOR_DARKEN;
    case kCGBlendModeLighten:
        return CAIRO_OPERATOR_LIGHTEN;
    case kCGBlendModeClear:
        return CAIRO_OPERATOR_CLEAR;
    case kCGBlendModeCopy:
        return CAIRO_OPERATOR_SOURCE;
    case kCGBlendModeSourceIn:
        return CAIRO_OPERATOR_IN;
    case kCGBlendModeSourceOut:
        return CAIRO_OPERATOR_OUT;
    case kCGBlendModeSourceAtop:
        return CAIRO_OPERATOR_ATOP;
    case kCGBlendModeDestinationOver:
        return CAIRO_OPERATOR_DEST_OVER;
    case kCGBlendModeDestinationIn:
        return CAIRO_OPERATOR_DEST_IN;
    case kCGBlendModeDestinationOut:
        return CAIRO_OPERATOR_DEST_OUT;
    case kCGBlendModeDestinationAtop:
        return CAIRO_OPERATOR_DEST_ATOP;
    case kCGBlendModeXOR:
        return CAIRO_OPERATOR_XOR;
    case kCGBlendModePlusLighter:
        return CAIRO_OPERATOR_ADD;
    case kCGBlendModeNormal:
        break;
    }
    return CAIRO_OPERATOR_OVER;
}

// Clips to the side of the line through `at`, perpendicular to `direction`, that `direction` points to
// (or away from, when `ahead` is false). Used to let a padded gradient extend on one side only.
void clipToHalfPlane(cairo_t* cairo, CGPoint at, CGPoint direction, bool ahead)
{
    const CGFloat length = std::hypot(direction.x, direction.y);
    if (length == 0) {
        return;
    }
    const CGFloat far = 1e6;
    const CGPoint along{direction.x / length * (ahead ? far : -far), direction.y / length * (ahead ? far : -far)};
    const CGPoint across{-direction.y / length * far, direction.x / length * far};
    cairo_new_path(cairo);
    cairo_move_to(cairo, at.x + across.x, at.y + across.y);
    cairo_line_to(cairo, at.x - across.x, at.y - across.y);
    cairo_line_to(cairo, at.x - across.x + along.x, at.y - across.y + along.y);
    cairo_line_to(cairo, at.x + across.x + along.x, at.y + across.y + along.y);
    cairo_close_path(cairo);
    cairo_clip(cairo);
}

} // namespace

CGContext::CGContext(cairo_t* cairo) : cairo_(cairo_reference(cairo)) {}

CGContext::~CGContext() { cairo_destroy(cairo_); }

void CGContext::saveGState()
{
    cairo_save(cairo_);
    saved_.push_back(state_);
}

void CGContext::restoreGState()
{
    if (saved_.empty()) {
        return;
    }
    cairo_restore(cairo_);
    state_ = saved_.back();
    saved_.pop_back();
}

void CGContext::translateCTM(CGFloat tx, CGFloat ty) { cairo_translate(cairo_, tx, ty); }
void CGContext::scaleCTM(CGFloat sx, CGFloat sy) { cairo_scale(cairo_, sx, sy); }
void CGContext::rotateCTM(CGFloat angle) { cairo_rotate(cairo_, angle); }

void CGContext::concatCTM(CGAffineTransform t)
{
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, t.a, t.b, t.c, t.d, t.tx, t.ty);
    cairo_transform(cairo_, &matrix);
}

CGAffineTransform CGContext::getCTM() const
{
    cairo_matrix_t m;
    cairo_get_matrix(cairo_, &m);
    return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

CGContext::Colour CGContext::colourOf(const std::shared_ptr<UIColor>& color)
{
    if (!color) {
        return {0, 0, 0, 0};
    }
    return {color->red(), color->green(), color->blue(), color->alpha()};
}

void CGContext::setFillColorWithColor(const std::shared_ptr<UIColor>& color) { state_.fill = colourOf(color); }
void CGContext::setRGBFillColor(CGFloat r, CGFloat g, CGFloat b, CGFloat a) { state_.fill = {r, g, b, a}; }
void CGContext::setGrayFillColor(CGFloat gray, CGFloat a) { state_.fill = {gray, gray, gray, a}; }
void CGContext::setStrokeColorWithColor(const std::shared_ptr<UIColor>& color) { state_.stroke = colourOf(color); }
void CGContext::setRGBStrokeColor(CGFloat r, CGFloat g, CGFloat b, CGFloat a) { state_.stroke = {r, g, b, a}; }
void CGContext::setGrayStrokeColor(CGFloat gray, CGFloat a) { state_.stroke = {gray, gray, gray, a}; }
void CGContext::setLineWidth(CGFloat width) { cairo_set_line_width(cairo_, width); }

void CGContext::setLineCap(CGLineCap cap)
{
    cairo_set_line_cap(cairo_, cap == kCGLineCapRound    ? CAIRO_LINE_CAP_ROUND
                               : cap == kCGLineCapSquare ? CAIRO_LINE_CAP_SQUARE
                                                         : CAIRO_LINE_CAP_BUTT);
}

void CGContext::setAlpha(CGFloat alpha) { state_.alpha = std::clamp(alpha, 0.0, 1.0); }
CGFloat CGContext::alpha() const { return state_.alpha; }
void CGContext::setBlendMode(CGBlendMode mode) { cairo_set_operator(cairo_, operatorFor(mode)); }

void CGContext::beginPath() { cairo_new_path(cairo_); }
void CGContext::moveToPoint(CGFloat x, CGFloat y) { cairo_move_to(cairo_, x, y); }

void CGContext::addLineToPoint(CGFloat x, CGFloat y)
{
    if (!cairo_has_current_point(cairo_)) {
        cairo_move_to(cairo_, x, y);
        return;
    }
    cairo_line_to(cairo_, x, y);
}

void CGContext::addCurveToPoint(CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y)
{
    if (!cairo_has_current_point(cairo_)) {
        cairo_move_to(cairo_, cp1x, cp1y);
    }
    cairo_curve_to(cairo_, cp1x, cp1y, cp2x, cp2y, x, y);
}

void CGContext::addQuadCurveToPoint(CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y)
{
    if (!cairo_has_current_point(cairo_)) {
        cairo_move_to(cairo_, cpx, cpy);
    }
    double x0 = 0, y0 = 0;
    cairo_get_current_point(cairo_, &x0, &y0);
    cairo_curve_to(cairo_, x0 + 2.0 / 3 * (cpx - x0), y0 + 2.0 / 3 * (cpy - y0), x + 2.0 / 3 * (cpx - x),
                   y + 2.0 / 3 * (cpy - y), x, y);
}

void CGContext::addArc(CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle, int clockwise)
{
    if (clockwise == 0) {
        cairo_arc(cairo_, x, y, radius, startAngle, endAngle);
    } else {
        cairo_arc_negative(cairo_, x, y, radius, startAngle, endAngle);
    }
}

void CGContext::addArcToPoint(CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius)
{
    if (!cairo_has_current_point(cairo_)) {
        cairo_move_to(cairo_, x1, y1);
        return;
    }
    double x0 = 0, y0 = 0;
    cairo_get_current_point(cairo_, &x0, &y0);
    const CGFloat ax = x0 - x1, ay = y0 - y1;  // towards the current point
    const CGFloat bx = x2 - x1, by = y2 - y1;  // towards the end point
    const CGFloat la = std::hypot(ax, ay), lb = std::hypot(bx, by);
    const CGFloat cross = ax * by - ay * bx;
    if (la == 0 || lb == 0 || radius == 0 || std::fabs(cross) < 1e-12) {
        cairo_line_to(cairo_, x1, y1);  // degenerate: the platform draws a straight line to the corner
        return;
    }
    const CGFloat cosine = std::clamp((ax * bx + ay * by) / (la * lb), -1.0, 1.0);
    const CGFloat half = std::acos(cosine) / 2;
    const CGFloat tangent = radius / std::tan(half);
    const CGPoint t1{x1 + ax / la * tangent, y1 + ay / la * tangent};
    const CGPoint t2{x1 + bx / lb * tangent, y1 + by / lb * tangent};
    // The centre lies along the bisector at radius / sin(half) from the corner.
    const CGFloat bisX = ax / la + bx / lb, bisY = ay / la + by / lb;
    const CGFloat bisLength = std::hypot(bisX, bisY);
    const CGFloat distance = radius / std::sin(half);
    const CGPoint centre{x1 + bisX / bisLength * distance, y1 + bisY / bisLength * distance};
    const CGFloat start = std::atan2(t1.y - centre.y, t1.x - centre.x);
    const CGFloat end = std::atan2(t2.y - centre.y, t2.x - centre.x);
    cairo_line_to(cairo_, t1.x, t1.y);
    // Turning from a towards b: cross < 0 means the path turns towards increasing angles.
    if (cross < 0) {
        cairo_arc(cairo_, centre.x, centre.y, radius, start, end);
    } else {
        cairo_arc_negative(cairo_, centre.x, centre.y, radius, start, end);
    }
}

void CGContext::addRect(CGRect rect)
{
    const CGRect r = CGRectStandardize(rect);
    cairo_rectangle(cairo_, r.origin.x, r.origin.y, r.size.width, r.size.height);
}

void CGContext::addEllipseInRect(CGRect rect)
{
    const CGRect r = CGRectStandardize(rect);
    if (r.size.width <= 0 || r.size.height <= 0) {
        return;
    }
    cairo_save(cairo_);
    cairo_translate(cairo_, CGRectGetMidX(r), CGRectGetMidY(r));
    cairo_scale(cairo_, r.size.width / 2, r.size.height / 2);
    cairo_new_sub_path(cairo_);
    cairo_arc(cairo_, 0, 0, 1, 0, 2 * M_PI);
    cairo_close_path(cairo_);
    cairo_restore(cairo_);
}

void CGContext::addRoundedRect(CGRect rect, CGFloat radius)
{
    const CGRect r = CGRectStandardize(rect);
    const CGFloat radiusUsed = std::clamp(radius, 0.0, std::min(r.size.width, r.size.height) / 2);
    const CGFloat minX = r.origin.x, minY = r.origin.y;
    const CGFloat maxX = minX + r.size.width, maxY = minY + r.size.height;
    cairo_new_sub_path(cairo_);
    cairo_arc(cairo_, maxX - radiusUsed, minY + radiusUsed, radiusUsed, -M_PI / 2, 0);
    cairo_arc(cairo_, maxX - radiusUsed, maxY - radiusUsed, radiusUsed, 0, M_PI / 2);
    cairo_arc(cairo_, minX + radiusUsed, maxY - radiusUsed, radiusUsed, M_PI / 2, M_PI);
    cairo_arc(cairo_, minX + radiusUsed, minY + radiusUsed, radiusUsed, M_PI, 3 * M_PI / 2);
    cairo_close_path(cairo_);
}

void CGContext::closePath() { cairo_close_path(cairo_); }

bool CGContext::isPathEmpty() const
{
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_path_extents(cairo_, &x1, &y1, &x2, &y2);
    return !cairo_has_current_point(cairo_) && x1 == x2 && y1 == y2;
}

void CGContext::setSource(const Colour& c) { cairo_set_source_rgba(cairo_, c.red, c.green, c.blue, c.alpha * state_.alpha); }

void CGContext::useFillColorAsSource() { setSource(state_.fill); }

void CGContext::fillPath()
{
    setSource(state_.fill);
    cairo_set_fill_rule(cairo_, CAIRO_FILL_RULE_WINDING);
    cairo_fill(cairo_);
}

void CGContext::eoFillPath()
{
    setSource(state_.fill);
    cairo_set_fill_rule(cairo_, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cairo_);
    cairo_set_fill_rule(cairo_, CAIRO_FILL_RULE_WINDING);
}

void CGContext::strokePath()
{
    setSource(state_.stroke);
    cairo_stroke(cairo_);
}

template <class Drawing>
void CGContext::keepingPath(Drawing drawing)
{
    cairo_path_t* path = cairo_copy_path(cairo_);
    cairo_new_path(cairo_);
    drawing();
    cairo_new_path(cairo_);
    cairo_append_path(cairo_, path);
    cairo_path_destroy(path);
}

void CGContext::fillRect(CGRect rect)
{
    keepingPath([&] {
        addRect(rect);
        setSource(state_.fill);
        cairo_fill(cairo_);
    });
}

void CGContext::strokeRect(CGRect rect)
{
    keepingPath([&] {
        addRect(rect);
        setSource(state_.stroke);
        cairo_stroke(cairo_);
    });
}

void CGContext::clearRect(CGRect rect)
{
    keepingPath([&] {
        cairo_save(cairo_);
        addRect(rect);
        cairo_set_operator(cairo_, CAIRO_OPERATOR_CLEAR);
        cairo_fill(cairo_);
        cairo_restore(cairo_);
    });
}

void CGContext::fillEllipseInRect(CGRect rect)
{
    keepingPath([&] {
        addEllipseInRect(rect);
        setSource(state_.fill);
        cairo_fill(cairo_);
    });
}

void CGContext::clip()
{
    cairo_set_fill_rule(cairo_, CAIRO_FILL_RULE_WINDING);
    cairo_clip(cairo_);
}

void CGContext::clipToRect(CGRect rect)
{
    keepingPath([&] {
        addRect(rect);
        cairo_clip(cairo_);
    });
}

CGRect CGContext::getClipBoundingBox() const
{
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(cairo_, &x1, &y1, &x2, &y2);
    return CGRectMake(x1, y1, x2 - x1, y2 - y1);
}

void CGContext::drawLinearGradient(const std::shared_ptr<CGGradient>& gradient, CGPoint start, CGPoint end,
                                   unsigned options)
{
    if (!gradient) {
        return;
    }
    cairo_pattern_t* pattern = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
    for (const CGGradient::Stop& stop : gradient->stops()) {
        cairo_pattern_add_color_stop_rgba(pattern, stop.location, stop.red, stop.green, stop.blue, stop.alpha);
    }
    const bool before = (options & kCGGradientDrawsBeforeStartLocation) != 0;
    const bool after = (options & kCGGradientDrawsAfterEndLocation) != 0;
    cairo_pattern_set_extend(pattern, before || after ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
    keepingPath([&] {
        cairo_save(cairo_);
        const CGPoint direction{end.x - start.x, end.y - start.y};
        if (before && !after) {
            clipToHalfPlane(cairo_, end, direction, false);
        } else if (after && !before) {
            clipToHalfPlane(cairo_, start, direction, true);
        }
        cairo_set_source(cairo_, pattern);
        cairo_paint_with_alpha(cairo_, state_.alpha);
        cairo_restore(cairo_);
    });
    cairo_pattern_destroy(pattern);
}

void CGContext::drawImage(CGRect rect, const std::shared_ptr<UIImage>& image)
{
    if (!image || image->pixelWidth() == 0 || image->pixelHeight() == 0) {
        return;
    }
    const CGRect r = CGRectStandardize(rect);
    if (r.size.width <= 0 || r.size.height <= 0) {
        return;
    }
    keepingPath([&] {
        cairo_save(cairo_);
        cairo_rectangle(cairo_, r.origin.x, r.origin.y, r.size.width, r.size.height);
        cairo_clip(cairo_);
        cairo_translate(cairo_, r.origin.x, r.origin.y);
        cairo_scale(cairo_, r.size.width / image->pixelWidth(), r.size.height / image->pixelHeight());
        cairo_set_source_surface(cairo_, image->surface(), 0, 0);
        cairo_pattern_set_extend(cairo_get_source(cairo_), CAIRO_EXTEND_PAD);
        cairo_pattern_set_filter(cairo_get_source(cairo_), CAIRO_FILTER_GOOD);
        cairo_paint_with_alpha(cairo_, state_.alpha);
        cairo_restore(cairo_);
    });
}
