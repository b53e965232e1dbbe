#include "CrossProcessChannels.h"
#include "FileSystemCalls.h"
#include "LAActivator.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "TemporaryDeviceRoot.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

// Writes "<name> <call>" for every call; marks events handled when asked to.
class RecordingListener final : public LAListener {
public:
    RecordingListener(std::string name, Calls& calls, bool handles)
        : name_(std::move(name)), calls_(calls), handles_(handles)
    {
    }

    void receiveEvent(LAActivator&, LAEvent& event) override { record("receive", event); }
    void abortEvent(LAActivator&, LAEvent& event) override { record("abort", event); }
    void otherListenerDidHandleEvent(LAActivator&, LAEvent&) override { calls_.push_back(name_ + " other"); }
    void receiveDeactivateEvent(LAActivator&, LAEvent& event) override { record("deactivate", event); }

private:
    void record(const char* call, LAEvent& event)
    {
        calls_.push_back(name_ + " " + call);
        event.setHandled(handles_);
    }

    std::string name_;
    Calls& calls_;
    bool handles_;
};

class Activator : public ::testing::Test {
protected:
    void SetUp() override { CrossProcessChannels::useLoopback(); }
    void TearDown() override
    {
        drain();
        CrossProcessChannels::useLoopback();
    }
    static void drain()
    {
        while (NSRunLoop::mainRunLoop().runOnce()) {
        }
    }
    std::shared_ptr<RecordingListener> listen(LAActivator& activator, const std::string& name, bool handles)
    {
        auto listener = std::make_shared<RecordingListener>(name, calls, handles);
        activator.registerListener(listener, name);
        return listener;
    }
    void writeFile(const std::string& contents) const
    {
        device.createDirectory("/var/mobile/Library/Preferences");
        std::ofstream(device.hostPath(LAActivator::kAssignmentsPath)) << contents;
    }
    std::vector<std::string> preferenceFolder() const
    {
        std::vector<std::string> names;
        const auto folder = device.hostPath("/var/mobile/Library/Preferences");
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    TemporaryDeviceRoot device;
    Calls calls;
};

TEST_F(Activator, TheAssignedListenerReceivesTheEventAndTheOthersHearItWasHandled)
{
    LAActivator activator;
    const auto vantle = listen(activator, "net.torvask.Vantle", true);
    const auto other = listen(activator, "com.example.other", false);
    const auto third = listen(activator, "com.example.third", false);
    ASSERT_FALSE(activator.assignEvent(LAActivator::kStatusBarSwipeDown, "net.torvask.Vantle"));

    const auto event = LAEvent::eventWithName(LAActivator::kStatusBarSwipeDown);
    EXPECT_TRUE(activator.sendEventToListener(event));
    EXPECT_TRUE(event->isHandled());
    EXPECT_EQ(calls, (Calls{"net.torvask.Vantle receive", "com.example.other other", "com.example.third other"}));

    calls.clear();
    activator.sendAbortToListener(LAEvent::eventWithName(LAActivator::kStatusBarSwipeDown));
    EXPECT_EQ(calls, (Calls{"net.torvask.Vantle abort"}));
}

TEST_F(Activator, AnEventWithoutALivingAssignedListenerThatHandlesItIsNotHandled)
{
    struct Case {
        const char* what;
        bool assign;
        bool listenerHandles;
        bool listenerGone;
        Calls expected;
    };
    const Case cases[] = {
        {"unassigned", false, true, false, {}},
        {"assigned to a listener that lets it pass", true, false, false, {"a receive"}},
        {"assigned to a listener that has gone", true, true, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        calls.clear();
        LAActivator activator;
        auto assigned = listen(activator, "a", c.listenerHandles);
        const auto bystander = listen(activator, "b", false);
        if (c.assign) {
            ASSERT_FALSE(activator.assignEvent(LAActivator::kMenuPressDouble, "a"));
        }
        if (c.listenerGone) {
            assigned.reset();
        }
        EXPECT_FALSE(activator.sendEventToListener(LAEvent::eventWithName(LAActivator::kMenuPressDouble)));
        EXPECT_EQ(calls, c.expected);
        ASSERT_FALSE(activator.unassignEvent(LAActivator::kMenuPressDouble));
    }
}

TEST_F(Activator, TheDeactivateEventStopsAtTheFirstListenerThatHandlesIt)
{
    LAActivator activator;
    const auto a = listen(activator, "a", false);
    const auto b = listen(activator, "b", true);
    const auto c = listen(activator, "c", true);
    EXPECT_TRUE(activator.sendDeactivateEventToListeners(LAEvent::eventWithName(LAActivator::kMenuPressSingle)));
    EXPECT_EQ(calls, (Calls{"a deactivate", "b deactivate"}));

    calls.clear();
    activator.unregisterListenerWithName("b");
    activator.unregisterListenerWithName("c");
    EXPECT_FALSE(activator.sendDeactivateEventToListeners(LAEvent::eventWithName(LAActivator::kMenuPressSingle)));
    EXPECT_EQ(calls, (Calls{"a deactivate"}));
    EXPECT_EQ(activator.availableListenerNames(), (std::vector<std::string>{"a"}));
}

TEST_F(Activator, AssignmentsAreWrittenToTheFileAndReadBackOneListenerPerEvent)
{
    {
        LAActivator activator;
        ASSERT_FALSE(activator.assignEvent(LAActivator::kStatusBarSwipeDown, "net.torvask.Vantle"));
        ASSERT_FALSE(activator.assignEvent(LAActivator::kMenuPressDouble, "net.torvask.Vantle"));
        ASSERT_FALSE(activator.assignEvent(LAActivator::kLockPressSingle, "net.torvask.Vantle"));
        ASSERT_FALSE(activator.assignEvent(LAActivator::kMenuPressDouble, "com.example.other")); // moves the event
        ASSERT_FALSE(activator.unassignEvent(LAActivator::kLockPressSingle));
        EXPECT_TRUE(activator.assignEvent("", "net.torvask.Vantle")) << "an assignment needs both names";
    }
    const PropertyListRead file = NSFileManager::defaultManager().readPropertyListAtPath(LAActivator::kAssignmentsPath);
    ASSERT_TRUE(file.isOk());
    const auto expected = NSDictionary::dictionaryWithEntries({
        {LAActivator::kStatusBarSwipeDown, NSString::stringWithString("net.torvask.Vantle")},
        {LAActivator::kMenuPressDouble, NSString::stringWithString("com.example.other")},
    });
    EXPECT_TRUE(isEqual(file.value(), expected)) << file.value()->description();

    LAActivator reader;
    EXPECT_EQ(reader.eventsAssignedToListenerWithName("net.torvask.Vantle"),
              (std::vector<std::string>{LAActivator::kStatusBarSwipeDown}));
    EXPECT_EQ(reader.assignedListenerNameForEvent(LAActivator::kMenuPressDouble), "com.example.other");
    EXPECT_EQ(reader.assignedListenerNameForEvent(LAActivator::kLockPressSingle), std::nullopt);
}

TEST_F(Activator, AnotherProcessesChangeIsReadOnTheMainLoopWhenAnnounced)
{
    LAActivator shell;
    LAActivator settings;
    ASSERT_FALSE(settings.assignEvent(LAActivator::kMotionShake, "net.torvask.Vantle"));
    EXPECT_EQ(shell.assignedListenerNameForEvent(LAActivator::kMotionShake), std::nullopt);
    drain();
    EXPECT_EQ(shell.assignedListenerNameForEvent(LAActivator::kMotionShake), "net.torvask.Vantle");
}

TEST_F(Activator, AMalformedFileMeansNoAssignmentsAndIsMovedAsideBeforeItIsReplaced)
{
    const char* malformed[] = {
        "this is not a property list",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string></array></plist>",
    };
    for (const char* contents : malformed) {
        SCOPED_TRACE(contents);
        writeFile(contents);
        LAActivator activator;
        EXPECT_EQ(activator.assignedListenerNameForEvent(LAActivator::kStatusBarSwipeDown), std::nullopt);
        ASSERT_FALSE(activator.assignEvent(LAActivator::kStatusBarSwipeDown, "net.torvask.Vantle"));
        EXPECT_EQ(preferenceFolder().size(), 2u) << "the new file beside the old one moved aside";
        std::filesystem::remove_all(device.hostPath("/var/mobile/Library/Preferences"));
    }

    writeFile("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
              "<key>libactivator.motion.shake</key><integer>3</integer>"
              "<key>libactivator.menu.press.double</key><string>net.torvask.Vantle</string></dict></plist>");
    LAActivator activator;
    EXPECT_EQ(activator.eventsAssignedToListenerWithName("net.torvask.Vantle"),
              (std::vector<std::string>{LAActivator::kMenuPressDouble}))
        << "entries that are not listener names are skipped";
}

TEST_F(Activator, AFailedWriteChangesNothing)
{
    class FailingWrites final : public FileSystemCalls {
    public:
        ssize_t write(int, const void*, size_t) override
        {
            errno = ENOSPC;
            return -1;
        }
    };
    NSFileManager failing(std::make_shared<FailingWrites>());
    LAActivator activator(failing);
    const auto failure = activator.assignEvent(LAActivator::kStatusBarSwipeDown, "net.torvask.Vantle");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->code(), ENOSPC);
    EXPECT_EQ(activator.assignedListenerNameForEvent(LAActivator::kStatusBarSwipeDown), std::nullopt);
    EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(LAActivator::kAssignmentsPath));
}

TEST_F(Activator, EveryOfferedEventHasATitleAndAGroup)
{
    LAActivator activator;
    for (const std::string& event : activator.availableEventNames()) {
        SCOPED_TRACE(event);
        EXPECT_NE(activator.localizedTitleForEventName(event), event);
        EXPECT_FALSE(activator.localizedGroupForEventName(event).empty());
    }
    EXPECT_EQ(activator.localizedTitleForEventName(LAActivator::kStatusBarSwipeDown), "Swipe Down");
    EXPECT_EQ(activator.localizedTitleForEventName("com.example.unknown"), "com.example.unknown");
}

} // namespace
