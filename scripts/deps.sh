#!/usr/bin/env bash
# Installs the Debian packages the program needs to build, run and test,
# but only those that are missing, so a second run costs a dpkg query.
set -euo pipefail

PACKAGES=(
  cmake make g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libqt6serialport6-dev
  libqcustomplot-dev libqcustomplot2.1-qt6
  fonts-liberation
)
if [ "${1:-}" = "--gui-check" ]; then
  PACKAGES+=(xvfb xauth imagemagick xdotool)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Run as root or install sudo: missing ${missing[*]}" >&2; exit 1; }
  SUDO=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
