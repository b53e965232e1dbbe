#include "NSRunLoop.h"
#include "SteppedClockScope.h"
#include "UIAlertView.h"
#include "UIButton.h"
#include "UIImage.h"
#include "UIRenderer.h"
#include "UIScreen.h"
#include "UITouchRouter.h"
#include "UIWindow.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Writes down the delegate calls, and runs what a test wants on did-dismiss.
class RecordingAlertDelegate : public UIAlertViewDelegate {
public:
    void clickedButtonAtIndex(UIAlertView&, int index) override { calls.push_back("clicked " + std::to_string(index)); }
    void willDismissWithButtonIndex(UIAlertView&, int index) override
    {
        calls.push_back("will " + std::to_string(index));
    }
    void didDismissWithButtonIndex(UIAlertView& alert, int index) override
    {
        calls.push_back("did " + std::to_string(index));
        if (onDidDismiss) {
            onDidDismiss(alert, index);
        }
    }

    std::vector<std::string> calls;
    std::function<void(UIAlertView&, int)> onDidDismiss;
};

class AlertViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        page = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
        page->setBackgroundColor(UIColor::whiteColor());
        page->makeKeyAndVisible();
    }
    void TearDown() override
    {
        for (const auto& alert : UIAlertView::visibleAlerts()) {
            alert->setDelegate(nullptr);
            alert->dismissWithClickedButtonIndexAnimated(0, false);
        }
        drain();
        page->setHidden(true);
    }

    static void drain()
    {
        while (NSRunLoop::mainRunLoop().runOnce()) {
        }
    }
    void step(double seconds)
    {
        time.clock().advance(seconds);
        drain();
    }
    static CGPoint middleOnScreen(const UIView& view)
    {
        const CGRect inWindow = view.convertRectToView(view.bounds(), nullptr);
        return CGPointMake(CGRectGetMidX(inWindow), CGRectGetMidY(inWindow));
    }
    // Shows an alert the way a page does: made, shown and let go.
    static void showAndForget(std::shared_ptr<UIAlertView> alert) { alert->show(); }

    SteppedClockScope time{100.0};
    RecordingAlertDelegate delegate;
    std::shared_ptr<UIWindow> page;
    UITouchRouter touches;
};

TEST_F(AlertViewTest, ATappedButtonIsReportedThenTheAlertFadesAwayAndReportsItsDismissal)
{
    auto made = std::make_shared<UIAlertView>("Edit Redirection",
                                              "Choose either from a list of apps or enter the app name/bundle id.",
                                              &delegate, "Cancel", std::vector<std::string>{"List", "Custom"});
    made->setSubtitle("Hello!");
    EXPECT_EQ(made->numberOfButtons(), 3);
    EXPECT_EQ(made->cancelButtonIndex(), 0);
    EXPECT_EQ(made->firstOtherButtonIndex(), 1);
    EXPECT_EQ(made->buttonTitleAtIndex(2), "Custom");
    EXPECT_EQ(made->buttonTitleAtIndex(3), "");
    EXPECT_FALSE(made->isVisible());
    showAndForget(std::move(made));

    const auto shown = UIAlertView::visibleAlerts();
    ASSERT_EQ(shown.size(), 1u);
    UIAlertView& alert = *shown.front();
    EXPECT_EQ(alert.subtitle(), "Hello!");
    ASSERT_NE(alert.alertWindow(), nullptr);
    EXPECT_EQ(alert.alertWindow()->windowLevel(), UIWindowLevelAlert);
    EXPECT_EQ(UIScreen::mainScreen()->visibleWindows().back(), alert.alertWindow());
    step(UIAlertView::kFadeDuration);

    // Three buttons are stacked, the cancel button at the bottom; the box is centred on the screen.
    const CGRect list = alert.buttonAtIndex(1)->frame();
    const CGRect custom = alert.buttonAtIndex(2)->frame();
    const CGRect cancel = alert.buttonAtIndex(0)->frame();
    EXPECT_LT(list.origin.y, custom.origin.y);
    EXPECT_LT(custom.origin.y, cancel.origin.y);
    EXPECT_TRUE(CGRectContainsRect(alert.bounds(), cancel));
    EXPECT_NEAR(CGRectGetMidX(alert.frame()), 160, 1);
    EXPECT_NEAR(CGRectGetMidY(alert.frame()), 240, 1);

    EXPECT_TRUE(touches.tap(middleOnScreen(*alert.buttonAtIndex(2))));
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"clicked 2", "will 2"}));
    EXPECT_TRUE(alert.isVisible());
    // Taps and dismissals while it goes change nothing.
    alert.clickButtonAtIndex(1);
    alert.dismissWithClickedButtonIndexAnimated(0, false);
    step(UIAlertView::kFadeDuration / 2);
    EXPECT_NEAR(alert.alertWindow()->presentationAlpha(), 0.5, 1e-6);
    step(UIAlertView::kFadeDuration / 2);
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"clicked 2", "will 2", "did 2"}));
    EXPECT_FALSE(shown.front()->isVisible());
    EXPECT_TRUE(UIAlertView::visibleAlerts().empty());
    EXPECT_EQ(UIScreen::mainScreen()->visibleWindows().back(), page.get());
}

