#pragma once

#include "VTSorter.h"

// The list by application: one group per application name, groups ordered by their newest record, entries
// newest first. A group's name and bundle identifier are those of its oldest record, which made it.
class VTSorterByApp final : public VTSorter {
public:
    explicit VTSorterByApp(NSRunLoop& main = NSRunLoop::mainRunLoop()) : VTSorter(main) {}

protected:
    Groups sortNotifications(const SortInput& input) const override;
    void mergeNewest(Groups newest, Groups& groups) const override;
};
