#include "CGGradient.h"

#include <algorithm>

namespace {
std::vector<CGFloat> spreadLocations(std::size_t count)
{
    std::vector<CGFloat> locations;
    for (std::size_t i = 0; i < count; ++i) {
        locations.push_back(count == 1 ? 0 : static_cast<CGFloat>(i) / static_cast<CGFloat>(count - 1));
    }
    return locations;
}
} // namespace

CGGradient::CGGradient(std::vector<Stop> stops) : stops_(std::move(stops)) {}

std::shared_ptr<CGGradient> CGGradient::gradientWithColorComponents(const std::vector<CGFloat>& components,
                                                                    const std::vector<CGFloat>& locations)
{
    if (components.empty() || components.size() % 4 != 0) {
        return nullptr;
    }
    const std::size_t count = components.size() / 4;
    const std::vector<CGFloat> at = locations.empty() ? spreadLocations(count) : locations;
    if (at.size() != count) {
        return nullptr;
    }
    std::vector<Stop> stops;
    for (std::size_t i = 0; i < count; ++i) {
        const CGFloat* c = &components[i * 4];
        stops.push_back({std::clamp(at[i], 0.0, 1.0), c[0], c[1], c[2], c[3]});
    }
    return std::make_shared<CGGradient>(std::move(stops));
}

std::shared_ptr<CGGradient> CGGradient::gradientWithColors(const std::vector<std::shared_ptr<UIColor>>& colors,
                                                           const std::vector<CGFloat>& locations)
{
    std::vector<CGFloat> components;
    for (const auto& color : colors) {
        if (!color) {
            return nullptr;
        }
        components.insert(components.end(), {color->red(), color->green(), color->blue(), color->alpha()});
    }
    return gradientWithColorComponents(components, locations);
}
