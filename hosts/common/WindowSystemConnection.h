#pragma once

struct SDL_Window;

// The descriptor of the window's connection to its window system (the X server's socket, the Wayland
// compositor's), which becomes readable when events arrive; -1 for a window system of another kind.
// Kept apart because the window systems' headers define macros that clash with ordinary names.
int windowSystemConnectionDescriptor(SDL_Window* window);
