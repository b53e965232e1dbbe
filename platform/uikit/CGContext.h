#pragma once

#include "CGAffineTransform.h"
#include "CGGeometry.h"
#include "CGGradient.h"
#include "UIColor.h"

#include <memory>
#include <vector>

typedef struct _cairo cairo_t;
class UIImage;

// How drawing combines with what is already there (the platform's values). Clear (16) erases what it
// draws over, so text drawn in it cuts holes through the layer.
enum CGBlendMode {
    kCGBlendModeNormal = 0,
    kCGBlendModeMultiply = 1,
    kCGBlendModeScreen = 2,
    kCGBlendModeOverlay = 3,
    kCGBlendModeDarken = 4,
    kCGBlendModeLighten = 5,
    kCGBlendModeClear = 16,
    kCGBlendModeCopy = 17,
    kCGBlendModeSourceIn = 18,
    kCGBlendModeSourceOut = 19,
    kCGBlendModeSourceAtop = 20,
    kCGBlendModeDestinationOver = 21,
    kCGBlendModeDestinationIn = 22,
    kCGBlendModeDestinationOut = 23,
    kCGBlendModeDestinationAtop = 24,
    kCGBlendModeXOR = 25,
    kCGBlendModePlusLighter = 27,
};

// Whether a linear gradient also paints before its start point and after its end point.
enum CGGradientDrawingOptions : unsigned {
    kCGGradientDrawsBeforeStartLocation = 1u << 0,
    kCGGradientDrawsAfterEndLocation = 1u << 1,
};

enum CGLineCap { kCGLineCapButt = 0, kCGLineCapRound = 1, kCGLineCapSquare = 2 };

// A drawing context over a Cairo context, in points with y growing downwards (the toolkit's orientation,
// so nothing is flipped). Mirrors the platform's context calls: a current path built by move/line/curve/
// arc calls and consumed by fill, stroke or clip; fill and stroke colours, line width, global alpha and
// blend mode, all saved and restored with saveGState/restoreGState (hold a CGContextStateSaver rather than
// pairing them by hand). Rectangle fills and strokes leave the current path alone. Arc angles are in
// radians from the x axis towards y; clockwise 0 draws towards increasing angles (which turns clockwise on
// screen, as on the platform).
class CGContext {
public:
    // Takes its own reference to the Cairo context.
    explicit CGContext(cairo_t* cairo);
    ~CGContext();
    CGContext(const CGContext&) = delete;
    CGContext& operator=(const CGContext&) = delete;

    cairo_t* cairo() const { return cairo_; }

    void saveGState();
    void restoreGState();

    void translateCTM(CGFloat tx, CGFloat ty);
    void scaleCTM(CGFloat sx, CGFloat sy);
    void rotateCTM(CGFloat angle);
    void concatCTM(CGAffineTransform transform);
    CGAffineTransform getCTM() const;

    void setFillColorWithColor(const std::shared_ptr<UIColor>& color);
    void setRGBFillColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
    void setGrayFillColor(CGFloat gray, CGFloat alpha);
    void setStrokeColorWithColor(const std::shared_ptr<UIColor>& color);
    void setRGBStrokeColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
    void setGrayStrokeColor(CGFloat gray, CGFloat alpha);
    void setLineWidth(CGFloat width);
    void setLineCap(CGLineCap cap);
    void setAlpha(CGFloat alpha);
    CGFloat alpha() const;
    void setBlendMode(CGBlendMode mode);

    void beginPath();
    void moveToPoint(CGFloat x, CGFloat y);
    void addLineToPoint(CGFloat x, CGFloat y);
    void addCurveToPoint(CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y);
    void addQuadCurveToPoint(CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y);
    void addArc(CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle, int clockwise);
    // A line from the current point towards (x1, y1), then an arc of the radius tangent to that line and
    // to the line from (x1, y1) to (x2, y2).
    void addArcToPoint(CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius);
    void addRect(CGRect rect);
    void addEllipseInRect(CGRect rect);
    // A closed rectangle with quarter-circle corners of the radius (clamped to half the shorter side).
    void addRoundedRect(CGRect rect, CGFloat radius);
    void closePath();
    bool isPathEmpty() const;

    void fillPath();
    void eoFillPath();
    void strokePath();
    void fillRect(CGRect rect);
    void strokeRect(CGRect rect);
    // Makes the rectangle fully transparent.
    void clearRect(CGRect rect);
    void fillEllipseInRect(CGRect rect);

    // Intersects the clip with the current path (consumed), or with a rectangle.
    void clip();
    void clipToRect(CGRect rect);
    CGRect getClipBoundingBox() const;

    void drawLinearGradient(const std::shared_ptr<CGGradient>& gradient, CGPoint start, CGPoint end, unsigned options);
    // Draws the image filling the rectangle (top-left at the rectangle's origin; nothing is flipped).
    void drawImage(CGRect rect, const std::shared_ptr<UIImage>& image);

    // Makes the fill colour (times the global alpha) the Cairo source: what text drawing uses.
    void useFillColorAsSource();

private:
    struct Colour {
        CGFloat red = 0, green = 0, blue = 0, alpha = 1;
    };
    struct State {
        Colour fill;
        Colour stroke;
        CGFloat alpha = 1;
    };

    void setSource(const Colour& colour);
    template <class Drawing> void keepingPath(Drawing drawing);
    static Colour colourOf(const std::shared_ptr<UIColor>& color);

    cairo_t* cairo_;
    State state_;
    std::vector<State> saved_;
};
