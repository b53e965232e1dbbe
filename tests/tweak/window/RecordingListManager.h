#pragma once

// A list manager that records what the panel asks of it and shows a fixed list of texts, one row each. Its
// loading reports back on the main thread as the real one does: spinner stopped, count, empty state,
// reload.

#include "Mutex.h"
#include "MutexLocker.h"
#include "NSRunLoop.h"
#include "NSThread.h"
#include "ThreadSafety.h"
#include "UITableView.h"
#include "UITableViewCell.h"
#include "VTNotificationListManager.h"
#include "VTNotificationListWindow.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

class RecordingListManager final : public VTNotificationListManager,
                                   public std::enable_shared_from_this<RecordingListManager> {
public:
    explicit RecordingListManager(std::vector<std::string> rows = {}) : rows_(std::move(rows)) {}

    void loadNotifications() override
    {
        note("loadNotifications");
        NSRunLoop::performOnMainThread(
            [weak = weak_from_this()] {
                if (const auto manager = weak.lock()) {
                    manager->reportSorted();
                }
            },
            false);
    }
    void reloadNotifications(bool) override { note("reloadNotifications"); }
    void receivedNotification(const std::shared_ptr<NSDictionary>&) override
    {
        note(NSThread::isMainThread() ? "receivedNotification on main" : "receivedNotification elsewhere");
    }
    void clear() override { note("clear"); }
    void purge() override { note("purge"); }
    void flush() override { note("flush"); }
    void collapse() override { note("collapse"); }
    void expand() override { note("expand"); }
    VTNotificationListWindow* window() const override { return window_; }
    void setWindow(VTNotificationListWindow* window) override { window_ = window; }
    bool isBusy() const override { return false; }
    void setBusy(bool) override {}

    int numberOfRowsInSection(UITableView&, int) override
    {
        note("numberOfRowsInSection");
        return static_cast<int>(rows_.size());
    }
    double heightForRowAtIndexPath(UITableView& table, const NSIndexPath&) override
    {
        note("heightForRowAtIndexPath");
        return table.rowHeight();
    }
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView&, const NSIndexPath& path) override
    {
        auto cell = UITableViewCell::initWithStyleReuseIdentifier(UITableViewCellStyle::Default, "Cell");
        cell->textLabel()->setText(rows_.at(static_cast<std::size_t>(path.row())));
        return cell;
    }

    std::vector<std::string> calls() const
    {
        const MutexLocker guard(mutex_);
        return calls_;
    }
    void forgetCalls()
    {
        const MutexLocker guard(mutex_);
        calls_.clear();
    }
    // How often the call was made.
    int count(const std::string& call) const
    {
        const auto made = calls();
        return static_cast<int>(std::count(made.begin(), made.end(), call));
    }

private:
    void note(std::string call)
    {
        const MutexLocker guard(mutex_);
        calls_.push_back(std::move(call));
    }
    void reportSorted()
    {
        if (!window_) {
            return;
        }
        window_->finishedSorting();
        window_->setCount(static_cast<unsigned>(rows_.size()));
        window_->setNoNotifications(rows_.empty());
        window_->reloadContent();
    }

    const std::vector<std::string> rows_;
    VTNotificationListWindow* window_ = nullptr;
    mutable Mutex mutex_;
    std::vector<std::string> calls_ VT_GUARDED_BY(mutex_);
};
