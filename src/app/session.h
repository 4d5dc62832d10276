#pragma once

namespace bio {

// True when the environment names a graphical session to open the windows
// on (DISPLAY or WAYLAND_DISPLAY), or a Qt platform chosen by hand
// (QT_QPA_PLATFORM, e.g. offscreen). Without any of them Qt would abort with
// advice that does not fit.
bool DesktopSessionAvailable();

}  // namespace bio
