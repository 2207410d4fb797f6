#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing), configures and builds.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-translations-l10n
          libgtest-dev libgmock-dev libbenchmark-dev fonts-ipafont-gothic fonts-noto-cjk fonts-noto-color-emoji
          xvfb xauth xdotool imagemagick openbox libgl-dev libxcb1-dev libxcb-xtest0-dev locales
          dbus at-spi2-core python3-pyatspi xclip
          librsvg2-bin desktop-file-utils appstream x11-utils fp-utils
          clang-14 libclang-rt-14-dev llvm-14)
# The encoding recognition is measured against uchardet (bench/encoding_results.sh).
packages+=(libuchardet-dev)
# Archives are read through libarchive, every format of it.
packages+=(libarchive-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
