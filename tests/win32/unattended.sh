# Setup.exe with switches under Wine: the demo installed silently into a directory
# whose name holds a blank, watched for windows from start to end, with its exit code
# and its log; two runs that end with their failure codes and no window; then the
# silent uninstaller removes it again; all once more with the windows managed by the
# window manager. Sourced by run.sh after uninstall.sh, so that the demo's uninstall
# entry is free, and last, since it leaves Wine without its virtual desktop.

silent_dir=$c_drive/Cichy\ Katalog
silent_log=$c_drive/setup.log

# Runs Setup.exe of scenario with the arguments while driver.exe watches for its
# windows; waits for its end. The windows seen go to $work/NAME-windows.txt.
run_watched() {  # scenario argument...
  local name=$1 done_file=$work/$1.done watched=$work/$1-windows.txt i; shift
  rm -f "$done_file"
  (timeout 90 wine "$bin/driver.exe" watch Setup.exe "$(winepath -w "$done_file")" 80000 >"$watched" 2>&1) &
  local watcher=$!
  started+=("$watcher")
  for i in $(seq 100); do grep -q watching "$watched" 2>/dev/null && break; sleep 0.1; done
  start_in "$name" Setup.exe "$@"
  while kill -0 "$program_pid" 2>/dev/null; do sleep 0.2; done
  wait "$program_pid"
  program_rc=$?
  touch "$done_file"
  wait "$watcher"
}
exit_code_is() { [ "$program_rc" -eq "$1" ] || { echo "exit code $program_rc, expected $1"; return 1; }; }
no_window_seen() {  # scenario
  [ "$(cat "$work/$1-windows.txt")" = $'watching\nwatched' ] || { cat "$work/$1-windows.txt"; return 1; }
}
# Every line given is a line of the UTF-8 log (CR LF line ends), the last one last.
silent_log_has() {  # line...
  local lines
  lines=$(tr -d '\r' <"$silent_log") || return 1
  local line
  for line in "$@"; do grep -qxF "$line" <<<"$lines" || { echo "missing: $line"; echo "$lines"; return 1; }; done
  [ "$(tail -n 1 <<<"$lines")" = "${*: -1}" ] || { echo "last line: $(tail -n 1 <<<"$lines")"; return 1; }
}

demo_scenario silent
# As the administrator types it: the target's blank is not quoted.
run_watched silent /S '/D=C:\Cichy' Katalog '/LOG=C:\setup.log'
check "silent: Setup.exe /S /D=C:\\Cichy Katalog /LOG=C:\\setup.log ended with exit code 0" exit_code_is 0
check "silent: no window of Setup.exe was visible at any time" no_window_seen silent
check "silent: Quill07.exe, DOC\\Help.txt and Uninst.exe are in C:\\Cichy Katalog" \
  bash -c "cmp '$silent_dir/Quill07.exe' '$bin/Quill07.exe' && cmp '$silent_dir/DOC/Help.txt' '$root/demo/files/Help.txt' &&
    cmp '$silent_dir/Uninst.exe' '$bin/Uninst.exe'"
check "silent: the log names every file, the registration, the entry and the outcome" silent_log_has \
  'Katalog docelowy: C:\Cichy Katalog\' 'Grupa programu: Quill07' \
  'Zapisano C:\Cichy Katalog\Quill07.exe' 'Zapisano C:\Cichy Katalog\DOC\Help.txt' \
  'Zapisano C:\windows\system32\Parts.dll' 'Zapisano C:\Cichy Katalog\Uninst.exe' \
  'Zarejestrowano C:\windows\system32\Parts.dll' \
  'Rejestr HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quill07 HTML Editor: DisplayName = Quill07 1.0' \
  'Wynik: 0 (instalacja zakończona pomyślnie)'
silent_entry() {
  timeout 60 wine reg query "$uninstall_key" /v UnInstallString | tr -d '\r' |
    grep -qF '"C:\Cichy Katalog\Uninst.exe" "C:\Cichy Katalog\Setup.uni"'
}
check "silent: the uninstall entry names C:\\Cichy Katalog" silent_entry

# No package beside Setup.exe: the "package missing" code, still without a window.
scenario silent-empty
run_watched silent-empty /S '/LOG=C:\setup.log'
check "silent without Setup1.res: exit code 2" exit_code_is 2
check "silent without Setup1.res: no window was visible" no_window_seen silent-empty
check "silent without Setup1.res: the log says why" silent_log_has \
  'Brak plików w pakiecie instalacyjnym !' 'Wynik: 2 (brak pakietu instalacyjnego lub pakiet uszkodzony)'
# An unknown switch: the usage code, nothing installed.
run_watched silent-empty /S /QUIET '/LOG=C:\setup.log'
usage_refused() { exit_code_is 1 && no_window_seen silent-empty; }
check "silent with an unknown switch: exit code 1 and no window" usage_refused

uninstall_silently() {
  timeout 60 wine "$silent_dir/Uninst.exe" /S 'C:\Cichy Katalog\Setup.uni' &&
    [ ! -e "$silent_dir/Quill07.exe" ] && [ ! -e "$silent_dir/Setup.uni" ]
}
check "silent: Uninst.exe /S removes it again with exit code 0" uninstall_silently

# Once more with each window managed by the window manager, as Linux users run
# Windows programs: still no window, at any time.
use_managed_windows() {
  timeout 60 wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f && timeout 20 wineserver -k &&
    timeout 20 wineserver -w
}
check "Wine hands each window to the window manager (no virtual desktop)" use_managed_windows
demo_scenario silent-managed
run_watched silent-managed /S '/D=C:\Cichy' Katalog
silent_managed() { exit_code_is 0 && no_window_seen silent-managed && cmp "$silent_dir/Quill07.exe" "$bin/Quill07.exe"; }
check "silent, windows managed: installed with exit code 0 and no window seen" silent_managed
check "silent, windows managed: Uninst.exe /S removes it again" uninstall_silently
