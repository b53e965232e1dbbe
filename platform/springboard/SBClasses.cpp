#include "SBClasses.h"

#include "ObjCClass.h"
#include "SBAlertItem.h"
#include "SBAlertItemsController.h"
#include "SBAwayItemsView.h"
#include "SBCalendarAlertItem.h"
#include "SBDiskSpaceAlertItem.h"
#include "SBLowPowerAlertItem.h"
#include "SBRemoteLocalNotificationAlert.h"
#include "SBSMSAlertItem.h"
#include "SBUIController.h"
#include "SBVoiceMailAlertItem.h"
#include "SpringBoard.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

void SBClasses::registerAll()
{
    static std::once_flag once;
    std::call_once(once, [] {
        SpringBoard::registerMethods(ObjCClass::registerClass("SpringBoard"));
        SBUIController::registerMethods(ObjCClass::registerClass("SBUIController"));
        SBAlertItemsController::registerMethods(ObjCClass::registerClass("SBAlertItemsController"));
        ObjCClass& alertItem = ObjCClass::registerClass("SBAlertItem");
        SBSMSAlertItem::registerMethods(ObjCClass::registerClass("SBSMSAlertItem", &alertItem));
        SBCalendarAlertItem::registerMethods(ObjCClass::registerClass("SBCalendarAlertItem", &alertItem));
        SBLowPowerAlertItem::registerMethods(ObjCClass::registerClass("SBLowPowerAlertItem", &alertItem));
        SBDiskSpaceAlertItem::registerMethods(ObjCClass::registerClass("SBDiskSpaceAlertItem", &alertItem));
        SBVoiceMailAlertItem::registerMethods(ObjCClass::registerClass("SBVoiceMailAlertItem", &alertItem));
        SBRemoteLocalNotificationAlert::registerMethods(
            ObjCClass::registerClass("SBRemoteLocalNotificationAlert", &alertItem));
        SBAwayItemsView::registerMethods(ObjCClass::registerClass("SBAwayItemsView"));
    });
}

const ObjCClass& SBClasses::classNamed(std::string_view name)
{
    registerAll();
    const ObjCClass* cls = ObjCClass::lookUp(name);
    if (cls == nullptr) {
        std::fprintf(stderr, "SpringBoard: no runtime class %s\n", std::string(name).c_str());
        std::abort();
    }
    return *cls;
}

namespace {

// The classes exist from the moment the library is loaded, as the shell's do when its binary starts.
[[maybe_unused]] const bool registeredOnLoad = (SBClasses::registerAll(), true);

} // namespace
