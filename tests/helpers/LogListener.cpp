// The log store's listener in a process of its own, as the shell runs it: serves the plug-in messaging
// centre on the session bus of its environment (DBUS_SESSION_BUS_ADDRESS) and logs what plug-ins send into
// the device root given as its argument. Reports on stdout, one line per event, so a test can follow it:
// "listening" once the centre is served (or "failed <reason>"), then "logged <Body>" after each record is in
// the log. Runs until it is killed.
#include "CPDistributedMessagingCenter.h"
#include "CrossProcessChannels.h"
#include "DeviceRoot.h"
#include "NSNotification.h"
#include "NSNotificationCenter.h"
#include "NSRunLoop.h"
#include "PLWriter.h"

#include <cstdio>
#include <string>

namespace {

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void reportEachLoggedRecord()
{
    NSNotificationCenter::defaultCenter().addObserver(
        nullptr,
        [](const std::shared_ptr<NSNotification>& notification) {
            const auto& record = notification->userInfo();
            say("logged " + (record ? record->stringForKey("Body").value_or("?") : std::string("?")));
        },
        PLWriter::kNewNotificationBroadcast);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantle_log_listener <device root>\n");
        return 2;
    }
    DeviceRoot::setRoot(argv[1]);
    CrossProcessChannels::useSessionBus();
    reportEachLoggedRecord();
    PLWriter::sharedListener();
    if (!CPDistributedMessagingCenter::centerNamed(PLWriter::kMessagingCenterName)->isServing()) {
        say("failed to serve " + std::string(PLWriter::kMessagingCenterName));
        return 1;
    }
    say("listening");

    NSRunLoop::mainRunLoop().run();
    return 0;
}
