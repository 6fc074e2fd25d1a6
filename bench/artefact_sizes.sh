#!/usr/bin/env bash
# The sizes of the release artefacts, and the sections of the Windows exe
# (what a size change came from).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for artefact in "$root/dist/windows/jlaunch.exe" "$root/dist/windows/jlaunchc.exe" "$root/dist/linux/jlaunch" \
  "$root/dist/linux/hello/hello" "$root/dist/windows/jlaunch-pack.exe" "$root/dist/linux/jlaunch-pack"; do
  if [ -f "$artefact" ]; then
    printf '%-40s %9d bytes\n' "${artefact#$root/}" "$(stat -c %s "$artefact")"
  else
    printf '%-40s missing (build it first)\n' "${artefact#$root/}"
  fi
done
exe="$root/dist/windows/jlaunch.exe"
if [ -f "$exe" ] && command -v x86_64-w64-mingw32-objdump >/dev/null; then
  echo "sections of dist/windows/jlaunch.exe:"
  x86_64-w64-mingw32-objdump -h "$exe" | awk '$1 ~ /^[0-9]+$/ { print $2, $3 }' |
    while read -r name size; do printf '  %-8s %9d bytes\n' "$name" "$((16#$size))"; done
fi
