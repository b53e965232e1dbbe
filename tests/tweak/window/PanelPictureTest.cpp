// Pictures of the panel as the screen shows it, at scale 2, over the build's artwork and a log of a few
// records: the list in both orientations, pulled down, half-way through the slide, empty, and with the actions
// bar uncovered by the curl. Set VANTLE_PICTURES_DIR to a folder to keep them as PNG files.
#include "VTWindowController.h"

#include "../LogTestSupport.h"
#include "CrossProcessChannels.h"
#include "JobThreadTracker.h"
#include "PLWriter.h"
#include "PanelTestSupport.h"
#include "SteppedClockScope.h"
#include "UIImage-Retina.h"
#include "UIRenderer.h"
#include "UIScreen.h"
#include "UIWindow.h"
#include "VTHeaderCell.h"
#include "VTNotificationCell.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cmath>
#include <string>

using logtest::makeRecord;
using paneltest::drain;

namespace {

constexpr double kNow = 800000000.0;

// A morning's notifications: two messages, a meeting, a missed call, and yesterday's battery warning,
// already read.
void writeMorningLog()
{
    logtest::writeLog(PLWriter::kNewNotificationsPath,
                      {makeRecord("Messages", "Anna: Are we still on for lunch tomorrow? I found a new place near the "
                                              "station.", "com.apple.MobileSMS", kNow - 60),
                       makeRecord("Calendar", "Team meeting in 15 minutes", "com.apple.mobilecal", kNow - 600),
                       makeRecord("Messages", "Ben: On my way", "com.apple.MobileSMS", kNow - 3000),
                       makeRecord("Phone", "Missed call from Mum", "com.apple.mobilephone", kNow - 7200)});
    logtest::writeLog(PLWriter::kOldNotificationsPath, {makeRecord("Battery", "20% of battery remaining", "", kNow - 86400)});
}

using Pixel = UIImage::Pixel;

bool isWhite(Pixel p) { return p.red > 245 && p.green > 245 && p.blue > 245; }
bool isDark(Pixel p) { return p.red < 90 && p.green < 90 && p.blue < 90; }
bool isRed(Pixel p) { return p.red > 150 && p.green < 90 && p.blue < 90; }
bool isGrey(Pixel p) { return std::abs(p.red - p.green) < 16 && std::abs(p.green - p.blue) < 16 && p.red < 220 && p.red > 90; }

// Whether any pixel of the rectangle (in points) satisfies the test.
template <class Test>
bool anyPixel(const UIImage& picture, CGRect rect, Test test)
{
    for (int y = static_cast<int>(rect.origin.y * 2); y < static_cast<int>(CGRectGetMaxY(rect) * 2); ++y) {
        for (int x = static_cast<int>(rect.origin.x * 2); x < static_cast<int>(CGRectGetMaxX(rect) * 2); ++x) {
            if (test(picture.pixelAt(x, y))) {
                return true;
            }
        }
    }
    return false;
}

class PanelPicture : public ::testing::Test {
protected:
    void SetUp() override
    {
        CrossProcessChannels::useLoopback();
        root.createDirectory("/var/mobile/Library/Vantle");
        root.createDirectory("/var/mobile/Library/Preferences");
        ASSERT_TRUE(UIScreen::mainScreen()->setScale(2));
        UIImageRetina::resetScreenTestForTesting();
        paneltest::installArtwork(root);
    }
    void TearDown() override
    {
        JobThreadTracker::waitForAll();
        drain();
        if (controller) {
            controller->setHidden(true);
        }
        PLWriter::resetSettings();
        UIScreen::mainScreen()->setScale(1);
        UIImageRetina::resetScreenTestForTesting();
    }

    // Opens the panel over the screen and lets the slide and the loading finish.
    void show(std::int32_t orientation = 1)
    {
        controller = VTWindowController::controllerWithFrame(CGRectMake(0, 0, 320, 480), VTWindow::listManagerForSettings);
        controller->setOrientation(orientation);
        controller->setOrientation();
        controller->setShowWindow(true);
        JobThreadTracker::waitForAll();
        step(1);
        panel = controller->window();
    }
    void step(double seconds)
    {
        time.clock().advance(seconds);
        drain();
    }
    std::shared_ptr<UIImage> render(const std::string& name)
    {
        auto picture = UIRenderer::renderScreen();
        if (const char* folder = std::getenv("VANTLE_PICTURES_DIR")) {
            picture->writePNGToHostFile(std::string(folder) + "/" + name + ".png");
        }
        return picture;
    }
    // The pixel at a point of the screen, which is drawn at scale 2.
    static Pixel at(const UIImage& picture, CGFloat x, CGFloat y)
    {
        return picture.pixelAt(static_cast<int>(x * 2), static_cast<int>(y * 2));
    }

    SteppedClockScope time{kNow};
    TemporaryDeviceRoot root;
    std::shared_ptr<VTWindowController> controller;
    std::shared_ptr<VTWindow> panel;
};

} // namespace

