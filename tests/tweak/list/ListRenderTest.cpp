// The list as the panel's table draws it, at scale 2, over the installed artwork: headers with their icons
// and badges, new and read entries, and the show-older row. Set VANTLE_LIST_RENDER to a file path to keep
// the picture.
#include "ListTestSupport.h"
#include "NSNumber.h"
#include "UIImage-Retina.h"
#include "UIRenderer.h"
#include "UIScreen.h"
#include "VTSorterByDate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

using namespace listtest;
using logtest::makeRecord;
namespace fs = std::filesystem;

namespace {

constexpr double kNow = 800000000.0;

class ListRender : public ListFixture {
protected:
    ListRender()
    {
        EXPECT_TRUE(UIScreen::mainScreen()->setScale(2));
        UIImageRetina::resetScreenTestForTesting();
        for (const char* folder : {"var/mobile/Library/Vantle/Images", "Applications"}) {
            fs::copy(fs::path(VANTLE_ARTWORK_DIR) / folder, root.path() / folder, fs::copy_options::recursive);
        }
    }
    ~ListRender() override
    {
        UIScreen::mainScreen()->setScale(1);
        UIImageRetina::resetScreenTestForTesting();
    }

    SteppedClockScope time {kNow};
};

// Keeps the picture where VANTLE_LIST_RENDER says, with the suffix before ".png".
void keep(const UIImage& picture, const std::string& suffix)
{
    if (const char* path = std::getenv("VANTLE_LIST_RENDER")) {
        std::string target = path;
        target.insert(target.rfind('.'), suffix);
        picture.writePNGToHostFile(target);
    }
}

// The point's colour in a picture at scale 2.
UIImage::Pixel at(const UIImage& picture, double x, double y)
{
    return picture.pixelAt(static_cast<int>(x * 2), static_cast<int>(y * 2));
}

} // namespace

TEST_F(ListRender, DrawsHeadersEntriesAndTheShowOlderRow)
{
    logtest::writeLog(PLWriter::kNewNotificationsPath,
        {makeRecord("Messages",
             "Anna: Are we still on for lunch tomorrow? I found a new place near the "
             "station.",
             "com.apple.MobileSMS", kNow - 30),
            makeRecord("Messages", "Ben: On my way", "com.apple.MobileSMS", kNow - 400),
            makeRecord("Calendar", "Team meeting in 15 minutes", "com.apple.mobilecal", kNow - 5000)});
    logtest::writeLog(PLWriter::kOldNotificationsPath,
        {makeRecord("Clock", "Alarm: Wake up", "com.apple.mobiletimer", kNow - 90000)});
    const auto manager = open<VTSorterByDate>();
    panel.table->layoutIfNeeded();

    const auto picture = UIRenderer::renderView(*panel.table, 2);
    ASSERT_TRUE(picture);
    keep(*picture, "");
    const double entryTop = 44;
    // The header's white top line, its gradient darker towards the bottom, its dark bottom line.
    const auto topLine = at(*picture, 200, 0.5);
    const auto upper = at(*picture, 200, 3);
    const auto lower = at(*picture, 200, 40);
    EXPECT_EQ(topLine, (UIImage::Pixel {255, 255, 255, 255}));
    EXPECT_GT(upper.red, lower.red);
    // The badge: a grey pill with its digit cut out, so the header shows through.
    std::vector<UIImage::Pixel> row;
    for (double x = 270; x < 320; x += 0.5) {
        row.push_back(at(*picture, x, 22));
    }
    const auto isPill = [](const UIImage::Pixel& p) { return p.red == 153 && p.green == 166 && p.blue == 179; };
    const auto first = std::find_if(row.begin(), row.end(), isPill);
    const auto last = std::find_if(row.rbegin(), row.rend(), isPill).base();
    ASSERT_LT(first, last);
    EXPECT_TRUE(std::any_of(first, last, [](const UIImage::Pixel& p) { return p.red > 200; }));
    // A new entry's date is blue; the entry area is white.
    bool blueDate = false;
    for (double x = 15; x < 80 && !blueDate; x += 0.5) {
        const auto pixel = at(*picture, x, entryTop + 12);
        blueDate = pixel.blue > 150 && pixel.red < 120;
    }
    EXPECT_TRUE(blueDate);
    EXPECT_EQ(at(*picture, 310, entryTop + 15), (UIImage::Pixel {255, 255, 255, 255}));
    // The wrapped text keeps its second line.
    bool secondLine = false;
    for (double x = 15; x < 300 && !secondLine; x += 0.5) {
        secondLine = at(*picture, x, entryTop + 20 + 17 + 8).red < 100;
    }
    EXPECT_TRUE(secondLine);
    EXPECT_EQ(manager->numberOfSectionsInTableView(*panel.table), 3);
}

TEST_F(ListRender, WithoutCustomIconsHeadersShowTheShellsIconsAndReadEntriesAreGrey)
{
    logtest::writePreferences(
        {{"Custom Icons", NSNumber::numberWithBool(false)}, {"Hide Read", NSNumber::numberWithBool(false)}});
    PLWriter::reloadSettings();
    logtest::writeLog(PLWriter::kOldNotificationsPath,
        {makeRecord("Calendar", "Dentist at 3 PM", "com.apple.mobilecal", kNow - 100000),
            makeRecord("Battery", "20% of battery remaining", "", kNow - 200000)});
    open<VTSorterByDate>();
    panel.table->layoutIfNeeded();
    const auto picture = UIRenderer::renderView(*panel.table, 2);
    ASSERT_TRUE(picture);
    keep(*picture, "-shell-icons");

    // The calendar's own icon fills the 29-point square at (9, 6); the header is 41 high.
    EXPECT_EQ(at(*picture, 23, 20).alpha, 255);
    EXPECT_NE(at(*picture, 23, 20), at(*picture, 200, 20));
    EXPECT_EQ(at(*picture, 200, 40.5).red, 168); // the dark bottom line (0.66)
    bool greyDate = false;
    for (double x = 15; x < 80 && !greyDate; x += 0.5) {
        const auto pixel = at(*picture, x, 41 + 12);
        greyDate = pixel.red < 200 && pixel.red == pixel.blue;
    }
    EXPECT_TRUE(greyDate);
}
