#include "UIGraphics.h"

#include "UIScreen.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct ImageContext {
    cairo_surface_t* surface;
    std::unique_ptr<CGContext> context;
    CGFloat scale;
};

thread_local std::vector<CGContext*> contextStack;
thread_local std::vector<ImageContext> imageContexts;

} // namespace

CGContext* UIGraphics::currentContext() { return contextStack.empty() ? nullptr : contextStack.back(); }

void UIGraphics::pushContext(CGContext* context) { contextStack.push_back(context); }

void UIGraphics::popContext()
{
    if (!contextStack.empty()) {
        contextStack.pop_back();
    }
}

void UIGraphics::beginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale)
{
    const CGFloat used = scale > 0 ? scale : UIScreen::mainScreen()->scale();
    const int width = std::max(0, static_cast<int>(std::ceil(size.width * used)));
    const int height = std::max(0, static_cast<int>(std::ceil(size.height * used)));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cairo = cairo_create(surface);
    cairo_scale(cairo, used, used);
    if (opaque) {
        cairo_set_source_rgb(cairo, 0, 0, 0);
        cairo_paint(cairo);
    }
    auto context = std::make_unique<CGContext>(cairo);
    cairo_destroy(cairo);
    pushContext(context.get());
    imageContexts.push_back({surface, std::move(context), used});
}

std::shared_ptr<UIImage> UIGraphics::imageFromCurrentImageContext()
{
    if (imageContexts.empty()) {
        return nullptr;
    }
    const ImageContext& top = imageContexts.back();
    cairo_surface_flush(top.surface);
    const int width = cairo_image_surface_get_width(top.surface);
    const int height = cairo_image_surface_get_height(top.surface);
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cairo = cairo_create(copy);
    cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cairo, top.surface, 0, 0);
    cairo_paint(cairo);
    cairo_destroy(cairo);
    return std::make_shared<UIImage>(copy, top.scale);
}

void UIGraphics::endImageContext()
{
    if (imageContexts.empty()) {
        return;
    }
    ImageContext& top = imageContexts.back();
    if (currentContext() == top.context.get()) {
        popContext();
    }
    top.context.reset();
    cairo_surface_destroy(top.surface);
    imageContexts.pop_back();
}

CGContext* UIGraphicsGetCurrentContext() { return UIGraphics::currentContext(); }
void UIGraphicsPushContext(CGContext* context) { UIGraphics::pushContext(context); }
void UIGraphicsPopContext() { UIGraphics::popContext(); }
void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale)
{
    UIGraphics::beginImageContextWithOptions(size, opaque, scale);
}
void UIGraphicsBeginImageContext(CGSize size) { UIGraphics::beginImageContextWithOptions(size, false, 1); }
std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext() { return UIGraphics::imageFromCurrentImageContext(); }
void UIGraphicsEndImageContext() { UIGraphics::endImageContext(); }
