// The other process of the cross-process channel tests. It talks over the session bus of its environment
// (DBUS_SESSION_BUS_ADDRESS) and reports on stdout, one line per event, so the test can follow it:
//
//   vantle_ipc_peer post <name>                          posts a Darwin notification
//   vantle_ipc_peer post-held <name>                     the same, then stays connected until it hears
//                                                        "net.torvask.Test.Release"
//   vantle_ipc_peer observe <name>                       "ready", then "received <name>" for the first post
//   vantle_ipc_peer send <center> <message> <app> <body> sends a record; "ok" or the error
//   vantle_ipc_peer send-large <center> <message> <bytes> sends a record with a body of that size
//   vantle_ipc_peer send-raw <center> <message> <app> <body>
//                                                        the same straight to the name, without checking its
//                                                        owner first; "ok" or the bus error's name and text
//   vantle_ipc_peer serve <center> <message>             "ready", then "received <message> <app>|<body>"
//   vantle_ipc_peer burst <center> <message> <count>     sends records "0" ... "<count - 1>" as fast as the
//                                                        server answers, kBurstSenders threads each sending
//                                                        one after another; "acknowledged <i>" as each is
//                                                        answered, the error for each thread that stopped at
//                                                        one, then "done"
//   vantle_ipc_peer notify-burst <count> [<senders>]     the same with the desktop's Notify (summary "<i>"),
//                                                        from <senders> threads (kBurstSenders by default)
//   vantle_ipc_peer send-and-leave <center> <message> <app> <count>
//                                                        sends records "0" ... "<count - 1>" without waiting
//                                                        for any answer and exits at once, as a script does
#include "CFNotificationCenter.h"
#include "CPDistributedMessagingCenter.h"
#include "CrossProcessChannels.h"
#include "DBusNames.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSPropertyListSerialization.h"
#include "NSRunLoop.h"
#include "NSString.h"

#include <sdbus-c++/sdbus-c++.h>

#include <atomic>
#include <functional>
#include <map>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::shared_ptr<NSDictionary> record(const std::string& application, const std::string& body)
{
    return NSDictionary::dictionaryWithEntries({
        {"Application", NSString::stringWithString(application)},
        {"Body", NSString::stringWithString(body)},
        {"Date", NSDate::date()},
    });
}

int send(const std::string& center, const std::string& message, const std::shared_ptr<NSDictionary>& userInfo)
{
    const auto error = CPDistributedMessagingCenter::centerNamed(center)->sendMessageName(message, userInfo);
    say(error ? error->description() : "ok");
    return error ? 1 : 0;
}

int post(const std::string& name)
{
    CFNotificationCenter::getDarwinNotifyCenter().postNotification(name);
    // A round trip through the bus daemon on the same connection: once it is answered, the daemon has
    // routed the signal, so whatever the test posts after this process ended arrives after it.
    CPDistributedMessagingCenter::centerNamed("net.torvask.Test.Unserved")->sendMessageName("Sync", nullptr);
    say("posted");
    return 0;
}

// A receiver checks the sender's uid with the bus when the signal arrives; a sender that has already gone
// can no longer be checked, so on a bus that admits other users its post is dropped. A test that needs the
// post heard there, or its refusal for the right reason, keeps the sender connected until it has been.
int postHeld(const std::string& name)
{
    bool released = false;
    CFNotificationCenter::getDarwinNotifyCenter().addObserver(
        "net.torvask.Test.Release", [&](CFNotificationCenter*, void*, const std::string&, const void*, const auto&) {
            released = true;
        });
    post(name);
    NSRunLoop::mainRunLoop().runUntil([&] { return released; });
    return 0;
}

// Threads sending at once in a burst: the server answers a message once its work is done, so one sender
// alone would wait for each in turn.
constexpr long kBurstSenders = 16;

