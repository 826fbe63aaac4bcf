#!/usr/bin/env bash
# Packs the demo product into Setup1.res with the Linux respack and puts a copy of
# Setup.exe beside it: a folder ready to run as a user would from a CD.
# Usage: scripts/make-demo-package.sh [WIN32_BIN_DIR [RESPACK [OUT_DIR]]]
# (defaults: build/win32/bin, build/native/bin/respack, build/win32/demo).
# The binaries must be built already (scripts/demo.sh builds them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/win32/bin}
respack=${2:-$root/build/native/bin/respack}
out=${3:-$root/build/win32/demo}
files=$root/demo/files

for f in Setup.exe Quill07.exe Parts.dll Uninst.exe; do
  [ -f "$bin/$f" ] || { echo "missing $bin/$f (build the win32 preset first)" >&2; exit 1; }
done
mkdir -p "$out"
rm -f "$out/Setup1.res"
cp "$bin/Setup.exe" "$out/Setup.exe"
# The script first, then the pictures, then the product's files as the script lists them.
"$respack" create "$out/Setup1.res" >/dev/null
"$respack" add "$out/Setup1.res" "$files/Setup.lst" "$files/Splash1.bmp" "$files/setup2.bmp" "$files/Pic2.bmp" \
  "$bin/Quill07.exe" "$files/Help.txt" "$bin/Parts.dll" "$bin/Uninst.exe" >/dev/null
"$respack" test "$out/Setup1.res" >/dev/null
echo "$out"
