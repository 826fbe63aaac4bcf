# The demo package installed under Wine through the real dialogs, driven from outside
# as a person would: first an abort at the welcome dialog, then the happy path from
# the welcome dialog to the started application. Sourced by run.sh after
# setup_exe.sh, which provides driver, screenshot, start_in, ends_with, check and
# the X screen. Screenshots go to build/win32/screenshots/demo/.

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

ticked() {  # caption check-box-text
  driver click "$1" "$2" && sleep 0.5 &&
    driver controls "$1" | awk -F'\t' -v t="$2" '$4 == t && $6 ~ /,checked/ { found = 1 } END { exit !found }'
}

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

link_in_group() {
  local programs
  programs=$(timeout 60 wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
    /v Programs | tr -d '\r' | sed -n 's/^ *Programs *REG_SZ *//p')
  [ -n "$programs" ] || { echo "no Programs folder"; return 1; }
  test -s "$(winepath -u "$programs")/Quill07/Quill07.lnk"
}

check "demo: the package of the demo product is built" demo_scenario demo

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
check "demo: the uninstall log Setup.uni is in C:\\Quill07" test -s "$c_drive/Quill07/Setup.uni"
check "demo: the shortcut Quill07.lnk is in the group Quill07 of the Programs folder" link_in_group
check "demo: the uninstall entry \"Quill07 HTML Editor\" names Uninst.exe and Setup.uni" uninstall_entry
