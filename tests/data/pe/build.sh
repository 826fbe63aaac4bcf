#!/bin/sh
# Rebuilds the sample PE files of the file-version tests from src/ (boundary.exe is
# laid out byte by byte by make_boundary.py instead). The binaries are checked in,
# so the tests never need this toolchain; run it only after changing a source. Needs
# the MinGW-w64 C compilers for i686 and x86_64 (packages gcc-mingw-w64-i686 and
# gcc-mingw-w64-x86-64).
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Small and reproducible: no C runtime, no unwind tables, no compiler tag, no
# symbols, no time stamp.
cflags="-Os -s -nostdlib -fno-asynchronous-unwind-tables -fno-ident -Wl,--no-insert-timestamp"

# build ARCH KIND NAME RC: KIND is exe or dll; RC is a resource script or "none".
build() {
    arch=$1 kind=$2 name=$3 rc=$4
    objects=""
    if [ "$rc" != none ]; then
        "$arch-windres" "src/$rc" -O coff -o "$work/$name.res.o"
        objects="$work/$name.res.o"
    fi
    if [ "$kind" = dll ]; then
        entry=DllMain
        [ "$arch" = i686-w64-mingw32 ] && entry=_DllMain@12
        # shellcheck disable=SC2086
        "$arch-gcc" $cflags -shared -Wl,-e,$entry -o "$name" src/library.c $objects
    else
        entry=start
        [ "$arch" = i686-w64-mingw32 ] && entry=_start
        # shellcheck disable=SC2086
        "$arch-gcc" $cflags -Wl,-e,$entry -o "$name" src/program.c $objects
    fi
}

build i686-w64-mingw32 exe app32.exe app32.rc
build x86_64-w64-mingw32 exe app64.exe app64.rc
build i686-w64-mingw32 dll lib32.dll lib32.rc
build i686-w64-mingw32 exe norsrc.exe none
build i686-w64-mingw32 exe noversion.exe noversion.rc
build i686-w64-mingw32 exe later.exe later.rc
build i686-w64-mingw32 exe languages.exe languages.rc
build i686-w64-mingw32 exe id2.exe id2.rc
ls -l ./*.exe ./*.dll
