#!/usr/bin/env bash
# Installs every package the build, the tests and the demo need. Idempotent:
# when everything is present it only checks and returns.
set -euo pipefail

packages=(
  # native build
  g++ cmake ninja-build git
  # tests, benchmarks, fuzzing and static checks
  googletest libbenchmark-dev clang libclang-rt-14-dev clang-format clang-tidy
  # the Windows build and running it under Wine with a virtual display
  mingw-w64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 xvfb xauth
  # the Linux program: touchscreens and virtual devices, the X11 desktop
  pkg-config libevdev-dev libmtdev-dev libxcb1-dev libxcb-ewmh-dev libxcb-shape0-dev
  libxcb-randr0-dev libxcb-xtest0-dev libxcb-icccm4-dev matchbox-window-manager x11-utils
  # PNG writing for the picture generator
  zlib1g-dev
  # the virtual machine that tests the Linux program against a real kernel
  qemu-system-x86 busybox-static
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
