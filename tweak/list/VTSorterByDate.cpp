#include "VTSorterByDate.h"

VTSorter::Groups VTSorterByDate::sortNotifications(const SortInput& input) const
{
    Groups groups;
    std::shared_ptr<VTNotificationGroup> current;
    for (std::size_t i = 0; i < input.records.size(); ++i) {
        const NSDictionary& record = *input.records[i];
        const auto entry = entryAt(input, i);
        if (!current || !belongsTo(record, *current)) {
            current = groupFor(record);
            groups.push_back(current);
        }
        current->addItem(entry);
        applyCollapsedRule(input, *current, *entry);
    }
    return groups;
}

// The newest run joins the first group when both are of one application; the new groups go in front.
void VTSorterByDate::mergeNewest(Groups newest, Groups& groups) const
{
    if (newest.empty()) {
        return;
    }
    auto& last = newest.back();
    if (!groups.empty() && last->appName() && last->appName() == groups.front()->appName()) {
        const auto& older = groups.front();
        if (older->bundleID() == last->bundleID()) {
            // The group held keeps its icon, asked for the same record.
            older->insertItemsAtFront(last->notifications());
            older->setCollapsed(older->isCollapsed() && last->isCollapsed());
            last = older;
        } else {
            // The run's newest record names the group: it takes the held entries after its own.
            for (const auto& entry : older->notifications()) {
                last->addItem(entry);
            }
            last->setCollapsed(last->isCollapsed() && older->isCollapsed());
        }
        groups.erase(groups.begin());
    }
    groups.insert(groups.begin(), newest.begin(), newest.end());
}
