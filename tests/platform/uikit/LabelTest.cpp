#include "Clock.h"
#include "UIActivityIndicatorView.h"
#include "UIImageView.h"
#include "UILabel.h"
#include "UIRenderer.h"
#include "SteppedClockScope.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <memory>

namespace {

// Columns and rows of the image that hold ink darker than the threshold (on a light background).
struct Ink {
    int minX = 1 << 30, maxX = -1, minY = 1 << 30, maxY = -1, count = 0;
};

Ink inkOf(const UIImage& image, int threshold = 160)
{
    Ink ink;
    for (int y = 0; y < image.pixelHeight(); ++y) {
        for (int x = 0; x < image.pixelWidth(); ++x) {
            const UIImage::Pixel p = image.pixelAt(x, y);
            if (p.alpha > 200 && p.green < threshold) {
                ink.minX = std::min(ink.minX, x);
                ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y);
                ink.maxY = std::max(ink.maxY, y);
                ++ink.count;
            }
        }
    }
    return ink;
}

TEST(Label, TextIsDrawnInsideTheFrameAlignedAndCentredVertically)
{
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 200, 60));
    root->setBackgroundColor(UIColor::whiteColor());
    auto label = std::make_shared<UILabel>(CGRectMake(20, 10, 160, 40));
    label->setText("1 Notification");
    label->setFont(UIFont::boldSystemFontOfSize(14));
    label->setTextColor(UIColor::colorWithWhiteAlpha(0.2, 1));
    root->addSubview(label);

    Ink left = inkOf(*UIRenderer::renderView(*root, 1));
    ASSERT_GT(left.count, 50);
    EXPECT_GE(left.minX, 20);
    EXPECT_LT(left.minX, 24);
    EXPECT_LT(left.maxX, 180);
    EXPECT_NEAR((left.minY + left.maxY) / 2.0, 30, 3);  // centred in the label's 40 points

    label->setTextAlignment(UITextAlignmentCenter);
    Ink centred = inkOf(*UIRenderer::renderView(*root, 1));
    EXPECT_NEAR((centred.minX + centred.maxX) / 2.0, 100, 2);
    label->setTextAlignment(UITextAlignmentRight);
    Ink right = inkOf(*UIRenderer::renderView(*root, 1));
    EXPECT_LE(right.maxX, 180);
    EXPECT_GT(right.maxX, 175);

    // A shadow one point below in white is invisible on white; in black it adds ink one row lower.
    label->setTextAlignment(UITextAlignmentLeft);
    label->setShadowColor(UIColor::blackColor());
    label->setShadowOffset(CGSizeMake(0, 1));
    Ink shadowed = inkOf(*UIRenderer::renderView(*root, 1));
    EXPECT_EQ(shadowed.maxY, left.maxY + 1);
    EXPECT_GT(shadowed.count, left.count);

    // A long text on one line stays within the label (cut with an ellipsis).
    label->setShadowColor(nullptr);
    label->setText("A very long application name that cannot fit on one line at all");
    Ink cut = inkOf(*UIRenderer::renderView(*root, 1));
    EXPECT_LT(cut.maxX, 180);
    EXPECT_GE(cut.minX, 20);

    // Any number of lines: the text wraps within the width and stays inside the frame.
    label->setNumberOfLines(0);
    Ink wrapped = inkOf(*UIRenderer::renderView(*root, 1));
    EXPECT_GT(wrapped.maxY - wrapped.minY, 20);
    EXPECT_LT(wrapped.maxX, 180);
    EXPECT_GE(wrapped.minY, 10);
    EXPECT_LT(wrapped.maxY, 50);
}

// Only what can be seen of a long text is laid out; what shows is the same as when more of it shows.
TEST(Label, ALongTextShowsTheSameLinesHoweverMuchOfItIsSeen)
{
    std::string words;
    for (int i = 0; words.size() < 20000; ++i) {
        words += "word" + std::to_string(i) + (i % 7 == 6 ? "\n" : " ");
    }
    std::string word;
    while (word.size() < 64 * 1024) {
        word += "abcdefghijklmnopqrstuvwxyz";
    }
    for (const std::string& text : {words, "Start " + word, word}) {
        SCOPED_TRACE(text.substr(0, 10));
        const auto render = [&](CGFloat shownHeight) {
            auto root = std::make_shared<UIView>(CGRectMake(0, 0, 320, shownHeight));
            root->setBackgroundColor(UIColor::whiteColor());
            auto label = std::make_shared<UILabel>(CGRectMake(15, 0, 282, 4000));
            label->setText(text);
            label->setNumberOfLines(0);
            label->setShadowColor(UIColor::blackColor());
            label->setShadowOffset(CGSizeMake(0, 1));
            root->addSubview(label);
            return UIRenderer::renderView(*root, 1);
        };
        const auto small = render(120);
        const auto large = render(1200);
        int differing = 0;
        for (int y = 0; y < small->pixelHeight(); ++y) {
            for (int x = 0; x < small->pixelWidth(); ++x) {
                const auto a = small->pixelAt(x, y);
                const auto b = large->pixelAt(x, y);
                differing += a.red != b.red || a.green != b.green || a.blue != b.blue ? 1 : 0;
            }
        }
        EXPECT_EQ(differing, 0);
        const Ink ink = inkOf(*small);
        EXPECT_LT(ink.minY, 10) << "the text starts at the top";
        EXPECT_GT(ink.maxY, 110) << "and fills what is seen";
    }
}

