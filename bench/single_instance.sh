#!/usr/bin/env bash
# Single-instance forwarding: the time from starting a second instance to
# secondaryMain being called, and to the second instance's exit, as medians
# and as ratios against baselines measured in the same run. Linux with the
# installed JDK; then, when the Windows build exists, under Wine with the JNI
# test double. RUNS sets the number of runs (25).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs="${RUNS:-25}"
jdk=$(dirname "$(dirname "$(readlink -f "$(command -v javac)")")")
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT

cmake --build --preset linux --target jlaunch bench_single_instance >/dev/null
"$jdk/bin/javac" --release 8 -nowarn -d "$work" "$root/tests/jvm/fixtures/Forwarded.java"
echo "-- Linux"
"$root/build/linux/bench/native/bench_single_instance" "$root/build/linux/jlaunch" "$jdk" "$work" "$runs"

if [ -d "$root/build/windows" ]; then
  cmake --build --preset windows --target bench_single_instance >/dev/null
  echo "-- Windows build under Wine (not Windows itself)"
  JLAUNCH_WINE_ROOT="$root/build/windows/bench" "$root/tests/wine/wine-run.sh" \
    "$root/build/windows/tests/windows/bench_single_instance.exe" "$runs"
fi
