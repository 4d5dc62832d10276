#pragma once

#include <string>
#include <string_view>

namespace bio {

// The Qt platform the program is told to start on: `-platform NAME` or
// `-platform=NAME` on the command line, else QT_QPA_PLATFORM; empty for the
// desktop's own.
std::string NamedPlatform(int argc, const char* const* argv);

// True when `platform` (as NamedPlatform gives it; a list such as
// "wayland;xcb" when any of them can start) has what it needs: xcb needs
// DISPLAY and wayland WAYLAND_DISPLAY, the desktop's own either; a platform
// without a screen (offscreen, minimal, vnc) needs nothing. Without what it
// needs, Qt would abort with advice that does not fit.
bool DesktopSessionAvailable(std::string_view platform);

}  // namespace bio
