#!/usr/bin/env bash
# Checks that the folders of src/ form a layer order: a file may include headers of
# its own folder and of the folders below it, never of one above it. Prints every
# include that breaks the order and exits 1 when there is one.
#   common < platform < profile < package < ui < core < dialogs < system < install < setup
#     < uninstall
# Backend folders (platform/win32, platform/posix, platform/headless) belong to
# platform.
set -uo pipefail
cd "$(dirname "$0")/../src"

order=(common platform profile package ui core dialogs system install setup uninstall)
declare -A rank
for i in "${!order[@]}"; do rank[${order[$i]}]=$i; done

status=0
for folder in */; do
  folder=${folder%/}
  if [ -z "${rank[$folder]+x}" ]; then
    echo "check-layers: src/$folder is not in the layer order" >&2
    status=1
  fi
done
while IFS=: read -r file line text; do
  from=${file%%/*}
  to=$(sed -E 's/^#include "([^/"]+)\/.*/\1/' <<<"$text")
  [ -n "${rank[$to]+x}" ] || continue
  if [ "${rank[$to]}" -gt "${rank[$from]:-0}" ]; then
    echo "src/$file:$line: $from includes $to, a layer above it" >&2
    status=1
  fi
done < <(grep -rnE '^#include "[a-z_0-9]+/' --include='*.hpp' --include='*.cpp' --include='*.h' .| sed 's|^\./||')
[ "$status" -eq 0 ] && echo "check-layers: ${order[*]}: no include goes up"
exit "$status"
