#pragma once

#include "CGContext.h"
#include "CGGeometry.h"
#include "NSData.h"
#include "NSObject.h"

#include <cstdint>
#include <memory>
#include <string>

typedef struct _cairo_surface cairo_surface_t;

// A picture with a scale: its size in points is its size in pixels divided by the scale. A file whose name
// ends in "@2x" before the extension ("Icon@2x.png") is read with scale 2, so it covers the same points as
// the plain file at twice the pixel density. Pixels are kept premultiplied, in Cairo's ARGB32 format.
class UIImage final : public NSObject {
public:
    // Takes over one reference to an image surface.
    UIImage(cairo_surface_t* surface, CGFloat scale);
    ~UIImage() override;

    // Reads a PNG file at a device path. Answers null (and says why on stderr) when the file is missing or
    // is not a readable PNG.
    static std::shared_ptr<UIImage> imageWithContentsOfFile(const std::string& path);
    // The same as imageWithContentsOfFile; the platform's initialiser form.
    static std::shared_ptr<UIImage> initWithContentsOfFile(const std::string& path);
    // Reads PNG bytes held in memory, with the scale given.
    static std::shared_ptr<UIImage> imageWithPNGData(const NSData& data, CGFloat scale);
    // The scale a file name implies: 2 for a name ending in "@2x" before its extension, otherwise 1.
    static CGFloat scaleForPath(const std::string& path);

    CGSize size() const;
    CGFloat scale() const { return scale_; }
    int pixelWidth() const;
    int pixelHeight() const;
    cairo_surface_t* surface() const { return surface_; }

    // Drawing into the current graphics context (UIGraphicsGetCurrentContext); nothing without one.
    void drawAtPoint(CGPoint point) const;
    void drawInRect(CGRect rect) const;
    void drawInRectBlendModeAlpha(CGRect rect, CGBlendMode mode, CGFloat alpha) const;

    // A new image of this one turned clockwise by the given number of quarter turns (negative: counter-
    // clockwise), with the same scale; width and height swap for an odd number.
    std::shared_ptr<UIImage> imageRotatedByQuarterTurns(int quarterTurns) const;

    // The image as PNG bytes; null if encoding fails.
    std::shared_ptr<NSData> pngRepresentation() const;
    // Writes the PNG to a path of the host's file system (snapshots, tools). False with a message on failure.
    bool writePNGToHostFile(const std::string& hostPath) const;

    // One pixel, not premultiplied; transparent black outside the image.
    struct Pixel {
        std::uint8_t red = 0, green = 0, blue = 0, alpha = 0;
        friend bool operator==(const Pixel&, const Pixel&) = default;
    };
    Pixel pixelAt(int x, int y) const;

    std::string className() const override { return "UIImage"; }

private:
    std::shared_ptr<UIImage> sharedSelf() const;

    cairo_surface_t* surface_;
    const CGFloat scale_;
};

// The platform's function of that name.
std::shared_ptr<NSData> UIImagePNGRepresentation(const std::shared_ptr<UIImage>& image);
