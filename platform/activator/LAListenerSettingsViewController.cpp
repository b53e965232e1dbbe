#include "LAListenerSettingsViewController.h"

#include "UIScreen.h"

#include <cstdio>

LAListenerSettingsViewController::LAListenerSettingsViewController(LAActivator& activator) : activator_(activator)
{
    readGroups();
}

LAListenerSettingsViewController::~LAListenerSettingsViewController()
{
    if (table_) {
        table_->setDataSource(nullptr);
        table_->setDelegate(nullptr);
    }
}

void LAListenerSettingsViewController::setListenerName(std::string name)
{
    listenerName_ = std::move(name);
    if (table_) {
        table_->reloadData();
    }
}

UITableView* LAListenerSettingsViewController::table()
{
    view();
    return table_.get();
}

void LAListenerSettingsViewController::loadView()
{
    table_ = UITableView::initWithFrameStyle(UIScreen::mainScreen()->applicationFrame(), UITableViewStyle::Grouped);
    table_->setDataSource(this);
    table_->setDelegate(this);
    setView(table_);
}

void LAListenerSettingsViewController::viewWillAppear(bool animated)
{
    UIViewController::viewWillAppear(animated);
    readGroups();
    if (table_) {
        table_->reloadData();
    }
}

int LAListenerSettingsViewController::numberOfSectionsInTableView(UITableView&)
{
    return static_cast<int>(groups_.size());
}

int LAListenerSettingsViewController::numberOfRowsInSection(UITableView&, int section)
{
    return section >= 0 && section < static_cast<int>(groups_.size())
               ? static_cast<int>(groups_[static_cast<std::size_t>(section)].events.size())
               : 0;
}

std::shared_ptr<UITableViewCell> LAListenerSettingsViewController::cellForRowAtIndexPath(UITableView& table,
                                                                                       const NSIndexPath& path)
{
    const std::string* event = eventAt(path);
    if (!event) {
        return nullptr;
    }
    auto cell = table.dequeueReusableCellWithIdentifier("EventCell");
    if (!cell) {
        cell = UITableViewCell::initWithStyleReuseIdentifier(UITableViewCellStyle::Value1, "EventCell");
    }
    cell->textLabel()->setText(activator_.localizedTitleForEventName(*event));
    const bool assigned = !listenerName_.empty() && activator_.assignedListenerNameForEvent(*event) == listenerName_;
    cell->setAccessoryType(assigned ? UITableViewCellAccessoryType::Checkmark : UITableViewCellAccessoryType::None);
    return cell;
}

std::optional<std::string> LAListenerSettingsViewController::titleForHeaderInSection(UITableView&, int section)
{
    if (section < 0 || section >= static_cast<int>(groups_.size())) {
        return std::nullopt;
    }
    return groups_[static_cast<std::size_t>(section)].title;
}

void LAListenerSettingsViewController::didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    table.deselectRowAtIndexPath(path, true);
    const std::string* event = eventAt(path);
    if (!event || listenerName_.empty()) {
        return;
    }
    const bool assigned = activator_.assignedListenerNameForEvent(*event) == listenerName_;
    const auto failure = assigned ? activator_.unassignEvent(*event) : activator_.assignEvent(*event, listenerName_);
    if (failure) {
        std::fprintf(stderr, "LAListenerSettingsViewController: cannot %s %s: %s\n", assigned ? "unassign" : "assign",
                     event->c_str(), failure->reason().c_str());
    }
    table.reloadRowsAtIndexPaths({path}, UITableViewRowAnimation::None);
}

void LAListenerSettingsViewController::readGroups()
{
    groups_.clear();
    for (const std::string& event : activator_.availableEventNames()) {
        const std::string group = activator_.localizedGroupForEventName(event);
        if (groups_.empty() || groups_.back().title != group) {
            groups_.push_back({group, {}});
        }
        groups_.back().events.push_back(event);
    }
}

const std::string* LAListenerSettingsViewController::eventAt(const NSIndexPath& path) const
{
    if (path.section() < 0 || path.section() >= static_cast<int>(groups_.size())) {
        return nullptr;
    }
    const auto& events = groups_[static_cast<std::size_t>(path.section())].events;
    return path.row() >= 0 && path.row() < static_cast<int>(events.size()) ? &events[static_cast<std::size_t>(path.row())]
                                                                            : nullptr;
}
