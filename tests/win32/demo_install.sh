# The demo package installed under Wine through the real dialogs, driven from outside
# as a person would: first the keyboard after a click on the taskbar button, then an
# abort at the welcome dialog, then the happy path from
# the welcome dialog to the started application, then a second run into the same
# directory while one installed file is held open, which ends with the restart offer.
# Sourced by run.sh after setup_exe.sh, which provides driver, screenshot, start_in,
# ends_with, check and the X screen. Screenshots go to build/win32/screenshots/demo/.

demo_shots=$shots/demo
mkdir -p "$demo_shots"
rm -f "$demo_shots"/*.png
c_drive=$WINEPREFIX/drive_c
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quill07 HTML Editor'

# The demo folder: Setup.exe beside Setup1.res, as scripts/make-demo-package.sh makes it.
demo_scenario() {  # name
  rm -rf "${work:?}/$1"
  bash "$root/scripts/make-demo-package.sh" "$bin" "$native_respack" "$work/$1" >/dev/null
}

# A window of the installation: waits for it, keeps a screenshot, and checks that it
# shows a control with the given text.
dialog_up() {  # caption shot [control-text]
  driver wait "$1" 30000 || { screenshot "demo/$2-missing"; return 1; }
  sleep 0.5
  screenshot "demo/$2"
  [ $# -lt 3 ] || driver controls "$1" | cut -f4 | grep -qxF "$3" || { driver controls "$1"; return 1; }
}
press() { driver click "$1" "$2" && driver gone "$1" 20000; }  # caption button-text

box_is() {  # caption check-box-text checked|unchecked
  driver controls "$1" | awk -F'\t' -v t="$2" -v s=",$3" '$4 == t && index($6, s) { found = 1 } END { exit !found }'
}
ticked() { driver click "$1" "$2" && sleep 0.5 && box_is "$1" "$2" checked; }  # caption check-box-text
unticked() { driver click "$1" "$2" && sleep 0.5 && box_is "$1" "$2" unchecked; }

nothing_installed() {
  [ ! -e "$c_drive/Quill07" ] || { ls -la "$c_drive/Quill07"; return 1; }
  ! timeout 60 wine reg query "$uninstall_key" >/dev/null 2>&1 || { echo "the uninstall entry exists"; return 1; }
}

app_started() {
  driver wait Quill07 20000 && test -f "$c_drive/Quill07/Quill07.run"
}

uninstall_entry() {
  local out
  out=$(timeout 60 wine reg query "$uninstall_key" | tr -d '\r') || return 1
  echo "$out"
  grep -qE '^ *DisplayName +REG_SZ +Quill07 1\.0$' <<<"$out" &&
    grep -qE '^ *UnInstallString +REG_SZ +.*C:\\Quill07\\Uninst\.exe.* .*C:\\Quill07\\Setup\.uni' <<<"$out"
}

# The Programs folder of the Start menu as Wine's registry names it.
programs_folder() {
  timeout 60 wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
    /v Programs | tr -d '\r' | sed -n 's/^ *Programs *REG_SZ *//p'
}

# A link of the group Quill07, read back through IShellLinkA: target, arguments and
# working directory.
link_reads() {  # link-name target arguments directory
  local programs got want
  programs=$(programs_folder)
  [ -n "$programs" ] || { echo "no Programs folder"; return 1; }
  got=$(driver link "$programs\\Quill07\\$1") || return 1
  want=$(printf '%s\t%s\t%s' "$2" "$3" "$4")
  [ "$got" = "$want" ] || { echo "link: $got"; echo "want: $want"; return 1; }
}

# The uninstall log holds exactly these lines (CRLF line ends, as Windows writes it).
log_is() {  # line...
  cmp <(printf '%s\r\n' "$@") "$c_drive/Quill07/Setup.uni" || { cat -A "$c_drive/Quill07/Setup.uni"; return 1; }
}

check "demo: the package of the demo product is built" demo_scenario demo

# A click on the taskbar button activates the application window, which has no
# area: the keys still reach the dialog (Enter presses its focused "Instaluj").
enter_leads_on() {
  sleep 1
  xdotool key --clearmodifiers Return && driver gone "Instalator programu" 10000 &&
    driver wait "Wskaż katalog docelowy" 20000
}
start_in demo Setup.exe
check "demo taskbar: the welcome dialog comes up" dialog_up "Instalator programu" 0-taskbar-welcome "&Instaluj"
check "demo taskbar: the taskbar button activates the application window" \
  driver foreground Setup.exe InstalatorApplication
check "demo taskbar: Enter then reaches the welcome dialog, which leads on" enter_leads_on

# An abort at once: nothing is installed and the process ends with exit code 0.
start_in demo Setup.exe
check "demo abort: the welcome dialog comes up" dialog_up "Instalator programu" 0-abort-welcome "&Przerwij"
check "demo abort: \"Przerwij\" is pressed" driver click "Instalator programu" "&Przerwij"
check "demo abort: the question \"Zakończ instalację\" comes up" \
  dialog_up "Zakończ instalację" 0-abort-question "Jesteś pewny, że chcesz przerwać instalację ?"
