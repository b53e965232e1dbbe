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
