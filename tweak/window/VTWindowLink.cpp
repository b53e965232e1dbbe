#include "VTWindowLink.h"

#include "MutexLocker.h"
#include "ThreadSafety.h"

namespace {

struct SharedLink {
    Mutex mutex;
    std::shared_ptr<VTWindowLink> link VT_GUARDED_BY(mutex);
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
    const MutexLocker guard(state.mutex);
    return state.link;
}

void VTWindowLink::setSharedLink(std::shared_ptr<VTWindowLink> link)
{
    auto& state = shared();
    const MutexLocker guard(state.mutex);
    state.link = std::move(link);
}

bool VTWindowLink::isSharedWindowShown()
{
    const auto link = sharedLink();
    return link && link->isWindowShown();
}
