#pragma once

#include "NSDictionary.h"

#include <cstddef>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <string>

// The records logged for pushes that carry a notification identifier, so that a later push with the same
// identifier (an update: new content for the same notification) replaces its record instead of adding one.
// For each of the last kRemembered identifiers it keeps the record last logged and a future that is ready
// once that record's write has returned, so the update's write can wait for the one it replaces (each
// record is written on a thread of its own, and threads may run in any order). An identifier forgotten
// makes its next update a new record. Main thread only.
class VTNotificationUpdates {
public:
    static constexpr std::size_t kRemembered = 256;

    struct Logged {
        std::shared_ptr<NSDictionary> record; // null when none was logged under the identifier
        std::shared_future<void> written;
    };

    // Remembers `latest` as the identifier's record and answers the one it replaces.
    Logged exchange(const std::string& identifier, Logged latest);

private:
    std::map<std::string, Logged> logged_;
    std::deque<std::string> order_; // identifiers, oldest first
};
