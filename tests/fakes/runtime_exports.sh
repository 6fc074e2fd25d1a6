#!/usr/bin/env bash
# Writes a module-definition file that exports every name a real runtime
# library imports from jvm.dll (as objdump lists them), each bound to the
# fake VM's one stub; names the fake VM defines itself are left to it.
set -euo pipefail
objdump="$1" library="$2" output="$3"
{
  echo "EXPORTS"
  "$objdump" -p "$library" | awk '
    /DLL Name:/ { inJvm = ($3 == "jvm.dll"); next }
    inJvm && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $3 !~ /^JNI_/ && $3 != "JVM_FindClassFromBootLoader" {
      print "    " $3 " = fakeJvmUnusedEntry"
    }'
} >"$output"
grep -q " = " "$output" || { echo "runtime_exports.sh: $library imports nothing from jvm.dll" >&2; exit 1; }
