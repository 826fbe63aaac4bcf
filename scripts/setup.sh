#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, as root; does nothing for
# packages already there. Wine is 32-bit, so the i386 architecture is added first.
# On a machine whose kernel runs no 32-bit programs (some virtual machines turn
# IA-32 emulation off), 32-bit programs are run through qemu's user-mode emulator,
# registered with the kernel's binfmt_misc; qemu 10 from Debian's backports is needed,
# since the 7.2 of Debian 12 cannot map what Wine asks for.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine32:i386 xvfb openbox xdotool imagemagick x11-apps x11-utils python3
)
i386_loader=/lib/ld-linux.so.2  # comes with libc6:i386, which Wine brings
emulator=/usr/bin/qemu-i386
binfmt=/proc/sys/fs/binfmt_misc

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: $1 (run as root to install it)" >&2
    exit 1
  fi
}

install_packages() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  need_root "missing packages: ${missing[*]}"
  echo "setup: installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -q
  apt-get install -y -q "${missing[@]}"
}

runs_i386() { "$i386_loader" --version >/dev/null 2>&1; }

# qemu-user 10 from bookworm-backports, the suite of Debian's own archive that
# carries it.
install_emulator() {
  [ -x "$emulator" ] && "$emulator" --version 2>/dev/null | grep -qE 'version (9|[1-9][0-9])\.' && return 0
  need_root "qemu-user from bookworm-backports is needed to run 32-bit programs here"
  local list=/etc/apt/sources.list.d/bookworm-backports.list
  if ! grep -qs bookworm-backports /etc/apt/sources.list /etc/apt/sources.list.d/*; then
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-backports main" >"$list"
  fi
  apt-get update -q
  apt-get install -y -q -t bookworm-backports qemu-user
}

# Registers the emulator for i386 programs ("F": the kernel keeps it open, so it
# also serves programs started in other mount namespaces).
register_emulator() {
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
  [ -e "$binfmt/qemu-i386" ] && echo -1 >"$binfmt/qemu-i386"
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$emulator"':F' \
    >"$binfmt/register"
}

export DEBIAN_FRONTEND=noninteractive
install_packages
if ! runs_i386; then
  echo "setup: this kernel runs no 32-bit programs; running them through qemu-user"
  install_emulator
  register_emulator
  runs_i386 || { echo "setup: 32-bit programs still do not run" >&2; exit 1; }
fi
