// The resolution-independent loader, as each deliverable builds it in: which file it reads on single and
// double resolution screens, the variant's name for odd paths, the answer of the first screen test holding
// for the process, and each deliverable's own folder.
#include "UIImage-Retina.h"

#include "TemporaryDeviceRoot.h"
#include "UIScreen.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// A PNG of `width` x `height` pixels at a device path of the current root.
void writePicture(const TemporaryDeviceRoot& root, const std::string& devicePath, int width, int height)
{
    const fs::path host = root.hostPath(devicePath);
    fs::create_directories(host.parent_path());
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cairo = cairo_create(surface);
    cairo_set_source_rgb(cairo, 0.2, 0.4, 0.8);
    cairo_paint(cairo);
    cairo_destroy(cairo);
    ASSERT_EQ(cairo_surface_write_to_png(surface, host.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
}

int pixelWidthOf(const std::shared_ptr<UIImage>& image)
{
    return image ? image->pixelWidth() : 0;
}

// Each test starts with a screen of the scale it asks for, not yet tested by the loader.
class ResolutionIndependentImages : public ::testing::Test {
protected:
    void useScreenScale(CGFloat scale)
    {
        ASSERT_TRUE(UIScreen::mainScreen()->setScale(scale));
        UIImageRetina::resetScreenTestForTesting();
    }
    void TearDown() override
    {
        UIScreen::mainScreen()->setScale(1);
        UIImageRetina::resetScreenTestForTesting();
    }

    TemporaryDeviceRoot root;
};

} // namespace

TEST_F(ResolutionIndependentImages, DoubleResolutionScreenPrefersTheVariantWhenItExists)
{
    useScreenScale(2);
    writePicture(root, "/pictures/Both.png", 4, 3);
    writePicture(root, "/pictures/Both@2x.png", 8, 6);
    writePicture(root, "/pictures/PlainOnly.png", 4, 3);
    writePicture(root, "/pictures/DoubleOnly@2x.png", 8, 6);

    const auto both = UIImageRetina::imageWithContentsOfResolutionIndependentFile("/pictures/Both.png");
    ASSERT_TRUE(both);
    EXPECT_EQ(both->pixelWidth(), 8);
    EXPECT_EQ(both->scale(), 2);
    EXPECT_EQ(both->size().width, 4); // the same points as the plain picture
    EXPECT_EQ(both->size().height, 3);

    const auto plain = UIImageRetina::initWithContentsOfResolutionIndependentFile("/pictures/PlainOnly.png");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->pixelWidth(), 4);
    EXPECT_EQ(plain->scale(), 1);

    EXPECT_FALSE(UIImageRetina::imageWithContentsOfResolutionIndependentFile("/pictures/Neither.png"));
    // Only the variant's existence is tested: where it exists it is read, whatever is at the plain path.
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageWithContentsOfResolutionIndependentFile("/pictures/DoubleOnly.png")), 8);
    writePicture(root, "/pictures/Folder@2x.png", 8, 6);
    fs::create_directories(root.hostPath("/pictures/Folder.png"));
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageWithContentsOfResolutionIndependentFile("/pictures/Folder.png")), 8);
}

TEST_F(ResolutionIndependentImages, SingleResolutionScreenNeverReadsTheVariant)
{
    useScreenScale(1);
    writePicture(root, "/pictures/Both.png", 4, 3);
    writePicture(root, "/pictures/Both@2x.png", 8, 6);
    writePicture(root, "/pictures/DoubleOnly@2x.png", 8, 6);

    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageWithContentsOfResolutionIndependentFile("/pictures/Both.png")), 4);
    EXPECT_FALSE(UIImageRetina::imageWithContentsOfResolutionIndependentFile("/pictures/DoubleOnly.png"));
    EXPECT_FALSE(UIImageRetina::imageWithContentsOfResolutionIndependentFile("/pictures/Missing.png"));
}

