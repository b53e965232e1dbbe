#pragma once

#include "PSViewController.h"
#include "UITableView.h"

#include <memory>

// A hand-written page of the bundle: one table, made when the view loads, at the view's origin with its
// width and its height less the 44 points of the navigation bar, with this page as data source and
// delegate and selection allowed; released again when the view unloads. Main thread only.
class VPTablePage : public PSViewController, public UITableViewDataSource, public UITableViewDelegate {
public:
    explicit VPTablePage(UITableViewStyle style);
    ~VPTablePage() override;

    UITableView* table() const { return table_.get(); }

    void viewDidLoad() override;
    void viewDidUnload() override;

protected:
    // Adjusts the new table before it is added to the view.
    virtual void configureTable(UITableView&) { }

private:
    UITableViewStyle style_;
    std::shared_ptr<UITableView> table_;
};
