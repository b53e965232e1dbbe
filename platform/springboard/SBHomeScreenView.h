#pragma once

#include "SBIconModel.h"
#include "SBIconView.h"
#include "UIView.h"

#include <functional>
#include <memory>
#include <vector>

// The home screen: the wallpaper and the installed applications' icons in a grid below the status bar,
// as many columns as the width holds (four in portrait, five in landscape), and a dock along the bottom
// holding the phone's, messages' and music's icons when they are installed. A tap on an icon calls the
// launch handler with its application.
class SBHomeScreenView : public UIView {
public:
    static constexpr CGFloat kDockHeight = 92;

    explicit SBHomeScreenView(SBIconModel& model);

    // Makes the icons again from the model (applications installed meanwhile appear).
    void reloadIcons();
    void setLaunchHandler(std::function<void(const std::shared_ptr<SBApplication>&)> handler);
    const std::vector<std::shared_ptr<SBIconView>>& iconViews() const { return iconViews_; }

    void layoutSubviews() override;
    void drawRect(CGRect rect) override;
    std::string className() const override { return "SBHomeScreenView"; }

private:
    void layOutGrid(const std::vector<SBIconView*>& views) const;
    void layOutDock(const std::vector<SBIconView*>& views) const;

    SBIconModel& model_;
    std::vector<std::shared_ptr<SBIconView>> iconViews_;
    std::function<void(const std::shared_ptr<SBApplication>&)> launch_;
};
