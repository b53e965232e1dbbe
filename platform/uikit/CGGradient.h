#pragma once

#include "CGGeometry.h"
#include "NSObject.h"
#include "UIColor.h"

#include <memory>
#include <vector>

// A linear colour ramp in device RGB: colours at locations in 0..1, drawn by CGContext::drawLinearGradient.
class CGGradient final : public NSObject {
public:
    struct Stop {
        CGFloat location;
        CGFloat red, green, blue, alpha;
    };

    explicit CGGradient(std::vector<Stop> stops);

    // components holds red, green, blue, alpha for each stop; locations one value per stop (empty: the
    // stops spread evenly from 0 to 1). Answers null when the counts do not match or there is no stop.
    static std::shared_ptr<CGGradient> gradientWithColorComponents(const std::vector<CGFloat>& components,
                                                                   const std::vector<CGFloat>& locations);
    static std::shared_ptr<CGGradient> gradientWithColors(const std::vector<std::shared_ptr<UIColor>>& colors,
                                                          const std::vector<CGFloat>& locations);

    const std::vector<Stop>& stops() const { return stops_; }
    std::string className() const override { return "CGGradient"; }

private:
    const std::vector<Stop> stops_;
};
