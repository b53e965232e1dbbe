#pragma once

#include "AppListViewController.h"
#include "CFNotificationCenter.h"
#include "CrossProcessChannels.h"
#include "NSRunLoop.h"
#include "SteppedClockScope.h"
#include "TemporaryDeviceRoot.h"
#include "UIAlertView.h"

#include <gtest/gtest.h>

#include <memory>

// What the tests of the bundle's hand-written pages share: a fresh device, stepped time, loopback channels,
// a count of the reload notifications the pages post, and the alerts they show. Alerts left up and the
// shared application picker are cleared after each test.
class SettingsPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CrossProcessChannels::useLoopback();
        CFNotificationCenter::getDarwinNotifyCenter().addObserver(
            "net.torvask.LoadSettings", [this](auto&&...) { ++reloads; }, this);
    }
    void TearDown() override
    {
        dismissAlerts();
        CFNotificationCenter::getDarwinNotifyCenter().removeEveryObserver(this);
        AppListViewController::disposeSharedListController();
        CrossProcessChannels::useLoopback();
    }

    // Runs what is due over two seconds of stepped time: deliveries, alert fades.
    void settle()
    {
        for (int step = 0; step < 4; ++step) {
            time.clock().advance(0.5);
            while (NSRunLoop::mainRunLoop().runOnce()) {
            }
        }
    }
    // The alert on top, or null.
    static std::shared_ptr<UIAlertView> alert()
    {
        const auto alerts = UIAlertView::visibleAlerts();
        return alerts.empty() ? nullptr : alerts.back();
    }
    void press(int button)
    {
        alert()->clickButtonAtIndex(button);
        settle();
    }
    void dismissAlerts()
    {
        while (alert()) {
            press(alert()->cancelButtonIndex());
        }
    }

    TemporaryDeviceRoot device;
    SteppedClockScope time { 1000.0 };
    int reloads = 0;
};
