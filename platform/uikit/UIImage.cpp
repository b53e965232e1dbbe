#include "UIImage.h"

#include "CGContextStateSaver.h"
#include "DeviceRoot.h"
#include "UIGraphics.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

// The host file behind a device path. Every image read goes through here, so the device root applies in
// one place.
std::string hostPathFor(const std::string& devicePath) { return DeviceRoot::resolve(devicePath).string(); }

struct PNGReader {
    const std::uint8_t* bytes;
    std::size_t length;
    std::size_t offset = 0;
};

cairo_status_t readPNGBytes(void* closure, unsigned char* data, unsigned int length)
{
    auto* reader = static_cast<PNGReader*>(closure);
    if (reader->length - reader->offset < length) {
        return CAIRO_STATUS_READ_ERROR;
    }
    std::memcpy(data, reader->bytes + reader->offset, length);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

cairo_status_t appendPNGBytes(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::vector<std::uint8_t>*>(closure)->insert(static_cast<std::vector<std::uint8_t>*>(closure)->end(),
                                                             data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// Cairo answers a surface in an error state instead of null; this turns one into a plain ARGB32 image
// surface or null.
cairo_surface_t* usableImageSurface(cairo_surface_t* surface)
{
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32) {
        return surface;
    }
    // RGB24 and other formats: copy into ARGB32 so that every image has one layout.
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    cairo_surface_t* converted = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cairo = cairo_create(converted);
    cairo_set_source_surface(cairo, surface, 0, 0);
    cairo_paint(cairo);
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
    return converted;
}

} // namespace

UIImage::UIImage(cairo_surface_t* surface, CGFloat scale) : surface_(surface), scale_(scale > 0 ? scale : 1) {}

UIImage::~UIImage() { cairo_surface_destroy(surface_); }

CGFloat UIImage::scaleForPath(const std::string& path)
{
    const std::string stem = std::filesystem::path(path).stem().string();
    return stem.size() >= 3 && stem.compare(stem.size() - 3, 3, "@2x") == 0 ? 2 : 1;
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(const std::string& path)
{
    const std::string hostPath = hostPathFor(path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(hostPath, error)) {
        std::fprintf(stderr, "UIImage: %s: no such file\n", hostPath.c_str());
        return nullptr;
    }
    cairo_surface_t* surface = usableImageSurface(cairo_image_surface_create_from_png(hostPath.c_str()));
    if (surface == nullptr) {
        std::fprintf(stderr, "UIImage: %s: not a readable PNG image\n", hostPath.c_str());
        return nullptr;
    }
    return std::make_shared<UIImage>(surface, scaleForPath(path));
}

std::shared_ptr<UIImage> UIImage::initWithContentsOfFile(const std::string& path)
{
    return imageWithContentsOfFile(path);
}

std::shared_ptr<UIImage> UIImage::imageWithPNGData(const NSData& data, CGFloat scale)
{
    PNGReader reader{data.bytes().data(), data.length()};
    cairo_surface_t* surface = usableImageSurface(cairo_image_surface_create_from_png_stream(readPNGBytes, &reader));
    if (surface == nullptr) {
        return nullptr;
    }
    return std::make_shared<UIImage>(surface, scale);
}

int UIImage::pixelWidth() const { return cairo_image_surface_get_width(surface_); }
int UIImage::pixelHeight() const { return cairo_image_surface_get_height(surface_); }

CGSize UIImage::size() const { return {pixelWidth() / scale_, pixelHeight() / scale_}; }

std::shared_ptr<UIImage> UIImage::sharedSelf() const
{
    // Drawing only borrows the image for the call; an aliasing pointer that owns nothing carries it.
    return std::shared_ptr<UIImage>(std::shared_ptr<UIImage>(), const_cast<UIImage*>(this));
}

std::shared_ptr<UIImage> UIImage::imageRotatedByQuarterTurns(int quarterTurns) const
{
    const int turns = ((quarterTurns % 4) + 4) % 4;
    const int width = pixelWidth();
    const int height = pixelHeight();
    const bool sideways = turns % 2 == 1;
    cairo_surface_t* rotated =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, sideways ? height : width, sideways ? width : height);
    cairo_t* cairo = cairo_create(rotated);
    // Each turn maps the source's top-left corner to the next corner clockwise (y points down).
    static constexpr double kOrigins[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    cairo_translate(cairo, kOrigins[turns][0] * (sideways ? height : width),
                    kOrigins[turns][1] * (sideways ? width : height));
    cairo_rotate(cairo, turns * M_PI / 2);
    cairo_set_source_surface(cairo, surface_, 0, 0);
    cairo_paint(cairo);
    cairo_destroy(cairo);
    return std::make_shared<UIImage>(rotated, scale_);
}

void UIImage::drawAtPoint(CGPoint point) const
{
    const CGSize points = size();
    drawInRect(CGRectMake(point.x, point.y, points.width, points.height));
}

void UIImage::drawInRect(CGRect rect) const { drawInRectBlendModeAlpha(rect, kCGBlendModeNormal, 1); }

void UIImage::drawInRectBlendModeAlpha(CGRect rect, CGBlendMode mode, CGFloat alpha) const
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    CGContextStateSaver saved(*context);
    context->setBlendMode(mode);
    context->setAlpha(context->alpha() * alpha);
    context->drawImage(rect, sharedSelf());
}

std::shared_ptr<NSData> UIImage::pngRepresentation() const
{
    std::vector<std::uint8_t> bytes;
    if (cairo_surface_write_to_png_stream(surface_, appendPNGBytes, &bytes) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    return std::make_shared<NSData>(std::move(bytes));
}

bool UIImage::writePNGToHostFile(const std::string& hostPath) const
{
    const cairo_status_t status = cairo_surface_write_to_png(surface_, hostPath.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "UIImage: %s: cannot write PNG: %s\n", hostPath.c_str(), cairo_status_to_string(status));
        return false;
    }
    return true;
}

UIImage::Pixel UIImage::pixelAt(int x, int y) const
{
    if (x < 0 || y < 0 || x >= pixelWidth() || y >= pixelHeight()) {
        return {};
    }
    cairo_surface_flush(surface_);
    const unsigned char* row = cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    std::uint32_t argb = 0;
    std::memcpy(&argb, row + x * 4, 4);
    const std::uint8_t alpha = argb >> 24;
    auto unpremultiplied = [alpha](std::uint32_t channel) -> std::uint8_t {
        return alpha == 0 ? 0 : static_cast<std::uint8_t>((channel * 255 + alpha / 2) / alpha);
    };
    return {unpremultiplied((argb >> 16) & 0xff), unpremultiplied((argb >> 8) & 0xff), unpremultiplied(argb & 0xff),
            alpha};
}

std::shared_ptr<NSData> UIImagePNGRepresentation(const std::shared_ptr<UIImage>& image)
{
    return image ? image->pngRepresentation() : nullptr;
}
