#pragma once

// The table and cell constants, with the platform's numbers (callers pass them as numbers, e.g. cell
// style 3, selection style 2).

enum class UITableViewStyle : int {
    Plain = 0,
    Grouped = 1,
};

enum class UITableViewCellStyle : int {
    Default = 0,
    Value1 = 1, // title at the left, detail at the right
    Subtitle = 3,
};

enum class UITableViewCellSelectionStyle : int {
    None = 0,
    Blue = 1,
    Gray = 2,
};

enum class UITableViewCellAccessoryType : int {
    None = 0,
    DisclosureIndicator = 1,
    Checkmark = 3,
};

enum class UITableViewCellEditingStyle : int {
    None = 0,
    Delete = 1,
    Insert = 2,
};

// Bits of the state a cell is told about in willTransitionToState / didTransitionToState.
enum UITableViewCellStateMask : unsigned {
    UITableViewCellStateDefaultMask = 0,
    UITableViewCellStateShowingEditControlMask = 1u << 0,
    UITableViewCellStateShowingDeleteConfirmationMask = 1u << 1,
};

enum class UITableViewRowAnimation : int {
    Fade = 0,
    Right = 1, // slides in from, or out to, the right
    Left = 2,
    Top = 3,
    Bottom = 4,
    None = 5,
    Middle = 6,
};

enum class UITableViewScrollPosition : int {
    None = 0,
    Top = 1,
    Middle = 2,
    Bottom = 3,
};
