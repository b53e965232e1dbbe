#pragma once

#include "NSDate.h"
#include "NSString.h"
#include "ObserverList.h"
#include "SBAlertItem.h"

#include <atomic>
#include <memory>

class ObjCClass;

// The pop-up of a calendar alarm: the event's title, and its location (else its time, or "All Day").
// `revealEvent` shows the event of the alarm: the Calendar application comes to the front; each request is
// counted and offered to the observers of the class.
//
// Through the runtime ("SBCalendarAlertItem"):
//   "initWithDate:timeZone:title:location:eventId:isAllDay:"
//       InitWithDate: std::shared_ptr<SBCalendarAlertItem>(const std::shared_ptr<SBCalendarAlertItem>& self,
//           const std::shared_ptr<NSDate>& date, const std::shared_ptr<NSString>& timeZone,
//           const std::shared_ptr<NSString>& title, const std::shared_ptr<NSString>& location,
//           int eventId, bool isAllDay)
//       answers the initialised item (self). Each object argument may be null; timeZone is an Olson name.
class SBCalendarAlertItem : public SBAlertItem {
public:
    using InitWithDate = std::shared_ptr<SBCalendarAlertItem>(
        const std::shared_ptr<SBCalendarAlertItem>&, const std::shared_ptr<NSDate>&, const std::shared_ptr<NSString>&,
        const std::shared_ptr<NSString>&, const std::shared_ptr<NSString>&, int, bool);
    static constexpr const char* kCalendarIdentifier = "com.apple.mobilecal";

    // Makes an item and sends it "initWithDate:timeZone:title:location:eventId:isAllDay:".
    static std::shared_ptr<SBCalendarAlertItem> initWithDate(const std::shared_ptr<NSDate>& date,
                                                             const std::shared_ptr<NSString>& timeZone,
                                                             const std::shared_ptr<NSString>& title,
                                                             const std::shared_ptr<NSString>& location, int eventId,
                                                             bool isAllDay);

    void revealEvent();
    int revealCount() const { return revealCount_.load(); }
    static ObserverList<const SBCalendarAlertItem*>& revealObservers();

    const std::shared_ptr<NSDate>& date() const { return date_; }
    const std::shared_ptr<NSString>& title() const { return title_; }
    const std::shared_ptr<NSString>& location() const { return location_; }
    int eventId() const { return eventId_; }
    bool isAllDay() const { return allDay_; }

    std::string alertTitle() const override;
    std::string alertMessage() const override;
    std::string dismissButtonTitle() const override { return "Close"; }
    std::string soundName() const override;
    std::string className() const override { return "SBCalendarAlertItem"; }

    static void registerMethods(ObjCClass& cls);

private:
    static std::shared_ptr<SBCalendarAlertItem> initImp(const std::shared_ptr<SBCalendarAlertItem>& self,
                                                        const std::shared_ptr<NSDate>& date,
                                                        const std::shared_ptr<NSString>& timeZone,
                                                        const std::shared_ptr<NSString>& title,
                                                        const std::shared_ptr<NSString>& location, int eventId,
                                                        bool isAllDay);

    std::atomic<int> revealCount_{0};
    std::shared_ptr<NSDate> date_;
    std::shared_ptr<NSString> timeZone_;
    std::shared_ptr<NSString> title_;
    std::shared_ptr<NSString> location_;
    int eventId_ = 0;
    bool allDay_ = false;
};
