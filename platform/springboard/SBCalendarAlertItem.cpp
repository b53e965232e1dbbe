#include "SBCalendarAlertItem.h"

#include "NSDateFormatter.h"
#include "ObjCClass.h"
#include "SBApplicationController.h"
#include "SBCalendarController.h"
#include "SBUIController.h"

std::shared_ptr<SBCalendarAlertItem> SBCalendarAlertItem::initWithDate(const std::shared_ptr<NSDate>& date,
                                                                       const std::shared_ptr<NSString>& timeZone,
                                                                       const std::shared_ptr<NSString>& title,
                                                                       const std::shared_ptr<NSString>& location,
                                                                       int eventId, bool isAllDay)
{
    const auto item = std::make_shared<SBCalendarAlertItem>();
    return item->runtimeClass().send<InitWithDate>("initWithDate:timeZone:title:location:eventId:isAllDay:", item,
                                                   date, timeZone, title, location, eventId, isAllDay);
}

void SBCalendarAlertItem::revealEvent()
{
    ++revealCount_;
    revealObservers().notify(this);
    if (auto calendar = SBApplicationController::sharedInstance().applicationWithDisplayIdentifier(kCalendarIdentifier)) {
        SBUIController::sharedInstance()->activateApplicationAnimated(calendar);
    }
}

ObserverList<const SBCalendarAlertItem*>& SBCalendarAlertItem::revealObservers()
{
    static ObserverList<const SBCalendarAlertItem*> observers;
    return observers;
}

std::string SBCalendarAlertItem::alertTitle() const
{
    return title_ && title_->length() > 0 ? title_->string() : "Event";
}

std::string SBCalendarAlertItem::alertMessage() const
{
    if (location_ && location_->length() > 0) {
        return location_->string();
    }
    if (allDay_ || !date_) {
        return "All Day";
    }
    NSDateFormatter formatter;
    formatter.setTimeStyle(NSDateFormatter::Style::Short);
    if (timeZone_ && timeZone_->length() > 0) {
        formatter.setTimeZoneName(timeZone_->string());
    }
    return formatter.stringFromDate(date_);
}

std::string SBCalendarAlertItem::soundName() const { return SBCalendarController::kAlertSound; }

void SBCalendarAlertItem::registerMethods(ObjCClass& cls)
{
    cls.addMethod<InitWithDate>("initWithDate:timeZone:title:location:eventId:isAllDay:", &SBCalendarAlertItem::initImp);
}

std::shared_ptr<SBCalendarAlertItem> SBCalendarAlertItem::initImp(const std::shared_ptr<SBCalendarAlertItem>& self,
                                                                  const std::shared_ptr<NSDate>& date,
                                                                  const std::shared_ptr<NSString>& timeZone,
                                                                  const std::shared_ptr<NSString>& title,
                                                                  const std::shared_ptr<NSString>& location,
                                                                  int eventId, bool isAllDay)
{
    self->date_ = date;
    self->timeZone_ = timeZone;
    self->title_ = title;
    self->location_ = location;
    self->eventId_ = eventId;
    self->allDay_ = isAllDay;
    return self;
}
