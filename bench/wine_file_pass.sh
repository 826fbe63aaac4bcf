#!/usr/bin/env bash
# The file pass of Setup.exe under Wine, per installed file: builds a product of COUNT
# small files (10 KB each, text-like, packed to about 3 KB) over eight volumes,
# installs it through the real dialogs in a Wine prefix of its own on a virtual X
# screen, and prints the time per file.
#
# The time per file is taken from the installed files themselves: the last write of
# the last file minus the last write of the first, over COUNT - 1. It covers
# everything the pass does between two files (the uninstall log, the script, the
# volume, the copy, the progress and status updates) and nothing of
# Wine's start or the dialogs. The wall time from the group dialog's "Instaluj" to
# the final dialog is printed beside it (it adds the drawing of the copy window, the
# links, the uninstall entry and the polls that wait for the end).
#
# Usage: bench/wine_file_pass.sh [COUNT...]   (default: 100 500 1000)
# FILE_KB (default 10) sets the size of every file, VOLUMES (default 8) the number of
# volumes. EXTRACT=1 also times respack.exe (from BIN) extracting the first file from
# its volume in the same Wine prefix, as wall and CPU time less those of a respack.exe
# run that does nothing (Wine's start): say FILE_KB=40960 VOLUMES=1 EXTRACT=1 ... 1.
# BIN (default build/win32/bin) names the Windows binaries (Setup.exe, driver.exe);
# RESPACK (default build/native/bin/respack) the Linux respack that packs the volumes.
# TRACE, when set, is Setup.exe's WINEDEBUG (say +timestamp,+seh), and its log is
# kept as build/wine-file-pass-COUNT.log; TRACE=+server starts the Wine server with
# its request trace, which is kept instead (the requests of every process so far).
# BREAKDOWN=1 prints the CPU time per file of each process.
# FLOOR=1 also runs file_floor.exe (from BIN) for the same number of files into a
# directory of its own in the same Wine prefix: the file operations that the pass
# cannot do without per file (the look for the destination, the uninstall log
# rewritten beside itself, the copy made and renamed), and nothing else. It prints
# that program's CPU time per file and the Wine server's, less those of a run with
# no file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${BIN:-$root/build/win32/bin}" && pwd)
respack=${RESPACK:-$root/build/native/bin/respack}
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(100 500 1000)
volumes=${VOLUMES:-8}
file_kb=${FILE_KB:-10}
for f in "$bin/Setup.exe" "$bin/driver.exe" "$respack" ${FLOOR:+"$bin/file_floor.exe"}; do
  [ -x "$f" ] || [ -f "$f" ] || { echo "missing $f" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/instalator-bench.XXXXXX")
started=()
export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  local pid
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
started+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"
# A window manager, and Wine's own virtual desktop, as the Wine tests have them.
printf '<openbox_config xmlns="http://openbox.org/3.4/rc"><keyboard/></openbox_config>\n' >"$work/openbox.xml"
openbox --sm-disable --config-file "$work/openbox.xml" >"$work/openbox.log" 2>&1 &
started+=($!)
timeout 180 wineboot --init >/dev/null 2>&1
timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
timeout 20 wineserver -k; timeout 20 wineserver -w

driver() { timeout 600 wine "$bin/driver.exe" "$@" >/dev/null; }

# The product: COUNT files spread evenly over the volumes, the script first in volume 1.
make_product() {  # dir count
  local dir=$1 count=$2
  mkdir -p "$dir/files"
  python3 - "$dir" "$count" "$volumes" "$file_kb" <<'EOF'
import random, sys
out, count, volumes, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]) * 1024
rng = random.Random(count)
words = [''.join(rng.choice('abcdefghijklmnoprstuwyz') for _ in range(rng.randint(2, 9))) for _ in range(400)]
# A volume holds 128 entries, one of them its catalogue; the first also holds the
# script and two pictures.
room = [124] + [127] * (volumes - 1)
if count > sum(room): sys.exit('at most %d files' % sum(room))
per = [0] * volumes
for n in range(count):
    v = min((v for v in range(volumes) if per[v] < room[v]), key=lambda v: per[v])
    per[v] += 1
lines = ['[Application]', 'Title=Bench %d' % count, 'TargetDir=C:\\Bench%d' % count, 'Group=Bench%d' % count,
         'PrgSpace=%d' % (count * size), 'WinSpace=0', '', '[Resources]', 'Count=%d' % volumes]
for v in range(volumes):
    lines += ['Item%d=Setup%d.res' % (v + 1, v + 1), 'Item%dRewrite=true' % (v + 1)]