TEST_F(PanelPicture, List)
{
    writeMorningLog();
    show();
    // Pulled down, the list shows the count line above its first row.
    panel->content()->setContentOffset(CGPointMake(0, -40));
    EXPECT_TRUE(anyPixel(*render("panel-pulled"), CGRectMake(100, 30, 120, 20), isDark));
    panel->content()->setContentOffset(CGPointMake(0, 0));
    const auto picture = render("panel-list");
    EXPECT_TRUE(isDark(at(*picture, 160, 10)));   // top cap
    EXPECT_TRUE(isWhite(at(*picture, 300, 380))); // the sheet, below the rows
    EXPECT_TRUE(isDark(at(*picture, 160, 430)));  // bottom cap
    EXPECT_TRUE(isDark(at(*picture, 160, 470)));  // the dimmed screen below it
}

TEST_F(PanelPicture, HalfWayThroughTheSlideTheScreenIsHalfDimmed)
{
    // The shell's screen, white, beneath the overlay window.
    const auto shell = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    shell->setBackgroundColor(UIColor::whiteColor());
    shell->setHidden(false);
    writeMorningLog();
    show();
    controller->setShowWindow(false);
    step(1);
    controller->setShowWindow(true);
    step(VTWindowController::kSlideDuration / 2);

    const auto picture = render("panel-sliding");
    EXPECT_TRUE(isDark(at(*picture, 160, 180)));          // the bottom cap, half-way down
    EXPECT_NEAR(at(*picture, 160, 300).red, 178, 3);       // white under black at alpha 0.3
    EXPECT_NEAR(at(*picture, 160, 300).blue, 178, 3);
    shell->setHidden(true);
}

TEST_F(PanelPicture, EmptyState)
{
    show();
    const auto picture = render("panel-empty");
    // The empty state is centred on the sheet: the icon above the text.
    EXPECT_TRUE(anyPixel(*picture, CGRectMake(130.5, 185.5, 59, 60), isGrey));
    EXPECT_TRUE(anyPixel(*picture, CGRectMake(105.5, 244.5, 109, 20), isDark));
    EXPECT_TRUE(isWhite(at(*picture, 160, 100)));
}

TEST_F(PanelPicture, ActionsBar)
{
    writeMorningLog();
    show();
    panel->setShowingActions(true);
    step(0.4);
    const auto picture = render("panel-actions");
    // The curl has uncovered the buttons in the lower part of the bar.
    EXPECT_TRUE(isRed(at(*picture, 40, 244))); // "Clear", beside its title
    EXPECT_FALSE(isRed(at(*picture, 40, 304)));
    EXPECT_TRUE(anyPixel(*picture, CGRectMake(15, 301, 290, 46), isDark)); // "Collapse All"
    // Above them lies the curled list, its first entry still legible where the page lies flat.
    EXPECT_TRUE(anyPixel(*picture, CGRectMake(150, 85, 150, 25), isDark));
}

TEST_F(PanelPicture, Landscape)
{
    writeMorningLog();
    show(3);
    // Turned a quarter to the right: the panel's top runs along the right edge of the screen.
    const auto list = render("panel-landscape");
    EXPECT_TRUE(isDark(at(*list, 310, 240)));  // top cap
    EXPECT_TRUE(isWhite(at(*list, 160, 400))); // the sheet
    EXPECT_TRUE(isDark(at(*list, 40, 240)));   // bottom cap

    panel->setShowingActions(true);
    step(0.4);
    const auto actions = render("panel-landscape-actions");
    EXPECT_TRUE(isRed(at(*actions, 166, 100))); // "Clear", beside its title
}

TEST_F(PanelPicture, LongTextsEndBeforeTheBadgeAndNothingShowsThroughTheBar)
{
    // The shell's screen beneath, red, where the dock would show through a bar that is not opaque.
    const auto shell = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    shell->setBackgroundColor(UIColor::redColor());
    shell->setHidden(false);
    // Grouped by application (there is no preference file): the header first, then the entry, dated
    // "Yesterday, 10:55 PM".
    logtest::writeLog(PLWriter::kNewNotificationsPath,
                      {makeRecord("An Application With A Very Long Name", "Hello", "com.example.long", kNow - 112680)});
    show();
    const auto picture = render("panel-long-texts");

    const auto header = std::dynamic_pointer_cast<VTHeaderCell>(panel->content()->cellForRowAtIndexPath(NSIndexPath(0, 0)));
    const auto entry = std::dynamic_pointer_cast<VTNotificationCell>(panel->content()->cellForRowAtIndexPath(NSIndexPath(1, 0)));
    ASSERT_TRUE(header && entry);
    const double badgeX = header->accessoryView()->frame().origin.x;
    const double headerY = 20 + header->frame().origin.y;
    EXPECT_FALSE(anyPixel(*picture, CGRectMake(badgeX - VTHeaderCell::kTitleGap, headerY + 8, VTHeaderCell::kTitleGap, 28),
                          isDark))
        << "the name stops before its badge";
    const double dateY = 20 + entry->frame().origin.y + 6;
    EXPECT_TRUE(anyPixel(*picture, CGRectMake(115, dateY, 60, 13), [](Pixel p) { return !isWhite(p); }))
        << "\"" << entry->date()->text() << "\" is drawn whole, past the first 100 points";

    // The bottom cap's grey-blue body (blue above red everywhere), away from its rounded corners and buttons.
    EXPECT_FALSE(anyPixel(*picture, CGRectMake(40, 402, 240, 38), [](Pixel p) { return p.red > p.blue; }))
        << "the red screen shows through the bar";
    shell->setHidden(true);
}
