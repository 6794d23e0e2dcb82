#!/usr/bin/env bash
# Installs what a fresh Debian/Ubuntu machine lacks to build and test TALVOR.
set -euo pipefail
packages=(g++ cmake make pkg-config libgtest-dev qt6-base-dev gettext
          # tests: window titles on an X server, the report under a comma locale,
          # captions measured in the font the windows are laid out for
          xvfb x11-utils locales fonts-dejavu-core
          # the package and its check: make package, packaging/check-package.sh
          dpkg-dev file librsvg2-bin appstream desktop-file-utils lintian
          # make hardening: sanitizers and libFuzzer
          clang libclang-rt-14-dev)
case "${1:-}" in
  --with-display) packages+=(xauth) ;;
  # The log's flood benchmark: a virtual display, a session bus and
  # at-spi2-core's accessibility bus.
  --with-bench) packages+=(xauth dbus dbus-daemon at-spi2-core) ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
