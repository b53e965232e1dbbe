#pragma once

#include "UIControl.h"
#include "UIImage.h"
#include "UIImageView.h"
#include "UILabel.h"

#include <map>
#include <string>

enum UIButtonType {
    UIButtonTypeCustom = 0,
    UIButtonTypeRoundedRect = 1,
};

// A control showing a title and an image side by side, centred, over a background image that fills it.
// Title, title colour, title shadow colour, image and background image are set per state; a state without
// its own value shows the normal state's. A custom button draws nothing else (white title by default); a
// rounded-rect (push) button draws a white rounded panel with a grey border and a blue title, filled blue
// with a white title while highlighted. The title label's font (bold 15 by default) and shadow offset are
// set on titleLabel(). Highlighting follows the touch (see UIControl).
class UIButton : public UIControl {
public:
    explicit UIButton(UIButtonType type = UIButtonTypeCustom, CGRect frame = CGRectZero);
    static std::shared_ptr<UIButton> buttonWithType(UIButtonType type);

    UIButtonType buttonType() const { return type_; }

    void setTitleForState(std::string title, unsigned state);
    void setTitleColorForState(std::shared_ptr<UIColor> color, unsigned state);
    void setTitleShadowColorForState(std::shared_ptr<UIColor> color, unsigned state);
    void setImageForState(std::shared_ptr<UIImage> image, unsigned state);
    void setBackgroundImageForState(std::shared_ptr<UIImage> image, unsigned state);

    // The values stored for exactly this state (null or empty when none).
    std::string titleForState(unsigned state) const;
    std::shared_ptr<UIColor> titleColorForState(unsigned state) const;
    std::shared_ptr<UIColor> titleShadowColorForState(unsigned state) const;
    std::shared_ptr<UIImage> imageForState(unsigned state) const;
    std::shared_ptr<UIImage> backgroundImageForState(unsigned state) const;

    // What the button shows in its current state.
    std::string currentTitle() const;
    std::shared_ptr<UIColor> currentTitleColor() const;
    std::shared_ptr<UIColor> currentTitleShadowColor() const;
    std::shared_ptr<UIImage> currentImage() const;
    std::shared_ptr<UIImage> currentBackgroundImage() const;

    UILabel* titleLabel() const { return titleLabel_.get(); }
    UIImageView* imageView() const { return imageView_.get(); }
    // The older direct forms of the title label's shadow offset and font.
    void setTitleShadowOffset(CGSize offset) { titleLabel_->setShadowOffset(offset); }
    CGSize titleShadowOffset() const { return titleLabel_->shadowOffset(); }
    void setFont(std::shared_ptr<UIFont> font);

    void setHighlighted(bool highlighted) override;
    void setEnabled(bool enabled) override;
    void setSelected(bool selected) override;
    void layoutSubviews() override;
    void drawRect(CGRect rect) override;
    CGSize sizeThatFits(CGSize size) override;

    std::string className() const override { return "UIButton"; }

private:
    template <class Value>
    static Value lookUp(const std::map<unsigned, Value>& values, unsigned state);
    void updateAppearance();
    std::shared_ptr<UIColor> defaultTitleColor() const;

    const UIButtonType type_;
    std::map<unsigned, std::string> titles_;
    std::map<unsigned, std::shared_ptr<UIColor>> titleColors_;
    std::map<unsigned, std::shared_ptr<UIColor>> titleShadowColors_;
    std::map<unsigned, std::shared_ptr<UIImage>> images_;
    std::map<unsigned, std::shared_ptr<UIImage>> backgroundImages_;
    std::shared_ptr<UIImageView> backgroundView_;
    std::shared_ptr<UIImageView> imageView_;
    std::shared_ptr<UILabel> titleLabel_;
};
