#include "TestPreferenceBundle.h"

#include <fstream>

namespace {

bool write(const std::filesystem::path& path, const std::string& contents)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary);
    out << contents;
    return out.good();
}

std::string plist(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

} // namespace

std::string TestPreferenceBundle::specifierFile()
{
    const std::string bound = "<key>defaults</key><string>net.example.test</string>"
                              "<key>PostNotification</key><string>net.example.test.changed</string>";
    return plist(R"(<dict><key>title</key><string>Test Bundle</string><key>items</key><array>
<dict><key>cell</key><string>PSGroupCell</string><key>label</key><string>Options</string>
  <key>footerText</key><string>Changes apply at once.</string></dict>
<dict><key>cell</key><string>PSSwitchCell</string><key>label</key><string>Enabled</string>
  <key>key</key><string>Enabled</string><key>default</key><true/>)" + bound + R"(</dict>
<dict><key>cell</key><string>PSLinkListCell</string><key>label</key><string>Group By</string>
  <key>key</key><string>Group By</string><key>default</key><string>Date</string>)" + bound + R"(
  <key>validTitles</key><array><string>Date</string><string>Application</string></array>
  <key>validValues</key><array><string>Date</string><string>Application</string></array></dict>
<dict><key>cell</key><string>PSEditTextCell</string><key>label</key><string>Name</string>
  <key>key</key><string>Name</string>)" + bound + R"(</dict>
<dict><key>cell</key><string>PSEditTextCell</string><key>label</key><string>Count</string>
  <key>key</key><string>Count</string><key>isNumeric</key><true/>)" + bound + R"(</dict>
<dict><key>cell</key><string>PSGroupCell</string></dict>
<dict><key>cell</key><string>PSLinkCell</string><key>label</key><string>Names</string>
  <key>detail</key><string>TestNamesController</string></dict>
<dict><key>cell</key><string>PSLinkCell</string><key>label</key><string>Missing Page</string>
  <key>detail</key><string>NoSuchController</string></dict>
</array></dict>)");
}

bool TestPreferenceBundle::install(const std::filesystem::path& deviceRoot, const std::filesystem::path& library)
{
    const std::filesystem::path bundle = deviceRoot / "System/Library/PreferenceBundles/TestBundle.bundle";
    std::error_code error;
    std::filesystem::create_directories(bundle, error);
    std::filesystem::copy_file(library, bundle / "TestBundle", std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        return false;
    }
    const std::string info = plist("<dict><key>NSPrincipalClass</key><string>TestBundleController</string>"
                                   "<key>CFBundleIdentifier</key><string>net.example.TestBundle</string></dict>");
    const std::string entry = plist("<dict><key>entry</key><dict><key>bundle</key><string>TestBundle</string>"
                                    "<key>cell</key><string>PSLinkCell</string>"
                                    "<key>label</key><string>Test Bundle</string></dict></dict>");
    return write(bundle / "Info.plist", info) && write(bundle / "TestBundle.plist", specifierFile()) &&
           write(deviceRoot / "Library/PreferenceLoader/Preferences/TestBundle.plist", entry);
}
