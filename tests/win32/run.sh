#!/usr/bin/env bash
# Exercises the Windows binaries under Wine, in a fresh Wine prefix and a virtual X
# screen of 1024 x 768 with a window manager, as on a desktop; prints one
# "ok"/"not ok" line per check. Screenshots of the installer go to
# build/win32/screenshots/. Every wait is bounded and everything started here is
# ended on exit.
# Usage: tests/win32/run.sh BIN_DIR
set -uo pipefail
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/instalator-wine.XXXXXX")
# The Linux respack builds the packages; RESPACK may name another build of it.
native_respack=${RESPACK:-$root/build/native/bin/respack}
started=()  # process ids of what this script started in the background

export WINEPREFIX="$work/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
# Where the kernel runs no 32-bit programs, scripts/setup.sh has them run by qemu's
# user-mode emulator; the checks whose answers depend on it are told so.
if grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; then export INSTALATOR_I386_EMULATED=1; fi

cleanup() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null; done
  timeout 20 wineserver -k >/dev/null 2>&1
  for pid in "${started[@]}"; do timeout 5 tail --pid="$pid" -f /dev/null 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

n=0
status=0
check() {  # description, command...
  local what=$1; shift
  n=$((n + 1))
  if "$@" >"$work/out" 2>&1; then
    echo "ok $n - $what"
  else
    echo "not ok $n - $what"; sed 's/^/#   /' "$work/out"; status=1
  fi
}

# The X screen: Xvfb picks a free display number and writes it to fd 3 when ready.
start_display() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  started+=($!)
  local i
  for i in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { cat "$work/xvfb.log"; return 1; }
  export DISPLAY=":$(head -n 1 "$work/display")"
  # No key bindings: every key reaches the programs (Alt+F4 included).
  printf '<openbox_config xmlns="http://openbox.org/3.4/rc"><keyboard/></openbox_config>\n' >"$work/openbox.xml"
  openbox --sm-disable --config-file "$work/openbox.xml" >"$work/openbox.log" 2>&1 &
  started+=($!)
  for i in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.1
  done
  cat "$work/openbox.log"; return 1
}

# Wine draws and manages the windows itself on one virtual desktop as large as the
# screen: it then stacks, activates and maximises them as Windows does. (Left to the
# window manager, a window shown over another one stays black here.) The desktop is
# chosen in the prefix, and the Wine server restarted to take it up.
use_virtual_desktop() {
  timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f &&
    timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f &&
    timeout 20 wineserver -k && timeout 20 wineserver -w
}

check "a virtual screen with a window manager starts" start_display
check "a fresh Wine prefix is made" timeout 180 wineboot --init
check "Wine uses a virtual desktop of 1024x768" use_virtual_desktop

respack() { timeout 60 wine "$bin/respack.exe" "$@"; }

# A sample with a Polish file name and a file larger than one 4096-byte block.
mkdir -p "$work/in" "$work/out-dir"
printf 'Zażółć gęślą jaźń\r\n' >"$work/in/zażółć.txt"
head -c 300000 /usr/bin/wine >"$work/in/big.bin" 2>/dev/null || head -c 300000 /dev/urandom >"$work/in/big.bin"
printf 'trzeci plik\r\n' >"$work/in/third.txt"

cd "$work"
check "respack.exe --version" respack --version
check "respack.exe create" respack create pkg.res
check "respack.exe add with a Polish file name" respack add pkg.res 'in\zażółć.txt' 'in\big.bin'
check "respack.exe list names the Polish entry" bash -c "timeout 60 wine '$bin/respack.exe' list pkg.res | grep -q 'zażółć.txt'"
check "respack.exe test" respack test pkg.res
check "respack.exe extract" respack extract pkg.res -d out-dir
check "extracted files equal the originals" bash -c "cmp in/zażółć.txt out-dir/zażółć.txt && cmp in/big.bin out-dir/big.bin"
# A second add replaces the catalogue: the package ends as one add of all three makes it.
check "respack.exe add in two steps gives the bytes of one add" bash -c \
  "respack() { timeout 60 wine '$bin/respack.exe' \"\$@\"; } && respack add pkg.res 'in\\third.txt' &&
   respack create once.res && respack add once.res 'in\\zażółć.txt' 'in\\big.bin' 'in\\third.txt' &&
   cmp pkg.res once.res"
check "Linux respack reads the package respack.exe wrote" "$native_respack" test pkg.res

# A check program that numbers its own "ok"/"not ok" lines from the number it is
# given first; a program that prints none fails as one check.
numbered() {  # program [argument...]
  local program=$1 count; shift
  timeout 300 wine "$bin/$program.exe" "$n" "$@" >"$work/$program.txt" 2>&1
  count=$(grep -cE '^(not )?ok [0-9]+ - ' "$work/$program.txt")
  grep -E '^((not )?ok [0-9]+ - |#)' "$work/$program.txt"
  n=$((n + count))
  if [ "$count" -eq 0 ]; then
    n=$((n + 1)); status=1
    echo "not ok $n - $program.exe runs"; sed 's/^/#   /' "$work/$program.txt"
  elif grep -qE '^not ok ' "$work/$program.txt"; then
    status=1
  fi
}

# The Win32 backend against the portable reference and the system's own answers.
numbered backend_check
# The shell requests: self-registration, links, the reboot queue.
mkdir -p "$work/shell" && cp "$bin/register_server.dll" "$work/shell/"
numbered shell_check "$(winepath -w "$work/shell")"
# The installer's bold labels painted with the backend's fonts.
numbered label_check

# Setup.exe itself, driven from outside.
. "$here/setup_exe.sh"
# The demo package: an abort, the happy path to the started application, and a
# second run over a file in use.
. "$here/demo_install.sh"
# Over that installation: an abort during the copy of a file in use, and two damaged
# packages; each leaves the installed file as it was.
. "$here/interrupted.sh"
# A product of two volumes built by respack build.
. "$here/two_volumes.sh"
# Then the real uninstaller, started as the uninstall entry says, removes the demo.
. "$here/uninstall.sh"
# Unattended: a silent installation, two failures with their codes, a silent removal,
# then the same with the windows managed by the window manager (the last scenario).
. "$here/unattended.sh"

exit $status
