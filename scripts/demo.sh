#!/usr/bin/env bash
# The main job for a newcomer: builds everything, then packs a small sample with
# respack, lists it, tests it and unpacks it again, showing each step.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)"

respack=build/native/bin/respack
demo=build/demo
rm -rf "$demo" && mkdir -p "$demo/sample" "$demo/unpacked"
printf '[Application]\r\nTitle=Quill07 1.0\r\nTargetDir=C:\\Quill07\r\n' >"$demo/sample/Setup.lst"
printf 'Zażółć gęślą jaźń.\r\n' >"$demo/sample/Czytaj mnie.txt"
cp /usr/share/common-licenses/GPL-3 "$demo/sample/License.txt"
cp build/win32/bin/respack.exe "$demo/sample/respack.exe"

run() { echo "\$ $*"; "$@"; echo; }
run "$respack" create "$demo/Setup1.res"
run "$respack" add "$demo/Setup1.res" "$demo"/sample/*
run "$respack" list "$demo/Setup1.res"
run "$respack" test "$demo/Setup1.res"
run "$respack" extract "$demo/Setup1.res" -d "$demo/unpacked"
diff -r "$demo/sample" "$demo/unpacked" && echo "Unpacked files equal the originals: $demo/unpacked"
echo "Windows binaries: build/win32/bin/"
