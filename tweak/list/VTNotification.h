#pragma once

#include "NSDate.h"
#include "NSObject.h"
#include "NSString.h"

#include <cstdint>
#include <memory>
#include <string>

// One entry of the panel's list: the text of one logged record, its date (null for a record whose "Date"
// is missing or not a date: such an entry is shown undated), its position in the list manager's records
// at the time of the sort, and whether it came from the new-notifications file. The text is the record's
// own string, shared rather than copied: a long log has an entry for every record.
class VTNotification final : public NSObject {
public:
    // `body` null: an entry without text (its record's "Body" is missing or not text).
    VTNotification(std::shared_ptr<NSString> body, std::int32_t index, std::shared_ptr<NSDate> date, bool isNew);
    VTNotification(std::string content, std::int32_t index, std::shared_ptr<NSDate> date, bool isNew)
        : VTNotification(NSString::stringWithString(std::move(content)), index, std::move(date), isNew)
    {
    }

    const std::string& content() const;
    void setContent(std::string content) { body_ = NSString::stringWithString(std::move(content)); }
    std::int32_t index() const { return index_; }
    void setIndex(std::int32_t index) { index_ = index; }
    const std::shared_ptr<NSDate>& date() const { return date_; }
    void setDate(std::shared_ptr<NSDate> date) { date_ = std::move(date); }
    bool isNewNotification() const { return newNotification_; }
    void setNewNotification(bool isNew) { newNotification_ = isNew; }

    // The key of the entry's collapsed state: its date as NSDate's description gives it (UTC, whole
    // seconds); empty for an undated entry, which has no collapsed state of its own.
    std::string collapsedKey() const { return date_ ? date_->description() : std::string(); }

    std::string className() const override { return "VTNotification"; }

private:
    std::shared_ptr<NSString> body_;
    std::shared_ptr<NSDate> date_;
    bool newNotification_ = false;
    std::int32_t index_ = 0;
};
