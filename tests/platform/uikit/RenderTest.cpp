#include "DeviceRoot.h"
#include "CGContext.h"
#include "NSString-UIStringDrawing.h"
#include "UIGraphics.h"
#include "UIImage.h"
#include "UIRenderer.h"
#include "UIScreen.h"
#include "UIView.h"
#include "UIWindow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include <unistd.h>

namespace {

using Pixel = UIImage::Pixel;

// A view whose content is whatever the test draws.
class DrawingView : public UIView {
public:
    DrawingView(CGRect frame, std::function<void(CGContext&, CGRect)> draw) : UIView(frame), draw_(std::move(draw)) {}
    void drawRect(CGRect rect) override { draw_(*UIGraphicsGetCurrentContext(), rect); }

private:
    std::function<void(CGContext&, CGRect)> draw_;
};

void expectPixel(const UIImage& image, int x, int y, Pixel expected, int tolerance = 2)
{
    const Pixel p = image.pixelAt(x, y);
    EXPECT_NEAR(p.red, expected.red, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(p.green, expected.green, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(p.blue, expected.blue, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(p.alpha, expected.alpha, tolerance) << "at " << x << "," << y;
}

constexpr Pixel kRed{255, 0, 0, 255};
constexpr Pixel kBlue{0, 0, 255, 255};
constexpr Pixel kWhite{255, 255, 255, 255};
constexpr Pixel kBlack{0, 0, 0, 255};

std::shared_ptr<UIView> coloured(CGRect frame, std::shared_ptr<UIColor> colour)
{
    auto view = std::make_shared<UIView>(frame);
    view->setBackgroundColor(std::move(colour));
    return view;
}

TEST(Render, BackgroundsStackBackToFrontWithGroupAlphaAndClipping)
{
    auto root = coloured(CGRectMake(0, 0, 40, 40), UIColor::whiteColor());
    auto parent = coloured(CGRectMake(10, 10, 20, 20), UIColor::redColor());
    auto child = coloured(CGRectMake(10, 10, 20, 20), UIColor::blueColor());  // reaches past its parent
    root->addSubview(parent);
    parent->addSubview(child);

    auto image = UIRenderer::renderView(*root, 1);
    EXPECT_EQ(image->pixelWidth(), 40);
    expectPixel(*image, 5, 5, kWhite);
    expectPixel(*image, 15, 15, kRed);
    expectPixel(*image, 25, 25, kBlue);
    expectPixel(*image, 35, 35, kBlue);  // not clipped

    parent->setClipsToBounds(true);
    image = UIRenderer::renderView(*root, 1);
    expectPixel(*image, 25, 25, kBlue);
    expectPixel(*image, 35, 35, kWhite);

    // Alpha fades the parent and its subviews as one group: where the child covers the parent, the result
    // is blue over white at half strength, not blue over half-red.
    parent->setAlpha(0.5);
    image = UIRenderer::renderView(*root, 1);
    expectPixel(*image, 15, 15, {255, 128, 128, 255});
    expectPixel(*image, 25, 25, {128, 128, 255, 255});

    parent->setHidden(true);
    image = UIRenderer::renderView(*root, 1);
    expectPixel(*image, 25, 25, kWhite);

    // At scale 2 the same tree has twice the pixels.
    parent->setHidden(false);
    parent->setAlpha(1);
    image = UIRenderer::renderView(*root, 2);
    EXPECT_EQ(image->pixelWidth(), 80);
    EXPECT_EQ(image->size(), CGSizeMake(40, 40));
    expectPixel(*image, 21, 21, kRed);
    expectPixel(*image, 19, 19, kWhite);
}

TEST(Render, TransformsAndBoundsOriginsPlaceContent)
{
    auto root = coloured(CGRectMake(0, 0, 40, 40), UIColor::whiteColor());
    auto bar = coloured(CGRectMake(0, 15, 40, 10), UIColor::redColor());
    root->addSubview(bar);
    bar->setTransform(CGAffineTransformMakeRotation(M_PI / 2));  // about its centre (20, 20): now vertical
    auto image = UIRenderer::renderView(*root, 1);
    expectPixel(*image, 20, 2, kRed);
    expectPixel(*image, 2, 20, kWhite);

    bar->setTransform(CGAffineTransformMakeTranslation(0, -15));
    image = UIRenderer::renderView(*root, 1);
    expectPixel(*image, 5, 5, kRed);
    expectPixel(*image, 5, 20, kWhite);

    // Scrolling the root by 10 moves its subviews up by 10.
    bar->setTransform(CGAffineTransformIdentity);
    root->setBounds(CGRectMake(0, 10, 40, 40));
    image = UIRenderer::renderView(*root, 1);
    expectPixel(*image, 5, 8, kRed);
    expectPixel(*image, 5, 18, kWhite);
}

TEST(Render, DrawRectPaintsPathsGradientsAndClearCutsOnlyItsOwnLayer)
{
    auto root = coloured(CGRectMake(0, 0, 60, 30), UIColor::blueColor());

    // A vertical two-stop gradient from (0, h) to (0, 0): dark at the bottom, pale at the top, as a header.
    auto gradientView = std::make_shared<DrawingView>(CGRectMake(0, 0, 20, 30), [](CGContext& c, CGRect rect) {
        auto gradient = CGGradient::gradientWithColorComponents({0.2, 0.2, 0.2, 1, 0.9, 0.9, 0.9, 1}, {0, 1});
        c.drawLinearGradient(gradient, CGPointMake(0, rect.size.height), CGPointMake(0, 0), 0);
    });
    // A pill with its middle erased by the clear blend mode: the blue background shows through.
    auto pill = std::make_shared<DrawingView>(CGRectMake(20, 0, 40, 30), [](CGContext& c, CGRect) {
        c.setRGBFillColor(1, 0, 0, 1);
        c.beginPath();
        c.addArc(15, 15, 15, M_PI / 2, 3 * M_PI / 2, 0);
        c.addArc(25, 15, 15, 3 * M_PI / 2, M_PI / 2, 0);
        c.closePath();
        c.fillPath();
        c.setBlendMode(kCGBlendModeClear);
        c.fillRect(CGRectMake(15, 10, 10, 10));
    });
    pill->setBackgroundColor(UIColor::clearColor());
    root->addSubview(gradientView);
    root->addSubview(pill);

    auto image = UIRenderer::renderView(*root, 1);
    expectPixel(*image, 10, 29, {54, 54, 54, 255}, 6);    // bottom row: the start colour
    expectPixel(*image, 10, 0, {227, 227, 227, 255}, 6);  // top row: the end colour
    EXPECT_GT(image->pixelAt(10, 5).red, image->pixelAt(10, 25).red);
    expectPixel(*image, 21, 15, kRed);                     // the pill's rounded left end
    expectPixel(*image, 21, 2, kBlue);                     // outside the left arc's corner
    expectPixel(*image, 40, 2, kRed);                      // the straight top edge
    expectPixel(*image, 40, 15, kBlue);                    // cut out: the root's blue, not black
}

TEST(Render, PathOperationsFillWhatTheyDescribe)
{
    auto view = std::make_shared<DrawingView>(CGRectMake(0, 0, 40, 40), [](CGContext& c, CGRect) {
        c.setGrayFillColor(1, 1);
        c.fillRect(CGRectMake(0, 0, 40, 40));
        // A rounded rectangle: its corner stays white, its edge middle is filled.
        c.setRGBFillColor(0, 0, 1, 1);
        c.addRoundedRect(CGRectMake(0, 0, 20, 20), 8);
        c.fillPath();
        // A triangle through moveTo/lineTo, clipped to its left half.
        c.saveGState();
        c.clipToRect(CGRectMake(20, 20, 10, 20));
        c.setRGBFillColor(1, 0, 0, 1);
        c.moveToPoint(20, 20);
        c.addLineToPoint(40, 20);
        c.addLineToPoint(20, 40);
        c.closePath();
        c.fillPath();
        c.restoreGState();
        // A corner from arcToPoint: straight along the top, then round into the right edge.
        c.setRGBFillColor(0, 0, 0, 1);
        c.moveToPoint(20, 0);
        c.addArcToPoint(40, 0, 40, 20, 10);
        c.addLineToPoint(40, 20);
        c.addLineToPoint(20, 20);
        c.closePath();
        c.fillPath();
    });
    auto image = UIRenderer::renderView(*view, 1);
    expectPixel(*image, 0, 0, kWhite);
    expectPixel(*image, 10, 1, kBlue);
    expectPixel(*image, 22, 22, kRed);
    expectPixel(*image, 33, 22, kWhite);  // outside the clip
    expectPixel(*image, 25, 1, kBlack);   // the straight part
    expectPixel(*image, 39, 0, kWhite);   // the rounded corner leaves the very corner
    expectPixel(*image, 38, 12, kBlack);
}

TEST(Render, TextIsDrawnInsideItsRectangleInTheFillColour)
{
    auto root = coloured(CGRectMake(0, 0, 120, 40), UIColor::whiteColor());
    auto text = std::make_shared<DrawingView>(CGRectMake(10, 10, 100, 20), [](CGContext& c, CGRect rect) {
        c.setRGBFillColor(0, 0, 0, 1);
        drawInRectWithFont("Wide WWWWWWWWWWWWWWWWWWWW", rect, UIFont::boldSystemFontOfSize(14));
    });
    text->setBackgroundColor(UIColor::clearColor());
    root->addSubview(text);
    auto image = UIRenderer::renderView(*root, 2);
    int darkInside = 0, darkOutside = 0;
    for (int y = 0; y < image->pixelHeight(); ++y) {
        for (int x = 0; x < image->pixelWidth(); ++x) {
            const bool dark = image->pixelAt(x, y).red < 128;
            const bool inside = x >= 20 && x < 220 && y >= 20 && y < 60;
            (inside ? darkInside : darkOutside) += dark ? 1 : 0;
        }
    }
    EXPECT_GT(darkInside, 200);
    EXPECT_EQ(darkOutside, 0);  // drawRect content is held to the view's bounds
}

TEST(Render, ScreenShowsVisibleWindowsLowestFirstOnBlack)
{
    auto low = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    low->setBackgroundColor(UIColor::redColor());
    auto high = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 240));
    high->setBackgroundColor(UIColor::blueColor());
    high->setWindowLevel(990);
    high->setHidden(false);
    auto image = UIRenderer::renderScreenAtScale(1);
    EXPECT_EQ(image->pixelWidth(), 320);
    expectPixel(*image, 10, 300, kBlack);  // the low window is still hidden
    expectPixel(*image, 10, 10, kBlue);
    low->makeKeyAndVisible();
    image = UIRenderer::renderScreenAtScale(2);
    EXPECT_EQ(image->pixelHeight(), 960);
    expectPixel(*image, 20, 600, kRed);
    expectPixel(*image, 20, 20, kBlue);  // the higher level stays on top although shown earlier

    const auto path = std::filesystem::temp_directory_path() / ("uikit-screen-" + std::to_string(getpid()) + ".png");
    ASSERT_TRUE(UIRenderer::writeScreenPNG(path.string()));
    DeviceRoot::setRoot("/");  // the snapshot is at a host path: read it back with host and device paths alike
    auto reread = UIImage::imageWithContentsOfFile(path.string());
    DeviceRoot::resetRoot();
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->pixelWidth(), 320);  // the main screen's own scale (1)
    expectPixel(*reread, 10, 300, kRed);
    std::filesystem::remove(path);
}

} // namespace
