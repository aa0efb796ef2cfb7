#!/usr/bin/env bash
# Installs the Debian packages Vantel needs that are missing (as root, or via sudo).
# Usage: tools/deps.sh build|run|test|bench|icons|package (bench: the whole-process
# measurements and the look script under a virtual X server; icons: the
# renderer of the icon's PNG sizes; package: what cpack needs for the .deb)
set -euo pipefail
mode=${1:-test}
pkgs=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev libxlsxwriter-dev zlib1g-dev libevdev-dev qt6-httpserver-dev qt6-websockets-dev libqrencode-dev fonts-liberation fonts-ipafont fonts-ipafont-mincho fonts-dejavu-core fontconfig)
case "$mode" in
  test) pkgs+=(clang-format git python3 python3-openpyxl libgtest-dev libgmock-dev googletest libbenchmark-dev clang libclang-rt-14-dev appstream desktop-file-utils xvfb xauth tzdata dbus at-spi2-core python3-pyatspi xdotool x11-utils libglib2.0-bin chromium chromium-driver python3-selenium) ;;
  run) pkgs+=(libqt6widgets6 libqt6httpserver6 libqt6websockets6 libqrencode4 libxlsxwriter4) ;;
  bench) pkgs+=(libbenchmark-dev xvfb xauth dbus libglib2.0-bin at-spi2-core python3-pyatspi xdotool imagemagick qt6-charts-dev libqt6opengl6-dev libqcustomplot-dev) ;;
  icons) pkgs+=(librsvg2-bin) ;;
  package) pkgs+=(dpkg-dev file) ;;
esac
missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
  $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
