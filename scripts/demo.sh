#!/usr/bin/env bash
# The main job for a newcomer: builds everything, packs the demo product (demo/)
# into Setup1.res beside a copy of Setup.exe, and installs it under Wine in a fresh
# Wine prefix. With DISPLAY set, Setup.exe opens on that display for you to click
# through; without it, it runs on a virtual X screen and is driven through the whole
# installation, with a screenshot of every dialog. Prints where the product was
# installed and where the screenshots are.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j 2
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j 2

bin=$root/build/win32/bin
respack=$root/build/native/bin/respack
demo=$root/build/win32/demo
shots=$root/build/win32/screenshots/demo-run

run() { echo "\$ $*"; "$@"; echo; }
bash scripts/make-demo-package.sh "$bin" "$respack" "$demo" >/dev/null
echo "The demo package, packed by respack from demo/ and the demo binaries:"
run "$respack" list "$demo/Setup1.res"
run "$respack" test "$demo/Setup1.res"

export WINEPREFIX=$demo/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX" "$shots"
started=()
cleanup() {
  local pid
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# A virtual X screen with a window manager, and Wine on one desktop as large as it.
start_virtual_screen() {
  local fd_file=$demo/display i
  rm -f "$fd_file"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  started+=($!)
  for i in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n 1 "$fd_file")"
  printf '<openbox_config xmlns="http://openbox.org/3.4/rc"><keyboard/></openbox_config>\n' >"$demo/openbox.xml"
  openbox --sm-disable --config-file "$demo/openbox.xml" >/dev/null 2>&1 &
  started+=($!)
  for i in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
}

driver() { timeout 40 wine "$bin/driver.exe" "$@"; }
screenshot() { xwd -root -silent | convert xwd:- "$shots/$1.png"; }
# Waits for the window, keeps a screenshot of it, then clicks the control with that text.
step() {  # caption control-text shot
  echo "  $1: $2"
  driver wait "$1" 30000 >/dev/null || { screenshot "$3-missing"; echo "no window \"$1\"" >&2; return 1; }
  sleep 0.5
  screenshot "$3"
  driver click "$1" "$2" >/dev/null
}

drive_happy_path() {
  mkdir -p "$shots"
  (cd "$demo" && exec timeout -k 5 300 wine Setup.exe) >"$demo/wine.log" 2>&1 &
  local setup=$!
  started+=("$setup")
  echo "Driving Setup.exe through the installation:"
  step "Instalator programu" "&Instaluj" 1-welcome
  step "Wskaż katalog docelowy" "&Instaluj" 2-directory
  step "Instalator" "&Yes" 3-create-directory
  step "Wskaż grupę dla programu" "&Instaluj" 4-group
  step "Instalacja zakończona" "Uruchom zainstalowaną aplikację" 5-finish
  sleep 0.5
  step "Instalacja zakończona" "Zakończ instalację" 6-finish-ticked
  timeout 60 tail --pid="$setup" -f /dev/null || true
  wait "$setup" && echo "  Setup.exe ended with exit code 0"
  if driver wait Quill07 20000 >/dev/null; then
    sleep 0.5
    screenshot 7-application
    echo "  the installed Quill07 started"
    driver close Quill07 >/dev/null || true
  fi
}

echo "A fresh Wine prefix: $WINEPREFIX"
timeout 300 wineboot --init
if [ -n "${DISPLAY:-}" ]; then
  echo "Setup.exe opens on $DISPLAY; install Quill07 (Instaluj, ...), then close the application."
  (cd "$demo" && wine Setup.exe)
  timeout 600 wineserver -w || true
else
  start_virtual_screen
  virtual_screen=1
  timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
  timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
  timeout 20 wineserver -k || true
  timeout 20 wineserver -w || true
  drive_happy_path
fi

# The uninstall entry's command removes the product again with the real Uninst.exe:
# offered at once on your display, otherwise printed to run later.
offer_uninstaller() {
  local command
  command=$(timeout 60 wine reg query \
    'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quill07 HTML Editor' /v UnInstallString |
    tr -d '\r' | sed -n 's/^ *UnInstallString *REG_SZ *//p')
  echo
  echo "To remove Quill07 again with its uninstaller, as the system's list of programs does:"
  echo "  WINEPREFIX=$WINEPREFIX wine $command"
  if [ -n "${virtual_screen:-}" ] || [ ! -t 0 ]; then return 0; fi
  local answer
  read -r -p "Run the uninstaller now? [y/N] " answer || return 0
  # shellcheck disable=SC2086  # the command splits into the program and its argument
  [ "$answer" != y ] || { wine $command; timeout 600 wineserver -w || true; }
}

# Where the product went: the uninstall entry names the uninstaller in the target directory.
uninstaller=$(timeout 60 wine reg query \
  'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quill07 HTML Editor' /v UnInstallString 2>/dev/null |
  tr -d '\r' | sed -n 's/^ *UnInstallString *REG_SZ *"\{0,1\}\([^"]*\\\)[^\\]*\.[Ee][Xx][Ee].*/\1/p')
echo
if [ -n "$uninstaller" ]; then
  target=$(readlink -f "$(winepath -u "$uninstaller")")
  echo "Quill07 was installed into $uninstaller, on this machine: $target"
  (cd "$target" && find . -type f | sort | sed 's/^/  /')
  echo "  and Parts.dll (registered) in C:\\windows\\system32"
  offer_uninstaller
else
  echo "Quill07 was not installed (no uninstall entry)."
fi
[ -z "$(ls "$shots" 2>/dev/null)" ] || echo "Screenshots of the installation: $shots/"
echo "Windows binaries: build/win32/bin/   the demo package: $demo/"
