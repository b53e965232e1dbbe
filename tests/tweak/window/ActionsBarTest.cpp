// The actions bar: where its buttons and shadow go for each width, which artwork each button asks for, and
// where the buttons' taps go.
#include "VTActions.h"

#include "PanelTestSupport.h"
#include "TemporaryDeviceRoot.h"
#include "UIGraphics.h"
#include "UIImage-Retina.h"
#include "UIScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void expectFrame(CGRect actual, CGRect expected, const std::string& what)
{
    EXPECT_TRUE(CGRectEqualToRect(actual, expected))
        << what << ": (" << actual.origin.x << ", " << actual.origin.y << ", " << actual.size.width << ", "
        << actual.size.height << ")";
}

// A picture `pixels` wide in the images folder, so that a test can tell which name a button asked for.
void writeMarker(const TemporaryDeviceRoot& root, const std::string& name, int pixels)
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(pixels, 1), false, 1);
    const auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    ASSERT_TRUE(image->writePNGToHostFile(root.hostPath(std::string(UIImageRetina::kVantleImagesFolder) + name)));
}

int markerOf(const std::shared_ptr<UIImage>& image)
{
    return image ? image->pixelWidth() : 0;
}

struct BarCase {
    CGFloat width;
    CGFloat height;
    CGRect clear;
    CGRect collapse;
    CGRect expand;
    std::string imageWidth;
};

class ActionsBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        UIImageRetina::resetScreenTestForTesting();
        root.createDirectory(UIImageRetina::kVantleImagesFolder);
    }
    void TearDown() override { UIImageRetina::resetScreenTestForTesting(); }

    TemporaryDeviceRoot root;
};

class RecordingTarget final : public VTActions::Target {
public:
    void clear() override { calls.push_back("clear"); }
    void collapse() override { calls.push_back("collapse"); }
    void expand() override { calls.push_back("expand"); }
    std::vector<std::string> calls;
};

} // namespace

TEST_F(ActionsBar, ButtonsStandAboveTheBottomEdgeForEachScreenWidth)
{
    const CGRect zero = CGRectZero;
    const std::vector<BarCase> cases{
        // The panel's table in portrait and in landscape on a 320 x 480 screen.
        {320, 381, CGRectMake(15, 201, 290, 46), CGRectMake(15, 261, 290, 46), CGRectMake(15, 321, 290, 46), "320"},
        {480, 236, CGRectMake(15, 116, 450, 36), CGRectMake(15, 156, 450, 36), CGRectMake(15, 196, 450, 36), "480"},
        // The fraction of the width does not count.
        {320.7, 300, CGRectMake(15, 120, 290, 46), CGRectMake(15, 180, 290, 46), CGRectMake(15, 240, 290, 46), "320"},
        // Another width leaves the buttons where they were, and asks for images of its own width.
        {400, 300, zero, zero, zero, "400"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        writeMarker(root, "ButtonRed" + c.imageWidth + ".png", 1);
        writeMarker(root, "ButtonRedPressed" + c.imageWidth + ".png", 2);
        writeMarker(root, "ButtonWhite" + c.imageWidth + ".png", 3);
        writeMarker(root, "ButtonWhitePressed" + c.imageWidth + ".png", 4);

        const VTActions bar(CGRectMake(0, 0, c.width, c.height));
        expectFrame(bar.frame(), CGRectMake(0, 0, c.width, c.height), "bar");
        expectFrame(bar.clearButton().frame(), c.clear, "Clear");
        expectFrame(bar.collapseButton().frame(), c.collapse, "Collapse All");
        expectFrame(bar.expandButton().frame(), c.expand, "Expand All");
        expectFrame(bar.bottomShadow().frame(), CGRectMake(0, c.height - 19, c.width, 19), "shadow");

        EXPECT_EQ(markerOf(bar.clearButton().backgroundImageForState(UIControlStateNormal)), 1);
        EXPECT_EQ(markerOf(bar.clearButton().backgroundImageForState(UIControlStateHighlighted)), 2);
        for (UIButton* white : {&bar.collapseButton(), &bar.expandButton()}) {
            EXPECT_EQ(markerOf(white->backgroundImageForState(UIControlStateNormal)), 3);
            EXPECT_EQ(markerOf(white->backgroundImageForState(UIControlStateHighlighted)), 4);
        }
    }
}

TEST_F(ActionsBar, ReadsTheBuildsArtworkAndTitlesItsButtons)
{
    paneltest::installArtwork(root);
    const VTActions bar(CGRectMake(0, 0, 480, 236));

    EXPECT_EQ(bar.clearButton().currentTitle(), "Clear");
    EXPECT_EQ(bar.collapseButton().currentTitle(), "Collapse All");
    EXPECT_EQ(bar.expandButton().currentTitle(), "Expand All");
    ASSERT_TRUE(bar.clearButton().currentBackgroundImage());
    EXPECT_EQ(bar.clearButton().currentBackgroundImage()->size().width, 450);
    ASSERT_TRUE(bar.bottomShadow().image());
    EXPECT_EQ(bar.bottomShadow().image()->size().height, 19);
}

TEST_F(ActionsBar, ButtonsSendTheirActionsToTheLatestTarget)
{
    VTActions bar(CGRectMake(0, 0, 320, 381));
    RecordingTarget first;
    RecordingTarget second;
    bar.setTarget(&first);
    bar.clearButton().sendActionsForControlEvents(UIControlEventTouchUpInside);
    bar.setTarget(&second);
    bar.collapseButton().sendActionsForControlEvents(UIControlEventTouchUpInside);
    bar.expandButton().sendActionsForControlEvents(UIControlEventTouchUpInside);
    bar.expandButton().sendActionsForControlEvents(UIControlEventTouchDown);

    EXPECT_EQ(first.calls, std::vector<std::string>{"clear"});
    EXPECT_EQ(second.calls, (std::vector<std::string>{"collapse", "expand"}));
}
