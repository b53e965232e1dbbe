// The sample screen as a person sees it: everything it promises is on screen, the badge's digits let the
// window show through, and the toolkit-sample program writes the picture or says why it did not.
#include "DeviceRoot.h"
#include "SampleBadgeView.h"
#include "SampleScreen.h"
#include "TemporaryDeviceRoot.h"
#include "ToolRun.h"
#include "UIImage.h"
#include "UIImageView.h"
#include "UIRenderer.h"
#include "UIScreen.h"
#include "UITableView.h"
#include "UITableViewCell.h"
#include "UITableViewSectionTitleView.h"
#include "UIWindow.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cairo.h>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using ::testing::HasSubstr;

namespace {

class SampleScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeviceRoot::setRoot(VANTLE_ARTWORK_DIR);
        UIScreen::mainScreen()->setScale(2);
    }
    void TearDown() override
    {
        UIScreen::mainScreen()->setScale(1);
        DeviceRoot::resetRoot();
    }
};

bool isRed(const UIImage::Pixel& pixel)
{
    return pixel.red > 170 && pixel.green < 110 && pixel.blue < 110;
}

// The size of a PNG file in pixels; zero when it does not read.
std::pair<int, int> pngSize(const fs::path& file)
{
    cairo_surface_t* surface = cairo_image_surface_create_from_png(file.c_str());
    std::pair<int, int> size{0, 0};
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        size = {cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface)};
    }
    cairo_surface_destroy(surface);
    return size;
}

ToolRun runSample(const std::string& arguments)
{
    return ToolRun::of(VANTLE_TOOLKIT_SAMPLE_TOOL, arguments);
}

} // namespace

TEST_F(SampleScreenTest, ShowsEveryCellStyleWithItsTitlesAndPicturesAtTheScreensScale)
{
    const SampleScreen screen;
    EXPECT_TRUE(screen.missingArtwork().empty());
    UIRenderer::renderScreen();

    UITableView& table = screen.table();
    ASSERT_EQ(table.numberOfSections(), 3);
    const NSIndexPath last(table.numberOfRowsInSection(2) - 1, 2);
    EXPECT_LE(CGRectGetMaxY(table.rectForRowAtIndexPath(last)), table.bounds().size.height)
        << "the last row is cut off by the bottom row";

    const UITableViewCellStyle styles[] = {UITableViewCellStyle::Default, UITableViewCellStyle::Value1,
                                           UITableViewCellStyle::Subtitle};
    for (int section = 0; section < 3; ++section) {
        EXPECT_NE(table.headerViewForSection(section), nullptr) << "section " << section;
        const auto cell = table.cellForRowAtIndexPath(NSIndexPath(0, section));
        ASSERT_NE(cell, nullptr) << "section " << section;
        EXPECT_EQ(cell->style(), styles[section]);
    }
    EXPECT_NE(table.footerViewForSection(0), nullptr);

    const auto image = table.cellForRowAtIndexPath(NSIndexPath(0, 0))->imageView()->image();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->scale(), 2);
    EXPECT_EQ(image->size().width, 32);
}

TEST_F(SampleScreenTest, TheBadgeDigitsAreCutThroughToTheWindow)
{
    const SampleScreen screen;
    const auto picture = UIRenderer::renderScreen();
    const CGRect badge = screen.badge().frame();
    const auto background = picture->pixelAt(4, 470 * 2); // the window below the bottom row's pictures

    int red = 0;
    int cut = 0;
    for (int y = static_cast<int>(badge.origin.y + 6) * 2; y < static_cast<int>(CGRectGetMaxY(badge) - 6) * 2; ++y) {
        for (int x = static_cast<int>(badge.origin.x + 8) * 2; x < static_cast<int>(CGRectGetMaxX(badge) - 8) * 2; ++x) {
            const auto pixel = picture->pixelAt(x, y);
            red += isRed(pixel) ? 1 : 0;
            cut += pixel == background ? 1 : 0;
        }
    }
    EXPECT_GT(red, 0) << "no red body";
    EXPECT_GT(cut, 40) << "no digits cut out";
}

TEST(ToolkitSampleTool, WritesThePictureAtEitherScaleOrSaysWhyNot)
{
    const TemporaryDeviceRoot scratch;
    const fs::path one = scratch.path() / "sample.png";
    const fs::path two = scratch.path() / "sample@2x.png";

    const ToolRun atOne = runSample("--out " + ToolRun::quoted(one.string()));
    EXPECT_EQ(atOne.status, 0) << atOne.err;
    EXPECT_THAT(atOne.out, HasSubstr("320 x 480 pixels"));
    EXPECT_EQ(pngSize(one), std::make_pair(320, 480));
    const ToolRun atTwo = runSample("--scale 2 --out " + ToolRun::quoted(two.string()));
    EXPECT_EQ(atTwo.status, 0) << atTwo.err;
    EXPECT_EQ(pngSize(two), std::make_pair(640, 960));

    const ToolRun badScale = runSample("--scale 3 --out " + ToolRun::quoted(one.string()));
    EXPECT_EQ(badScale.status, 2);
    EXPECT_THAT(badScale.err, HasSubstr("--scale"));
    EXPECT_EQ(runSample("--scale 2").status, 2) << "--out is required";

    const fs::path nowhere = scratch.path() / "no-such-folder" / "sample.png";
    const ToolRun unwritable = runSample("--out " + ToolRun::quoted(nowhere.string()));
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_THAT(unwritable.err, HasSubstr(nowhere.string()));

    const fs::path empty = scratch.path() / "empty-artwork";
    fs::create_directory(empty);
    const fs::path absent = scratch.path() / "absent.png";
    const ToolRun noArtwork =
        runSample("--artwork " + ToolRun::quoted(empty.string()) + " --out " + ToolRun::quoted(absent.string()));
    EXPECT_EQ(noArtwork.status, 1);
    EXPECT_THAT(noArtwork.err, HasSubstr("nothing written"));
    EXPECT_FALSE(fs::exists(absent));

    const ToolRun help = runSample("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("--scale"));
    EXPECT_THAT(help.out, HasSubstr("Exit status"));
}
