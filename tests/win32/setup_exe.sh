# Setup.exe under Wine, driven and looked at from outside: sourced by run.sh, which
# provides bin, root, work, native_respack, check, started and the X screen in DISPLAY.
# Each scenario runs Setup.exe in a folder of its own, beside the package that the
# Linux respack builds, and keeps a screenshot in build/win32/screenshots/.

shots="$root/build/win32/screenshots"
mkdir -p "$shots"
rm -f "$shots"/*.png
title="Kalamarz s.c. Instalator"
program_pid=
program_rc=

driver() { timeout 30 wine "$bin/driver.exe" "$@"; }
pixels() { python3 "$root/tests/win32/pixels.py" "$@"; }

screenshot() {  # name
  xwd -root -silent | convert xwd:- "$shots/$1.png"
}

# A scenario folder with Setup.exe and, when files are given, Setup1.res holding them.
scenario() {  # name [file...]
  local dir="$work/$1"; shift
  mkdir -p "$dir"
  cp "$bin/Setup.exe" "$bin/gallery.exe" "$dir/"
  if [ $# -gt 0 ]; then
    "$native_respack" create "$dir/Setup1.res" >/dev/null && "$native_respack" add "$dir/Setup1.res" "$@" >/dev/null
  fi
}

# Starts a program of the scenario folder in the background, ending first what an
# earlier scenario left running.
start_in() {  # scenario program [argument...]
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid"; wait "$program_pid" 2>/dev/null
  fi
  local dir="$work/$1"; shift
  (cd "$dir" && exec timeout -k 5 120 wine "$@") >>"$dir/wine.log" 2>&1 &
  program_pid=$!
  started+=("$program_pid")
}

# Waits up to seconds for the program to end with the exit code expected.
ends_with() {  # seconds code
  local deadline=$((SECONDS + $1))
  while kill -0 "$program_pid" 2>/dev/null; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "still running after $1 s"; kill "$program_pid"; return 1
    fi
    sleep 0.2
  done
  wait "$program_pid"
  program_rc=$?
  [ "$program_rc" -eq "$2" ] || { echo "exit code $program_rc, expected $2"; return 1; }
}

# The visible top-level windows of the program are exactly the given captions.
only_windows() {  # program caption...
  local got want program=$1; shift
  got=$(driver windows "$program" | cut -f4 | sort)
  want=$(printf '%s\n' "$@" | sort)
  [ "$got" = "$want" ] || { echo "windows: ${got:-none}; expected: $want"; return 1; }
}

# The same, sampled while the first second of the timer passes and after it.
# Before the first timer tick only the main window is shown; the tick starts the
# installation, whose first window is the welcome dialog.
only_main_window_then_welcome() {
  only_windows Setup.exe Main >/dev/null || only_windows Setup.exe Main "Instalator programu" || return 1
  driver wait "Instalator programu" 20000 >/dev/null || return 1
  only_windows Setup.exe Main "Instalator programu"
}

# The welcome dialog's window rectangle "l,t,r,b", to leave out of pixel checks.
welcome_rect() { driver wait "Instalator programu" 20000 | cut -f5; }

main_covers_screen() {
  local line
  line=$(driver wait Main 20000) || return 1
  echo "$line"
  [ "$(cut -f5 <<<"$line")" = "0,0,1024,768" ] && [ "$(cut -f6 <<<"$line")" = "0,0,1024,768" ] &&
    ! grep -qE 'caption|dlgframe|sizable' <<<"$(cut -f7 <<<"$line")"
}

# A control of the window with that caption: class, text, place in the window's
# client area (l,t,w,h, or * for anywhere) and the flags its list of flags starts with.
has_control() {  # caption class text rect flags
  local list
  list=$(driver controls "$1") || return 1
  awk -F'\t' -v c="$2" -v t="$3" -v r="$4" -v f="$5" \
    '$2 == c && $4 == t && (r == "*" || $5 == r) && index($6, f) == 1 { found = 1 } END { exit !found }' <<<"$list" ||
    { echo "$list"; echo "no $2 \"$3\" at $4 with $5"; return 1; }
}

message_box_shown() {
  local line buttons
  line=$(driver wait "$title" 20000) || return 1
  echo "$line"
  [ "$(cut -f3 <<<"$line")" = "#32770" ] || return 1
  has_control "$title" Static "Brak plików w pakiecie instalacyjnym !" "*" visible || return 1
  buttons=$(driver controls "$title" | awk -F'\t' '$2 == "Button" && $6 ~ /^visible/ { print $4 }')
  [ "$buttons" = "OK" ] || { echo "buttons: $buttons"; return 1; }
  ! driver controls "$title" | grep -q ',icon'
}

close_main() { driver close Main && ends_with 20 0; }

# The system shows no box of its own for a drive without a disk or a file that does
# not open: the process runs with SEM_FAILCRITICALERRORS (1) and
# SEM_NOOPENFILEERRORBOX (0x8000).
error_boxes_off() {
  local mode
  mode=$(driver errormode Setup.exe) || return 1
  echo "error mode $mode"
  [ $((0x$mode & 0x8001)) -eq $((0x8001)) ]
}

# Sample pictures and scripts (the script is cp1250 text, as a package author writes it).
convert -size 400x261 gradient:orange-navy "BMP3:$work/Splash1.bmp"
convert -size 149x293 gradient:white-teal "BMP3:$work/setup2.bmp"
mkdir -p "$work/scripts/polish" "$work/scripts/default"
printf '[Application]\r\nTitle=Zażółć gęślą jaźń\r\n' | iconv -f UTF-8 -t CP1250 >"$work/scripts/polish/Setup.lst"
printf '[Application]\r\nTitle=Quill07\r\n' >"$work/scripts/default/Setup.lst"

# 0. The executable: a 32-bit GUI program that loads nothing but system libraries
# by name, with its manifest and version record.
pe_shape() {  # [program]
  local headers dlls
  headers=$(i686-w64-mingw32-objdump -p "$bin/${1:-Setup.exe}") || return 1
  grep -qE '^Magic\s+010b\s+\(PE32\)' <<<"$headers" && grep -qE '^Subsystem\s+00000002' <<<"$headers" ||
    { echo "not a PE32 GUI program"; return 1; }
  dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
  echo "imports: $dlls"
  [ "$dlls" = "ADVAPI32.DLL COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL SHELL32.DLL USER32.DLL " ]
}
resources() {  # [program]
  local exe=$bin/${1:-Setup.exe}
  grep -aq 'level="requireAdministrator"' "$exe" &&
    grep -aq 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "$exe" &&
    strings -el "$exe" | grep -qx 'Kalamarz s.c.' &&
    strings -el "$exe" | grep -qx 'Instalator'
}
check "Setup.exe is a PE32 GUI program importing only Windows system libraries" pe_shape
check "Setup.exe carries its manifest (administrator, common controls 6) and version record" resources
check "Uninst.exe is a PE32 GUI program importing only Windows system libraries" pe_shape Uninst.exe
check "Uninst.exe carries the same manifest and its version record" resources Uninst.exe
# Setup.exe starts from the first diskette, beside the first volume: it must leave
# that volume most of the 1,457,664 bytes; the uninstaller ships beside the product
# and is held to the same limit.
size_limit=409600
small_enough() {  # program
  local size
  size=$(stat -c %s "$bin/$1") || return 1
  echo "$1: $size bytes, at most $size_limit"
  [ "$size" -le "$size_limit" ]
}
check "Setup.exe as built is at most 400 KB ($size_limit bytes), to start from a diskette" small_enough Setup.exe
check "Uninst.exe as built is at most 400 KB ($size_limit bytes)" small_enough Uninst.exe

# 1. Beside a package: the maximised main window with the fill, the title and the credit.
scenario package "$work/scripts/polish/Setup.lst" "$work/Splash1.bmp" "$work/setup2.bmp"
start_in package Setup.exe
check "Setup.exe: the borderless main window covers the 1024x768 screen" main_covers_screen
check "Setup.exe: the system's own boxes for a missing disk and an unopened file are off" error_boxes_off
check "Setup.exe: only the main window before the first tick, then the welcome dialog" only_main_window_then_welcome
screenshot package
check "Setup.exe: the background is the blue fill, row by row" \
  pixels gradient "$shots/package.png" 0 0 1024 768 "$(welcome_rect)"
check "Setup.exe: the title is white with a black shadow at its place" pixels title "$shots/package.png" 0 0
check "Setup.exe: the credit text is teal with a white edge at the bottom left" \
  pixels credit "$shots/package.png" 0 0 1024 768
check "Setup.exe: closing the main window ends the process with exit code 0" close_main

# 2. No package: only the message box, and exit code 0 after OK.
scenario missing
start_in missing Setup.exe
check "Setup.exe without Setup1.res: the message box, OK only, no icon" message_box_shown
check "Setup.exe without Setup1.res: no other window is shown" only_windows Setup.exe "$title"
screenshot missing
check "Setup.exe without Setup1.res: OK ends the process with exit code 0" \
  bash -c "timeout 30 wine '$bin/driver.exe' click '$title' OK"
check "Setup.exe without Setup1.res: the process ended with exit code 0" ends_with 20 0

# 3. A package without Setup.lst shows the default title, as a script naming it does.
shoot_main() {  # scenario: its main window, painted, on a screenshot
  start_in "$1" Setup.exe
  driver wait Main 20000 >/dev/null || { screenshot "$1"; return 1; }
  sleep 1
  screenshot "$1"
  pixels title "$shots/$1.png" 0 0 || return 1
  close_main
}
scenario untitled "$work/Splash1.bmp" "$work/setup2.bmp"
scenario quill07 "$work/scripts/default/Setup.lst" "$work/Splash1.bmp" "$work/setup2.bmp"
check "Setup.exe with a package without Setup.lst shows its main window" shoot_main untitled
check "Setup.exe with Title=Quill07 in Setup.lst shows its main window" shoot_main quill07
check "Setup.exe with a package without Setup.lst shows the title Quill07" \
  pixels same "$shots/untitled.png" "$shots/quill07.png" 0 0 600 70
check "the title comes from Setup.lst (another title shows other pixels)" \
  bash -c "! python3 '$root/tests/win32/pixels.py' same '$shots/package.png' '$shots/quill07.png' 0 0 600 70"

# 4. The dialogs of the installation, realised as Windows windows.
. "$root/tests/win32/dialogs.sh"
