// Desktop notifications on the shell, without the bus: pop-ups, buttons, and each way a notification closes.
#include "CrossProcessChannels.h"
#include "DesktopNotificationCenter.h"
#include "MSHookScope.h"
#include "NSRunLoop.h"
#include "ObjCClass.h"
#include "SBAlertItemsController.h"
#include "SBShell.h"
#include "SteppedClockScope.h"
#include "TemporaryDeviceRoot.h"
#include "UIAlertView.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

using Request = DesktopNotificationCenter::Request;

class DesktopNotifications : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::copy(std::filesystem::path(VANTLE_ARTWORK_DIR) / "Applications",
                              device.hostPath("/Applications"), std::filesystem::copy_options::recursive);
        CrossProcessChannels::useLoopback();
        shell.finishLaunching();
    }

    // Runs the main run loop after a step of the clock (a pop-up's fade takes 0.2 seconds).
    void step(double seconds)
    {
        clock.clock().advance(seconds);
        while (NSRunLoop::mainRunLoop().runOnce()) {
        }
    }
    std::vector<std::string> popUps() const
    {
        std::vector<std::string> shown;
        for (const auto& alert : shell.state().alerts) {
            shown.push_back(alert.title + " / " + alert.message);
        }
        return shown;
    }
    static std::vector<std::string> buttonsOfThePopUp()
    {
        std::vector<std::string> titles;
        const auto alerts = UIAlertView::visibleAlerts();
        for (int i = 0; !alerts.empty() && i < alerts.back()->numberOfButtons(); ++i) {
            titles.push_back(alerts.back()->buttonTitleAtIndex(i));
        }
        return titles;
    }
    static void tapButton(int index) { UIAlertView::visibleAlerts().back()->clickButtonAtIndex(index); }

    static Request request(std::string summary, std::int32_t timeout = -1)
    {
        Request r;
        r.appName = "make";
        r.summary = std::move(summary);
        r.expireTimeout = timeout;
        return r;
    }

    TemporaryDeviceRoot device;
    SteppedClockScope clock{800000000};
    SBShell shell;
    std::vector<std::string> events;
    DesktopNotificationCenter center{{
        [this](std::uint32_t id, DesktopNotificationCenter::CloseReason reason) {
            events.push_back("closed " + std::to_string(id) + " " + std::to_string(static_cast<int>(reason)));
        },
        [this](std::uint32_t id, const std::string& key) { events.push_back("action " + std::to_string(id) + " " + key); },
    }};
};

} // namespace

TEST_F(DesktopNotifications, APopUpOffersTheActionsAndATapInvokesOneThenCloses)
{
    Request build = request("Build finished");
    build.body = "All <b>212</b> tests passed";
    build.actions = {"default", "", "log", "Show Log", "a", "b", "too", "many"};
    const std::uint32_t id = center.notify(build);
    EXPECT_THAT(popUps(), ElementsAre("make / Build finished\nAll 212 tests passed"));
    EXPECT_THAT(buttonsOfThePopUp(), ElementsAre("Close", "Show Log", "b", "many")) << "the text is the default's";
    EXPECT_EQ(shell.state().sounds, std::vector<std::string>{"push-notification.caf"});

    tapButton(1);
    step(0.5);
    EXPECT_THAT(events, ElementsAre("action " + std::to_string(id) + " log", "closed " + std::to_string(id) + " 2"));
    EXPECT_THAT(popUps(), IsEmpty());
    EXPECT_EQ(center.liveCount(), 0u);

    center.notify(request("Plain"));
    tapButton(0);
    step(0.5);
    EXPECT_EQ(events.back(), "closed " + std::to_string(id + 1) + " 2") << "Close dismisses without an action";
}

