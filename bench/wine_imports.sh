#!/usr/bin/env bash
# The launcher's own start under Wine: jlaunchc.exe started and ended before
# any settings are read (as the child that makes a start-up cache does, told
# to make none), against a trivial exe, and against a trivial exe that imports
# what the launcher imported before the dialogs' DLLs were loaded on demand
# (comctl32, shell32, ole32, shlwapi). Alternating in one running Wine; prints
# the medians over N runs and the ratios against the trivial exe.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
launcher="${1:-$root/dist/windows/jlaunchc.exe}"
runs="${RUNS:-21}"
cc=x86_64-w64-mingw32-gcc
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
prefix="${JLAUNCH_WINE_ROOT:-$root/build/windows}/wineprefix"  # the tests' prefix (tests/wine/wine-run.sh makes it)
wine_run() { bash "$root/tests/wine/wine-run.sh" "$@"; }

cat > "$work/trivial.c" <<'C'
int main(void) { return 0; }
C
cat > "$work/imports.c" <<'C'
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>
/* Never called: the imports alone are what the loader pays for. */
int main(int argc, char** argv) {
    if (argc > 99) {
        InitCommonControls();
        CoUninitialize();
        ShellExecuteW(0, 0, 0, 0, 0, 0);
        return PathIsUNCA(argv[0]);
    }
    return 0;
}
C
"$cc" -Os -s -o "$work/trivial.exe" "$work/trivial.c"
"$cc" -Os -s -o "$work/imports.exe" "$work/imports.c" -lcomctl32 -lole32 -lshell32 -lshlwapi -luser32 -lgdi32 -ladvapi32
cp "$launcher" "$work/launcher.exe"
# A request file that does not exist: the launcher starts, finds nothing to make and ends.
export JLAUNCH_STARTUP_CACHE_REQUEST='Z:\nonexistent\request'

for exe in trivial imports launcher; do wine_run "$work/$exe.exe" >/dev/null 2>&1 || true; done
WINEPREFIX="$prefix" wineserver -p 60 2>/dev/null || true  # one server for every run below

declare -A times
elapsed_us() { local s e; s=$(date +%s%N); "$@" >/dev/null 2>&1 || true; e=$(date +%s%N); echo $(( (e - s) / 1000 )); }
for _ in $(seq "$runs"); do
  for exe in trivial imports launcher; do
    times[$exe]+="$(elapsed_us wine_run "$work/$exe.exe") "
  done
done
median_ms() { printf '%s\n' $1 | sort -n | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "%.1f", m/1000}'; }
trivial_ms=$(median_ms "${times[trivial]}")
echo "under $(wine --version 2>/dev/null), $runs runs each; launcher imports: $(x86_64-w64-mingw32-objdump -p "$launcher" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')"
for exe in trivial imports launcher; do
  ms=$(median_ms "${times[$exe]}")
  awk -v n="$exe" -v a="$ms" -v b="$trivial_ms" 'BEGIN { printf "%-9s median %7.1f ms  ratio to the trivial exe %.2f\n", n, a, a / b }'
done
