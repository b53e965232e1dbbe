#include "CATransition.h"

#include <algorithm>

void CATransition::setStartProgress(double progress) { startProgress_ = std::clamp(progress, 0.0, 1.0); }

void CATransition::setEndProgress(double progress) { endProgress_ = std::clamp(progress, 0.0, 1.0); }

std::optional<double> CATransition::transitionProgressAt(double now) const
{
    const std::optional<double> paced = progressAt(now);
    if (!paced) {
        return std::nullopt;
    }
    return startProgress_ + (endProgress_ - startProgress_) * *paced;
}