TEST_F(DesktopNotifications, ClosingExpiringAndGivingWayEachReportTheirReasonAndTakeThePopUpAway)
{
    const std::uint32_t closed = center.notify(request("closed"));
    const std::uint32_t expiring = center.notify(request("expiring", 1500));
    Request critical = request("critical", 1500);
    critical.urgency = DesktopNotificationCenter::Urgency::Critical;
    const std::uint32_t kept = center.notify(critical);
    ASSERT_EQ(shell.state().alerts.size(), 1u) << "one pop-up at a time, the others wait";

    EXPECT_TRUE(center.close(closed));
    EXPECT_FALSE(center.close(closed)) << "a closed notification is gone";
    step(1.4);
    EXPECT_THAT(events, ElementsAre("closed " + std::to_string(closed) + " 3"));
    EXPECT_THAT(popUps(), ElementsAre("make / expiring"));
    step(0.2);
    step(0.5);
    EXPECT_EQ(events.back(), "closed " + std::to_string(expiring) + " 1");
    EXPECT_THAT(popUps(), ElementsAre("make / critical"));
    step(100000);
    EXPECT_THAT(popUps(), ElementsAre("make / critical")) << "a critical notification never expires";

    events.clear();
    for (std::size_t i = 0; i < DesktopNotificationCenter::kMaxLive; ++i) {
        center.notify(request("burst " + std::to_string(i)));
    }
    EXPECT_THAT(events, ElementsAre("closed " + std::to_string(kept) + " 4")) << "the oldest gives way";
    EXPECT_EQ(center.liveCount(), DesktopNotificationCenter::kMaxLive);
    step(0.5);
    EXPECT_THAT(popUps(), ElementsAre("make / burst 0"));
    EXPECT_EQ(SBAlertItemsController::sharedInstance()->pendingItems().size(), DesktopNotificationCenter::kMaxLive - 1);
}

TEST_F(DesktopNotifications, AReplacementKeepsItsIdAndShowsTheNewContentWithoutClosing)
{
    const std::uint32_t first = center.notify(request("first"));
    const std::uint32_t id = center.notify(request("Downloading 10%"));
    Request later = request("Downloading 90%");
    later.replacesId = id;
    EXPECT_EQ(center.notify(later), id);
    EXPECT_EQ(center.liveCount(), 2u);
    tapButton(0);
    step(0.5);
    EXPECT_THAT(popUps(), ElementsAre("make / Downloading 90%")) << "the replaced content never shows";
    EXPECT_THAT(events, ElementsAre("closed " + std::to_string(first) + " 2"));

    Request unknown = request("gone");
    unknown.replacesId = 4242;
    EXPECT_EQ(center.notify(unknown), 4242u) << "an id the client names is kept even when it is no longer live";
    EXPECT_NE(center.notify(request("new")), 4242u);
}

TEST_F(DesktopNotifications, APopUpTheShellHoldsBackClosesAfterItsIdIsAnswered)
{
    std::function<SBAlertItemsController::ActivateAlertItem> original;
    const MSHookScope gate(ObjCClass::lookUp("SBAlertItemsController"), "activateAlertItem:",
                           std::function<SBAlertItemsController::ActivateAlertItem>(
                               [](const std::shared_ptr<SBAlertItemsController>&, const std::shared_ptr<SBAlertItem>&) {}),
                           &original);
    Request quiet = request("held back");
    quiet.urgency = DesktopNotificationCenter::Urgency::Low;
    const std::uint32_t id = center.notify(quiet);
    EXPECT_THAT(events, IsEmpty()) << "not before the client knows the id";
    step(0);
    EXPECT_THAT(events, ElementsAre("closed " + std::to_string(id) + " 4"));
    EXPECT_THAT(popUps(), IsEmpty());
}

