#pragma once

#include "NSDictionary.h"
#include "SBApplication.h"
#include "SBObject.h"

#include <memory>

class ObjCClass;

// The shell application: the interface orientation and what is playing. Main thread only.
//
// Through the runtime ("SpringBoard"):
//   "noteInterfaceOrientationChanged:"  NoteInterfaceOrientationChanged:
//       void(const std::shared_ptr<SpringBoard>& self, int orientation)   orientation 1..4
//   "setNowPlayingInfo:forApplication:"  SetNowPlayingInfo:
//       void(const std::shared_ptr<SpringBoard>& self, const std::shared_ptr<NSDictionary>& info,
//            const std::shared_ptr<SBApplication>& application)
//       info: "isPlaying" (boolean NSNumber), "title" and "artist" (NSString); application: the player.
class SpringBoard final : public SBObject {
public:
    using NoteInterfaceOrientationChanged = void(const std::shared_ptr<SpringBoard>&, int);
    using SetNowPlayingInfo = void(const std::shared_ptr<SpringBoard>&, const std::shared_ptr<NSDictionary>&,
                                   const std::shared_ptr<SBApplication>&);

    static std::shared_ptr<SpringBoard> sharedInstance();

    // Send the two messages above.
    void noteInterfaceOrientationChanged(int orientation);
    void setNowPlayingInfoForApplication(const std::shared_ptr<NSDictionary>& info,
                                         const std::shared_ptr<SBApplication>& application);

    int interfaceOrientation() const { return orientation_; }
    const std::shared_ptr<NSDictionary>& nowPlayingInfo() const { return nowPlayingInfo_; }
    const std::shared_ptr<SBApplication>& nowPlayingApplication() const { return nowPlayingApplication_; }
    // Back to portrait with nothing playing (a new shell starts so).
    void reset();

    std::string className() const override { return "SpringBoard"; }
    static void registerMethods(ObjCClass& cls);

private:
    int orientation_ = 1;
    std::shared_ptr<NSDictionary> nowPlayingInfo_;
    std::shared_ptr<SBApplication> nowPlayingApplication_;
};