TEST_F(AlertViewTest, AMessageTooLongForTheScreenIsCutSoTheButtonsStayOnIt)
{
    std::string message;
    for (int i = 0; i < 400; ++i) {
        message += "word" + std::to_string(i) + " ";
    }
    showAndForget(std::make_shared<UIAlertView>("Long", message, &delegate, "Close", std::vector<std::string>{"A", "B", "C"}));
    step(UIAlertView::kFadeDuration);
    UIAlertView& alert = *UIAlertView::visibleAlerts().front();
    const CGRect screen = UIScreen::mainScreen()->bounds();
    EXPECT_GE(alert.frame().origin.y, 20) << "clear of the status bar";
    EXPECT_LE(CGRectGetMaxY(alert.frame()), CGRectGetMaxY(screen));
    EXPECT_TRUE(touches.tap(middleOnScreen(*alert.buttonAtIndex(0))));
    EXPECT_EQ(delegate.calls.front(), "clicked 0");
}

TEST_F(AlertViewTest, TextFieldsShowTheirLabelAndCarryWhatWasTypedToTheDelegate)
{
    std::string typed = "unread";
    delegate.onDidDismiss = [&typed](UIAlertView& alert, int index) {
        if (alert.textFieldCount() > 0 && index != alert.cancelButtonIndex()) {
            typed = alert.textFieldAtIndex(0)->text();
        }
    };
    auto alert = std::make_shared<UIAlertView>("", "", &delegate, "Cancel", std::vector<std::string>{"Okay"});
    UITextField* field = alert->addTextFieldWithValueLabel("", "Name or Bundle ID");
    EXPECT_EQ(alert->textFieldCount(), 1);
    EXPECT_EQ(alert->textFieldAtIndex(0), field);
    EXPECT_EQ(alert->textFieldAtIndex(1), nullptr);
    EXPECT_EQ(alert->textFieldAtIndex(-1), nullptr);
    EXPECT_EQ(field->placeholder(), "Name or Bundle ID");
    alert->show();
    step(UIAlertView::kFadeDuration);

    // Two buttons sit side by side, the cancel button on the left, under the field.
    const CGRect cancel = alert->buttonAtIndex(0)->frame();
    const CGRect okay = alert->buttonAtIndex(1)->frame();
    EXPECT_DOUBLE_EQ(cancel.origin.y, okay.origin.y);
    EXPECT_LT(CGRectGetMaxX(cancel), okay.origin.x);
    EXPECT_LT(CGRectGetMaxY(field->frame()), cancel.origin.y);

    field->insertText(" My App ");
    alert->clickButtonAtIndex(1);
    step(UIAlertView::kFadeDuration);
    EXPECT_EQ(typed, " My App ");
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"clicked 1", "will 1", "did 1"}));

    // Cancelled, the text is not taken; an alert without a cancel button answers -1.
    typed = "unread";
    auto again = std::make_shared<UIAlertView>("", "", &delegate, "Cancel", std::vector<std::string>{"Okay"});
    again->addTextFieldWithValueLabel("kept", "Name or Bundle ID");
    again->show();
    again->clickButtonAtIndex(0);
    step(UIAlertView::kFadeDuration);
    EXPECT_EQ(typed, "unread");
    EXPECT_EQ(UIAlertView("Error", "", nullptr, "", {"Okay"}).cancelButtonIndex(), -1);
}

