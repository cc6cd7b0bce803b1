#!/usr/bin/env bash
# Builds the guest test bed once per machine: a Debian root with Wine, Xvfb,
# the Japanese locale and fonts, packed into a disk image, with the kernel and
# initrd of its own kernel package beside it. It goes to a cache outside the
# clone (MORVINT_GUEST_CACHE, default /var/cache/morvint-guest), so later runs
# and later clones on this machine reuse it. Does nothing when the cache is
# current. An interrupted build leaves only its work folder, which the next
# run removes and builds again. Needs root, debootstrap and e2fsprogs.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../lib.sh"
source "$here/config.sh"

# Packages of the guest: Wine and its display, the locales and fonts the tests
# use, ctest to run them, and what a test fixture may start: a pseudo-terminal
# pair for serial ports, a sound server with a null sink (and Wine's 32-bit
# client library for it) for sound.
guest_packages=(
  linux-image-amd64 initramfs-tools kmod
  wine wine32:i386 xvfb xauth x11-utils
  locales fonts-ipafont-gothic imagemagick
  cmake iproute2 procps psmisc python3
  tigervnc-standalone-server
  socat pulseaudio pulseaudio-utils libpulse0:i386
)

fail() {
  echo "guest build: $*" >&2
  exit 1
}

[ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap and chroot); run it as root or with sudo"
for tool in debootstrap mke2fs chroot; do
  command -v "$tool" >/dev/null || fail "$tool is missing; run scripts/install-deps.sh"
done

# Two stamps: one of what shapes the root (a change rebuilds everything), one
# of what shapes the Wine prefixes on its disk (a change only prepares them
# again, on a copy of the disk, so running guests keep the one they booted).
root_stamp=$(cat "$here/build.sh" "$here/init" | sha256sum | cut -c1-16)
prefix_stamp=$(cat "$here/inside.sh" "$here/../wine-run.sh" | sha256sum | cut -c1-16)
mkdir -p "$GUEST_CACHE" || fail "cannot create the cache folder $GUEST_CACHE"
exec 7>"$GUEST_CACHE/lock"
flock 7

# Boots the guest on DISK (kernel and initrd from BOOT) to create the prefixes.
prepare_prefixes() {
  GUEST_BOOT=$1 GUEST_DISK=$2 "$here/run.sh" --writable "$here/inside.sh" --prepare ||
    fail "the guest could not create its Wine prefixes; see the messages above"
}

if [ "$(cat "$GUEST_READY/stamp" 2>/dev/null)" = "$root_stamp" ]; then
  [ "$(cat "$GUEST_READY/prefix-stamp" 2>/dev/null)" = "$prefix_stamp" ] && exit 0
  echo "guest build: the Wine settings changed; creating the guest's Wine prefixes again"
  rm -f "$GUEST_READY/disk.new"
  cp --sparse=always "$GUEST_READY/disk.img" "$GUEST_READY/disk.new"
  prepare_prefixes "$GUEST_READY" "$GUEST_READY/disk.new"
  mv "$GUEST_READY/disk.new" "$GUEST_READY/disk.img"
  echo "$prefix_stamp" >"$GUEST_READY/prefix-stamp"
  exit 0
fi

work=$GUEST_CACHE/work
root=$work/root
start=$SECONDS
echo "guest build: building the guest test bed in $GUEST_CACHE (once per machine; about 10 to 15 minutes, 2 GB)"
unmount_chroot() {
  for m in dev/pts dev proc sys; do
    mountpoint -q "$root/$m" 2>/dev/null && umount -l "$root/$m"
  done
  return 0
}
trap unmount_chroot EXIT
unmount_chroot
rm -rf "$work"
mkdir -p "$work"

free_kb=$(df -Pk "$GUEST_CACHE" | awk 'NR == 2 { print $4 }')
((free_kb > 6 * 1024 * 1024)) || fail "$GUEST_CACHE has $((free_kb / 1024)) MB free; the guest needs 6 GB while it is built"

debootstrap_retrying() {
  local try
  for try in 1 2 3; do
    debootstrap --variant=minbase bookworm "$root" "$GUEST_MIRROR" >"$work/debootstrap.log" 2>&1 && return 0
    echo "guest build: debootstrap failed (try $try of 3):" >&2
    tail -n 3 "$work/debootstrap.log" >&2
    rm -rf "$root"
    sleep 15
  done
  fail "debootstrap kept failing; see $work/debootstrap.log"
}
debootstrap_retrying

# Inside the root: i386 for wine32, no services started by package scripts,
# and the drivers the guest boots with in its initrd.
chroot "$root" dpkg --add-architecture i386
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
mkdir -p "$root/etc/initramfs-tools"
printf '%s\n' virtio_pci virtio_blk ext4 >>"$root/etc/initramfs-tools/modules"
# The release itself only: the guest has no network, so it needs no security
# updates, and one index per architecture cannot leave the amd64 and i386
# halves of a package at different versions when a mirror is mid-sync.
echo "deb $GUEST_MIRROR bookworm main" >"$root/etc/apt/sources.list"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"

APT_GET="chroot $root apt-get"
apt_update_retrying
# Scripts of i386 packages cannot run here (this kernel may refuse 32-bit
# programs); they only register alternatives and caches Wine does not need,
# so an install that fails on them alone is finished by configuring the rest.
if ! apt_install "${guest_packages[@]}"; then
  echo "guest build: finishing the install without the scripts this machine cannot run"
  DEBIAN_FRONTEND=noninteractive chroot "$root" dpkg --configure -a >"$work/configure.log" 2>&1 || true
  chroot "$root" dpkg-query -W -f='${Package}\n' "${guest_packages[@]%%:*}" >/dev/null 2>&1 ||
    fail "packages missing in the guest root after the install"
fi
for p in wine32 wine xvfb linux-image-amd64 cmake; do
  chroot "$root" dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'installed' ||
    fail "the guest root has no $p; see the messages above"
done

sed -i -e 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' -e 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' "$root/etc/locale.gen"
chroot "$root" locale-gen >/dev/null
chroot "$root" apt-get clean
install -m 755 "$here/init" "$root/sbin/morvint-init"
echo morvint-guest >"$root/etc/hostname"
unmount_chroot

kernel=$(ls "$root"/boot/vmlinuz-* 2>/dev/null | sort -V | tail -n 1)
initrd=$(ls "$root"/boot/initrd.img-* 2>/dev/null | sort -V | tail -n 1)
[ -n "$kernel" ] && [ -n "$initrd" ] || fail "the guest root has no kernel or initrd in /boot"
cp "$kernel" "$work/vmlinuz"
cp "$initrd" "$work/initrd.img"

# The disk image is sparse; the guest runs on a throw-away overlay of it.
mke2fs -q -t ext4 -L morvint-guest -d "$root" "$work/disk.img" "$GUEST_DISK_SIZE" ||
  fail "mke2fs could not pack the root into a disk image"
rm -rf "$root"

# Boot the new guest once to create the tests' Wine prefixes on its disk.
echo "guest build: first boot, creating the Wine prefixes"
prepare_prefixes "$work" "$work/disk.img"

echo "$root_stamp" >"$work/stamp"
echo "$prefix_stamp" >"$work/prefix-stamp"
rm -rf "$GUEST_READY"
mv "$work" "$GUEST_READY"
echo "guest build: done in $((SECONDS - start)) s"
