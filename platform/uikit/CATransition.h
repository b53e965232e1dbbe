#pragma once

#include "CAAnimation.h"
#include "UIImage.h"

#include <memory>
#include <string>
#include <string_view>

inline constexpr std::string_view kCATransitionFade = "fade";
inline constexpr std::string_view kCATransitionPageCurl = "pageCurl";
inline constexpr std::string_view kCATransitionPageUnCurl = "pageUnCurl";

// A transition between what a layer showed before (its content as of the last committed state, captured
// when the transition is added) and what it shows now. "pageCurl" folds the old picture back like a page
// along a line rising from the bottom edge, uncovering the new content beneath; "pageUnCurl" lays the new
// picture down over the old one the same way, in reverse; any other type cross-fades. startProgress and
// endProgress (0..1) cut the run short: a curl that ends at 0.78 stays folded back that far while the
// fill mode holds it.
class CATransition final : public CAAnimation {
public:
    static std::shared_ptr<CATransition> animation() { return std::make_shared<CATransition>(); }

    const std::string& type() const { return type_; }
    void setType(std::string_view type) { type_ = std::string(type); }
    const std::string& subtype() const { return subtype_; }
    void setSubtype(std::string_view subtype) { subtype_ = std::string(subtype); }
    double startProgress() const { return startProgress_; }
    void setStartProgress(double progress);
    double endProgress() const { return endProgress_; }
    void setEndProgress(double progress);

    // The transition's progress (startProgress..endProgress) shown at the time, if it shows anything.
    std::optional<double> transitionProgressAt(double now) const;

    // The picture of the layer before the change; set by the layer when the transition is added.
    const std::shared_ptr<UIImage>& previousContent() const { return previousContent_; }
    void setPreviousContent(std::shared_ptr<UIImage> image) { previousContent_ = std::move(image); }

    std::string className() const override { return "CATransition"; }

private:
    std::string type_{kCATransitionFade};
    std::string subtype_;
    double startProgress_ = 0;
    double endProgress_ = 1;
    std::shared_ptr<UIImage> previousContent_;
};
