#!/usr/bin/env bash
# On every JDK in /usr/lib/jvm, each figure against its baseline measured in
# the same run: a trivial main (time and peak memory, jlaunch / "java -cp")
# and a real application (Maven's "--version" from /usr/share/maven) through
# jlaunch without and with "Startup Cache", its first launch (the cache is
# made as it ends) and later launches (the cache is mapped), each / "java".
# Runs are interleaved so that the machine's load hits both sides alike.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
launcher="${1:-$root/dist/linux/jlaunch}"
runs="${RUNS:-11}"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CACHE_HOME="$work/cache"
mkdir -p "$HOME"

cat > "$work/Quick.java" <<'JAVA'
public final class Quick { public static void main(String[] args) {} }
JAVA
javac=$(ls /usr/lib/jvm/*/bin/javac | head -1)
"$javac" --release 8 -nowarn -d "$work/classes" "$work/Quick.java" 2>/dev/null
(cd "$work/classes" && "$(dirname "$javac")/jar" cf "$work/quick.jar" Quick.class)

maven=/usr/share/maven
maven_cp="$maven/lib/*:$maven/boot/*"
maven_props="-Dmaven.home=$maven -Dmaven.multiModuleProjectDirectory=$work"

# Milliseconds of one run and its peak resident kilobytes.
measure() {
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f '%M' -o "$work/rss" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000 )) $(cat "$work/rss")"
}
median() { sort -n | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; print m}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

declare -A seen
for home in /usr/lib/jvm/*/; do
  jdk=$(readlink -f "$home")
  [[ -x "$jdk/bin/java" && -f "$jdk/lib/server/libjvm.so" && -z "${seen[$jdk]:-}" ]] || continue
  seen[$jdk]=1
  name=$(basename "$jdk")
  mkdir -p "$work/$name"
  cp "$launcher" "$work/$name/quick"; cp "$launcher" "$work/$name/mvn"; cp "$launcher" "$work/$name/mvncached"
  printf '[Java Runtime Environment]\nMain Class=Quick\nJRE Path=%s\n[Class Path]\nClass Path=%s\n' \
    "$jdk" "$work/quick.jar" > "$work/$name/quick.ini"
  for app in mvn mvncached; do
    cache=no; [[ $app == mvncached ]] && cache=yes
    printf '[Java Runtime Environment]\nMain Class=org.apache.maven.cli.MavenCli\nJRE Path=%s\nStartup Cache=%s\nVirtual Machine Parameters=%s\n[Class Path]\nClass Path=%s/lib/*.jar;%s/boot/*.jar\n[Application]\nCmd=--version\n' \
      "$jdk" "$cache" "$maven_props" "$maven" "$maven" > "$work/$name/$app.ini"
  done
  : > "$work/q_java"; : > "$work/q_jl"; : > "$work/m_java"; : > "$work/m_jl"; : > "$work/m_first"; : > "$work/m_later"
  for _ in $(seq "$runs"); do
    measure "$jdk/bin/java" -cp "$work/quick.jar" Quick >> "$work/q_java"
    measure "$work/$name/quick" >> "$work/q_jl"
    # shellcheck disable=SC2086
    measure "$jdk/bin/java" -cp "$maven_cp" $maven_props org.apache.maven.cli.MavenCli --version >> "$work/m_java"
    measure "$work/$name/mvn" >> "$work/m_jl"
    rm -rf "$XDG_CACHE_HOME/mvncached"
    measure "$work/$name/mvncached" >> "$work/m_first"
    measure "$work/$name/mvncached" >> "$work/m_later"
  done
  qj=$(cut -d' ' -f1 "$work/q_java" | median); ql=$(cut -d' ' -f1 "$work/q_jl" | median)
  qjm=$(cut -d' ' -f2 "$work/q_java" | median); qlm=$(cut -d' ' -f2 "$work/q_jl" | median)
  mj=$(cut -d' ' -f1 "$work/m_java" | median); ml=$(cut -d' ' -f1 "$work/m_jl" | median)
  mf=$(cut -d' ' -f1 "$work/m_first" | median); mc=$(cut -d' ' -f1 "$work/m_later" | median)
  echo "$name ($runs runs each, medians)"
  echo "  trivial main   java $(( qj / 1000 )) ms, jlaunch $(( ql / 1000 )) ms: ratio $(ratio "$ql" "$qj")"
  echo "  peak memory    java $qjm KB, jlaunch $qlm KB: ratio $(ratio "$qlm" "$qjm")"
  echo "  maven --version java $(( mj / 1000 )) ms; jlaunch / java: no cache $(ratio "$ml" "$mj")," \
       "cache first launch $(ratio "$mf" "$mj"), cache later launches $(ratio "$mc" "$mj")"
done
