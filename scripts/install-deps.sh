#!/usr/bin/env bash
# The one list of Debian packages Quenlith needs to build, run and test.
# Idempotent: installs only what is missing, and says nothing when all is present.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build mold pkg-config gettext ccache
  libgtkmm-3.0-dev libwebkit2gtk-4.1-dev libsoup-3.0-dev
  nlohmann-json3-dev libicu-dev libsigc++-2.0-dev libsecret-1-dev libdbusmenu-gtk3-dev libx11-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth openbox xfwm4 xdotool x11-utils imagemagick jq
  dbus dbus-x11 gnome-keyring libsecret-tools
  # the accessibility bus and a screen reader's library, for reading the windows from outside
  at-spi2-core libatspi2.0-dev
  tinyproxy microsocks stunnel4 openssl ca-certificates
  desktop-file-utils appstream
  # runtime: Chinese text needs a CJK font
  fonts-wqy-microhei
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  SUDO="sudo"
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# The packaged daemons start themselves on install; tests run their own on loopback.
for svc in tinyproxy; do
  if command -v systemctl >/dev/null && systemctl is-active --quiet "$svc" 2>/dev/null; then
    $SUDO systemctl stop "$svc" || true
  fi
done
