#!/usr/bin/env bash
# Installs what building (and, with --test, testing) needs on Debian 12 and
# nothing that is already there. Safe to run any number of times.
set -euo pipefail

build_packages=(
  g++ make cmake pkg-config
  qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins
  fonts-ipafont-gothic fonts-ipafont-mincho qt6-translations-l10n
  dpkg-dev file
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev clang clang-format clang-tidy
  xvfb xauth xdotool x11-utils x11-xserver-utils
  poppler-utils
  cups cups-client cups-bsd printer-driver-cups-pdf
  desktop-file-utils appstream lintian
  at-spi2-core dbus-x11 python3-pyatspi gir1.2-atspi-2.0
)

packages=("${build_packages[@]}")
if [[ "${1:-}" == "--test" ]]; then
  packages+=("${test_packages[@]}")
fi

# One query for all: a query each took most of a second of every test run.
declare -A installed=()
while read -r name status; do
  [[ $status == "install ok installed" ]] && installed[$name]=1
done < <(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for p in "${packages[@]}"; do
  [[ -n ${installed[$p]:-} ]] || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
  sudo=()
else
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
