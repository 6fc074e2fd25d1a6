#!/usr/bin/env bash
# Launch overhead under Wine: the Windows console launcher hosting the real
# Windows Java runtime (scripts/fetch-windows-runtime) against that runtime's
# own java.exe, for a main that returns at once, alternating the two in one
# running Wine so that both see the same machine. Prints both medians over N
# runs and the ratio.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
launcher="${1:-$root/dist/windows/jlaunchc.exe}"
runs="${RUNS:-11}"
home=$("$root/scripts/fetch-windows-runtime")
if [ -z "$home" ]; then
  echo "no Windows Java runtime (offline): skipped"
  exit 0
fi
jdk=$(dirname "$(dirname "$(readlink -f "$(command -v javac)")")")
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
prefix="$root/build/windows/wineprefix"  # the tests' prefix (tests/wine/wine-run.sh makes it)
wine_run() { bash "$root/tests/wine/wine-run.sh" "$@"; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }

cat > "$work/Quick.java" <<'JAVA'
public final class Quick { public static void main(String[] args) {} }
JAVA
"$jdk/bin/javac" --release 8 -nowarn -d "$work/classes" "$work/Quick.java"
cp "$launcher" "$work/quick.exe"
# Wine lacks the process group affinity HotSpot asks for: both get the count.
options="-XX:ActiveProcessorCount=2"
printf '[Java Runtime Environment]\r\nMain Class=Quick\r\nJRE Path=%s\r\nVirtual Machine Parameters=%s\r\n[Class Path]\r\nClass Path=%s\r\n' \
  "$(winpath "$home")" "$options" "$(winpath "$work/classes")" > "$work/quick.ini"

wine_run "$work/quick.exe" >/dev/null 2>&1 || { echo "the launcher failed under Wine" >&2; exit 1; }
wine_run "$home/bin/java.exe" $options -cp "$(winpath "$work/classes")" Quick >/dev/null 2>&1
WINEPREFIX="$prefix" wineserver -p 60 2>/dev/null || true  # one server for every run below

java_times=(); launcher_times=()
elapsed_us() { local s e; s=$(date +%s%N); "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }; e=$(date +%s%N); echo $(( (e - s) / 1000 )); }
for _ in $(seq "$runs"); do
  java_times+=("$(elapsed_us wine_run "$home/bin/java.exe" $options -cp "$(winpath "$work/classes")" Quick)")
  launcher_times+=("$(elapsed_us wine_run "$work/quick.exe")")
done

median_ms() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "%.1f", m/1000}'; }
java_ms=$(median_ms "${java_times[@]}")
launcher_ms=$(median_ms "${launcher_times[@]}")
echo "Windows runtime: $home ($(sed -n 's/^JAVA_VERSION=//p' "$home/release" | tr -d '"')), under $(wine --version 2>/dev/null), $runs runs each"
echo "java.exe -cp ... Quick : median ${java_ms} ms"
echo "jlaunchc.exe (Quick)   : median ${launcher_ms} ms"
awk -v a="$launcher_ms" -v b="$java_ms" 'BEGIN { printf "ratio jlaunchc.exe / java.exe under Wine: %.2f\n", a / b }'
