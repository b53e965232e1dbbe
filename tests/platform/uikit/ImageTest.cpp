#include "UIGraphics.h"
#include "UIImage.h"
#include "UIImageTestFiles.h"
#include "UIRenderer.h"
#include "UIView.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <filesystem>
#include <fstream>

namespace {

// Draws an image in its drawRect at the image's size in points.
class PictureView : public UIView {
public:
    PictureView(CGRect frame, std::shared_ptr<UIImage> image) : UIView(frame), image_(std::move(image)) {}
    void drawRect(CGRect) override { image_->drawAtPoint(CGPointZero); }

private:
    std::shared_ptr<UIImage> image_;
};

TEST(Image, ReadsPNGsKeepingTheScaleTheirNameGives)
{
    UIImageTestFiles files;
    const std::string plain = files.writeSquare("Icon.png", 10, 1, 0, 0);
    const std::string doubled = files.writeSquare("Icon@2x.png", 20, 0, 1, 0);
    const std::string dotted = files.writeSquare("x.y@2x.png", 8, 0, 0, 1);

    auto one = UIImage::imageWithContentsOfFile(plain);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->scale(), 1);
    EXPECT_EQ(one->size(), CGSizeMake(10, 10));

    auto two = UIImage::initWithContentsOfFile(doubled);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->scale(), 2);
    EXPECT_EQ(two->size(), CGSizeMake(10, 10));  // the same points at twice the pixels
    EXPECT_EQ(two->pixelWidth(), 20);
    EXPECT_EQ(UIImage::imageWithContentsOfFile(dotted)->scale(), 2);
    EXPECT_EQ(UIImage::scaleForPath("/a/b/Icon@2x"), 2);
    EXPECT_EQ(UIImage::scaleForPath("/a/b@2x/Icon.png"), 1);

    EXPECT_FALSE(UIImage::imageWithContentsOfFile(files.path("Missing.png")));
    std::ofstream(files.path("Broken.png")) << "not a picture";
    EXPECT_FALSE(UIImage::imageWithContentsOfFile(files.path("Broken.png")));

    // PNG bytes round-trip.
    auto data = UIImagePNGRepresentation(two);
    ASSERT_TRUE(data);
    auto copy = UIImage::imageWithPNGData(*data, 2);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->pixelAt(3, 3), (UIImage::Pixel{0, 255, 0, 255}));
    EXPECT_FALSE(UIImage::imageWithPNGData(NSData({1, 2, 3}), 1));
}

TEST(Image, ADoubleResolutionImageFillsItsPointsPixelForPixelAtScaleTwo)
{
    UIImageTestFiles files;
    // A 20-pixel @2x picture: left half red, right half blue, drawn into a 10-point view.
    auto image = UIImage::imageWithContentsOfFile(files.writeHalves("Halves@2x.png", 20));
    ASSERT_TRUE(image);
    auto view = std::make_shared<PictureView>(CGRectMake(0, 0, 10, 10), image);
    auto picture = UIRenderer::renderView(*view, 2);
    ASSERT_EQ(picture->pixelWidth(), 20);
    EXPECT_EQ(picture->pixelAt(9, 5), (UIImage::Pixel{255, 0, 0, 255}));  // sharp edge at pixel 10
    EXPECT_EQ(picture->pixelAt(10, 5), (UIImage::Pixel{0, 0, 255, 255}));
    EXPECT_EQ(picture->pixelAt(19, 19), (UIImage::Pixel{0, 0, 255, 255}));

    // At scale 1 the same image still covers 10 points.
    auto small = UIRenderer::renderView(*view, 1);
    EXPECT_EQ(small->pixelWidth(), 10);
    EXPECT_EQ(small->pixelAt(2, 5).red, 255);
    EXPECT_EQ(small->pixelAt(8, 5).blue, 255);
}

TEST(Image, ImageContextsCaptureWhatIsDrawnAndNest)
{
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(4, 4), false, 2);
    UIGraphicsGetCurrentContext()->setRGBFillColor(0, 1, 0, 1);
    UIGraphicsGetCurrentContext()->fillRect(CGRectMake(0, 0, 2, 4));
    UIGraphicsBeginImageContext(CGSizeMake(1, 1));
    EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext()->pixelWidth(), 1);
    UIGraphicsEndImageContext();
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext(), nullptr);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 2);
    EXPECT_EQ(image->pixelWidth(), 8);
    EXPECT_EQ(image->pixelAt(1, 1), (UIImage::Pixel{0, 255, 0, 255}));
    EXPECT_EQ(image->pixelAt(6, 1).alpha, 0);
}

} // namespace

TEST(Image, AQuarterTurnMovesEachCornerToTheNextClockwise)
{
    // A 3 x 2 picture, transparent but for a red top-left pixel.
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 3, 2);
    cairo_t* cairo = cairo_create(surface);
    cairo_set_source_rgb(cairo, 1, 0, 0);
    cairo_rectangle(cairo, 0, 0, 1, 1);
    cairo_fill(cairo);
    cairo_destroy(cairo);
    const UIImage image(surface, 2);
    struct Case {
        int turns, width, height, redX, redY;
    };
    for (const Case c : {Case{0, 3, 2, 0, 0}, Case{1, 2, 3, 1, 0}, Case{2, 3, 2, 2, 1}, Case{-1, 2, 3, 0, 2}, Case{5, 2, 3, 1, 0}}) {
        const auto turned = image.imageRotatedByQuarterTurns(c.turns);
        EXPECT_EQ(turned->pixelWidth(), c.width) << c.turns;
        EXPECT_EQ(turned->pixelHeight(), c.height) << c.turns;
        EXPECT_EQ(turned->pixelAt(c.redX, c.redY), (UIImage::Pixel{255, 0, 0, 255})) << c.turns;
        EXPECT_EQ(turned->scale(), 2);
    }
}
