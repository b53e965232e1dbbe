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
        fs::copy(fs::path(VANTLE_ARTWORK_DIR) / "var/mobile/Library/Vantle/Images",
                 root.hostPath("/var/mobile/Library/Vantle/Images"), fs::copy_options::recursive);
    }
    ~ListRender() override
    {
        UIScreen::mainScreen()->setScale(1);
        UIImageRetina::resetScreenTestForTesting();
    }

    SteppedClockScope time{kNow};
};

// The point's colour in a picture at scale 2.
UIImage::Pixel at(const UIImage& picture, double x, double y)
{
    return picture.pixelAt(static_cast<int>(x * 2), static_cast<int>(y * 2));
}

} // namespace

TEST_F(ListRender, DrawsHeadersEntriesAndTheShowOlderRow)
{
    logtest::writeLog(PLWriter::kNewNotificationsPath,
                      {makeRecord("Messages", "Anna: Are we still on for lunch tomorrow? I found a new place near the "
                                              "station.", "com.apple.MobileSMS", kNow - 30),
                       makeRecord("Messages", "Ben: On my way", "com.apple.MobileSMS", kNow - 400),
                       makeRecord("Calendar", "Team meeting in 15 minutes", "com.apple.mobilecal", kNow - 5000)});
    logtest::writeLog(PLWriter::kOldNotificationsPath,
                      {makeRecord("Clock", "Alarm: Wake up", "com.apple.mobiletimer", kNow - 90000)});
    const auto manager = open<VTSorterByDate>();
    panel.table->layoutIfNeeded();

    const auto picture = UIRenderer::renderView(*panel.table, 2);
    ASSERT_TRUE(picture);
    if (const char* keep = std::getenv("VANTLE_LIST_RENDER")) {
        picture->writePNGToHostFile(keep);
    }
    const double entryTop = 44;
    // The header's white top line, its gradient darker towards the bottom, its dark bottom line.
    const auto topLine = at(*picture, 200, 0.5);
    const auto upper = at(*picture, 200, 3);
    const auto lower = at(*picture, 200, 40);
    EXPECT_EQ(topLine, (UIImage::Pixel{255, 255, 255, 255}));
    EXPECT_GT(upper.red, lower.red);
    // A new entry's date is blue; the entry area is white.
    bool blueDate = false;
    for (double x = 15; x < 80 && !blueDate; x += 0.5) {
        const auto pixel = at(*picture, x, entryTop + 12);
        blueDate = pixel.blue > 150 && pixel.red < 120;
    }
    EXPECT_TRUE(blueDate);
    EXPECT_EQ(at(*picture, 310, entryTop + 15), (UIImage::Pixel{255, 255, 255, 255}));
    // The wrapped text keeps its second line.
    bool secondLine = false;
    for (double x = 15; x < 300 && !secondLine; x += 0.5) {
        secondLine = at(*picture, x, entryTop + 20 + 17 + 8).red < 100;
    }
    EXPECT_TRUE(secondLine);
    EXPECT_EQ(manager->numberOfSectionsInTableView(*panel.table), 3);
}
