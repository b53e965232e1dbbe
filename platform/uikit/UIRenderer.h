#pragma once

#include "CGContext.h"
#include "CGGeometry.h"
#include "UIImage.h"

#include <memory>
#include <string>

class UIView;

// Draws view trees into pictures. The screen is black beneath its windows; each visible window is drawn
// lowest level first. A view is drawn at its centre with its transform, bounds origin and alpha (as a
// group: the view and its subviews are composed first and then faded together), clipped to its bounds
// when it clips; within it come its background colour, then its own drawRect content (in a layer of its
// own, so a clear blend mode erases only that content), then its subviews back to front. Hidden views and
// views with alpha 0 are skipped with their subviews. Layout runs before each picture (the screen's one layout pass, or
// the view's layoutIfNeeded). What is drawn is the presentation state: running animations show their current values,
// and a view whose layer runs a transition is drawn through it (a page curl between its previous and current content).
// Rendering the screen commits the view trees (CATransaction::flush).
class UIRenderer {
public:
    // The main screen at its scale.
    static std::shared_ptr<UIImage> renderScreen();
    static std::shared_ptr<UIImage> renderScreenAtScale(CGFloat scale);
    // One view in its own bounds (its own position, transform, alpha and hidden flag do not apply;
    // its subviews' do), on a transparent background. Scale 0 means the screen's scale.
    static std::shared_ptr<UIImage> renderView(UIView& view, CGFloat scale);

    static bool writeScreenPNG(const std::string& hostPath);
    static bool writeViewPNG(UIView& view, const std::string& hostPath, CGFloat scale);

    // Draws the view as its superview would: the context is in the superview's bounds coordinates.
    static void drawView(UIView& view, CGContext& context);
    // Draws the view's content and subviews in its own bounds coordinates, at the given group alpha.
    static void drawViewContents(UIView& view, CGContext& context, CGFloat alpha);
    // A picture of the view's content in its own bounds at the screen's scale, without its own layer's
    // transition: the "before" picture of a transition.
    static std::shared_ptr<UIImage> renderLayerContent(UIView& view);

private:
    static void drawLayerContent(UIView& view, CGContext& context);
    static void drawThroughTransition(UIView& view, CGContext& context);
    static void drawOwnContent(UIView& view, CGContext& context);
};
