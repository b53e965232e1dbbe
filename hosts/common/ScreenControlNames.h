#pragma once

// The commands every host's control object answers alike, for the screen as a whole: the finger, the picture,
// the state and the wait. Points are on the portrait screen of kScreenWidth × kScreenHeight.
//
//   Tap             (d x, d y)
//   Drag            (d x1, d y1, d x2, d y2, i steps)   1..kMaxDragSteps
//   WriteScreenshot (s absolutePath)                    a PNG at the screen's scale
//   State           () -> (s stateXML)                  an XML property list, the host's own dictionary
//   WaitUntilIdle   ()                                  answered once the host is idle
struct ScreenControlNames {
    static constexpr const char* kTap = "Tap";
    static constexpr const char* kDrag = "Drag";
    static constexpr const char* kWriteScreenshot = "WriteScreenshot";
    static constexpr const char* kState = "State";
    static constexpr const char* kWaitUntilIdle = "WaitUntilIdle";

    static constexpr double kScreenWidth = 320;
    static constexpr double kScreenHeight = 480;
    static constexpr int kMaxDragSteps = 1000;
};