TEST(Label, ShrinksItsFontToFitAndMeasuresItself)
{
    auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 100, 20));
    label->setText("com.apple.mobilephone");
    label->setFont(UIFont::boldSystemFontOfSize(17));
    EXPECT_EQ(label->fontUsed()->pointSize(), 17);
    label->setAdjustsFontSizeToFitWidth(true);
    label->setMinimumFontSize(6);
    EXPECT_LT(label->fontUsed()->pointSize(), 17);
    EXPECT_GE(label->fontUsed()->pointSize(), 6);
    EXPECT_LE(sizeWithFont(label->text(), label->fontUsed()).width, 100);

    label->setText("Phone");
    EXPECT_EQ(label->fontUsed()->pointSize(), 17);
    label->sizeToFit();
    EXPECT_EQ(label->frame().size, sizeWithFont("Phone", label->font()));

    EXPECT_FALSE(label->isUserInteractionEnabled());
    EXPECT_EQ(UILabel().backgroundColor()->alpha(), 1);  // the platform's white default
    EXPECT_EQ(UILabel().font()->pointSize(), 17);
}

TEST(Label, ImageViewsFitTheirImageByContentMode)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 40, 20);
    cairo_t* cairo = cairo_create(surface);
    cairo_set_source_rgb(cairo, 0, 0, 0);
    cairo_paint(cairo);
    cairo_destroy(cairo);
    auto image = std::make_shared<UIImage>(surface, 2);  // 20 × 10 points

    auto view = UIImageView::initWithImage(image);
    EXPECT_EQ(view->frame(), CGRectMake(0, 0, 20, 10));
    EXPECT_FALSE(view->isUserInteractionEnabled());
    view->setFrame(CGRectMake(0, 0, 40, 40));
    EXPECT_EQ(view->imageRectForBounds(view->bounds()), CGRectMake(0, 0, 40, 40));
    view->setContentMode(UIViewContentModeScaleAspectFit);
    EXPECT_EQ(view->imageRectForBounds(view->bounds()), CGRectMake(0, 10, 40, 20));
    view->setContentMode(UIViewContentModeCenter);
    EXPECT_EQ(view->imageRectForBounds(view->bounds()), CGRectMake(10, 15, 20, 10));

    auto picture = UIRenderer::renderView(*view, 1);
    EXPECT_EQ(picture->pixelAt(20, 20).alpha, 255);
    EXPECT_EQ(picture->pixelAt(5, 5).alpha, 0);

    auto other = std::make_shared<UIImage>(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1), 1);
    view->setHighlightedImage(other);
    EXPECT_EQ(view->displayedImage(), image);
    view->setHighlighted(true);
    EXPECT_EQ(view->displayedImage(), other);
}

TEST(Label, ActivityIndicatorHidesWhenStoppedAndTurnsWithTheClock)
{
    SteppedClockScope time;
    SteppedClock& clock = time.clock();
    auto spinner = UIActivityIndicatorView::initWithActivityIndicatorStyle(UIActivityIndicatorViewStyleGray);
    EXPECT_EQ(spinner->frame().size, CGSizeMake(20, 20));
    EXPECT_TRUE(spinner->isHidden());
    spinner->startAnimating();
    EXPECT_FALSE(spinner->isHidden());
    EXPECT_TRUE(spinner->isAnimating());
    EXPECT_EQ(spinner->leadingSpoke(), 0);
    clock.advance(0.25);
    EXPECT_EQ(spinner->leadingSpoke(), 3);
    clock.advance(1.0);
    EXPECT_EQ(spinner->leadingSpoke(), 3);  // a full turn per second

    const Ink ink = inkOf(*UIRenderer::renderView(*spinner, 2), 200);
    EXPECT_GT(ink.count, 20);

    spinner->stopAnimating();
    EXPECT_TRUE(spinner->isHidden());
    spinner->setHidesWhenStopped(false);
    EXPECT_FALSE(spinner->isHidden());
}

} // namespace
