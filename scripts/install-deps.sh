#!/usr/bin/env bash
# Installs the Debian packages Trel needs to build, test and run, when any is missing; with arguments,
# those packages instead.
set -euo pipefail
packages=(cmake ninja-build g++ make qt6-base-dev qt6-base-dev-tools libgtest-dev googletest fonts-liberation
          xvfb xauth qstat dpkg-dev file lintian xdotool)
[ $# -eq 0 ] || packages=("$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
