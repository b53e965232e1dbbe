#include "UIButton.h"

#include "UIGraphics.h"

#include <algorithm>
#include <cmath>

UIButton::UIButton(UIButtonType type, CGRect frame)
    : UIControl(frame),
      type_(type),
      backgroundView_(std::make_shared<UIImageView>()),
      imageView_(std::make_shared<UIImageView>()),
      titleLabel_(std::make_shared<UILabel>())
{
    setOpaque(false);
    titleLabel_->setBackgroundColor(UIColor::clearColor());
    titleLabel_->setFont(UIFont::boldSystemFontOfSize(15));
    titleLabel_->setTextAlignment(UITextAlignmentCenter);
    titleLabel_->setLineBreakMode(UILineBreakModeMiddleTruncation);
    addSubview(backgroundView_);
    addSubview(imageView_);
    addSubview(titleLabel_);
    updateAppearance();
}

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type) { return std::make_shared<UIButton>(type); }

template <class Value>
Value UIButton::lookUp(const std::map<unsigned, Value>& values, unsigned state)
{
    if (auto found = values.find(state); found != values.end()) {
        return found->second;
    }
    // Highlighted while selected falls back to highlighted, then selected, then normal.
    for (unsigned part : {static_cast<unsigned>(UIControlStateHighlighted), static_cast<unsigned>(UIControlStateSelected),
                          static_cast<unsigned>(UIControlStateDisabled)}) {
        if ((state & part) != 0) {
            if (auto found = values.find(part); found != values.end()) {
                return found->second;
            }
        }
    }
    if (auto found = values.find(UIControlStateNormal); found != values.end()) {
        return found->second;
    }
    return Value();
}

void UIButton::setTitleForState(std::string title, unsigned state)
{
    titles_[state] = std::move(title);
    updateAppearance();
}

void UIButton::setTitleColorForState(std::shared_ptr<UIColor> color, unsigned state)
{
    titleColors_[state] = std::move(color);
    updateAppearance();
}

void UIButton::setTitleShadowColorForState(std::shared_ptr<UIColor> color, unsigned state)
{
    titleShadowColors_[state] = std::move(color);
    updateAppearance();
}

void UIButton::setImageForState(std::shared_ptr<UIImage> image, unsigned state)
{
    images_[state] = std::move(image);
    updateAppearance();
}

void UIButton::setBackgroundImageForState(std::shared_ptr<UIImage> image, unsigned state)
{
    backgroundImages_[state] = std::move(image);
    updateAppearance();
}

namespace {
template <class Value>
Value exactly(const std::map<unsigned, Value>& values, unsigned state)
{
    auto found = values.find(state);
    return found != values.end() ? found->second : Value();
}
} // namespace

std::string UIButton::titleForState(unsigned state) const { return exactly(titles_, state); }
std::shared_ptr<UIColor> UIButton::titleColorForState(unsigned state) const { return exactly(titleColors_, state); }
std::shared_ptr<UIColor> UIButton::titleShadowColorForState(unsigned state) const
{
    return exactly(titleShadowColors_, state);
}
std::shared_ptr<UIImage> UIButton::imageForState(unsigned state) const { return exactly(images_, state); }
std::shared_ptr<UIImage> UIButton::backgroundImageForState(unsigned state) const
{
    return exactly(backgroundImages_, state);
}

std::shared_ptr<UIColor> UIButton::defaultTitleColor() const
{
    if (type_ == UIButtonTypeRoundedRect) {
        return isHighlighted() ? UIColor::whiteColor() : UIColor::colorWithRedGreenBlueAlpha(0.196, 0.31, 0.522, 1);
    }
    return UIColor::whiteColor();
}

std::string UIButton::currentTitle() const { return lookUp(titles_, state()); }

std::shared_ptr<UIColor> UIButton::currentTitleColor() const
{
    std::shared_ptr<UIColor> color = lookUp(titleColors_, state());
    if (type_ == UIButtonTypeRoundedRect && isHighlighted() && !exactly(titleColors_, state())) {
        return defaultTitleColor();  // a push button's title turns white on its blue highlight
    }
    return color ? color : defaultTitleColor();
}

