#include "SBStatusBarWindow.h"

#include "UIScreen.h"

SBStatusBarWindow::SBStatusBarWindow()
    : UIWindow(UIScreen::mainScreen()->bounds())
    , statusBar_(std::make_shared<SBStatusBar>())
{
    setOpaque(false);
    setWindowLevel(UIWindowLevelStatusBar);
    addSubview(statusBar_);
}

bool SBStatusBarWindow::pointInsideWithEvent(CGPoint point, UIEvent*)
{
    if (!CGRectContainsPoint(statusBar_->frame(), point)) {
        return false;
    }
    return !letsThrough_ || !letsThrough_(CGPointApplyAffineTransform(point, transformToSuperview()));
}

void SBStatusBarWindow::layoutSubviews()
{
    statusBar_->setFrame(CGRectMake(0, 0, bounds().size.width, SBStatusBar::kHeight));
}