TEST_F(ResolutionIndependentImages, VariantNameKeepsTheFolderAndPutsTheMarkBeforeTheLastExtension)
{
    EXPECT_EQ(UIImageRetina::doubleResolutionPath("/var/mobile/Library/Vantle/Images/TopCap.png"),
              "/var/mobile/Library/Vantle/Images/TopCap@2x.png");
    EXPECT_EQ(UIImageRetina::doubleResolutionPath("/a/b/x.y.png"), "/a/b/x.y@2x.png");
    EXPECT_EQ(UIImageRetina::doubleResolutionPath("/a/b/Icon"), "/a/b/Icon@2x.");
    EXPECT_EQ(UIImageRetina::doubleResolutionPath("/a.d/Icon"), "/a.d/Icon@2x.");
    EXPECT_EQ(UIImageRetina::doubleResolutionPath("Icon.png"), "Icon@2x.png");
    EXPECT_EQ(UIImageRetina::doubleResolutionPath("/Icon.png"), "/Icon@2x.png");
    EXPECT_EQ(UIImageRetina::doubleResolutionPath("/a/.hidden"), "/a/.hidden@2x.");
    EXPECT_EQ(UIImageRetina::doubleResolutionPath("/a/Now Playing.png/"), "/a/Now Playing@2x.png");

    // The odd names are really what is looked for: "Icon@2x." (with its point) beside "Icon", and
    // "x.y@2x.png" beside "x.y.png".
    useScreenScale(2);
    writePicture(root, "/a/b/Icon", 4, 4);
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageWithContentsOfResolutionIndependentFile("/a/b/Icon")), 4);
    writePicture(root, "/a/b/Icon@2x.", 8, 8);
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageWithContentsOfResolutionIndependentFile("/a/b/Icon")), 8);
    writePicture(root, "/a/b/x.y.png", 4, 4);
    writePicture(root, "/a/b/x.y@2x.png", 8, 8);
    writePicture(root, "/a/b/x@2x.y.png", 12, 12);
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageWithContentsOfResolutionIndependentFile("/a/b/x.y.png")), 8);
}

TEST_F(ResolutionIndependentImages, FirstScreenTestHoldsUntilReset)
{
    writePicture(root, "/pictures/Both.png", 4, 3);
    writePicture(root, "/pictures/Both@2x.png", 8, 6);

    useScreenScale(2);
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageWithContentsOfResolutionIndependentFile("/pictures/Both.png")), 8);
    ASSERT_TRUE(UIScreen::mainScreen()->setScale(1));
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageWithContentsOfResolutionIndependentFile("/pictures/Both.png")), 8);

    useScreenScale(1);
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageWithContentsOfResolutionIndependentFile("/pictures/Both.png")), 4);
    ASSERT_TRUE(UIScreen::mainScreen()->setScale(2));
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageWithContentsOfResolutionIndependentFile("/pictures/Both.png")), 4);
}

#if VANTLE_DELIVERABLE_TWEAK
TEST_F(ResolutionIndependentImages, TweakReadsFromItsImagesFolder)
{
    useScreenScale(2);
    const std::string folder = "/var/mobile/Library/Vantle/Images/";
    writePicture(root, folder + "Icon.png", 59, 60);
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageInVantleFolderNamed("Icon.png")), 59);
    writePicture(root, folder + "Icon@2x.png", 118, 120);
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageInVantleFolderNamed("Icon.png")), 118);
    EXPECT_FALSE(UIImageRetina::imageInVantleFolderNamed("Missing.png"));
    // An application's custom icon is looked up by its name, spaces and all.
    writePicture(root, folder + "Now Playing.png", 32, 32);
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageInVantleFolderNamed("Now Playing.png")), 32);

    // The build's own artwork, as the install step lays it out: the panel's top cap covers 320 x 20 points.
    for (const char* name : {"TopCap.png", "TopCap@2x.png"}) {
        fs::copy_file(fs::path(VANTLE_ARTWORK_DIR) / "var/mobile/Library/Vantle/Images" / name,
                      root.hostPath(folder + name));
    }
    const auto topCap = UIImageRetina::imageInVantleFolderNamed("TopCap.png");
    ASSERT_TRUE(topCap);
    EXPECT_EQ(topCap->pixelWidth(), 640);
    EXPECT_EQ(topCap->size().width, 320);
    EXPECT_EQ(topCap->size().height, 20);
}
#endif

#if VANTLE_DELIVERABLE_SETTINGS
TEST_F(ResolutionIndependentImages, SettingsBundleReadsFromItsBundleFolder)
{
    EXPECT_EQ(UIImageRetina::fullPathForFile("IconBig.png"),
              "/System/Library/PreferenceBundles/VantlePro.bundle/IconBig.png");
    EXPECT_EQ(UIImageRetina::fullPathForFile(""), "/System/Library/PreferenceBundles/VantlePro.bundle/");

    useScreenScale(2);
    writePicture(root, UIImageRetina::fullPathForFile("TableWeb.png"), 29, 29);
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageInBundleNamed("TableWeb.png")), 29);
    writePicture(root, UIImageRetina::fullPathForFile("TableWeb@2x.png"), 58, 58);
    EXPECT_EQ(pixelWidthOf(UIImageRetina::imageInBundleNamed("TableWeb.png")), 58);
    EXPECT_FALSE(UIImageRetina::imageInBundleNamed("Missing.png"));
}
#endif
