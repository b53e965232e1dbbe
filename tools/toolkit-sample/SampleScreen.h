#pragma once

#include "SampleTableSource.h"

#include <memory>
#include <string>
#include <vector>

class SampleBadgeView;
class UIButton;
class UIImage;
class UIImageView;
class UILabel;
class UITableView;
class UIWindow;

// A screen of the view toolkit for a person to look at: a title label over a grouped table with one
// section per cell style, and along the bottom an application icon, a push button and a count badge whose
// digits are cut out with the clear blend mode. Its window is visible on the main screen while the object
// lives; its pictures are the artwork's, read from the device root at the main screen's scale.
class SampleScreen {
public:
    SampleScreen();
    ~SampleScreen();
    SampleScreen(const SampleScreen&) = delete;
    SampleScreen& operator=(const SampleScreen&) = delete;

    // The device paths of pictures that did not load (the screen shows nothing in their place).
    const std::vector<std::string>& missingArtwork() const { return missingArtwork_; }

    UIWindow& window() const { return *window_; }
    UITableView& table() const { return *table_; }
    SampleBadgeView& badge() const { return *badge_; }

private:
    std::shared_ptr<UIImage> loadArtwork(const std::string& devicePath);
    void addTitle();
    void addTable();
    void addBottomRow();

    std::vector<std::string> missingArtwork_;
    SampleTableSource tableSource_;
    std::shared_ptr<UIWindow> window_;
    std::shared_ptr<UITableView> table_;
    std::shared_ptr<SampleBadgeView> badge_;
};
