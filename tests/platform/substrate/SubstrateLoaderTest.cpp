#include "ObjCClass.h"
#include "SubstrateLoader.h"
#include "TemporaryDeviceRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string filter(const std::string& bundles)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>Filter</key><dict>"
           "<key>Bundles</key><array>" + bundles + "</array></dict></dict></plist>\n";
}

class Loader : public ::testing::Test {
protected:
    void SetUp() override { device.createDirectory(SubstrateLoader::kDynamicLibrariesPath); }

    // Installs the test library as "<name>.dylib" with the filter text beside it (none when empty).
    void install(const std::string& name, const std::string& filterText) const
    {
        std::filesystem::copy_file(VANTLE_SUBSTRATE_TEST_LIBRARY, path(name + ".dylib"));
        write(name + ".plist", filterText);
    }
    void write(const std::string& fileName, const std::string& contents) const
    {
        if (!contents.empty()) {
            std::ofstream(path(fileName), std::ios::binary) << contents;
        }
    }
    std::filesystem::path path(const std::string& fileName) const
    {
        return device.hostPath(std::string(SubstrateLoader::kDynamicLibrariesPath) + fileName);
    }

    TemporaryDeviceRoot device;
};

// Each test's libraries carry names of their own: a loaded library stays for the life of the process.
TEST_F(Loader, LoadsInNameOrderOnlyTheLibrariesWhoseFilterNamesTheProcess)
{
    install("OrderB", filter("<string>com.apple.Preferences</string><string>com.apple.springboard</string>"));
    install("OrderA", "// the usual text form\n{ Filter = { Bundles = ( \"com.apple.springboard\" ); }; }\n");
    install("OrderC", filter("<string>com.apple.Preferences</string>"));
    install("OrderD", filter("<integer>1</integer>"));
    write("README.txt", "not a library");

    const auto libraries = SubstrateLoader::loadLibrariesForBundleIdentifier("com.apple.springboard");
    ASSERT_EQ(libraries.size(), 4u);
    const std::pair<const char*, bool> expected[] = {
        {"OrderA", true}, {"OrderB", true}, {"OrderC", false}, {"OrderD", false}};
    for (std::size_t i = 0; i < libraries.size(); ++i) {
        SCOPED_TRACE(libraries[i].name);
        EXPECT_EQ(libraries[i].name, expected[i].first);
        EXPECT_EQ(libraries[i].loaded, expected[i].second) << libraries[i].reason;
        EXPECT_EQ(libraries[i].handle != nullptr, expected[i].second);
        const bool initialiserRan = ObjCClass::lookUp("Loaded " + libraries[i].name + ".dylib") != nullptr;
        EXPECT_EQ(initialiserRan, expected[i].second);
    }
    EXPECT_EQ(libraries[2].reason, "its filter does not name com.apple.springboard");
}

TEST_F(Loader, ABrokenFilterOrLibraryIsSkippedWithItsReason)
{
    struct Case {
        const char* name;
        std::string filterText;
        const char* reasonPart;
    };
    const Case cases[] = {
        {"BrokenNoFilter", "", "No such file"},
        {"BrokenGarbage", "<plist><dict><key>Filter", "not a valid XML"},
        {"BrokenText", "{ Filter = { Bundles = ( com.apple.springboard ) }; }", "';' expected"},
        {"BrokenNotAFilter", filter("").replace(filter("").find("Bundles"), 7, "Classes"), "not a filter"},
        {"BrokenOversized", filter(std::string(100 * 1024, ' ') + "<string>com.apple.springboard</string>"), "larger"},
        {"BrokenNotAnObject", filter("<string>com.apple.springboard</string>"), "file too short"},
    };
    for (const Case& c : cases) {
        install(c.name, c.filterText);
    }
    std::ofstream(path("BrokenNotAnObject.dylib"), std::ios::binary | std::ios::trunc) << "MZ";

    const auto libraries = SubstrateLoader::loadLibrariesForBundleIdentifier("com.apple.springboard");
    ASSERT_EQ(libraries.size(), std::size(cases));
    for (const LoadedLibrary& library : libraries) {
        SCOPED_TRACE(library.name);
        const Case& c = *std::find_if(std::begin(cases), std::end(cases),
                                      [&](const Case& x) { return library.name == x.name; });
        EXPECT_FALSE(library.loaded);
        EXPECT_NE(library.reason.find(c.reasonPart), std::string::npos) << library.reason;
        EXPECT_EQ(ObjCClass::lookUp("Loaded " + library.name + ".dylib"), nullptr);
    }
}

TEST_F(Loader, NoFolderMeansNoLibraries)
{
    std::filesystem::remove_all(device.hostPath("/Library"));
    EXPECT_TRUE(SubstrateLoader::loadLibrariesForBundleIdentifier("com.apple.springboard").empty());
}

} // namespace