n = 0
for v in range(volumes):
    lines += ['', '[Setup%d.res]' % (v + 1), 'Count=%d' % per[v]]
    names = []
    for d in range(per[v]):
        n += 1
        name = 'F%04d.TXT' % n
        text = bytearray()
        while len(text) < min(size, 1 << 20):
            text += (' '.join(rng.choice(words) for _ in range(12)) + '\r\n').encode()
        with open('%s/files/%s' % (out, name), 'wb') as f:
            # Beyond 1 MB the megabytes repeat, with a line of their own in between.
            left = size
            while left > 0:
                f.write(bytes(text[:min(left, len(text))]))
                left -= min(left, len(text))
                if left > 0:
                    line = ('%d %s\r\n' % (left, rng.choice(words))).encode()[:left]
                    f.write(line)
                    left -= len(line)
        lines.append('Item%d=%s' % (d + 1, name))
        names.append(name)
    open('%s/volume%d.txt' % (out, v + 1), 'w').write('\n'.join(names) + '\n')
open('%s/files/Setup.lst' % out, 'wb').write(('\r\n'.join(lines) + '\r\n').encode())
EOF
  cp "$bin/Setup.exe" "$dir/"
  local v
  for v in $(seq "$volumes"); do
    "$respack" create "$dir/Setup$v.res" >/dev/null
    local list=()
    # The script and the two pictures the installer shows come first in volume 1.
    [ "$v" -ne 1 ] || list+=("$dir/files/Setup.lst" "$root/demo/files/Splash1.bmp" "$root/demo/files/setup2.bmp")
    mapfile -t -O "${#list[@]}" list < <(sed "s#^#$dir/files/#" "$dir/volume$v.txt")
    "$respack" add "$dir/Setup$v.res" "${list[@]}" >/dev/null
  done
}

mtime() { stat -c %.6Y "$1"; }

