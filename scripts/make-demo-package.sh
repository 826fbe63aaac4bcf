#!/usr/bin/env bash
# Builds the demo distribution with the Linux respack: the demo product's folder
# (demo/files with the demo binaries beside the script) goes through
# "respack build", which checks the script and writes Setup1.res with Setup.exe
# beside it: a folder ready to run as a user would from a CD.
# Usage: scripts/make-demo-package.sh [WIN32_BIN_DIR [RESPACK [OUT_DIR]]]
# (defaults: build/win32/bin, build/native/bin/respack, build/win32/demo).
# The binaries must be built already (scripts/demo.sh builds them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/win32/bin}
respack=${2:-$root/build/native/bin/respack}
out=${3:-$root/build/win32/demo}
product=$out-product

for f in Setup.exe Quill07.exe Parts.dll Uninst.exe; do
  [ -f "$bin/$f" ] || { echo "missing $bin/$f (build the win32 preset first)" >&2; exit 1; }
done
# The product folder as a publisher keeps it: the script, its pictures and files.
rm -rf "$product"
mkdir -p "$product"
cp "$root"/demo/files/* "$bin/Quill07.exe" "$bin/Parts.dll" "$bin/Uninst.exe" "$product/"
mkdir -p "$out"
rm -f "$out"/Setup*.res
"$respack" build -q --setup "$bin/Setup.exe" -o "$out" "$product/Setup.lst"
echo "$out"
