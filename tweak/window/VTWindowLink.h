#pragma once

#include "NSDictionary.h"

#include <memory>

// What the log store needs of the notification window: whether the panel is open, and handing it each
// newly logged record. The window controller implements it and installs itself as the shared link when
// it is created; until then there is no window, so the panel counts as closed and records go nowhere
// but the log.
class VTWindowLink {
public:
    virtual ~VTWindowLink() = default;

    // Called on the main thread with the plain record, after the record is in the log.
    virtual void addNotification(const std::shared_ptr<NSDictionary>& plainRecord) = 0;
    // May be called from any thread.
    virtual bool isWindowShown() const = 0;

    static std::shared_ptr<VTWindowLink> sharedLink();
    static void setSharedLink(std::shared_ptr<VTWindowLink> link);
    // `isWindowShown` of the shared link; false without one.
    static bool isSharedWindowShown();
};