TEST_F(AlertViewTest, ADismissedAlertMayShowTheNextAndAnAlertTakesEveryTouchWhileUp)
{
    int pagePresses = 0;
    auto pageButton = std::make_shared<UIButton>(UIButtonTypeRoundedRect, CGRectMake(0, 0, 320, 480));
    pageButton->addTargetActionForControlEvents(this, [&pagePresses] { ++pagePresses; }, UIControlEventTouchUpInside);
    page->addSubview(pageButton);

    delegate.onDidDismiss = [this](UIAlertView&, int index) {
        if (index == 2) {
            auto next = std::make_shared<UIAlertView>("", "", &delegate, "Cancel", std::vector<std::string>{"Okay"});
            next->addTextFieldWithValueLabel("", "Name or Bundle ID");
            showAndForget(next);
        }
    };
    showAndForget(std::make_shared<UIAlertView>("Edit Redirection", "", &delegate, "Cancel",
                                                std::vector<std::string>{"List", "Custom"}));
    EXPECT_TRUE(touches.tap(CGPointMake(160, 10)));  // on the dimmed screen, outside the box
    EXPECT_EQ(pagePresses, 0);
    UIAlertView::visibleAlerts().front()->clickButtonAtIndex(2);
    step(UIAlertView::kFadeDuration);
    const auto shown = UIAlertView::visibleAlerts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.front()->textFieldCount(), 1);

    // Dismissed without a tap and without animation: no click, both dismissal calls at once.
    delegate.calls.clear();
    shown.front()->dismissWithClickedButtonIndexAnimated(0, false);
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"will 0", "did 0"}));
    EXPECT_TRUE(touches.tap(CGPointMake(160, 10)));
    EXPECT_EQ(pagePresses, 1);

    // Clicking a button that does not exist, or an alert that is not up, does nothing.
    delegate.calls.clear();
    auto idle = std::make_shared<UIAlertView>("Error", "", &delegate, "", std::vector<std::string>{"Okay"});
    idle->clickButtonAtIndex(0);
    idle->show();
    idle->clickButtonAtIndex(5);
    idle->show();  // shown once
    EXPECT_EQ(UIAlertView::visibleAlerts().size(), 1u);
    EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(AlertViewTest, TheAlertIsDrawnAsABoxOverTheDimmedScreen)
{
    auto alert = std::make_shared<UIAlertView>("Error", "There was an error saving the settings, please report it.",
                                               nullptr, "", std::vector<std::string>{"Okay"});
    alert->show();
    step(UIAlertView::kFadeDuration);
    const auto image = UIRenderer::renderScreenAtScale(1);
    ASSERT_NE(image, nullptr);
    // The white page shows through the dimming at 60 %.
    const UIImage::Pixel dimmed = image->pixelAt(5, 5);
    EXPECT_NEAR(dimmed.red, 153, 2);
    EXPECT_NEAR(dimmed.blue, 153, 2);
    // Inside the box, away from text: a dark blue.
    const CGRect box = alert->frame();
    const UIImage::Pixel inside = image->pixelAt(static_cast<int>(box.origin.x + 6), static_cast<int>(CGRectGetMidY(box)));
    EXPECT_LT(inside.red, 80);
    EXPECT_GT(inside.blue, inside.red + 20);
    // The title is white text near the top of the box.
    int white = 0;
    for (int x = static_cast<int>(box.origin.x); x < static_cast<int>(CGRectGetMaxX(box)); ++x) {
        for (int y = static_cast<int>(box.origin.y) + 14; y < static_cast<int>(box.origin.y) + 38; ++y) {
            const UIImage::Pixel p = image->pixelAt(x, y);
            white += p.red > 230 && p.green > 230 && p.blue > 230 ? 1 : 0;
        }
    }
    EXPECT_GT(white, 30);
}

} // namespace
