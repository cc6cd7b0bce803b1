#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, and nothing
# when everything is already there. Run as root (or with sudo available).
#
# Where this kernel refuses 32-bit programs (or MORVINT_GUEST=1), Wine runs in
# a full-system guest instead: this machine then needs the emulator and the
# tools that build the guest, and the guest carries Wine (scripts/guest/).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$top/scripts/lib.sh"

APT_GET="as_root apt-get"

packages=(
  cmake ninja-build g++ make
  g++-mingw-w64-i686 gcc-mingw-w64-i686
  googletest imagemagick clang-format
)
if guest_needed; then
  packages+=(qemu-system-x86 debootstrap e2fsprogs util-linux)
else
  packages+=(wine wine32:i386 xvfb x11-utils xauth locales fonts-ipafont-gothic
    socat pulseaudio pulseaudio-utils libpulse0:i386 python3)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  apt_update_retrying
  apt_install "${missing[@]}"
fi

guest_needed && exit 0

# Wine's ANSI code page follows the locale: ja_JP.UTF-8 gives code page 932,
# en_US.UTF-8 code page 1252. Tests run under both.
for loc in ja_JP en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$loc\.utf-\?8$"; then
    as_root sed -i "s/^# *$loc.UTF-8 UTF-8/$loc.UTF-8 UTF-8/" /etc/locale.gen
    grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
  fi
done