// Sends 0 ... count - 1 from `senders` threads; `sendOne` answers the error, or nothing once answered.
// `connect` runs first on each thread.
int burst(long count, long senders,
          const std::function<std::function<std::optional<std::string>(long)>()>& connect)
{
    std::atomic<long> next{0};
    std::atomic<bool> failed{false};
    std::vector<std::thread> threads;
    for (long sender = 0; sender < senders; ++sender) {
        threads.emplace_back([&] {
            const auto sendOne = connect();
            for (long index = next++; index < count; index = next++) {
                if (const auto error = sendOne(index)) {
                    say(*error);
                    failed = true;
                    return;
                }
                say("acknowledged " + std::to_string(index));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    say("done");
    return failed ? 1 : 0;
}

int messageBurst(const std::string& center, const std::string& message, long count)
{
    const auto centre = CPDistributedMessagingCenter::centerNamed(center);
    return burst(count, kBurstSenders, [&] {
        return [&](long index) -> std::optional<std::string> {
            const auto error = centre->sendMessageName(message, record("Burst", std::to_string(index)));
            return error ? std::optional<std::string>(error->description()) : std::nullopt;
        };
    });
}

int notifyBurst(long count, long senders)
{
    return burst(count, senders, [] {
        std::shared_ptr<sdbus::IConnection> connection = sdbus::createSessionBusConnection();
        std::shared_ptr<sdbus::IProxy> proxy =
            sdbus::createProxy(*connection, "org.freedesktop.Notifications", "/org/freedesktop/Notifications");
        return [connection, proxy](long index) -> std::optional<std::string> {
            try {
                std::uint32_t id = 0;
                proxy->callMethod("Notify").onInterface("org.freedesktop.Notifications")
                    .withArguments(std::string("Burst"), std::uint32_t(0), std::string(), std::to_string(index),
                                   std::string(), std::vector<std::string>{}, std::map<std::string, sdbus::Variant>{},
                                   std::int32_t(-1))
                    .storeResultsTo(id);
                return std::nullopt;
            } catch (const sdbus::Error& error) {
                return error.getName() + ": " + error.getMessage();
            }
        };
    });
}

int sendRaw(const std::string& center, const std::string& message, const std::string& application, const std::string& body)
{
    const auto connection = sdbus::createSessionBusConnection();
    const auto proxy = sdbus::createProxy(*connection, center, DBusNames::kMessagingObjectPath);
    auto call = proxy->createMethodCall(DBusNames::kMessagingInterface, DBusNames::kMessagingMethod);
    call << message << NSPropertyListSerialization::dataWithPropertyList(record(application, body)).value();
    try {
        proxy->callMethod(call);
    } catch (const sdbus::Error& error) {
        say(error.getName() + ": " + error.getMessage());
        return 1;
    }
    say("ok");
    return 0;
}

int sendAndLeave(const std::string& center, const std::string& message, const std::string& application, long count)
{
    const auto connection = sdbus::createSessionBusConnection();
    const auto proxy = sdbus::createProxy(*connection, center, DBusNames::kMessagingObjectPath);
    for (long index = 0; index < count; ++index) {
        auto call = proxy->createMethodCall(DBusNames::kMessagingInterface, DBusNames::kMessagingMethod);
        call << message << NSPropertyListSerialization::dataWithPropertyList(record(application, std::to_string(index))).value();
        call.dontExpectReply();
        proxy->callMethod(call);
    }
    return 0; // the connection is flushed as it closes
}

int observe(const std::string& name)
{
    bool received = false;
    CFNotificationCenter::getDarwinNotifyCenter().addObserver(
        name, [&](CFNotificationCenter*, void*, const std::string& heard, const void*, const auto&) {
            say("received " + heard);
            received = true;
        });
    say("ready");
    NSRunLoop::mainRunLoop().runUntil([&] { return received; });
    return 0;
}

int serve(const std::string& center, const std::string& message)
{
    auto centre = CPDistributedMessagingCenter::centerNamed(center);
    bool received = false;
    centre->registerForMessageName(message, [&](const std::string& name, const std::shared_ptr<NSDictionary>& info) {
        say("received " + name + " " + info->stringForKey("Application").value_or("?") + "|" +
            info->stringForKey("Body").value_or("?"));
        received = true;
    });
    if (const auto error = centre->runServerOnCurrentThread()) {
        say(error->description());
        return 1;
    }
    say("ready");
    NSRunLoop::mainRunLoop().runUntil([&] { return received; });
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    CrossProcessChannels::useSessionBus();
    if (args.size() == 2 && args[0] == "post") {
        return post(args[1]);
    }
    if (args.size() == 2 && args[0] == "post-held") {
        return postHeld(args[1]);
    }
    if (args.size() == 2 && args[0] == "observe") {
        return observe(args[1]);
    }
    if (args.size() == 5 && args[0] == "send") {
        return send(args[1], args[2], record(args[3], args[4]));
    }
    if (args.size() == 4 && args[0] == "send-large") {
        return send(args[1], args[2], record("Large", std::string(std::strtoul(args[3].c_str(), nullptr, 10), 'x')));
    }
    if (args.size() == 4 && args[0] == "burst") {
        return messageBurst(args[1], args[2], std::strtol(args[3].c_str(), nullptr, 10));
    }
    if (args.size() == 5 && args[0] == "send-raw") {
        return sendRaw(args[1], args[2], args[3], args[4]);
    }
    if (args.size() == 5 && args[0] == "send-and-leave") {
        return sendAndLeave(args[1], args[2], args[3], std::strtol(args[4].c_str(), nullptr, 10));
    }
    if ((args.size() == 2 || args.size() == 3) && args[0] == "notify-burst") {
        const long senders = args.size() == 3 ? std::strtol(args[2].c_str(), nullptr, 10) : kBurstSenders;
        return notifyBurst(std::strtol(args[1].c_str(), nullptr, 10), senders > 0 ? senders : kBurstSenders);
    }
    if (args.size() == 3 && args[0] == "serve") {
        return serve(args[1], args[2]);
    }
    std::fprintf(stderr, "usage: vantle_ipc_peer post|post-held|observe|send|send-large|serve|burst|notify-burst|send-and-leave|send-raw …\n");
    return 2;
}
