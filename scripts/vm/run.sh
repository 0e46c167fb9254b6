#!/usr/bin/env bash
# The `vm` test stage: runs the programs of tests/vm on a real Linux kernel,
# in a small VM, because the machines that build ZEM may have no uinput or
# /dev/input (this one has neither).
#
#   scripts/vm/run.sh            (scripts/test.sh vm runs it)
#
# 1. Debian's kernel and its evdev and uinput modules, fetched once into
#    build/vm/kernel (scripts/vm/kernel.sh); later runs need no network.
# 2. The programs, built in the linux-debug tree (target zem_vm_programs):
#    the list to run is build/linux-debug/tests/vm/vm-programs.txt, the
#    programs to put in the VM's /bin (zem, once it exists) vm-bin.txt.
# 3. An initramfs (build/vm/initrd.cpio): busybox, the modules, the programs
#    with the shared libraries they load, tests/data/evdev as /data/evdev,
#    and scripts/vm/init as /init.
# 4. qemu under software emulation (TCG; KVM does not work here), booting
#    the uncompressed kernel through qboot: about 5 s a boot. The results
#    come back on the second serial port (build/vm/results.txt), the console
#    in build/vm/console.log.
#
# The stage fails, naming the checks, when a check fails, a program exits
# non-zero, or the VM does not finish (ZEM_VM_TIMEOUT seconds, default 240).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."

stage_start=$(date +%s.%N)
out=build/vm
tree=build/linux-debug
timeout_s="${ZEM_VM_TIMEOUT:-240}"
jobs="${ZEM_JOBS:-$(nproc)}"

elapsed() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }
fail() {
  echo "vm: $*" >&2
  exit 1
}

scripts/vm/kernel.sh "$out/kernel"
kernel="$out/kernel"
read -r _ _ release <"$kernel/release"

result() { tr -d '\r' <"$out/results.txt"; }

cmake --preset linux-debug >/dev/null
cmake --build --preset linux-debug -j "$jobs" --target zem_vm_programs
programs="$tree/tests/vm/vm-programs.txt"
bin_programs="$tree/tests/vm/vm-bin.txt"

root="$out/root"
rm -rf "$root"
mkdir -p "$root"/{bin,dev,proc,sys,tmp,modules,tests,data}
cp /bin/busybox "$root/bin/busybox"
cp "$kernel/evdev.ko" "$kernel/uinput.ko" "$root/modules/"
cp -r tests/data/evdev "$root/data/evdev"
cp scripts/vm/init "$root/init"

# A program, without its debugging symbols (the initramfs is unpacked under
# emulation: every megabyte costs boot time), with the shared libraries (and
# loader) it needs, at the paths it looks for them.
add_program() {
  local program=$1 target=$2 lib
  strip --strip-debug -o "$target" "$program"
  for lib in $(ldd "$program" | grep -o '/[^ ]*'); do
    [ -e "$root$lib" ] || cp -L --parents "$lib" "$root"
  done
}

: >"$root/tests/list"
while read -r program arguments; do
  [ -n "$program" ] || continue
  add_program "$program" "$root/tests/${program##*/}"
  echo "${program##*/} $arguments" >>"$root/tests/list"
done <"$programs"
if [ -f "$bin_programs" ]; then
  while read -r program; do
    [ -n "$program" ] && add_program "$program" "$root/bin/${program##*/}"
  done <"$bin_programs"
fi
(cd "$root" && find . | LC_ALL=C sort | busybox cpio -o -H newc 2>/dev/null) >"$out/initrd.cpio"

rm -f "$out/results.txt" "$out/console.log"
echo "vm: booting Linux $release ($(du -h "$out/initrd.cpio" | cut -f1) initramfs)"
boot_start=$(date +%s.%N)
status=0
timeout "$timeout_s" qemu-system-x86_64 -accel tcg -m 256 -nic none \
  -bios /usr/share/qemu/qboot.rom -nographic -monitor none -no-reboot \
  -kernel "$kernel/vmlinux" -initrd "$out/initrd.cpio" \
  -append "console=ttyS0 quiet panic=-1 rdinit=/init" \
  -serial "file:$out/console.log" -serial "file:$out/results.txt" </dev/null &
qemu=$!
# The boot time on the wall clock: until /init's first line (the guest's own
# clock is unreliable while it boots under emulation).
boot_seconds="?"
while kill -0 "$qemu" 2>/dev/null; do
  if [ "$boot_seconds" = "?" ] && [ -s "$out/results.txt" ]; then
    boot_seconds=$(elapsed "$boot_start")
  fi
  sleep 0.1
done
wait "$qemu" || status=$?
vm_seconds=$(elapsed "$boot_start")

touch "$out/results.txt"
result | grep -v '^exit ' || true
if [ "$status" -eq 124 ]; then
  tail -n 20 "$out/console.log" >&2 || true
  fail "the VM did not finish within ${timeout_s} s (console: $out/console.log)"
fi
if ! grep -q '^vm: done' "$out/results.txt"; then
  tail -n 20 "$out/console.log" >&2 || true
  fail "the VM stopped before its tests ended (qemu status $status; console: $out/console.log)"
fi

failed=$(result | grep '^not ok' || true)
crashed=$(result | awk '$1 == "exit" && $3 != 0 { print $2 " exited with status " $3 }')
checks=$(result | grep -c '^ok' || true)
tests=$(result | sed -n 's/^# tests: \([0-9.]*\) s/\1/p')
echo "vm: $checks checks passed; boot $boot_seconds s (qemu start to /init), tests ${tests:-?} s," \
  "qemu ${vm_seconds} s in all; the vm stage took $(elapsed "$stage_start") s"
if [ -n "$failed" ] || [ -n "$crashed" ]; then
  echo "vm: failed:" >&2
  [ -z "$failed" ] || echo "$failed" >&2
  [ -z "$crashed" ] || echo "$crashed" >&2
  echo "vm: the programs' error output is in $out/console.log" >&2
  exit 1
fi
