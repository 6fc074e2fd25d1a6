#!/usr/bin/env bash
# The sizes of both release artefacts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for artefact in "$root/dist/windows/jlaunch.exe" "$root/dist/linux/jlaunch"; do
  if [ -f "$artefact" ]; then
    printf '%-40s %9d bytes\n' "${artefact#$root/}" "$(stat -c %s "$artefact")"
  else
    printf '%-40s missing (build it first)\n' "${artefact#$root/}"
  fi
done
