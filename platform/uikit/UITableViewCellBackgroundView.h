#pragma once

#include "UIView.h"

class CGContext;

#include <memory>

// The default background of a table cell, and its selected background.
//
// In a plain table only the selected background exists: a vertical gradient, blue or grey, over the whole
// cell. In a grouped table each cell's background is one piece of its section's rounded card: white, with
// a border in the table's separator colour, corners rounded where the piece begins or ends the section,
// and a separator line at its bottom unless it ends the section; the selected background is the same piece
// filled with the selection gradient.
class UITableViewCellBackgroundView final : public UIView {
public:
    enum class SectionLocation { Alone, Top, Middle, Bottom };
    enum class Fill { White, BlueSelection, GraySelection };

    UITableViewCellBackgroundView(bool grouped, Fill fill);

    bool isGrouped() const { return grouped_; }
    void setGrouped(bool grouped);
    Fill fill() const { return fill_; }
    void setFill(Fill fill);
    SectionLocation sectionLocation() const { return location_; }
    void setSectionLocation(SectionLocation location);
    const std::shared_ptr<UIColor>& separatorColor() const { return separatorColor_; }
    void setSeparatorColor(std::shared_ptr<UIColor> color);

    void drawRect(CGRect rect) override;

    std::string className() const override { return "UITableViewCellBackgroundView"; }

    static constexpr CGFloat cornerRadius = 9;

private:
    void addPiecePath(CGContext& context, CGRect rect) const;
    void fillPiece(CGContext& context, CGRect rect) const;

    bool grouped_;
    Fill fill_;
    SectionLocation location_ = SectionLocation::Alone;
    std::shared_ptr<UIColor> separatorColor_;
};
