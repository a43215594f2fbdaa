#!/usr/bin/env bash
# Installs what the build needs on a Debian 12 machine; does nothing when all is there.
set -euo pipefail

packages=(cmake ninja-build g++ clang-14 libclang-rt-14-dev nlohmann-json3-dev
          libgtest-dev libgmock-dev libbenchmark-dev libhwy-dev lv2-dev lilv-utils sordi jalv sox
          libjack-jackd2-dev jackd2 libsdbus-c++-dev dbus-daemon libreaderwriterqueue-dev libcli11-dev
          libncurses-dev libcairo2-dev libpango1.0-dev fonts-inter fonts-dejavu-core libx11-dev xvfb xdotool
          imagemagick python3 ardour pipewire pipewire-jack)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    # jackd2 asks whether to allow real-time scheduling; the tests run it without.
    echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
