#include "UIRenderer.h"

#include "CALayer.h"
#include "CATransaction.h"
#include "CGContextStateSaver.h"
#include "Clock.h"
#include "UIGraphics.h"
#include "UIPageCurl.h"
#include "UIScreen.h"
#include "UIView.h"
#include "UIWindow.h"

#include <cairo.h>

#include <cmath>
#include <functional>

namespace {

void applyTransform(cairo_t* cairo, CGAffineTransform t)
{
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, t.a, t.b, t.c, t.d, t.tx, t.ty);
    cairo_transform(cairo, &matrix);
}

std::shared_ptr<UIImage> renderInto(
    CGSize points, CGFloat scale, bool blackBackground, const std::function<void(CGContext&)>& draw)
{
    const int width = std::max(1, static_cast<int>(std::ceil(points.width * scale - 1e-9)));
    const int height = std::max(1, static_cast<int>(std::ceil(points.height * scale - 1e-9)));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cairo = cairo_create(surface);
    if (blackBackground) {
        cairo_set_source_rgb(cairo, 0, 0, 0);
        cairo_paint(cairo);
    }
    cairo_scale(cairo, scale, scale);
    {
        CGContext context(cairo);
        draw(context);
    }
    cairo_destroy(cairo);
    cairo_surface_flush(surface);
    return std::make_shared<UIImage>(surface, scale);
}

} // namespace

std::shared_ptr<UIImage> UIRenderer::renderScreen() { return renderScreenAtScale(UIScreen::mainScreen()->scale()); }

std::shared_ptr<UIImage> UIRenderer::renderScreenAtScale(CGFloat scale)
{
    const auto screen = UIScreen::mainScreen();
    screen->layOutVisibleWindows();
    CATransaction::flush();
    return renderInto(screen->bounds().size, scale > 0 ? scale : screen->scale(), true, [&](CGContext& context) {
        for (UIWindow* window : screen->visibleWindows()) {
            const std::shared_ptr<UIView> keep = window->sharedView();
            drawView(*window, context);
        }
    });
}

std::shared_ptr<UIImage> UIRenderer::renderView(UIView& view, CGFloat scale)
{
    view.layoutIfNeeded();
    const CGFloat used = scale > 0 ? scale : UIScreen::mainScreen()->scale();
    const CGRect bounds = view.bounds();
    return renderInto(bounds.size, used, false, [&](CGContext& context) {
        context.translateCTM(-bounds.origin.x, -bounds.origin.y);
        drawViewContents(view, context, 1);
    });
}

bool UIRenderer::writeScreenPNG(const std::string& hostPath) { return renderScreen()->writePNGToHostFile(hostPath); }

bool UIRenderer::writeViewPNG(UIView& view, const std::string& hostPath, CGFloat scale)
{
    return renderView(view, scale)->writePNGToHostFile(hostPath);
}

void UIRenderer::drawView(UIView& view, CGContext& context)
{
    const CGFloat alpha = view.presentationAlpha();
    if (view.isHidden() || alpha <= 0) {
        return;
    }
    cairo_t* cairo = context.cairo();
    cairo_save(cairo);
    applyTransform(cairo, view.presentationTransformToSuperview());
    drawViewContents(view, context, alpha);
    cairo_restore(cairo);
}

std::shared_ptr<UIImage> UIRenderer::renderLayerContent(UIView& view)
{
    const CGRect bounds = view.presentationBounds();
    return renderInto(bounds.size, UIScreen::mainScreen()->scale(), false, [&](CGContext& context) {
        context.translateCTM(-bounds.origin.x, -bounds.origin.y);
        if (view.clipsToBounds()) {
            context.clipToRect(bounds);
        }
        drawLayerContent(view, context);
    });
}

