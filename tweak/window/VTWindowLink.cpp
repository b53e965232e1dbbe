#include "VTWindowLink.h"

#include <mutex>

namespace {

struct SharedLink {
    std::mutex mutex;
    std::shared_ptr<VTWindowLink> link;
};

SharedLink& shared()
{
    static SharedLink shared;
    return shared;
}

} // namespace

std::shared_ptr<VTWindowLink> VTWindowLink::sharedLink()
{
    auto& state = shared();
    const std::lock_guard guard(state.mutex);
    return state.link;
}

void VTWindowLink::setSharedLink(std::shared_ptr<VTWindowLink> link)
{
    auto& state = shared();
    const std::lock_guard guard(state.mutex);
    state.link = std::move(link);
}

bool VTWindowLink::isSharedWindowShown()
{
    const auto link = sharedLink();
    return link && link->isWindowShown();
}
