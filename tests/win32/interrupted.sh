# Installations over the demo product's earlier one that do not finish: the copy
# window's abort while the new copy of a file held open is being written, and two
# damaged packages (a wrong length field; a flipped bit that only the catalogue's
# CRC-32 catches). Each time the installed DOC\Help.txt must stay as it was, with no
# temporary .q07 copy beside it and nothing queued for the next start of Windows.
# Sourced by run.sh after demo_install.sh, which leaves the demo product installed
# in C:\Quill07 and provides dialog_up, press and c_drive.

doc=$c_drive/Quill07/DOC
old_help=$'stara wersja\r\n'
session_key='HKLM\System\CurrentControlSet\Control\Session Manager'

# A demo folder whose package holds the demo's files with Help.txt taken from
# help_dir; further arguments go to respack add.
broken_scenario() {  # name help_dir [option...]
  local dir=$work/$1 help=$2 files=$root/demo/files
  shift 2
  mkdir -p "$dir" && rm -f "$dir/Setup1.res" && cp "$bin/Setup.exe" "$dir/" &&
    "$native_respack" create "$dir/Setup1.res" >/dev/null &&
    "$native_respack" add "$@" "$dir/Setup1.res" "$files/Setup.lst" "$files/Splash1.bmp" "$files/setup2.bmp" \
      "$files/Pic2.bmp" "$bin/Quill07.exe" "$help/Help.txt" "$bin/Parts.dll" "$bin/Uninst.exe" >/dev/null
}

# Damages the stored stream of one entry in place: "length" writes 20000000 into its
# length field, "lastbit" flips the lowest bit of its last byte.
damage_stream() {  # package entry how
  python3 - "$@" <<'EOF'
import struct, sys
path, name, how = sys.argv[1], sys.argv[2].encode('cp1250'), sys.argv[3]
with open(path, 'r+b') as f:
    data = f.read()
    at = struct.unpack_from('<i', data, 164)[0]
    while at != -1:
        entry = data[at:at + 124]
        if entry[1:1 + entry[0]] == name:
            break
        at = struct.unpack_from('<i', entry, 116)[0]
    else:
        sys.exit('no entry ' + sys.argv[2])
    offset, size = struct.unpack_from('<ii', entry, 108)
    if how == 'length':
        f.seek(offset)
        f.write(struct.pack('<i', 20000000))
    else:
        f.seek(offset + size - 1)
        f.write(bytes([data[offset + size - 1] ^ 1]))
EOF
}

