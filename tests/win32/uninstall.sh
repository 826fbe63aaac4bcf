# The real uninstaller removes the demo product that demo_install.sh and
# interrupted.sh left in C:\Quill07: started with the uninstall entry's command line,
# answered with the keyboard (Enter takes the default button, Yes, then OK). A file
# that was there before the installation stays: the log gets the record the installer
# writes for such a file (Exists=1). Sourced by run.sh after interrupted.sh.

quill=$c_drive/Quill07
group_dir=$(winepath -u "$(programs_folder)\\Quill07" 2>/dev/null)
notes_before=$'moje notatki\r\n'

# Notes.txt, as if it had been in C:\Quill07 before the installation wrote there.
file_from_before() {
  printf '%s' "$notes_before" >"$quill/Notes.txt" &&
    python3 - "$quill/Setup.uni" <<'PY'
import sys
path = sys.argv[1]
text = open(path, 'rb').read()
# [Application] comes first: its Count is the first one.
text = text.replace(b'Count=4\r\n', b'Count=5\r\n', 1)
text += b'[Item5]\r\nName=C:\\Quill07\\Notes.txt\r\nExists=1\r\nRegister=0\r\n'
open(path, 'wb').write(text)
PY
}

uninstall_command() {
  timeout 60 wine reg query "$uninstall_key" /v UnInstallString | tr -d '\r' | sed -n 's/^ *UnInstallString *REG_SZ *//p'
}

# Waits for a window "Odinstalowanie" showing text (the progress window has the same
# caption, so the text tells the boxes apart).
shows() {  # shot text
  local i
  for i in $(seq 60); do
    if driver controls Odinstalowanie 2>/dev/null | grep -qF "$2"; then screenshot "demo/$1"; return 0; fi
    sleep 0.5
  done
  screenshot "demo/$1-missing"; driver controls Odinstalowanie; return 1
}
enter() { sleep 1; xdotool key --clearmodifiers Return; }
report_up() {
  shows u2-report 'została usunięta z Twojego komputera.' &&
    driver controls Odinstalowanie | grep -qF 'C:\Quill07\Notes.txt'
}

removed() {
  local gone
  for gone in Quill07.exe DOC Setup.uni; do [ ! -e "$quill/$gone" ] || { echo "$gone is still there"; return 1; }; done
  [ ! -e "$group_dir" ] || { ls -la "$group_dir"; return 1; }
  ! timeout 60 wine reg query "$uninstall_key" >/dev/null 2>&1 || { echo "the uninstall entry is still there"; return 1; }
}
unregistered() {
  [ ! -e "$c_drive/windows/system32/Parts.dll" ] && [ ! -e "$c_drive/windows/system32/Parts.registered" ] &&
    test -f "$c_drive/windows/Parts.unregistered"
}
self_queued() {
  local out
  out=$(timeout 60 wine reg query "$session_key" /v PendingFileRenameOperations | tr -d '\r') || return 1
  echo "$out"
  grep -qF 'C:\Quill07\Uninst.exe' <<<"$out"
}

command=$(uninstall_command)
echo "# the uninstall entry's command: $command"
check "uninstall: Notes.txt is recorded as there before the installation" file_from_before
check "uninstall: the entry's command is Uninst.exe with Setup.uni" \
  test "$command" = 'C:\Quill07\Uninst.exe C:\Quill07\Setup.uni'
# shellcheck disable=SC2086  # the command splits into the program and its argument
start_in demo $command
check "uninstall: the question names the product" \
  shows u1-question 'Czy na pewno chcesz usunąć aplikację "Quill07 1.0" i wszystkie jej składniki ?'
check "uninstall: Enter answers Yes" enter
check "uninstall: the report says it was removed and names the file kept" report_up
check "uninstall: Enter closes the report" enter
check "uninstall: Uninst.exe ended with exit code 0" ends_with 60 0
check "uninstall: the files, DOC, Setup.uni, the links, the group folder and the entry are gone" removed
check "uninstall: Parts.dll's DllUnregisterServer ran before it was deleted" unregistered
check "uninstall: Notes.txt, there before, is still there" cmp <(printf '%s' "$notes_before") "$quill/Notes.txt"
check "uninstall: Uninst.exe itself is queued for deletion at the next start" self_queued
