#include "app/session.h"

#include <cstdlib>
#include <initializer_list>

namespace bio {

const char kNoDesktopSessionMessage[] =
    "バイオリズム診断にはデスクトップの画面が必要です。画面なしで動かすには xvfb-run "
    "を使ってください。\n"
    "biorhythm needs a desktop session (no DISPLAY or WAYLAND_DISPLAY is set); to run it without "
    "a screen, use xvfb-run.\n";

bool DesktopSessionAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

}  // namespace bio
