#include "VTSorterByApp.h"

#include <string>
#include <unordered_map>
#include <vector>

// Walks the records newest first: a group is made by the newest record of its application and placed where
// that record falls, so groups come out ordered by their newest record and entries newest first. Each older
// record of the group then gives it its bundle identifier, so the group ends with the oldest record's, as
// the one made by that record. A record without an application name has a group of its own.
VTSorter::Groups VTSorterByApp::sortNotifications(const SortInput& input) const
{
    Groups groups;
    std::unordered_map<std::string, std::shared_ptr<VTNotificationGroup>> byName;
    for (std::size_t i = 0; i < input.records.size(); ++i) {
        const NSDictionary& record = *input.records[i];
        const auto name = applicationNameOf(record);
        const auto found = name ? byName.find(*name) : byName.end();
        std::shared_ptr<VTNotificationGroup> group;
        if (found != byName.end()) {
            group = found->second;
            group->setBundleID(bundleIdentifierOf(record));
        } else {
            group = groupFor(record);
            groups.push_back(group);
            if (name) {
                byName.emplace(*name, group);
            }
        }
        const auto entry = entryAt(input, i);
        group->addItem(entry);
        applyCollapsedRule(input, *group, *entry);
    }
    return groups;
}

// An application with a new record moves to the front, in the order of its newest record; the group held
// keeps its name and bundle identifier (its oldest record's) and takes the new entries first.
void VTSorterByApp::mergeNewest(Groups newest, Groups& groups) const
{
    if (newest.empty()) {
        return;
    }
    std::unordered_map<std::string, std::size_t> held;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (groups[i]->appName()) {
            held.emplace(*groups[i]->appName(), i);
        }
    }
    std::vector<bool> moved(groups.size(), false);
    for (auto& group : newest) {
        const auto found = group->appName() ? held.find(*group->appName()) : held.end();
        if (found == held.end()) {
            continue;
        }
        const auto& older = groups[found->second];
        older->insertItemsAtFront(group->notifications());
        older->setCollapsed(older->isCollapsed() && group->isCollapsed());
        group = older;
        moved[found->second] = true;
    }
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (!moved[i]) {
            newest.push_back(std::move(groups[i]));
        }
    }
    groups = std::move(newest);
}
