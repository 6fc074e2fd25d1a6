#!/usr/bin/env bash
# Lists the JDKs the real-JVM suite runs against: the configured one and every
# other in /usr/lib/jvm with a server VM. Each must run the compiled fixture.
set -euo pipefail
jdk="$1"; classes="$2"
status=0
for home in "$jdk" /usr/lib/jvm/*/; do
  home="${home%/}"
  [ -x "$home/bin/java" ] && [ -f "$home/lib/server/libjvm.so" ] || continue
  out=$("$home/bin/java" -cp "$classes" Hello "é ü" 2>&1) || { echo "FAIL $home: $out"; status=1; continue; }
  case "$out" in
    *"arg:é ü"*) echo "ok   $home" ;;
    *) echo "FAIL $home: $out"; status=1 ;;
  esac
done
exit $status