std::shared_ptr<UIColor> UIButton::currentTitleShadowColor() const { return lookUp(titleShadowColors_, state()); }
std::shared_ptr<UIImage> UIButton::currentImage() const { return lookUp(images_, state()); }
std::shared_ptr<UIImage> UIButton::currentBackgroundImage() const { return lookUp(backgroundImages_, state()); }

void UIButton::setFont(std::shared_ptr<UIFont> font)
{
    titleLabel_->setFont(std::move(font));
    setNeedsLayout();
}

void UIButton::updateAppearance()
{
    titleLabel_->setText(currentTitle());
    titleLabel_->setTextColor(currentTitleColor());
    titleLabel_->setShadowColor(currentTitleShadowColor());
    titleLabel_->setHidden(currentTitle().empty());
    imageView_->setImage(currentImage());
    imageView_->setHidden(!currentImage());
    backgroundView_->setImage(currentBackgroundImage());
    backgroundView_->setHidden(!currentBackgroundImage());
    setNeedsLayout();
    setNeedsDisplay();
}

void UIButton::setHighlighted(bool highlighted)
{
    if (highlighted == isHighlighted()) {
        return;
    }
    UIControl::setHighlighted(highlighted);
    updateAppearance();
}

void UIButton::setEnabled(bool enabled)
{
    UIControl::setEnabled(enabled);
    updateAppearance();
}

void UIButton::setSelected(bool selected)
{
    UIControl::setSelected(selected);
    updateAppearance();
}

void UIButton::layoutSubviews()
{
    const CGRect b = bounds();
    backgroundView_->setFrame(b);
    const std::shared_ptr<UIImage> image = currentImage();
    const CGSize imageSize = image ? image->size() : CGSizeZero;
    const std::string title = currentTitle();
    CGSize titleSize = title.empty() ? CGSizeZero : sizeWithFont(title, titleLabel_->font());
    titleSize.width = std::min(titleSize.width, std::max<CGFloat>(0, b.size.width - imageSize.width));
    const CGFloat left = b.origin.x + std::floor((b.size.width - imageSize.width - titleSize.width) / 2);
    imageView_->setFrame(CGRectMake(left, b.origin.y + std::floor((b.size.height - imageSize.height) / 2),
                                    imageSize.width, imageSize.height));
    titleLabel_->setFrame(CGRectMake(left + imageSize.width,
                                     b.origin.y + std::floor((b.size.height - titleSize.height) / 2), titleSize.width,
                                     titleSize.height));
}

void UIButton::drawRect(CGRect)
{
    if (type_ != UIButtonTypeRoundedRect) {
        return;
    }
    CGContext* context = UIGraphicsGetCurrentContext();
    const CGRect panel = CGRectInset(bounds(), 0.5, 0.5);
    if (context == nullptr || CGRectIsNull(panel)) {
        return;
    }
    context->beginPath();
    context->addRoundedRect(panel, 9);
    if (isHighlighted()) {
        context->setRGBFillColor(0.02, 0.45, 0.93, 1);
    } else {
        context->setGrayFillColor(1, 1);
    }
    context->fillPath();
    context->beginPath();
    context->addRoundedRect(panel, 9);
    context->setGrayStrokeColor(0.55, 1);
    context->setLineWidth(1);
    context->strokePath();
}

CGSize UIButton::sizeThatFits(CGSize)
{
    const std::shared_ptr<UIImage> image = currentImage();
    const CGSize imageSize = image ? image->size() : CGSizeZero;
    const CGSize titleSize = sizeWithFont(currentTitle(), titleLabel_->font());
    CGSize size{imageSize.width + titleSize.width, std::max(imageSize.height, titleSize.height)};
    if (const std::shared_ptr<UIImage> background = currentBackgroundImage()) {
        size.width = std::max(size.width, background->size().width);
        size.height = std::max(size.height, background->size().height);
    }
    return size;
}