void UIRenderer::drawViewContents(UIView& view, CGContext& context, CGFloat alpha)
{
    cairo_t* cairo = context.cairo();
    const CGRect bounds = view.presentationBounds();
    cairo_save(cairo);
    if (view.clipsToBounds()) {
        cairo_rectangle(cairo, bounds.origin.x, bounds.origin.y, bounds.size.width, bounds.size.height);
        cairo_clip(cairo);
    }
    const bool grouped = alpha < 1;
    if (grouped) {
        cairo_push_group(cairo);
    }
    if (view.layer()->activeTransition(Clock::current()->monotonicTime(), nullptr)) {
        drawThroughTransition(view, context);
    } else {
        drawLayerContent(view, context);
    }
    if (grouped) {
        cairo_pop_group_to_source(cairo);
        cairo_paint_with_alpha(cairo, alpha);
    }
    cairo_restore(cairo);
}

void UIRenderer::drawThroughTransition(UIView& view, CGContext& context)
{
    cairo_t* cairo = context.cairo();
    double progress = 0;
    const std::shared_ptr<CATransition> transition
        = view.layer()->activeTransition(Clock::current()->monotonicTime(), &progress);
    const CGRect bounds = view.presentationBounds();

    cairo_push_group(cairo);
    drawLayerContent(view, context);
    cairo_pattern_t* current = cairo_pop_group(cairo);

    cairo_pattern_t* previous = nullptr;
    if (const std::shared_ptr<UIImage>& before = transition->previousContent()) {
        previous = cairo_pattern_create_for_surface(before->surface());
        cairo_matrix_t toImage;
        cairo_matrix_init_scale(&toImage, before->scale(), before->scale());
        cairo_matrix_translate(&toImage, -bounds.origin.x, -bounds.origin.y);
        cairo_pattern_set_matrix(previous, &toImage);
    } else {
        previous = cairo_pattern_create_rgba(0, 0, 0, 0);
    }

    if (transition->type() == kCATransitionPageCurl) {
        UIPageCurl::draw(cairo, bounds, previous, current, progress);
    } else if (transition->type() == kCATransitionPageUnCurl) {
        UIPageCurl::draw(cairo, bounds, current, previous, 1 - progress);
    } else {
        cairo_set_source(cairo, previous);
        cairo_paint_with_alpha(cairo, 1 - progress);
        cairo_set_source(cairo, current);
        cairo_paint_with_alpha(cairo, progress);
    }
    cairo_pattern_destroy(previous);
    cairo_pattern_destroy(current);
}

void UIRenderer::drawLayerContent(UIView& view, CGContext& context)
{
    cairo_t* cairo = context.cairo();
    const CGRect bounds = view.presentationBounds();
    if (const auto& background = view.backgroundColor(); background && background->alpha() > 0) {
        cairo_set_source_rgba(cairo, background->red(), background->green(), background->blue(), background->alpha());
        cairo_rectangle(cairo, bounds.origin.x, bounds.origin.y, bounds.size.width, bounds.size.height);
        cairo_fill(cairo);
    }
    if (!view.drawsNothing_) {
        drawOwnContent(view, context);
    }
    view.clearNeedsDisplay();
    for (const auto& subview : std::vector<std::shared_ptr<UIView>>(view.subviews())) {
        drawView(*subview, context);
    }
}

void UIRenderer::drawOwnContent(UIView& view, CGContext& context)
{
    cairo_t* cairo = context.cairo();
    const CGRect bounds = view.presentationBounds();
    if (bounds.size.width <= 0 || bounds.size.height <= 0) {
        return;
    }
    CGContextStateSaver saved(context);
    cairo_rectangle(cairo, bounds.origin.x, bounds.origin.y, bounds.size.width, bounds.size.height);
    cairo_clip(cairo);
    cairo_push_group(cairo);
    context.setRGBFillColor(0, 0, 0, 1);
    context.setRGBStrokeColor(0, 0, 0, 1);
    context.setAlpha(1);
    context.setLineWidth(1);
    context.setBlendMode(kCGBlendModeNormal);
    UIGraphics::pushContext(&context);
    view.drawRect(bounds);
    UIGraphics::popContext();
    cairo_pattern_t* content = cairo_pop_group(cairo);
    if (!view.drawsNothing_) {
        cairo_set_source(cairo, content);
        cairo_paint(cairo);
    }
    cairo_pattern_destroy(content);
}
