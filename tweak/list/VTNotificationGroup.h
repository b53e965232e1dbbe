#pragma once

#include "NSDictionary.h"
#include "NSObject.h"
#include "UIImage.h"
#include "VTNotification.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One application group of the panel's list: the application's name (groups are matched by it) and bundle
// identifier as the record that made the group carried them (either may be absent), its entries in display
// order, whether only its header shows, and its icon, asked for once it is first wanted.
class VTNotificationGroup final : public NSObject {
public:
    // Answers the icon of a record that holds only "Application" and "Bundle Identifier".
    using IconSource = std::function<std::shared_ptr<UIImage>(const NSDictionary& record)>;

    // Empty and collapsed: the sorts clear the flag as soon as an entry without the collapsed mark joins.
    VTNotificationGroup() = default;
    VTNotificationGroup(std::optional<std::string> appName, std::optional<std::string> bundleID);

    const std::optional<std::string>& appName() const { return appName_; }
    void setAppName(std::optional<std::string> name) { appName_ = std::move(name); }
    const std::optional<std::string>& bundleID() const { return bundleID_; }
    void setBundleID(std::optional<std::string> bundleID) { bundleID_ = std::move(bundleID); }
    const std::vector<std::shared_ptr<VTNotification>>& notifications() const { return notifications_; }
    void setNotifications(std::vector<std::shared_ptr<VTNotification>> entries) { notifications_ = std::move(entries); }
    bool isCollapsed() const { return collapsed_; }
    void setCollapsed(bool collapsed) { collapsed_ = collapsed; }

    void addItem(std::shared_ptr<VTNotification> entry) { notifications_.push_back(std::move(entry)); }
    // Puts the entries, in their order, before the ones held.
    void insertItemsAtFront(const std::vector<std::shared_ptr<VTNotification>>& entries)
    {
        notifications_.insert(notifications_.begin(), entries.begin(), entries.end());
    }
    void toggleCollapsed() { collapsed_ = !collapsed_; }
    std::size_t count() const { return notifications_.size(); }

    // The cached icon, or the source's answer for a record made of the group's name and bundle identifier
    // (an empty record when the group has no bundle identifier). A null answer is not cached, so the next
    // call asks again. The source is the application services' iconForNotification unless given.
    std::shared_ptr<UIImage> icon(const IconSource& source = {});
    // The record the icon is asked for.
    std::shared_ptr<NSDictionary> iconRecord() const;

    // "Group with 3 notifications of app: Mail".
    std::string description() const override;
    std::string className() const override { return "VTNotificationGroup"; }

private:
    std::optional<std::string> appName_;
    std::optional<std::string> bundleID_;
    std::shared_ptr<UIImage> icon_;
    std::vector<std::shared_ptr<VTNotification>> notifications_;
    bool collapsed_ = true;
};