# The earlier installation's Help.txt with content of its own and no temporary copy
# beside it.
old_help_in_place() {
  [ -d "$doc" ] || { echo "no earlier installation in C:\\Quill07"; return 1; }
  printf '%s' "$old_help" >"$doc/Help.txt" && rm -f "$doc"/*.q07
}

# Waits for a window longer than driver's own bound allows: the first window of a run
# comes up only after Wine has started again under emulation.
window_up() {  # caption seconds
  timeout $(($2 + 10)) wine "$bin/driver.exe" wait "$1" $(($2 * 1000))
}

# Each window of the wizard in turn, "Instaluj" in each, into the copying.
to_copying() {
  window_up "Instalator programu" 60 && sleep 0.5 && driver click "Instalator programu" "&Instaluj" || return 1
  local caption
  for caption in "Wskaż katalog docelowy" "Wskaż grupę dla programu"; do
    window_up "$caption" 30 && sleep 0.5 && driver click "$caption" "&Instaluj" || return 1
  done
}

# The old Help.txt is in place, and no copy is left beside it or queued in WinInit.ini.
help_as_before() {
  local ini
  cmp <(printf '%s' "$old_help") "$doc/Help.txt" || return 1
  ls "$doc"
  ! ls "$doc" | grep -qi '\.q07$' || { echo "a temporary copy is left"; return 1; }
  ini=$(find "$c_drive/windows" -maxdepth 1 -iname wininit.ini | head -n 1)
  [ -z "$ini" ] || ! grep -qi 'help' "$ini" || { cat -A "$ini"; echo "WinInit.ini names Help"; return 1; }
}

# 1. The abort during the copy of a file held open: its new copy would have gone
# beside it as Help.q07 and been queued; the abort removes it and queues nothing.
# Help.txt is 32 MB of incompressible bytes (an unloaded machine writes it in about a
# second; 8 MB took under 0.3 s, which a loaded machine's clicker could miss), and
# the driver clicks from within one process as soon as the new copy holds a byte, so
# that the abort comes while the copy is still being written.
help_size=$((32 << 20))
mkdir -p "$work/held-help"
python3 -c "import random, sys; random.seed(20070); sys.stdout.buffer.write(random.randbytes($help_size))" \
  >"$work/held-help/Help.txt"
check "interrupted: the package with a 32 MB Help.txt is built" broken_scenario held "$work/held-help"
# The run over a held file before this one queued a replacement of Help.txt: the
# queues start empty. (The holder keeps the Wine server up for the registry call.)
find "$c_drive/windows" -maxdepth 1 -iname wininit.ini -delete
check "interrupted: the earlier installation's Help.txt" old_help_in_place
held=$work/interrupted-held.txt
(exec timeout 150 wine "$bin/driver.exe" hold 'C:\Quill07\DOC\Help.txt' "Restart systemu" 120000 >"$held" 2>&1) &
holder=$!
started+=("$holder")
check "interrupted: the driver holds C:\\Quill07\\DOC\\Help.txt open" help_held
timeout 60 wine reg delete "$session_key" /v PendingFileRenameOperations /f >/dev/null 2>&1
# The abort is clicked once the new copy has begun, by a driver started before the
# copying so that its own start costs no time; the question stops the copying until
# it is answered, so the copy must still be partial then.
(exec timeout 150 wine "$bin/driver.exe" clickwhen 'C:\Quill07\DOC\Help.q07' Instalacja "&Przerwij" 120000) &
clicker=$!
started+=("$clicker")
start_in held Setup.exe
check "interrupted: the wizard leads to the copying" to_copying
abort_while_copying() {
  local size
  wait "$clicker" || { ls "$doc"; return 1; }
  dialog_up "Zakończ instalację" interrupted-question "Jesteś pewny, że chcesz przerwać instalację ?" || return 1
  size=$(stat -c %s "$doc/Help.q07") || return 1
  echo "Help.q07 holds $size bytes when the question comes up"
  [ "$size" -lt "$help_size" ]
}
check "interrupted: \"Przerwij\" while Help.q07 is being written brings the question" abort_while_copying
answer_yes() { driver click "Zakończ instalację" "&Yes" && ends_with 60 0; }
check "interrupted: Yes ends Setup.exe with exit code 0" answer_yes
not_pending() {
  local out
  out=$(timeout 60 wine reg query "$session_key" /v PendingFileRenameOperations 2>&1 | tr -d '\r')
  echo "$out"
  ! grep -qi 'help' <<<"$out"
}
check "interrupted: the held Help.txt is unchanged, no Help.q07, none in WinInit.ini" help_as_before
check "interrupted: PendingFileRenameOperations does not name Help" not_pending
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null

# 2. and 3. A damaged Help.txt in the package: the box names the volume and the
# file, and after OK the run has ended with the installed Help.txt as it was.
damage_box='Pakiet instalacyjny "Setup1.res" jest uszkodzony: nie można poprawnie rozpakować pliku "Help.txt". Instalacja zostanie przerwana.'
damage_box_shown() {  # shot
  local controls buttons
  window_up "$title" 60 || { screenshot "demo/$1-missing"; return 1; }
  screenshot "demo/$1"
  controls=$(driver controls "$title") || return 1
  echo "$controls"
  awk -F'\t' -v t="$damage_box" '$2 == "Static" && $4 == t && $6 ~ /^visible/ { found = 1 } END { exit !found }' \
    <<<"$controls" || return 1
  buttons=$(awk -F'\t' '$2 == "Button" && $6 ~ /^visible/ { print $4 }' <<<"$controls")
  [ "$buttons" = "OK" ] && ! grep -q ',icon' <<<"$controls"
}
damaged_package() {  # name how [respack option...]
  local name=$1 how=$2
  shift 2
  broken_scenario "$name" "$root/demo/files" "$@" && damage_stream "$work/$name/Setup1.res" Help.txt "$how" &&
    ! "$native_respack" test "$work/$name/Setup1.res"
}
answer_ok() { driver click "$title" OK && ends_with 60 0; }
damaged_run() {  # name how [respack option...]
  local name=$1 how=$2
  shift 2
  check "damaged $name: the package is built and respack finds the damage" damaged_package "$name" "$how" "$@"
  check "damaged $name: the earlier installation's Help.txt" old_help_in_place
  start_in "$name" Setup.exe
  check "damaged $name: the wizard leads to the copying" to_copying
  check "damaged $name: the box says the package is damaged, with OK only" damage_box_shown "damaged-$name"
  check "damaged $name: OK ends Setup.exe with exit code 0" answer_ok
  check "damaged $name: the installed Help.txt is unchanged, no Help.q07, none in WinInit.ini" help_as_before
}
damaged_run length length --no-catalogue
damaged_run lastbit lastbit
