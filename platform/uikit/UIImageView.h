#pragma once

#include "UIImage.h"
#include "UIView.h"

// Shows an image in its bounds according to its content mode (scaled to fill by default; aspect fit,
// aspect fill and centred at its own size are also drawn), the highlighted image instead while
// highlighted (when it has one). Content beyond the bounds is never drawn. Not interactive by default.
class UIImageView : public UIView {
public:
    UIImageView();
    explicit UIImageView(CGRect frame);
    // The frame takes the image's size in points, at the origin.
    explicit UIImageView(std::shared_ptr<UIImage> image);
    static std::shared_ptr<UIImageView> initWithImage(std::shared_ptr<UIImage> image);

    const std::shared_ptr<UIImage>& image() const { return image_; }
    void setImage(std::shared_ptr<UIImage> image);
    const std::shared_ptr<UIImage>& highlightedImage() const { return highlightedImage_; }
    void setHighlightedImage(std::shared_ptr<UIImage> image);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);

    // The image drawn now, and the rectangle it is drawn in (bounds coordinates).
    std::shared_ptr<UIImage> displayedImage() const;
    CGRect imageRectForBounds(CGRect bounds) const;

    void drawRect(CGRect rect) override;
    CGSize sizeThatFits(CGSize size) override;

    std::string className() const override { return "UIImageView"; }

private:
    std::shared_ptr<UIImage> image_;
    std::shared_ptr<UIImage> highlightedImage_;
    bool highlighted_ = false;
};
