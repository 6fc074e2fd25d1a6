#!/usr/bin/env bash
# Repeated launches with the runtime's own splash screen that end as soon as
# main returns, counting crashes at exit: the VM's "A fatal error" report or
# an hs_err file (the exit code may still be 0). Too slow for every CI run;
# tests/jvm/splash_test.cpp runs a few of these launches each time.
# Usage: bench/native_splash_exit.sh [LAUNCHER] [JDK HOME] [RUNS]
# (defaults: dist/linux/jlaunch, /usr/lib/jvm/temurin-25-jdk-amd64, 100);
# without DISPLAY it starts its own Xvfb. Exits 1 when any launch crashed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
launcher="${1:-$root/dist/linux/jlaunch}"
jdk="${2:-/usr/lib/jvm/temurin-25-jdk-amd64}"
runs="${3:-100}"
if [ -z "${DISPLAY:-}" ]; then
  exec "$root/tests/support/with-xvfb.sh" "$0" "$launcher" "$jdk" "$runs"
fi
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
# As the demo does: look at the splash, leave it up a moment (SPLASH_MS,
# default 2000), return from main.
cat > "$work/Quick.java" <<'JAVA'
public final class Quick {
    public static void main(String[] args) throws InterruptedException {
        java.awt.SplashScreen splash = java.awt.SplashScreen.getSplashScreen();
        System.out.println("splash=" + (splash == null ? "none" : splash.getBounds()));
        Thread.sleep(Long.parseLong(args[0]));
    }
}
JAVA
"$jdk/bin/javac" -d "$work/classes" "$work/Quick.java" || exit 1
cp "$root/examples/hello/splash.png" "$work/splash.png"
cp "$launcher" "$work/quick"
printf '[Java Runtime Environment]\nMain Class=Quick\nJRE Path=%s\nVirtual Machine Parameters=-XX:ErrorFile=%s/hs_err_%%p.log\n[Class Path]\nClass Path=%s\n[Display]\nSplash Screen=%s\n' \
  "$jdk" "$work" "$work/classes" "$work/splash.png" > "$work/quick.ini"
crashed=0; failed=0; shown_not=0
for ((i = 1; i <= runs; i++)); do
  "$work/quick" "${SPLASH_MS:-2000}" > "$work/out.txt" 2>&1; rc=$?
  [ "$rc" -eq 0 ] || failed=$((failed + 1))
  grep -q "splash=java.awt.Rectangle" "$work/out.txt" || shown_not=$((shown_not + 1))
  if grep -q "A fatal error" "$work/out.txt"; then
    crashed=$((crashed + 1))
    [ "$crashed" -eq 1 ] && grep -m3 -E "SIGSEGV|Problematic frame|C  \[" "$work/out.txt"
  fi
done
reports=$(find "$work" -name 'hs_err_*.log' | wc -l)
echo "$runs launches with $jdk: $crashed crashed at exit, $reports hs_err files, $failed non-zero exit codes," \
  "$shown_not without the splash"
[ "$crashed" -eq 0 ] && [ "$reports" -eq 0 ] && [ "$failed" -eq 0 ] && [ "$shown_not" -eq 0 ]
