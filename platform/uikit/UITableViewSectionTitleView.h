#pragma once

#include "UIView.h"

#include <memory>
#include <string>

class UIFont;

// A section's header or footer title as a table draws it. Plain tables show a 22-point tinted bar with the
// title in white bold 18; grouped tables show the header in bold 17 and the footer in regular 15, both in
// a slate blue with a white shadow on the table's background, the header left-aligned with the cards' text
// and the footer centred, each wrapping over as many lines as it needs.
class UITableViewSectionTitleView final : public UIView {
public:
    enum class Kind { PlainHeader, PlainFooter, GroupedHeader, GroupedFooter };

    UITableViewSectionTitleView(Kind kind, std::string title);

    Kind kind() const { return kind_; }
    const std::string& title() const { return title_; }

    // The height the title takes in a table of the width, gaps included.
    static CGFloat heightForTitle(Kind kind, const std::string& title, CGFloat tableWidth);
    static std::shared_ptr<UIFont> fontForKind(Kind kind);

    void drawRect(CGRect rect) override;
    std::string className() const override { return "UITableViewSectionTitleView"; }

    // Grouped tables leave this much room above and below each card when a section has no titles.
    static constexpr CGFloat groupedGap = 10;
    static constexpr CGFloat plainHeight = 22;
    // Grouped titles are inset this far from the table's sides.
    static constexpr CGFloat groupedTitleInset = 20;

private:
    static CGFloat textHeight(Kind kind, const std::string& title, CGFloat tableWidth);

    const Kind kind_;
    const std::string title_;
};