TEST_F(DesktopNotifications, HostileTextIsCutBeforeItIsShown)
{
    Request huge = request(std::string(100'000, 'S') + "\xFF");
    huge.body = "<b>" + std::string(10'000'000, 'x');
    huge.appName = std::string(1000, 'a');
    huge.actions = {"long", std::string(1000, 'L'), "odd"};
    center.notify(huge);
    const auto state = shell.state();
    ASSERT_EQ(state.alerts.size(), 1u);
    EXPECT_LE(state.alerts.front().message.size(),
              DesktopNotificationCenter::kMaxSummaryBytes + 1 + DesktopNotificationCenter::kMaxBodyBytes);
    EXPECT_LE(state.alerts.front().title.size(), DesktopNotificationCenter::kMaxNameBytes);
    EXPECT_EQ(buttonsOfThePopUp().size(), 2u) << "an action without a label is not offered";
    EXPECT_LE(buttonsOfThePopUp().back().size(), DesktopNotificationCenter::kMaxNameBytes);
}

TEST_F(DesktopNotifications, TheTextInvokesTheDefaultActionAndTheHintsSilenceThePopUp)
{
    struct Case {
        const char* name;
        std::vector<std::string> actions;
        bool suppressSound;
        DesktopNotificationCenter::Urgency urgency;
        bool sounds;
        bool textInvokesDefault;
    };
    using Urgency = DesktopNotificationCenter::Urgency;
    const std::vector<Case> cases = {
        {"default action", {"default", "Open", "later", "Later"}, false, Urgency::Normal, true, true},
        {"suppress-sound", {}, true, Urgency::Normal, false, false},
        {"low urgency", {"later", "Later"}, false, Urgency::Low, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        Request sent = request(c.name);
        sent.actions = c.actions;
        sent.suppressSound = c.suppressSound;
        sent.urgency = c.urgency;
        const std::size_t soundsBefore = shell.state().sounds.size();
        const std::uint32_t id = center.notify(sent);
        EXPECT_EQ(shell.state().sounds.size(), soundsBefore + (c.sounds ? 1 : 0));

        UIAlertView::visibleAlerts().back()->tapMessage();
        step(0.5);
        const std::string closed = "closed " + std::to_string(id) + " 2";
        if (c.textInvokesDefault) {
            EXPECT_THAT(events, ElementsAre("action " + std::to_string(id) + " default", closed));
            EXPECT_THAT(popUps(), IsEmpty());
        } else {
            EXPECT_THAT(events, IsEmpty()) << "the text of a pop-up without a default action takes no tap";
            tapButton(0);
            step(0.5);
            EXPECT_THAT(events, ElementsAre(closed));
        }
    }
}

TEST_F(DesktopNotifications, TheAnswerWaitsForWhateverLogsPushesAndComesAtOnceWhenNothingDoes)
{
    std::vector<std::string> answers;
    const auto answering = [&](const std::string& name) {
        return CPMessageReply([&answers, name](const std::optional<CPMessagingError>& error) {
            answers.push_back(error ? name + ": " + error->reason() : name);
        });
    };
    center.notify(request("no logger"), answering("no logger"));
    EXPECT_THAT(answers, ElementsAre("no logger")) << "no library in the shell logs pushes";

    std::vector<std::optional<CPMessageReply>> taken;
    std::function<SBRemoteLocalNotificationAlert::InitWithApplication> original;
    const MSHookScope logger(
        ObjCClass::lookUp("SBRemoteLocalNotificationAlert"), "initWithApplication:body:showActionButton:actionLabel:",
        std::function<SBRemoteLocalNotificationAlert::InitWithApplication>(
            [&](const std::shared_ptr<SBRemoteLocalNotificationAlert>& self, const std::shared_ptr<SBApplication>& app,
                const std::shared_ptr<NSString>& body, bool button, const std::shared_ptr<NSString>& label) {
                const auto alert = original(self, app, body, button, label);
                taken.push_back(alert->takeLogReceipt());
                return alert;
            }),
        &original);
    Request transient = request("transient");
    transient.transient = true;
    center.notify(transient, answering("transient"));
    EXPECT_THAT(answers, ElementsAre("no logger", "transient")) << "not logged: answered at once";
    EXPECT_THAT(taken, IsEmpty());

    center.notify(request("logged"), answering("logged"));
    ASSERT_EQ(taken.size(), 1u);
    ASSERT_TRUE(taken[0].has_value());
    EXPECT_EQ(answers.size(), 2u) << "the library that logs it answers";
    taken[0]->fail("disk full");
    EXPECT_THAT(answers, ElementsAre("no logger", "transient", "logged: disk full"));
}
