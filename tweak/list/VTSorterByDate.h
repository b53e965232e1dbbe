#pragma once

#include "VTSorter.h"

// The list in date order: each run of consecutive records of one application is a group, so an application
// can head several groups. A group's bundle identifier is that of its newest record.
class VTSorterByDate final : public VTSorter {
public:
    explicit VTSorterByDate(NSRunLoop& main = NSRunLoop::mainRunLoop()) : VTSorter(main) {}

protected:
    Groups sortNotifications(const SortInput& input) const override;
    void mergeNewest(Groups newest, Groups& groups) const override;
    // A group is a run of consecutive records, so the newest runs are the first groups.
    bool groupsFromNewestRecordsAlone() const override { return true; }
};
