#pragma once

// What the list model's tests share: a panel that records what the list manager tells it and shows a real
// table, a window controller that records launches, and a fixture with a fresh device root.

#include "../LogTestSupport.h"
#include "SteppedClockScope.h"
#include "UITableView.h"
#include "VTController.h"
#include "VTNotificationListWindow.h"
#include "VTSorter.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace listtest {

class RecordingController final : public VTController {
public:
    void launchAppWithIdentifier(const std::string& bundleIdentifier) override { launched.push_back(bundleIdentifier); }
    void toggleWindow() override {}
    bool isWindowShown() const override { return true; }
    void setShowWindow(bool) override {}

    std::vector<std::string> launched;
};

// The panel as the list manager sees it, with a 320 x 380 table that the manager answers.
class RecordingPanel final : public VTNotificationListWindow {
public:
    RecordingPanel() : table(UITableView::initWithFrameStyle(CGRectMake(0, 0, 320, 380), UITableViewStyle::Plain))
    {
        table->setEstimatedRowHeight(50); // as the shell's panel has it
    }
    ~RecordingPanel() override { release(); }

    void adopt(const std::shared_ptr<VTSorter>& manager)
    {
        listManager = manager;
        manager->setWindow(this);
        table->setDataSource(manager.get());
        table->setDelegate(manager.get());
    }
    void release()
    {
        table->setDataSource(nullptr);
        table->setDelegate(nullptr);
        listManager.reset();
    }

    void reloadContent() override
    {
        ++reloads;
        table->reloadData();
        if (onReload) {
            onReload();
        }
    }
    void finishedSorting() override { ++finishedSortings; }
    void setCount(unsigned value) override { count = value; }
    void setNoNotifications(bool value) override { noNotifications = value; }
    std::shared_ptr<UITableView> content() const override { return table; }
    VTController* controller() const override { return const_cast<RecordingController*>(&launcher); }
    double listWidth() const override { return 320; }

    std::shared_ptr<UITableView> table;
    std::shared_ptr<VTSorter> listManager;
    RecordingController launcher;
    // Called after each reload, for a test that looks at or changes what was just shown.
    std::function<void()> onReload;
    int reloads = 0;
    int finishedSortings = 0;
    unsigned count = 999;
    bool noNotifications = false;
};

// Hands each logged record to the open panel's list manager, as the window controller does.
class ForwardingLink final : public VTWindowLink {
public:
    void addNotification(const std::shared_ptr<NSDictionary>& plainRecord) override
    {
        if (manager) {
            manager->receivedNotification(plainRecord);
        }
    }
    bool isWindowShown() const override { return true; }

    std::shared_ptr<VTSorter> manager;
};

inline std::vector<std::string> bodiesOf(const VTSorter::Records& records)
{
    std::vector<std::string> result;
    for (const auto& record : records) {
        result.push_back(record->stringForKey("Body").value_or("?"));
    }
    return result;
}

// "A:2 B:1": each group's name and number of entries, a collapsed group marked with "-".
inline std::string shapeOf(const VTSorter::Groups& groups)
{
    std::string shape;
    for (const auto& group : groups) {
        shape += (shape.empty() ? "" : " ") + group->appName().value_or("?") + (group->isCollapsed() ? "-" : ":") +
                 std::to_string(group->count());
    }
    return shape;
}

class ListFixture : public logtest::LogFixture {
protected:
    // Loads on the calling (main) thread and publishes, as a panel's opening does.
    template <class Sorter>
    std::shared_ptr<VTSorter> open()
    {
        auto manager = std::make_shared<Sorter>();
        panel.adopt(manager);
        manager->loadNotifications();
        logtest::drain();
        return manager;
    }
    // Purges, flushes and lets go of the manager, as a panel's closing does.
    void close()
    {
        panel.listManager->purge();
        panel.listManager->flush();
        panel.release();
        logtest::drain();
    }

    RecordingPanel panel;
};

} // namespace listtest
