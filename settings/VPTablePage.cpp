#include "VPTablePage.h"

VPTablePage::VPTablePage(UITableViewStyle style)
    : style_(style)
{
}

VPTablePage::~VPTablePage() { viewDidUnload(); }

void VPTablePage::viewDidLoad()
{
    const auto bounds = view()->bounds();
    table_ = UITableView::initWithFrameStyle(CGRectMake(0, 0, bounds.size.width, bounds.size.height - 44), style_);
    table_->setDataSource(this);
    table_->setDelegate(this);
    table_->setAllowsSelection(true);
    configureTable(*table_);
    view()->addSubview(table_);
    PSViewController::viewDidLoad();
}

void VPTablePage::viewDidUnload()
{
    if (!table_) {
        return;
    }
    table_->setDataSource(nullptr);
    table_->setDelegate(nullptr);
    table_->removeFromSuperview();
    table_.reset();
}
