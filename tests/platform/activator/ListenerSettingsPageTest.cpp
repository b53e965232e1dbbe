#include "CrossProcessChannels.h"
#include "LAListenerSettingsViewController.h"
#include "NSRunLoop.h"
#include "TemporaryDeviceRoot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ListenerSettingsPage, ListsTheEventsByGroupAndTapsAssignOrUnassignThem)
{
    CrossProcessChannels::useLoopback();
    TemporaryDeviceRoot device;
    LAActivator activator;
    ASSERT_EQ(activator.assignEvent(LAActivator::kMenuPressDouble, "someone.else"), std::nullopt);
    LAListenerSettingsViewController page(activator);
    page.setListenerName("net.torvask.Vantle");
    UITableView& table = *page.table();
    table.reloadData();

    ASSERT_EQ(page.numberOfSectionsInTableView(table), 5);
    EXPECT_EQ(page.titleForHeaderInSection(table, 0), "Status Bar");
    EXPECT_EQ(page.titleForHeaderInSection(table, 1), "Home Button");
    const NSIndexPath swipeDown(0, 0);
    const NSIndexPath doublePress(1, 1);
    EXPECT_EQ(page.cellForRowAtIndexPath(table, swipeDown)->textLabel()->text(), "Swipe Down");
    EXPECT_EQ(page.cellForRowAtIndexPath(table, swipeDown)->accessoryType(), UITableViewCellAccessoryType::None);

    page.didSelectRowAtIndexPath(table, swipeDown);
    page.didSelectRowAtIndexPath(table, doublePress);
    EXPECT_EQ(activator.assignedListenerNameForEvent(LAActivator::kStatusBarSwipeDown), "net.torvask.Vantle");
    EXPECT_EQ(activator.assignedListenerNameForEvent(LAActivator::kMenuPressDouble), "net.torvask.Vantle")
        << "taken from the other listener";
    EXPECT_EQ(page.cellForRowAtIndexPath(table, swipeDown)->accessoryType(), UITableViewCellAccessoryType::Checkmark);

    page.didSelectRowAtIndexPath(table, swipeDown);
    EXPECT_EQ(activator.assignedListenerNameForEvent(LAActivator::kStatusBarSwipeDown), std::nullopt);
    EXPECT_EQ(page.cellForRowAtIndexPath(table, swipeDown)->accessoryType(), UITableViewCellAccessoryType::None);
    while (NSRunLoop::mainRunLoop().runOnce()) {
    }
    CrossProcessChannels::useLoopback();
}

} // namespace
