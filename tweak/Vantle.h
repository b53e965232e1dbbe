#pragma once

// The tweak library's entry points in the shell.
//
// `VantleInitialize` runs when the shell's loader loads the library. In the shell ("com.apple.springboard")
// it replaces the shell's methods that the capture and the window need and subscribes the settings reload
// to "net.torvask.LoadSettings"; in any other process it does nothing.
extern "C" void VantleInitialize();

// Whether the notification panel is shown now. Asking makes the window controller when it does not exist
// yet. Main thread.
bool vantleRunning();
