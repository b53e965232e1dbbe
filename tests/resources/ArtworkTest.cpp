// The rendered artwork tree: every picture the product loads is there at its frame's size and at twice
// it, is really drawn, and the built-in applications' Info.plist files name what the shell and the
// settings pages look for.
#include <cairo.h>
#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kArtwork = VANTLE_ARTWORK_DIR;

struct Picture {
  std::string path;  // relative to the tree, 1x name
  int width;
  int height;
};

const std::string kImages = "var/mobile/Library/Vantle/Images/";
const std::string kBundle = "System/Library/PreferenceBundles/VantlePro.bundle/";

// Sizes are the frames the panel, cells, actions bar and settings pages draw each picture in.
std::vector<Picture> expectedPictures() {
  std::vector<Picture> pictures = {
      {kImages + "TopCap.png", 320, 20},
      {kImages + "BottomCap320.png", 320, 45},
      {kImages + "BottomCap480.png", 480, 45},
      {kImages + "GlyphSettings.png", 37, 37},
      {kImages + "GlyphMenu.png", 37, 37},
      {kImages + "Icon.png", 59, 60},
      {kImages + "ButtonBlue.png", 254, 35},
      {kImages + "ButtonBluePressed.png", 254, 35},
      {kImages + "Push.png", 32, 32},
      {"Applications/Vantle.app/ActionShadow.png", 320, 19},
      {"var/mobile/Library/Vantle/Plugins Info/DefaultIcon.png", 57, 57},
      {kBundle + "IconBig.png", 57, 57},
      {kBundle + "Icon.png", 29, 29},
      {kBundle + "TableTwitter.png", 29, 29},
      {kBundle + "TableWeb.png", 29, 29},
      {"Applications/MobileMusicPlayer.app/Icon-Small-AudioPlayer.png", 29, 29},
  };
  for (const char* button : {"ButtonRed", "ButtonRedPressed", "ButtonWhite", "ButtonWhitePressed"}) {
    pictures.push_back({kImages + button + "320.png", 290, 46});
    pictures.push_back({kImages + button + "480.png", 450, 36});
  }
  for (const char* source :
       {"Messages", "Calendar", "Phone", "Clock", "Now Playing", "Voicemail", "Battery", "Memory"}) {
    pictures.push_back({kImages + source + ".png", 32, 32});
  }
  for (const char* app : {"MobileSMS", "MobileCal", "MobilePhone", "MobileMusicPlayer", "MobileTimer",
                          "Preferences"}) {
    pictures.push_back({std::string("Applications/") + app + ".app/Icon.png", 57, 57});
    pictures.push_back({std::string("Applications/") + app + ".app/Icon-Small.png", 29, 29});
  }
  return pictures;
}

std::string doubleName(const std::string& path) {
  return path.substr(0, path.size() - 4) + "@2x.png";
}

struct Pixels {
  int width = 0;
  int height = 0;
  double coverage = 0;  // share of pixels that are not fully transparent
  double meanRed = 0, meanGreen = 0, meanBlue = 0;  // over covered pixels, premultiplied undone
};

Pixels readPixels(const fs::path& file) {
  Pixels result;
  cairo_surface_t* surface = cairo_image_surface_create_from_png(file.c_str());
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(surface);
    result.width = cairo_image_surface_get_width(surface);
    result.height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    long covered = 0;
    for (int y = 0; y < result.height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      for (int x = 0; x < result.width; ++x) {
        const uint32_t argb = row[x];
        const double alpha = (argb >> 24) & 0xff;
        if (alpha == 0) continue;
        ++covered;
        result.meanRed += ((argb >> 16) & 0xff) / alpha;
        result.meanGreen += ((argb >> 8) & 0xff) / alpha;
        result.meanBlue += (argb & 0xff) / alpha;
      }
    }
    if (covered > 0) {
      result.meanRed /= covered;
      result.meanGreen /= covered;
      result.meanBlue /= covered;
    }
    result.coverage = double(covered) / (double(result.width) * result.height);
  }
  cairo_surface_destroy(surface);
  return result;
}

