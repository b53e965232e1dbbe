#include "UISwitch.h"
#include "UITouchRouter.h"
#include "UIWindow.h"

#include <gtest/gtest.h>

namespace {

TEST(Switch, ATapFlipsItAndReportsTheChangeWhileSettingItInCodeReportsNothing)
{
    auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    auto control = std::make_shared<UISwitch>(CGRectMake(100, 100, 10, 10));
    window->addSubview(control);
    window->makeKeyAndVisible();
    int changes = 0;
    control->addTargetActionForControlEvents(&changes, [&] { ++changes; }, UIControlEventValueChanged);
    EXPECT_EQ(control->frame().size.width, UISwitch::width) << "a switch keeps its own size";

    UITouchRouter touches;
    ASSERT_TRUE(touches.tap(CGPointMake(140, 110)));
    EXPECT_TRUE(control->isOn());
    EXPECT_EQ(changes, 1);

    control->setOn(false);
    EXPECT_FALSE(control->isOn());
    EXPECT_EQ(changes, 1);
    window->setHidden(true);
}

} // namespace
