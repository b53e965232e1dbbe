#include "WindowSystemConnection.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <dlfcn.h>

#if defined(SDL_VIDEO_DRIVER_WAYLAND)
namespace {

// SDL loads the Wayland client library itself; its function is looked up there rather than linked, so the
// host runs on X11 without it.
int waylandDescriptor(void* display)
{
    void* library = dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (library == nullptr) {
        return -1;
    }
    using GetFd = int (*)(void*);
    const auto getFd = reinterpret_cast<GetFd>(dlsym(library, "wl_display_get_fd"));
    const int fd = getFd != nullptr ? getFd(display) : -1;
    dlclose(library);
    return fd;
}

} // namespace
#endif

int windowSystemConnectionDescriptor(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info)) {
        return -1;
    }
    switch (info.subsystem) {
#if defined(SDL_VIDEO_DRIVER_X11)
    case SDL_SYSWM_X11:
        return ConnectionNumber(info.info.x11.display);
#endif
#if defined(SDL_VIDEO_DRIVER_WAYLAND)
    case SDL_SYSWM_WAYLAND:
        return waylandDescriptor(info.info.wl.display);
#endif
    default:
        return -1;
    }
}