plist_t readPlist(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  plist_t root = nullptr;
  plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
  return root;
}

std::string stringValue(plist_t dict, const char* key) {
  plist_t node = plist_dict_get_item(dict, key);
  if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) return {};
  char* value = nullptr;
  plist_get_string_val(node, &value);
  std::string result = value != nullptr ? value : "";
  free(value);
  return result;
}

}  // namespace

TEST(Artwork, EveryPictureIsDrawnAtItsFrameSizeAndAtTwiceIt) {
  for (const Picture& picture : expectedPictures()) {
    SCOPED_TRACE(picture.path);
    const Pixels single = readPixels(kArtwork / picture.path);
    const Pixels twice = readPixels(kArtwork / doubleName(picture.path));
    EXPECT_EQ(single.width, picture.width);
    EXPECT_EQ(single.height, picture.height);
    EXPECT_EQ(twice.width, 2 * picture.width);
    EXPECT_EQ(twice.height, 2 * picture.height);
    // An unresolved reference in a drawing renders as nothing without any error from the renderer.
    EXPECT_GT(single.coverage, 0.05);
    EXPECT_GT(twice.coverage, 0.05);
    // Both variants are the same drawing: their average colours agree.
    EXPECT_NEAR(single.meanRed, twice.meanRed, 0.06);
    EXPECT_NEAR(single.meanGreen, twice.meanGreen, 0.06);
    EXPECT_NEAR(single.meanBlue, twice.meanBlue, 0.06);
  }
}

TEST(Artwork, TreeHoldsNoPictureBesidesTheExpectedOnes) {
  std::set<std::string> expected;
  for (const Picture& picture : expectedPictures()) {
    expected.insert(picture.path);
    expected.insert(doubleName(picture.path));
  }
  std::set<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(kArtwork)) {
    if (entry.path().extension() == ".png") found.insert(fs::relative(entry.path(), kArtwork).string());
  }
  EXPECT_EQ(found, expected);
}

TEST(Artwork, BuiltInApplicationsNameTheirIdentifierNameAndIcons) {
  struct App {
    const char* folder;
    const char* identifier;
    const char* name;
  };
  const App apps[] = {
      {"MobileSMS.app", "com.apple.MobileSMS", "Messages"},
      {"MobileCal.app", "com.apple.mobilecal", "Calendar"},
      {"MobilePhone.app", "com.apple.mobilephone", "Phone"},
      {"MobileMusicPlayer.app", "com.apple.mobileipod", "Music"},
      {"MobileTimer.app", "com.apple.mobiletimer", "Clock"},
      {"Preferences.app", "com.apple.Preferences", "Settings"},
  };
  for (const App& app : apps) {
    SCOPED_TRACE(app.folder);
    const fs::path folder = kArtwork / "Applications" / app.folder;
    plist_t info = readPlist(folder / "Info.plist");
    ASSERT_NE(info, nullptr);
    ASSERT_EQ(plist_get_node_type(info), PLIST_DICT);
    EXPECT_EQ(stringValue(info, "CFBundleIdentifier"), app.identifier);
    EXPECT_EQ(stringValue(info, "CFBundleDisplayName"), app.name);
    const std::string iconFile = stringValue(info, "CFBundleIconFile");
    EXPECT_TRUE(fs::is_regular_file(folder / iconFile)) << iconFile;
    plist_t icons = plist_dict_get_item(info, "CFBundleIconFiles");
    ASSERT_NE(icons, nullptr);
    ASSERT_EQ(plist_get_node_type(icons), PLIST_ARRAY);
    EXPECT_EQ(plist_array_get_size(icons), 2u);
    for (uint32_t i = 0; i < plist_array_get_size(icons); ++i) {
      char* name = nullptr;
      plist_get_string_val(plist_array_get_item(icons, i), &name);
      ASSERT_NE(name, nullptr);
      EXPECT_TRUE(fs::is_regular_file(folder / name)) << name;
      free(name);
    }
    plist_free(info);
  }
}
