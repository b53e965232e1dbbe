#include "UIButton.h"
#include "UIControl.h"
#include "UITouchRouter.h"
#include "UIWindow.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Recorder {
    std::vector<std::string> events;
    void on(UIControl& control, unsigned event, std::string name)
    {
        control.addTargetActionForControlEvents(this, [this, name] { events.push_back(name); }, event);
    }
};

TEST(Control, TargetActionFiresForTheRegisteredEventsOnly)
{
    auto control = std::make_shared<UIControl>(CGRectMake(0, 0, 50, 50));
    Recorder recorder;
    int other = 0;
    recorder.on(*control, UIControlEventTouchUpInside, "up");
    control->addTargetActionForControlEvents(&other, [&other] { ++other; },
                                             UIControlEventTouchUpInside | UIControlEventValueChanged);
    EXPECT_EQ(UIControlEventTouchUpInside, 64u);

    control->sendActionsForControlEvents(UIControlEventTouchUpInside);
    control->sendActionsForControlEvents(UIControlEventValueChanged);
    control->sendActionsForControlEvents(UIControlEventTouchDown);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"up"}));
    EXPECT_EQ(other, 2);
    EXPECT_EQ(control->allControlEvents(), UIControlEventTouchUpInside | UIControlEventValueChanged);

    // The same target registered again for the same events replaces its action (a reused cell does this).
    control->addTargetActionForControlEvents(&recorder, [&recorder] { recorder.events.push_back("again"); },
                                             UIControlEventTouchUpInside);
    control->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"up", "again"}));

    control->removeTargetActionForControlEvents(&other, UIControlEventTouchUpInside);
    control->sendActionsForControlEvents(UIControlEventTouchUpInside | UIControlEventValueChanged);
    EXPECT_EQ(other, 4);  // still there for value changed
    control->removeTargetActionForControlEvents(nullptr, UIControlEventAllEvents);
    EXPECT_EQ(control->allControlEvents(), 0u);
}

TEST(Control, TrackingATouchHighlightsAndReportsInsideOrOutside)
{
    auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    window->setHidden(false);
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(100, 100, 40, 40));
    window->addSubview(button);
    Recorder recorder;
    recorder.on(*button, UIControlEventTouchDown, "down");
    recorder.on(*button, UIControlEventTouchUpInside, "upInside");
    recorder.on(*button, UIControlEventTouchUpOutside, "upOutside");
    recorder.on(*button, UIControlEventTouchDragExit, "exit");
    recorder.on(*button, UIControlEventTouchDragEnter, "enter");
    recorder.on(*button, UIControlEventTouchCancel, "cancel");

    UITouchRouter router;
    const int tap = router.beginTouch({110, 110});
    EXPECT_TRUE(button->isHighlighted());
    EXPECT_EQ(button->state(), UIControlStateHighlighted);
    router.moveTouch(tap, {200, 110});  // within the 70-point allowance of the right edge (140)
    EXPECT_TRUE(button->isHighlighted());
    router.endTouch(tap, {200, 110});
    EXPECT_FALSE(button->isHighlighted());
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"down", "upInside"}));

    recorder.events.clear();
    const int drag = router.beginTouch({110, 110});
    router.moveTouch(drag, {300, 110});
    EXPECT_FALSE(button->isHighlighted());
    router.moveTouch(drag, {120, 120});
    router.moveTouch(drag, {300, 400});
    router.endTouch(drag, {300, 400});
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"down", "exit", "enter", "exit", "upOutside"}));

    recorder.events.clear();
    const int cancelled = router.beginTouch({110, 110});
    router.cancelTouch(cancelled);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"down", "cancel"}));
    EXPECT_FALSE(button->isTracking());

    // A disabled control takes the touch and reports nothing.
    recorder.events.clear();
    button->setEnabled(false);
    EXPECT_TRUE(router.tap({110, 110}));
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ(button->state(), UIControlStateDisabled);

    // An action that removes the button from its window does not pull it out from under the tracking.
    button->setEnabled(true);
    UIButton* raw = button.get();
    button->addTargetActionForControlEvents(window.get(), [raw] { raw->removeFromSuperview(); },
                                            UIControlEventTouchUpInside);
    std::weak_ptr<UIButton> weak = button;
    button.reset();
    EXPECT_TRUE(router.tap({110, 110}));
    EXPECT_TRUE(weak.expired());
}

TEST(Control, ButtonShowsEachStatesValuesFallingBackToNormal)
{
    auto normal = std::make_shared<UIImage>(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 290, 46), 1);
    auto pressed = std::make_shared<UIImage>(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 580, 92), 2);
    auto glyph = std::make_shared<UIImage>(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 20), 1);
    auto button = std::make_shared<UIButton>(UIButtonTypeCustom, CGRectMake(15, 201, 290, 46));
    button->setTitleForState("Clear", UIControlStateNormal);
    button->setTitleColorForState(UIColor::colorWithWhiteAlpha(0.15, 1), UIControlStateNormal);
    button->setTitleShadowColorForState(UIColor::whiteColor(), UIControlStateNormal);
    button->setBackgroundImageForState(normal, UIControlStateNormal);
    button->setBackgroundImageForState(pressed, UIControlStateHighlighted);
    button->titleLabel()->setFont(UIFont::boldSystemFontOfSize(UIFont::buttonFontSize()));
    button->titleLabel()->setShadowOffset(CGSizeMake(0, 1));

    EXPECT_EQ(button->currentTitle(), "Clear");
    EXPECT_EQ(button->currentBackgroundImage(), normal);
    EXPECT_EQ(button->titleLabel()->text(), "Clear");
    EXPECT_EQ(button->titleLabel()->textColor()->red(), 0.15);
    button->setHighlighted(true);
    EXPECT_EQ(button->currentBackgroundImage(), pressed);
    EXPECT_EQ(button->currentTitle(), "Clear");  // no highlighted title: the normal one
    EXPECT_EQ(button->titleForState(UIControlStateHighlighted), "");
    EXPECT_EQ(button->titleShadowOffset(), CGSizeMake(0, 1));
    button->setHighlighted(false);

    // Layout: background fills the bounds; title centred; an image sits to the left of the title.
    button->layoutIfNeeded();
    EXPECT_EQ(button->subviews()[0]->frame(), CGRectMake(0, 0, 290, 46));
    const CGRect title = button->titleLabel()->frame();
    EXPECT_NEAR(CGRectGetMidX(title), 145, 1);
    EXPECT_NEAR(CGRectGetMidY(title), 23, 1);
    button->setImageForState(glyph, UIControlStateNormal);
    button->layoutIfNeeded();
    const CGRect image = button->imageView()->frame();
    EXPECT_EQ(image.size, CGSizeMake(20, 20));
    EXPECT_EQ(CGRectGetMaxX(image), button->titleLabel()->frame().origin.x);
    EXPECT_NEAR((CGRectGetMinX(image) + CGRectGetMaxX(button->titleLabel()->frame())) / 2, 145, 1);

    // Defaults of the two types.
    auto custom = UIButton::buttonWithType(UIButtonTypeCustom);
    custom->setTitleForState("Show Older", UIControlStateNormal);
    EXPECT_EQ(custom->currentTitleColor()->red(), 1);
    auto push = UIButton::buttonWithType(UIButtonTypeRoundedRect);
    push->setTitleForState("OK", UIControlStateNormal);
    EXPECT_LT(push->currentTitleColor()->red(), 0.5);
    push->setHighlighted(true);
    EXPECT_EQ(push->currentTitleColor()->blue(), 1);  // white on the blue highlight
}

} // namespace
