// The shell's classes answer the methods of the hook table through the runtime: a replacement installed
// with MSHookMessage runs when the shell calls the method, and the implementation it was handed is the
// shell's own.
#include "MSHookScope.h"
#include "SBAlertItemsController.h"
#include "SBAwayItemsView.h"
#include "SBCalendarAlertItem.h"
#include "SBClasses.h"
#include "SBLowPowerAlertItem.h"
#include "SBSMSAlertItem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ObjCClass* runtimeClass(const char* name)
{
    SBClasses::registerAll();
    return ObjCClass::lookUp(name);
}

class ShellClassHooks : public ::testing::Test {
protected:
    void TearDown() override { SBAlertItemsController::sharedInstance()->removeAllItems(); }
};

} // namespace

TEST_F(ShellClassHooks, EveryMethodOfTheHookTableIsInTheRuntimeWithItsSignature)
{
    const auto answers = [](const char* cls, const char* selector) {
        return runtimeClass(cls) != nullptr && runtimeClass(cls)->instancesRespondToSelector(selector);
    };
    const std::vector<std::pair<const char*, const char*>> table = {
        {"SpringBoard", "noteInterfaceOrientationChanged:"},
        {"SpringBoard", "setNowPlayingInfo:forApplication:"},
        {"SBAlertItemsController", "activateAlertItem:"},
        {"SBSMSAlertItem", "setMessage:"},
        {"SBCalendarAlertItem", "initWithDate:timeZone:title:location:eventId:isAllDay:"},
        {"SBLowPowerAlertItem", "initWithLevel:"},
        {"SBDiskSpaceAlertItem", "init"},
        {"SBAwayItemsView", "_labelForAwayItem:count:"},
        {"SBAwayItemsView", "initWithFrame:"},
        {"SBUIController", "finishLaunching"},
        {"SBUIController", "activateApplicationAnimated:"},
        {"SBUIController", "activateApplicationFromSwitcher:"},
        {"SBRemoteLocalNotificationAlert", "initWithApplication:body:showActionButton:actionLabel:"},
        {"SBVoiceMailAlertItem", "initWithTitle:body:"},
    };
    for (const auto& [cls, selector] : table) {
        EXPECT_TRUE(answers(cls, selector)) << cls << " " << selector;
    }
    EXPECT_EQ(runtimeClass("SBSMSAlertItem")->superclass(), runtimeClass("SBAlertItem"));
}

TEST_F(ShellClassHooks, AReplacedSetterRunsAndChainsToTheShellsOwn)
{
    std::function<SBSMSAlertItem::SetMessage> original;
    std::vector<std::string> seen;
    const MSHookScope hook(
        runtimeClass("SBSMSAlertItem"), "setMessage:",
        std::function<SBSMSAlertItem::SetMessage>(
            [&](const std::shared_ptr<SBSMSAlertItem>& self, const std::shared_ptr<CKSMSMessage>& message) {
                original(self, message);
                seen.push_back(self->name() + ": " + self->messageText());
            }),
        &original);
    ASSERT_TRUE(hook.isInstalled());

    const auto item = std::make_shared<SBSMSAlertItem>();
    item->setMessage(std::make_shared<CKSMSMessage>("Anna", "Lunch?"));
    EXPECT_EQ(seen, std::vector<std::string>{"Anna: Lunch?"}) << "the shell's own setter ran before the replacement read";
}

TEST_F(ShellClassHooks, AReplacedInitialiserSeesAndPassesOnTheInitialisedItem)
{
    std::function<SBLowPowerAlertItem::InitWithLevel> original;
    int levelSeen = -1;
    const MSHookScope hook(runtimeClass("SBLowPowerAlertItem"), "initWithLevel:",
                           std::function<SBLowPowerAlertItem::InitWithLevel>(
                               [&](const std::shared_ptr<SBLowPowerAlertItem>& self, int level) {
                                   auto item = original(self, level);
                                   levelSeen = item->level();
                                   return item;
                               }),
                           &original);
    const auto item = SBLowPowerAlertItem::initWithLevel(20);
    EXPECT_EQ(levelSeen, 20);
    EXPECT_EQ(item->alertMessage(), "20% of battery remaining");
}

TEST_F(ShellClassHooks, AnAlertGateThatDoesNotCallThroughKeepsTheItemOffScreen)
{
    auto controller = SBAlertItemsController::sharedInstance();
    std::function<SBAlertItemsController::ActivateAlertItem> original;
    bool pass = false;
    int gated = 0;
    {
        const MSHookScope gate(runtimeClass("SBAlertItemsController"), "activateAlertItem:",
                               std::function<SBAlertItemsController::ActivateAlertItem>(
                                   [&](const std::shared_ptr<SBAlertItemsController>& self,
                                       const std::shared_ptr<SBAlertItem>& item) {
                                       ++gated;
                                       if (pass) {
                                           original(self, item);
                                       }
                                   }),
                               &original);
        controller->activateAlertItem(SBLowPowerAlertItem::initWithLevel(10));
        EXPECT_EQ(controller->visibleItem(), nullptr);
        pass = true;
        const auto shown = SBLowPowerAlertItem::initWithLevel(5);
        controller->activateAlertItem(shown);
        EXPECT_EQ(controller->visibleItem(), shown);
    }
    EXPECT_EQ(gated, 2);
    controller->activateAlertItem(SBLowPowerAlertItem::initWithLevel(1));
    EXPECT_EQ(gated, 2) << "the scope put the shell's own implementation back";
    EXPECT_EQ(controller->pendingItems().size(), 1u) << "one at a time: the next waits behind the visible one";
}

TEST_F(ShellClassHooks, TheAwayListAsksItsLabelsThroughTheRuntimeEachTimeItIsShown)
{
    std::function<SBAwayItemsView::LabelForAwayItem> original;
    std::vector<std::string> asked;
    const MSHookScope hook(runtimeClass("SBAwayItemsView"), "_labelForAwayItem:count:",
                           std::function<SBAwayItemsView::LabelForAwayItem>(
                               [&](const std::shared_ptr<SBAwayItemsView>& self, const std::shared_ptr<SBAwayItem>& item,
                                   int count) {
                                   asked.push_back(item->title() + "/" + std::to_string(count));
                                   return original(self, item, count);
                               }),
                           &original);
    const auto view = SBAwayItemsView::initWithFrame(CGRectMake(0, 0, 300, 100));
    view->setAwayItems({std::make_shared<SBAwayItem>(SBAwayItem::MissedCall, NSDate::date(), "Anna"),
                        std::make_shared<SBAwayItem>(SBAwayItem::MissedCall, NSDate::date(), "Anna")});
    view->reloadLabels();
    EXPECT_EQ(asked, (std::vector<std::string>{"Anna/2", "Anna/2", "Anna/2", "Anna/2"}));
    EXPECT_EQ(view->labels().front(), "Missed Call: Anna (2)");
}
