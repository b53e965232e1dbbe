#include "UIImageView.h"

#include <algorithm>

UIImageView::UIImageView() : UIImageView(CGRectZero) {}

UIImageView::UIImageView(CGRect frame) : UIView(frame) { setUserInteractionEnabled(false); }

UIImageView::UIImageView(std::shared_ptr<UIImage> image)
    : UIImageView(image ? CGRectMake(0, 0, image->size().width, image->size().height) : CGRectZero)
{
    image_ = std::move(image);
}

std::shared_ptr<UIImageView> UIImageView::initWithImage(std::shared_ptr<UIImage> image)
{
    return std::make_shared<UIImageView>(std::move(image));
}

void UIImageView::setImage(std::shared_ptr<UIImage> image)
{
    image_ = std::move(image);
    setNeedsDisplay();
}

void UIImageView::setHighlightedImage(std::shared_ptr<UIImage> image)
{
    highlightedImage_ = std::move(image);
    setNeedsDisplay();
}

void UIImageView::setHighlighted(bool highlighted)
{
    highlighted_ = highlighted;
    setNeedsDisplay();
}

std::shared_ptr<UIImage> UIImageView::displayedImage() const
{
    return highlighted_ && highlightedImage_ ? highlightedImage_ : image_;
}

CGRect UIImageView::imageRectForBounds(CGRect bounds) const
{
    const std::shared_ptr<UIImage> image = displayedImage();
    if (!image) {
        return CGRectZero;
    }
    const CGSize natural = image->size();
    if (natural.width <= 0 || natural.height <= 0) {
        return CGRectZero;
    }
    CGSize size = natural;
    switch (contentMode()) {
    case UIViewContentModeScaleAspectFit:
    case UIViewContentModeScaleAspectFill: {
        const CGFloat sx = bounds.size.width / natural.width;
        const CGFloat sy = bounds.size.height / natural.height;
        const CGFloat s = contentMode() == UIViewContentModeScaleAspectFit ? std::min(sx, sy) : std::max(sx, sy);
        size = CGSizeMake(natural.width * s, natural.height * s);
        break;
    }
    case UIViewContentModeCenter:
        break;
    default:
        return bounds;
    }
    return CGRectMake(bounds.origin.x + (bounds.size.width - size.width) / 2,
                      bounds.origin.y + (bounds.size.height - size.height) / 2, size.width, size.height);
}

void UIImageView::drawRect(CGRect)
{
    if (const std::shared_ptr<UIImage> image = displayedImage()) {
        image->drawInRect(imageRectForBounds(bounds()));
    }
}

CGSize UIImageView::sizeThatFits(CGSize) { return image_ ? image_->size() : CGSizeZero; }
