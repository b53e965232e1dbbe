#pragma once

#include "NSDictionary.h"
#include "UITableViewDataSource.h"
#include "UITableViewDelegate.h"

#include <memory>

class VTNotificationListWindow;

// The model behind the panel, one per opening: it reads the two log files into one list of records, has
// them sorted into groups, answers the table (as its data source and delegate), deletes entries, loads
// the older entries on request, and on closing writes everything it holds back as read.
//
// Threads: `loadNotifications` runs on a job thread of its own; everything else on the main thread.
class VTNotificationListManager : public UITableViewDataSource, public UITableViewDelegate {
public:
    ~VTNotificationListManager() override = default;

    // Reads the log and sorts it (`reloadNotifications(true)`). Job thread.
    virtual void loadNotifications() = 0;
    // Sorts again, after reading the files anew when `fromDisk`.
    virtual void reloadNotifications(bool fromDisk) = 0;
    // A record just appended to the log while the panel is shown: listed first, as new. Main thread: the
    // window controller passes on the store's hand-over as it happens, so that the manager can ask
    // PLWriter::appendNumberBeingHandedOver whether its own read of the log already had the record.
    virtual void receivedNotification(const std::shared_ptr<NSDictionary>& record) = 0;
    // Drops the lists and removes the new, old and collapsed files.
    virtual void clear() = 0;
    // Writes every record held back to the old-notifications file, new ones first, cut to "Items To
    // Keep", removes the new-notifications file and saves the collapsed groups.
    virtual void purge() = 0;
    // Drops the lists and the collapsed state.
    virtual void flush() = 0;
    virtual void collapse() = 0;
    virtual void expand() = 0;

    virtual VTNotificationListWindow* window() const = 0;
    virtual void setWindow(VTNotificationListWindow* window) = 0;
    virtual bool isBusy() const = 0;
    virtual void setBusy(bool busy) = 0;
};
