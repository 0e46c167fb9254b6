#!/usr/bin/env bash
# Puts Debian's kernel, uncompressed, and its evdev and uinput modules into
# DIR (default build/vm/kernel), for the test VM:
#
#   DIR/vmlinux      the kernel as an ELF image (qemu boots it directly, which
#                    saves the decompression: about 4 s under emulation)
#   DIR/evdev.ko     /dev/input/event* nodes
#   DIR/uinput.ko    /dev/uinput
#   DIR/release      the package and kernel release they came from
#
# The versioned kernel package that linux-image-amd64 points to is downloaded
# (apt-get download, no installation) and only these three files are kept.
# When DIR already holds them nothing is fetched, so later runs work offline.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."

dir="${1:-build/vm/kernel}"
if [ -s "$dir/vmlinux" ] && [ -s "$dir/evdev.ko" ] && [ -s "$dir/uinput.ko" ] && [ -s "$dir/release" ]; then
  exit 0
fi

fail() {
  echo "vm: $*" >&2
  echo "vm: the kernel is fetched once from Debian's archive and kept in $dir;" \
    "this machine has no copy yet and could not get one" >&2
  exit 1
}

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "vm: fetching Debian's kernel package (once; kept in $dir)"
# Fresh package lists name the kernel the archive has now; when they cannot
# be had (no network, apt busy) the lists at hand may still do.
if ! $sudo apt-get update -qq; then
  echo "vm: apt-get update failed; trying with the package lists at hand" >&2
fi
package=$(apt-cache depends linux-image-amd64 2>/dev/null |
  sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*\)$/\1/p' | head -n 1)
[ -n "$package" ] || fail "linux-image-amd64 names no versioned kernel package"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work" # apt-get download runs as _apt
(cd "$work" && apt-get download -q "$package" >download.log 2>&1) ||
  { tail -n 3 "$work/download.log" >&2; fail "cannot download $package from Debian's archive (no network?)"; }
deb=$(find "$work" -maxdepth 1 -name '*.deb' | head -n 1)
[ -n "$deb" ] || fail "apt-get download $package produced no package"
# Only the kernel image and the two modules are unpacked.
mkdir -p "$work/root"
dpkg-deb --fsys-tarfile "$deb" |
  tar -x -C "$work/root" --wildcards \
    "./boot/vmlinuz-*" "*/evdev.ko*" "*/uinput.ko*" 2>/dev/null ||
  fail "cannot unpack $package"

vmlinuz=$(find "$work/root/boot" -name 'vmlinuz-*' | head -n 1)
[ -n "$vmlinuz" ] || fail "$package holds no /boot/vmlinuz-*"
release=${vmlinuz##*/vmlinuz-}
modules="$work/root/lib/modules/$release/kernel/drivers/input"

# A module may be stored compressed (.ko.xz): the VM's insmod gets it plain.
module() {
  local name=$1 found
  found=$(find "$modules" -name "$name.ko*" | head -n 1)
  [ -n "$found" ] || fail "$package holds no $name module"
  case "$found" in
    *.xz) xz -dc "$found" >"$work/$name.ko" ;;
    *.zst) zstd -qdc "$found" >"$work/$name.ko" ;;
    *) cp "$found" "$work/$name.ko" ;;
  esac
}
module evdev
module uinput

# vmlinuz is a boot stub followed by the compressed kernel: find the xz
# stream's magic and unpack from there (xz ignores the stub's trailer).
offset=$(LC_ALL=C grep -obUaP '\xfd7zXZ\x00' "$vmlinuz" | head -n 1 | cut -d: -f1)
[ -n "$offset" ] || fail "no xz payload found in $vmlinuz"
tail -c "+$((offset + 1))" "$vmlinuz" | xz -dc -q 2>/dev/null >"$work/vmlinux" || true
[ "$(head -c 4 "$work/vmlinux" | od -An -tx1 | tr -d ' ')" = 7f454c46 ] ||
  fail "the payload of $vmlinuz is not an ELF kernel"

mkdir -p "$dir"
mv "$work/vmlinux" "$work/evdev.ko" "$work/uinput.ko" "$dir/"
echo "$package $(dpkg-deb -f "$deb" Version) $release" >"$dir/release"
echo "vm: kernel $release ready in $dir"
