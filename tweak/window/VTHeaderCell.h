#pragma once

#include "GMBadgeView.h"
#include "UIImageView.h"
#include "UILabel.h"
#include "UITableViewCell.h"

#include <cstdint>
#include <memory>
#include <string>

// The header row of an application group: a pale-to-darker gradient between a white line at the top and a
// dark line at the bottom, the application's icon (32 points square with "Custom Icons" on, 29 off), its
// name, and the number of entries in a badge at the right. A touch darkens it for as long as it lasts.
// The icon and title sizes follow "Custom Icons" as it is when the cell is made; the row height the list
// manager gives matches them (44 on, 41 off).
class VTHeaderCell final : public UITableViewCell {
public:
    static constexpr double kIconOrigin = 9;
    static constexpr double kIconTop = 6;
    static constexpr double kTitleLeft = 50;
    static constexpr double kTitleGap = 8; // between the title's end and the badge
    static constexpr double kHighlightAlpha = 0.15;
    static constexpr double kHighlightDuration = 0.1;

    VTHeaderCell(UITableViewCellStyle style, std::string reuseIdentifier);

    std::int32_t count() const { return count_; }
    // Stores the number and sizes the badge to it.
    void setCount(std::int32_t count);
    const std::shared_ptr<UIImageView>& icon() const { return icon_; }
    const std::shared_ptr<UILabel>& title() const { return title_; }
    GMBadgeView& badge() const { return *badge_; }
    UIView& highlight() const { return *highlight_; }

    void flashHighlight();
    void unflashHighlight();

    void setFrame(CGRect frame) override;
    void layoutSubviews() override;
    void drawRect(CGRect rect) override;
    void touchesBeganWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesMovedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesEndedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesCancelledWithEvent(const UITouchSet& touches, UIEvent* event) override;

    std::string className() const override { return "VTHeaderCell"; }

private:
    void animateHighlight(const char* name, double alpha);

    std::shared_ptr<UIView> top_;
    std::shared_ptr<UIView> bottom_;
    std::shared_ptr<UIView> highlight_;
    std::shared_ptr<UIImageView> icon_;
    std::shared_ptr<UILabel> title_;
    std::shared_ptr<GMBadgeView> badge_;
    std::int32_t count_ = 0;
};
