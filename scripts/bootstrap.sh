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
