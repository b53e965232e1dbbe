#pragma once

#include "UILabel.h"
#include "UITableViewCell.h"

#include <memory>
#include <string>

// A row of the plug-in catalogue, drawn like a shop listing: the developer in a small line above the title,
// both right of the icon, the price at the right end, a grey background lit along its top edge and shaded
// along its bottom edge. Style 0 is the darker grey, style 1 the lighter; rows alternate. Main thread only.
class AppStoreCell : public UITableViewCell {
public:
    enum Style : int { Dark = 0, Light = 1 };

    AppStoreCell(UITableViewCellStyle style, std::string reuseIdentifier);

    // Colours of the cell; values other than Dark and Light change nothing.
    void setAppStoreCellStyle(int style);
    // The price label at the right end, sized to its text.
    void setPriceTag(const std::string& price);
    void setFrame(CGRect frame) override;

    UILabel* textLabel() const override { return title_.get(); }
    UILabel* detailTextLabel() const override { return subtitle_.get(); }

    std::string className() const override { return "AppStoreCell"; }

private:
    std::shared_ptr<UIView> highlight_;
    std::shared_ptr<UIView> separator_;
    std::shared_ptr<UIView> background_;
    std::shared_ptr<UILabel> title_;
    std::shared_ptr<UILabel> subtitle_;
};
