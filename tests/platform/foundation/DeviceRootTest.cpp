#include "DeviceRoot.h"
#include "TemporaryDeviceRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

// Sets an environment variable for the scope, restoring the previous value.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) {
            previous_ = old;
        }
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnvironment() { previous_ ? ::setenv(name_, previous_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> previous_;
};

bool isInside(const std::filesystem::path& path, const std::filesystem::path& root)
{
    const auto relative = path.lexically_normal().lexically_relative(root);
    return !relative.empty() && *relative.begin() != "..";
}

} // namespace

TEST(DeviceRoot, DevicePathsResolveUnderTheRootAndNeverEscapeIt)
{
    TemporaryDeviceRoot root;
    EXPECT_EQ(DeviceRoot::resolve("/var/mobile/Library/Vantle/NewNotifications.plist"),
              root.path() / "var/mobile/Library/Vantle/NewNotifications.plist");
    EXPECT_EQ(DeviceRoot::resolve("/"), root.path());
    EXPECT_EQ(DeviceRoot::normalise("var//mobile/./y/../x/"), "/var/mobile/x");

    for (const char* hostile : {"../../../etc/passwd", "/var/mobile/Library/Vantle/Images/../../../../../../etc/passwd",
                                "/..", "..", "/var/../../..//..", "Images/../../../../etc/shadow"}) {
        const auto resolved = DeviceRoot::resolve(hostile);
        EXPECT_TRUE(resolved == root.path() || isInside(resolved, root.path())) << hostile << " -> " << resolved;
    }
    EXPECT_EQ(DeviceRoot::resolve("../../../etc/passwd"), root.path() / "etc/passwd");
    EXPECT_EQ(DeviceRoot::resolve("/var/mobile/Library/Vantle/Images/../../../../../../etc/passwd"),
              root.path() / "etc/passwd");
}

TEST(DeviceRoot, DefaultRootFollowsTheXDGDataDirectory)
{
    DeviceRoot::resetRoot();
    {
        ScopedEnvironment data("XDG_DATA_HOME", "/srv/data");
        EXPECT_EQ(DeviceRoot::root(), "/srv/data/vantle/device");
    }
    {
        ScopedEnvironment data("XDG_DATA_HOME", nullptr);
        ScopedEnvironment home("HOME", "/home/tester");
        EXPECT_EQ(DeviceRoot::root(), "/home/tester/.local/share/vantle/device");
        // A relative XDG_DATA_HOME is invalid by the XDG rules and ignored.
        ScopedEnvironment relative("XDG_DATA_HOME", "relative/data");
        EXPECT_EQ(DeviceRoot::root(), "/home/tester/.local/share/vantle/device");
    }
    DeviceRoot::setRoot("/tmp/elsewhere/./device/");
    EXPECT_EQ(DeviceRoot::root(), "/tmp/elsewhere/device/");
    DeviceRoot::resetRoot();
}

TEST(DeviceRoot, ReadsAreSafeWhileTheRootChanges)
{
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([] {
            for (int i = 0; i < 2000; ++i) {
                const auto path = DeviceRoot::resolve("/var/mobile");
                EXPECT_EQ(path.filename(), "mobile");
            }
        });
    }
    for (int i = 0; i < 200; ++i) {
        DeviceRoot::setRoot(i % 2 ? "/tmp/root-a" : "/tmp/root-b");
    }
    for (auto& reader : readers) {
        reader.join();
    }
    DeviceRoot::resetRoot();
}
