#!/usr/bin/env bash
# Assembles the corpus for the LZH benchmark from what a Debian 12 machine carries:
# plain text (licences, manual pages), executables, data that is already compressed
# (.gz files of the documentation) and generated repetitive data; about 5 MB in all.
#
#   scripts/make-corpus.sh [directory]     (default: build/corpus)
#
# Files are named by kind (text-*, bin-*, gz-*, gen-*); earlier ones are replaced.
set -euo pipefail

out=${1:-build/corpus}
mkdir -p "$out"
rm -f "$out"/text-* "$out"/bin-* "$out"/gz-* "$out"/gen-*

note() { printf '%-28s %9d bytes\n' "$(basename "$1")" "$(stat -c %s "$1")"; }

# Text: the common licences in one file, and some manual pages unpacked.
text() {
    local licences=$out/text-licences.txt
    find /usr/share/common-licenses -maxdepth 1 -type f | sort | xargs -r cat >"$licences"
    note "$licences"
    local page
    for page in man1/bash.1 man1/find.1 man1/dpkg.1 man1/tar.1 man5/deb-control.5; do
        if [[ -f /usr/share/man/$page.gz ]]; then
            zcat "/usr/share/man/$page.gz" >"$out/text-$(basename "$page")"
            note "$out/text-$(basename "$page")"
        fi
    done
}

# Executables of different sizes.
binaries() {
    local name
    for name in bash tar dpkg grep sed; do
        if [[ -f /usr/bin/$name ]]; then
            cp "/usr/bin/$name" "$out/bin-$name"
            note "$out/bin-$name"
        fi
    done
}

# Already-compressed data: .gz files of 20 KB or more from the documentation, in name
# order, until about 800 KB are collected.
compressed() {
    local total=0 file size sum index=0
    local -A seen=()
    while IFS= read -r file; do
        sum=$(md5sum <"$file" | cut -d' ' -f1)
        [[ -z ${seen[$sum]:-} ]] || continue  # packages often carry the same file twice
        seen[$sum]=1
        size=$(stat -c %s "$file")
        index=$((index + 1))
        cp "$file" "$out/gz-$(printf %02d "$index")-$(basename "$file")"
        note "$out/gz-$(printf %02d "$index")-$(basename "$file")"
        total=$((total + size))
        ((total < 800000)) || break
    done < <(find /usr/share/doc -name '*.gz' -type f -size +20k | LC_ALL=C sort)
}

# Generated data: a log with repeating structure, a long run of one byte, and a short
# pattern repeated.
generated() {
    awk 'BEGIN { for (i = 0; i < 8000; i++)
        printf "2024-01-%02d 12:%02d:%02d INFO worker-%d processed item %06d in %d ms\n",
               i % 28 + 1, i % 60, (i * 7) % 60, i % 4, i, (i * 37) % 500 }' >"$out/gen-log.txt"
    note "$out/gen-log.txt"
    head -c 262144 /dev/zero >"$out/gen-zeros.bin"
    note "$out/gen-zeros.bin"
    awk 'BEGIN { for (i = 0; i < 16384; i++) printf "abcdefgh0123456789" }' >"$out/gen-pattern.txt"
    note "$out/gen-pattern.txt"
}

text
binaries
compressed
generated
[[ -n $(ls "$out"/text-* 2>/dev/null) ]] || echo "warning: no text found" >&2
[[ -n $(ls "$out"/gz-* 2>/dev/null) ]] || echo "warning: no .gz files found under /usr/share/doc" >&2
printf 'corpus in %s: %d files, %d bytes\n' "$out" "$(find "$out" -maxdepth 1 -type f | wc -l)" \
    "$(find "$out" -maxdepth 1 -type f -exec cat {} + | wc -c)"