# CPU time (ms) used so far by the X server and every process of this Wine prefix but
# the driver: a figure that a machine busy with other work disturbs far less than
# the wall time.
cpu_ms() {
  local pid total=0 ticks
  for pid in /proc/[0-9]*; do
    pid=${pid#/proc/}
    if [ "$pid" = "$xvfb" ] || { tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
         ! grep -q 'driver.exe' "/proc/$pid/cmdline" 2>/dev/null; }; then
      ticks=$(awk '{print $14 + $15}' "/proc/$pid/stat" 2>/dev/null) || continue
      total=$((total + ${ticks:-0}))
    fi
  done
  echo $((total * 1000 / $(getconf CLK_TCK)))
}

# The same CPU time per process, as "name ticks" lines (BREAKDOWN=1 prints it per file).
cpu_snapshot() {
  local pid name
  for pid in /proc/[0-9]*; do
    pid=${pid#/proc/}
    if [ "$pid" = "$xvfb" ] || { tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
         ! grep -q 'driver.exe' "/proc/$pid/cmdline" 2>/dev/null; }; then
      name=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | awk '{n = $1; sub(/.*[\\\/]/, "", n); print n}')
      awk -v p="$pid" -v n="${name:-?}" '{print p, n, $14 + $15}' "/proc/$pid/stat" 2>/dev/null || true
    fi
  done
}

if [ "${TRACE:-}" = +server ]; then
  wineserver -f -d1 2>"$work/server.log" &
  started+=($!)
fi

printf '%8s %14s %16s %18s %18s\n' files 'ms per file' 'pass wall (s)' 'CPU ms per file' 'Setup.uni bytes'
for count in "${counts[@]}"; do
  dir="$work/product$count"
  make_product "$dir" "$count"
  (cd "$dir" && WINEDEBUG=${TRACE:--all} exec timeout -k 5 1800 wine Setup.exe) >"$dir/wine.log" 2>&1 &
  setup=$!
  started+=("$setup")
  driver wait "Instalator programu" 60000
  driver click "Instalator programu" "&Instaluj"
  driver wait "Wskaż katalog docelowy" 30000
  driver click "Wskaż katalog docelowy" "&Instaluj"
  driver wait "Instalator" 30000
  driver click "Instalator" "&Yes"
  driver wait "Wskaż grupę dla programu" 30000
  begin=$(date +%s.%N)
  cpu_begin=$(cpu_ms)
  [ -z "${BREAKDOWN:-}" ] || cpu_snapshot >"$work/cpu-begin"
  driver click "Wskaż grupę dla programu" "&Instaluj"
  # The driver's wait asks the Wine server for the window list every 10 ms, which would
  # count against the pass: the last file is awaited here first.
  target="$WINEPREFIX/drive_c/Bench$count"
  last_file="$target/$(printf 'F%04d.TXT' "$count")"
  for _ in $(seq 90000); do [ -e "$last_file" ] && break; kill -0 "$setup" 2>/dev/null || break; sleep 0.02; done
  driver wait "Instalacja zakończona" 1800000
  end=$(date +%s.%N)
  cpu_end=$(cpu_ms)
  if [ -n "${BREAKDOWN:-}" ]; then
    cpu_snapshot >"$work/cpu-end"
    awk -v n="$count" -v hz="$(getconf CLK_TCK)" 'NR == FNR { begin[$1] = $3; next }
      { used[$2] += $3 - ($1 in begin ? begin[$1] : 0) }
      END { for (p in used) if (used[p] > 0) printf "  %s %.2f CPU ms per file\n", p, used[p] * 1000 / hz / n }' \
      "$work/cpu-begin" "$work/cpu-end" >&2
  fi
  driver click "Instalacja zakończona" "Zakończ instalację"
  wait "$setup" || true
  if [ "${TRACE:-}" = +server ]; then
    cp "$work/server.log" "$root/build/wine-file-pass-$count.log"
  elif [ -n "${TRACE:-}" ]; then
    cp "$dir/wine.log" "$root/build/wine-file-pass-$count.log"
  fi
  first=$(mtime "$target/F0001.TXT")
  last=$(mtime "$target/$(printf 'F%04d.TXT' "$count")")
  for f in "$dir"/files/F*.TXT; do cmp -s "$f" "$target/$(basename "$f")" || { echo "$f differs" >&2; exit 1; }; done
  awk -v n="$count" -v a="$first" -v b="$last" -v s="$begin" -v e="$end" -v c="$((cpu_end - cpu_begin))" \
    -v u="$(stat -c %s "$target/Setup.uni")" \
    'BEGIN { printf "%8d %14.2f %16.2f %18.2f %18d\n", n, (n > 1 ? (b - a) * 1000 / (n - 1) : 0), e - s, c / n, u }'
  if [ -n "${FLOOR:-}" ]; then
    timeout 20 wineserver -w || true
    wineserver -p  # one server for both runs, alive between them
    server_ms() {
      local pid
      pid=$(cpu_snapshot | awk '$2 ~ /^wineserver/ { print $1; exit }')
      awk -v hz="$(getconf CLK_TCK)" '{ printf "%.0f", ($14 + $15) * 1000 / hz }' "/proc/$pid/stat"
    }
    floor_run() {  # directory count: "process-CPU-ms server-CPU-ms"
      local s0 s1 times
      s0=$(server_ms)
      times=$( { TIMEFORMAT='%U %S'; time (timeout 600 wine "$bin/file_floor.exe" "$1" "$2" >/dev/null 2>&1); } 2>&1 )
      s1=$(server_ms)
      awk -v t="$times" -v s=$((s1 - s0)) 'BEGIN { split(t, u, " "); printf "%.0f %.0f", (u[1] + u[2]) * 1000, s }'
    }
    floor_run "C:\\FloorIdle$count" 0 >/dev/null  # the server's own start-up is paid here
    read -r idle_cpu idle_server <<<"$(floor_run "C:\\FloorIdle$count" 0)"
    read -r cpu server <<<"$(floor_run "C:\\Floor$count" "$count")"
    [ -f "$WINEPREFIX/drive_c/Floor$count/F$(printf %04d "$count").TXT" ] || { echo "file_floor.exe failed" >&2; exit 1; }
    timeout 20 wineserver -k || true
    awk -v n="$count" -v c=$((cpu - idle_cpu)) -v s=$((server - idle_server)) \
      'BEGIN { printf "  file_floor.exe, %d files: %.2f CPU ms per file of its process, %.2f of the Wine server\n", n, c / n, s / n }'
  fi
  if [ -n "${EXTRACT:-}" ]; then
    # Wall time and the process's CPU time (ms) of a respack.exe run.
    timed() {
      local t0 t1 times
      t0=$(date +%s.%N)
      times=$( { TIMEFORMAT='%U %S'; time (cd "$dir" && timeout 600 wine "$bin/respack.exe" "$@" >/dev/null 2>&1); } 2>&1 )
      t1=$(date +%s.%N)
      awk -v a="$t0" -v b="$t1" -v t="$times" 'BEGIN { split(t, u, " "); printf "%.0f %.0f", (b - a) * 1000, (u[1] + u[2]) * 1000 }'
    }
    mkdir -p "$dir/out"
    read -r idle_wall idle_cpu <<<"$(timed list Setup1.res)"
    read -r wall cpu <<<"$(timed extract -d out Setup1.res F0001.TXT)"
    cmp -s "$dir/files/F0001.TXT" "$dir/out/F0001.TXT" || { echo "respack.exe extract differs" >&2; exit 1; }
    printf '  respack.exe extract F0001.TXT less a respack.exe list: %d ms wall, %d ms CPU of its process\n' \
      $((wall - idle_wall)) $((cpu - idle_cpu))
  fi
done
