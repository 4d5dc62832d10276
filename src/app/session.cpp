#include "app/session.h"

#include <cstdlib>
#include <string_view>

namespace bio {

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// One platform, with its options (":size=800x600") left off.
bool PlatformCanStart(std::string_view platform) {
  platform = platform.substr(0, platform.find(':'));
  if (platform == "xcb") return Set("DISPLAY");
  if (platform.starts_with("wayland")) return Set("WAYLAND_DISPLAY");
  return true;
}

// A list of platforms separated by ';', any of which Qt may take.
bool AnyPlatformCanStart(std::string_view platforms) {
  while (true) {
    const std::size_t end = platforms.find(';');
    if (PlatformCanStart(platforms.substr(0, end))) return true;
    if (end == std::string_view::npos) return false;
    platforms.remove_prefix(end + 1);
  }
}

}  // namespace

std::string NamedPlatform(int argc, const char* const* argv) {
  const char* env = std::getenv("QT_QPA_PLATFORM");
  std::string_view named = env ? env : "";
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg.starts_with("--")) arg.remove_prefix(1);  // Qt takes --platform too
    if (arg == "-platform" && i + 1 < argc) {
      named = argv[++i];
    } else if (arg.starts_with("-platform=")) {
      named = arg.substr(arg.find('=') + 1);
    }
  }
  return std::string(named);
}

bool DesktopSessionAvailable(std::string_view platform) {
  if (!platform.empty()) return AnyPlatformCanStart(platform);
  return Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

}  // namespace bio