check "demo abort: Yes ends Setup.exe" driver click "Zakończ instalację" "&Yes"
check "demo abort: Setup.exe ended with exit code 0" ends_with 30 0
check "demo abort: nothing was installed, no uninstall entry" nothing_installed

# The happy path.
start_in demo Setup.exe
check "demo: the welcome dialog \"Instalator programu\" comes up" dialog_up "Instalator programu" 1-welcome "&Instaluj"
check "demo: \"Instaluj\" leads on" press "Instalator programu" "&Instaluj"
check "demo: the dialog \"Wskaż katalog docelowy\" offers C:\\Quill07" \
  dialog_up "Wskaż katalog docelowy" 2-directory 'C:\Quill07'
check "demo: \"Instaluj\" with the missing directory C:\\Quill07" driver click "Wskaż katalog docelowy" "&Instaluj"
check "demo: the creation question \"Instalator\" comes up" \
  dialog_up "Instalator" 3-create "Wskazany katalog nie istnieje !. Czy chcesz go utworzyć ?"
check "demo: Yes creates the directory" press "Instalator" "&Yes"
check "demo: the dialog \"Wskaż grupę dla programu\" follows" dialog_up "Wskaż grupę dla programu" 4-group
# The copy window stays up only while the files are copied: a watcher started
# beforehand catches it.
copy_seen=$work/demo-copy.txt
(timeout 40 wine "$bin/driver.exe" wait Instalacja 30000 >"$copy_seen" 2>&1 && screenshot demo/5-copy) &
copy_watcher=$!
started+=("$copy_watcher")
copy_window_seen() {
  wait "$copy_watcher"
  cat "$copy_seen"
  [ "$(cut -f4 "$copy_seen")" = Instalacja ]
}
check "demo: \"Instaluj\" accepts the group Quill07" press "Wskaż grupę dla programu" "&Instaluj"
check "demo: the final dialog \"Instalacja zakończona\" comes up" \
  dialog_up "Instalacja zakończona" 6-finish "Uruchom zainstalowaną aplikację"
check "demo: the copy window \"Instalacja\" was shown meanwhile" copy_window_seen
check "demo: \"Uruchom zainstalowaną aplikację\" gets ticked" \
  ticked "Instalacja zakończona" "Uruchom zainstalowaną aplikację"
check "demo: \"Zakończ instalację\" is pressed" driver click "Instalacja zakończona" "Zakończ instalację"
check "demo: Setup.exe ended with exit code 0" ends_with 30 0
check "demo: the installed application started (its window and its marker)" app_started
screenshot demo/7-application
check "demo: the application's window closes" driver close Quill07

check "demo: Quill07.exe and Uninst.exe are in C:\\Quill07" \
  bash -c "cmp '$c_drive/Quill07/Quill07.exe' '$bin/Quill07.exe' && cmp '$c_drive/Quill07/Uninst.exe' '$bin/Uninst.exe'"
check "demo: Help.txt is in the subdirectory DOC, spelled in upper case" \
  cmp "$c_drive/Quill07/DOC/Help.txt" "$root/demo/files/Help.txt"
check "demo: Parts.dll is in the system directory and was registered" \
  bash -c "cmp '$c_drive/windows/system32/Parts.dll' '$bin/Parts.dll' && test -f '$c_drive/windows/system32/Parts.registered'"
# The log of the first run: each file once, in script order, then both links.
first_log() {
  local group
  group="$(programs_folder)\\Quill07"
  log_is '[Application]' 'Title=Quill07 1.0' 'Count=4' \
    '[Item1]' 'Name=C:\Quill07\Quill07.exe' 'Exists=0' 'Register=0' '[C:\Quill07\Quill07.exe]' 'Item=1' \
    '[Item2]' 'Name=C:\Quill07\DOC\Help.txt' 'Exists=0' 'Register=0' '[C:\Quill07\DOC\Help.txt]' 'Item=2' \
    '[Item3]' 'Name=C:\windows\system32\Parts.dll' 'Exists=0' 'Register=0' \
    '[C:\windows\system32\Parts.dll]' 'Item=3' \
    '[Item4]' 'Name=C:\Quill07\Uninst.exe' 'Exists=0' 'Register=0' '[C:\Quill07\Uninst.exe]' 'Item=4' \
    '[ShortCut1]' "Name=$group\\Quill07.lnk" "Directory=$group" '[ShortCuts]' "Count=${1:-2}" \
    '[ShortCut2]' "Name=$group\\Odinstaluj.lnk" "Directory=$group" "${@:2}"
}
check "demo: the uninstall log Setup.uni lists the four files and both links" first_log
check "demo: the shortcut Quill07.lnk starts C:\\Quill07\\Quill07.exe in C:\\Quill07" \
  link_reads Quill07.lnk 'C:\Quill07\Quill07.exe' '' 'C:\Quill07\'
