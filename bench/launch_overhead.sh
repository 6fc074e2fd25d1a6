#!/usr/bin/env bash
# Launch overhead: the Linux launcher against "java -cp" on the same JDK, for
# a main that returns at once. Prints both medians over N runs and the ratio.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
launcher="${1:-$root/dist/linux/jlaunch}"
runs="${RUNS:-15}"
jdk=$(dirname "$(dirname "$(readlink -f "$(command -v javac)")")")
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT

cat > "$work/Quick.java" <<'JAVA'
public final class Quick { public static void main(String[] args) {} }
JAVA
"$jdk/bin/javac" -d "$work/classes" "$work/Quick.java"
cp "$launcher" "$work/quick"
printf '[Java Runtime Environment]\nMain Class=Quick\nJRE Path=%s\n[Class Path]\nClass Path=%s\n' \
  "$jdk" "$work/classes" > "$work/quick.ini"

median_ms() {  # command...
  local times=()
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "%.1f", m/1000}'
}

# The same launch with a large settings file (about 135 KB of other sections):
# the launcher reads and parses it once, however many keys it asks for.
cp "$launcher" "$work/large"
{ cat "$work/quick.ini"; for i in $(seq 3000); do printf '[Other %d]\nKey=some value %d\n' "$i" "$i"; done
  for i in $(seq 1500); do printf 'Filler%d=padding padding padding\n' "$i"; done; } > "$work/large.ini"

"$work/quick" >/dev/null 2>&1 && "$jdk/bin/java" -cp "$work/classes" Quick  # warm the file cache
java_ms=$(median_ms "$jdk/bin/java" -cp "$work/classes" Quick)
launcher_ms=$(median_ms "$work/quick")
large_ms=$(median_ms "$work/large")
echo "JDK: $jdk, $runs runs each"
echo "java -cp ... Quick : median ${java_ms} ms"
echo "jlaunch (Quick)    : median ${launcher_ms} ms"
echo "jlaunch, $(( $(stat -c %s "$work/large.ini") / 1024 )) KB INI : median ${large_ms} ms"
awk -v a="$launcher_ms" -v b="$java_ms" 'BEGIN { printf "ratio jlaunch / java: %.2f\n", a / b }'
awk -v a="$large_ms" -v b="$java_ms" 'BEGIN { printf "ratio jlaunch with the large INI / java: %.2f\n", a / b }'
