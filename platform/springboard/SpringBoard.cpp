#include "SpringBoard.h"

#include "ObjCClass.h"

std::shared_ptr<SpringBoard> SpringBoard::sharedInstance()
{
    static const auto application = std::make_shared<SpringBoard>();
    return application;
}

void SpringBoard::noteInterfaceOrientationChanged(int orientation)
{
    runtimeClass().send<NoteInterfaceOrientationChanged>("noteInterfaceOrientationChanged:", self<SpringBoard>(),
                                                         orientation);
}

void SpringBoard::setNowPlayingInfoForApplication(const std::shared_ptr<NSDictionary>& info,
                                                  const std::shared_ptr<SBApplication>& application)
{
    runtimeClass().send<SetNowPlayingInfo>("setNowPlayingInfo:forApplication:", self<SpringBoard>(), info, application);
}

void SpringBoard::reset()
{
    orientation_ = 1;
    nowPlayingInfo_ = nullptr;
    nowPlayingApplication_ = nullptr;
}

void SpringBoard::registerMethods(ObjCClass& cls)
{
    cls.addMethod<NoteInterfaceOrientationChanged>(
        "noteInterfaceOrientationChanged:",
        [](const std::shared_ptr<SpringBoard>& self, int orientation) { self->orientation_ = orientation; });
    cls.addMethod<SetNowPlayingInfo>("setNowPlayingInfo:forApplication:",
                                     [](const std::shared_ptr<SpringBoard>& self, const std::shared_ptr<NSDictionary>& info,
                                        const std::shared_ptr<SBApplication>& application) {
                                         self->nowPlayingInfo_ = info;
                                         self->nowPlayingApplication_ = application;
                                     });
}