check "demo: the shortcut Odinstaluj.lnk starts Uninst.exe with the log Setup.uni" \
  link_reads Odinstaluj.lnk 'C:\Quill07\Uninst.exe' 'C:\Quill07\Setup.uni' 'C:\Quill07\'
check "demo: the uninstall entry \"Quill07 HTML Editor\" names Uninst.exe and Setup.uni" uninstall_entry

# A second run into the same directory while the installed DOC\Help.txt is held open
# without sharing, as a running program holds its file: the new copy goes beside it
# as Help.q07 and is queued for the next start of Windows, both the old way
# (WinInit.ini [Rename]) and the NT way (PendingFileRenameOperations); the restart
# offer comes up, and is left without a restart.
# The installed copy gets other content first, so that the two can be told apart.
printf 'stara wersja\r\n' >"$c_drive/Quill07/DOC/Help.txt"
held=$work/demo-held.txt
(timeout 150 wine "$bin/driver.exe" hold 'C:\Quill07\DOC\Help.txt' "Restart systemu" 120000 >"$held" 2>&1) &
started+=($!)
help_held() {
  local i
  for i in $(seq 100); do grep -qx held "$held" && return 0; sleep 0.2; done
  cat "$held"; return 1
}
check "demo again: the driver holds C:\\Quill07\\DOC\\Help.txt open" help_held
start_in demo Setup.exe
check "demo again: the welcome dialog comes up" dialog_up "Instalator programu" 8-welcome "&Instaluj"
check "demo again: \"Instaluj\" leads on" press "Instalator programu" "&Instaluj"
check "demo again: the directory dialog offers C:\\Quill07" dialog_up "Wskaż katalog docelowy" 9-directory 'C:\Quill07'
check "demo again: \"Instaluj\" into the existing directory leads to the group dialog" \
  press "Wskaż katalog docelowy" "&Instaluj"
check "demo again: the dialog \"Wskaż grupę dla programu\" follows" dialog_up "Wskaż grupę dla programu" 10-group
check "demo again: \"Instaluj\" accepts the group" press "Wskaż grupę dla programu" "&Instaluj"
restart_offered() {
  dialog_up "Restart systemu" 11-restart "Zrestartuj system" && box_is "Restart systemu" "Zrestartuj system" checked
}
check "demo again: the restart offer \"Restart systemu\" comes up, \"Zrestartuj system\" ticked" restart_offered
check "demo again: \"Zrestartuj system\" gets unticked" unticked "Restart systemu" "Zrestartuj system"
check "demo again: \"Zakończ instalację\" leaves the restart offer" press "Restart systemu" "Zakończ instalację"
check "demo again: the final dialog follows" dialog_up "Instalacja zakończona" 12-finish "Zakończ instalację"
check "demo again: \"Zakończ instalację\" is pressed" driver click "Instalacja zakończona" "Zakończ instalację"
check "demo again: Setup.exe ended with exit code 0" ends_with 30 0

check "demo again: the new Help.txt waits as DOC\\Help.q07 and the held one is untouched" \
  bash -c "cmp '$c_drive/Quill07/DOC/Help.q07' '$root/demo/files/Help.txt' &&
    cmp <(printf 'stara wersja\r\n') '$c_drive/Quill07/DOC/Help.txt'"
rename_queued() {
  local ini
  ini=$(find "$c_drive/windows" -maxdepth 1 -iname wininit.ini | head -n 1)
  [ -n "$ini" ] || { echo "no WinInit.ini"; return 1; }
  cat -A "$ini"
  grep -qxF $'[Rename]\r' "$ini" && grep -qxF $'C:\\Quill07\\DOC\\Help.txt=C:\\Quill07\\DOC\\Help.q07\r' "$ini"
}
check "demo again: WinInit.ini [Rename] names the file and its new copy" rename_queued
pending_rename() {
  local out
  out=$(timeout 60 wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
    /v PendingFileRenameOperations | tr -d '\r') || return 1
  echo "$out"
  # The new copy, then the file it replaces ("!": an existing file is replaced).
  grep -qE '^ *PendingFileRenameOperations +REG_MULTI_SZ +.*\\\?\?\\C:\\Quill07\\DOC\\Help\.q07\\0!\\\?\?\\C:\\Quill07\\DOC\\Help\.txt' \
    <<<"$out"
}
check "demo again: the registry queues the replacement for the next start (PendingFileRenameOperations)" \
  pending_rename
# The second run keeps every file record (Help.txt under its own name, not the
# diverted one) and adds both links again.
second_log() {
  local group
  group="$(programs_folder)\\Quill07"
  first_log 4 '[ShortCut3]' "Name=$group\\Quill07.lnk" "Directory=$group" \
    '[ShortCut4]' "Name=$group\\Odinstaluj.lnk" "Directory=$group"
}
check "demo again: Setup.uni keeps the file records and adds the links of the second run" second_log
