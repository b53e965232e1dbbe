#include "VTSorterByApp.h"

#include <algorithm>

// Walks the records oldest first and moves the group of each to the front, so the group of the newest
// record ends up first and each group's entries newest first.
VTSorter::Groups VTSorterByApp::sortNotifications(const SortInput& input) const
{
    Groups groups;
    for (std::size_t i = input.records.size(); i-- > 0;) {
        const NSDictionary& record = *input.records[i];
        const auto entry = entryAt(input, i);
        std::shared_ptr<VTNotificationGroup> group;
        const auto found = std::find_if(groups.begin(), groups.end(),
                                        [&](const auto& candidate) { return belongsTo(record, *candidate); });
        if (found != groups.end()) {
            group = *found;
            groups.erase(found);
        } else {
            group = groupFor(record);
        }
        group->insertItemAtFront(entry);
        applyCollapsedRule(input, *group, *entry);
        groups.insert(groups.begin(), group);
    }
    return groups;
}
