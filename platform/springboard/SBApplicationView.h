#pragma once

#include "CGContext.h"
#include "SBApplication.h"
#include "UIView.h"

#include <memory>

class UIImage;

// The application in the foreground: a plain light screen with a title bar holding its name, and its
// icon and name in the middle.
class SBApplicationView : public UIView {
public:
    SBApplicationView();

    void setApplication(std::shared_ptr<SBApplication> application);
    const std::shared_ptr<SBApplication>& application() const { return application_; }

    void drawRect(CGRect rect) override;
    std::string className() const override { return "SBApplicationView"; }

private:
    void drawTitleBar(CGContext& context) const;

    std::shared_ptr<SBApplication> application_;
    std::shared_ptr<UIImage> icon_;
};
