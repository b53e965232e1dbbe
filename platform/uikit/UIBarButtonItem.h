#pragma once

#include "NSObject.h"

#include <functional>
#include <optional>
#include <string>

// The platform's system items that this toolkit draws (their platform values).
enum UIBarButtonSystemItem {
    UIBarButtonSystemItemDone = 0,
    UIBarButtonSystemItemAdd = 4,
};

enum UIBarButtonItemStyle {
    UIBarButtonItemStylePlain = 0,
    UIBarButtonItemStyleBordered = 1,
    UIBarButtonItemStyleDone = 2,
};

// A button for a navigation bar: a system item ("Done" on a blue button, a plus sign for "Add") or a
// titled one, with a target–action pair. As with controls, the action is a callback and the target only
// identifies who set it. A disabled item takes taps and sends nothing.
class UIBarButtonItem final : public NSObject {
public:
    using Action = std::function<void()>;

    UIBarButtonItem(UIBarButtonSystemItem systemItem, const void* target, Action action);
    UIBarButtonItem(std::string title, UIBarButtonItemStyle style, const void* target, Action action);
    static std::shared_ptr<UIBarButtonItem> initWithBarButtonSystemItem(UIBarButtonSystemItem systemItem,
                                                                        const void* target, Action action);

    std::optional<UIBarButtonSystemItem> systemItem() const { return systemItem_; }
    const std::string& title() const { return title_; }
    UIBarButtonItemStyle style() const { return style_; }
    const void* target() const { return target_; }
    void setTargetAction(const void* target, Action action);
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }

    // What a tap on the item's button does: runs the action when the item is enabled and has one.
    void sendAction() const;

    std::string className() const override { return "UIBarButtonItem"; }

private:
    std::optional<UIBarButtonSystemItem> systemItem_;
    std::string title_;
    UIBarButtonItemStyle style_;
    const void* target_;
    Action action_;
    bool enabled_ = true;
};
