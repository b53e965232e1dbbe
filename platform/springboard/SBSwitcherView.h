#pragma once

#include "SBApplication.h"
#include "SBIconView.h"
#include "UIView.h"

#include <functional>
#include <memory>
#include <vector>

// The application switcher: the screen dimmed above a tray along the bottom that holds the recent
// applications' icons, the latest first (as many as fit). A tap on an icon calls the choose handler with
// its application; a tap anywhere else calls it with null (the switcher closes).
class SBSwitcherView : public UIView {
public:
    static constexpr CGFloat kTrayHeight = 96;

    SBSwitcherView();

    void setApplications(const std::vector<std::shared_ptr<SBApplication>>& applications);
    void setChooseHandler(std::function<void(const std::shared_ptr<SBApplication>&)> handler)
    {
        choose_ = std::move(handler);
    }
    const std::vector<std::shared_ptr<SBIconView>>& iconViews() const { return iconViews_; }

    void layoutSubviews() override;
    void drawRect(CGRect rect) override;
    void touchesEndedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    std::string className() const override { return "SBSwitcherView"; }

private:
    std::vector<std::shared_ptr<SBIconView>> iconViews_;
    std::function<void(const std::shared_ptr<SBApplication>&)> choose_;
};
