#pragma once

#include "UIView.h"

enum UIActivityIndicatorViewStyle {
    UIActivityIndicatorViewStyleWhiteLarge = 0,
    UIActivityIndicatorViewStyleWhite = 1,
    UIActivityIndicatorViewStyleGray = 2,
};

// The spinner: twelve spokes around the centre, one of them brightest, the brightest advancing one spoke
// every twelfth of a second of the process clock while animating (each picture shows the state at the
// moment it is drawn). 20 points square (37 for the large style). With hidesWhenStopped (the default) it
// is hidden whenever it is not animating, from its creation on.
class UIActivityIndicatorView : public UIView {
public:
    explicit UIActivityIndicatorView(UIActivityIndicatorViewStyle style = UIActivityIndicatorViewStyleWhite);
    static std::shared_ptr<UIActivityIndicatorView> initWithActivityIndicatorStyle(UIActivityIndicatorViewStyle style);

    UIActivityIndicatorViewStyle activityIndicatorViewStyle() const { return style_; }
    void setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style);
    bool hidesWhenStopped() const { return hidesWhenStopped_; }
    void setHidesWhenStopped(bool hides);

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return animating_; }

    // The brightest spoke (0..11, clockwise from the top) at the clock's current time.
    int leadingSpoke() const;

    void drawRect(CGRect rect) override;
    CGSize sizeThatFits(CGSize size) override;

    std::string className() const override { return "UIActivityIndicatorView"; }

private:
    CGFloat side() const { return style_ == UIActivityIndicatorViewStyleWhiteLarge ? 37 : 20; }

    UIActivityIndicatorViewStyle style_;
    bool hidesWhenStopped_ = true;
    bool animating_ = false;
    double startedAt_ = 0;
};
