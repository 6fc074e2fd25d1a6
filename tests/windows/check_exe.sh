#!/usr/bin/env bash
# Checks the shipped jlaunch.exe as Windows will load it: a 64-bit GUI
# program that needs nothing beyond the system's own DLLs, and imports no
# function that Windows 7 SP1 lacks (a missing import stops the process
# before it can show anything); and that it stays within its size bound, the
# size every packaged application carries.
# Usage: check_exe.sh EXE [OBJDUMP] [SUBSYSTEM]   (SUBSYSTEM 2 = GUI, the default; 3 = console)
set -uo pipefail
exe="$1"
objdump="${2:-x86_64-w64-mingw32-objdump}"
subsystem="${3:-2}"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok   $*"; }

headers=$("$objdump" -p "$exe") || { echo "FAIL: $objdump cannot read $exe"; exit 1; }

grep -q 'file format pei-x86-64' <<<"$headers" && ok "x86-64 image" || fail "not an x86-64 image"
grep -Eq '^Magic[[:space:]]+020b' <<<"$headers" && ok "PE32+" || fail "not PE32+"
subsystem_name=$([ "$subsystem" = 3 ] && echo console || echo GUI)
grep -Eq "^Subsystem[[:space:]]+0000000$subsystem" <<<"$headers" && ok "$subsystem_name subsystem" ||
  fail "not the $subsystem_name subsystem"
grep -q 'NX_COMPAT' <<<"$headers" && grep -q 'DYNAMIC_BASE' <<<"$headers" && ok "ASLR and DEP" ||
  fail "DYNAMIC_BASE or NX_COMPAT missing"

# Windows 7 (6.1) refuses to start an image that asks for a newer system.
for field in OSystem Subsystem; do
  label=$([ "$field" = OSystem ] && echo "operating system" || echo subsystem)
  major=$(awk -v f="Major${field}Version" '$1 == f { print $2 }' <<<"$headers")
  minor=$(awk -v f="Minor${field}Version" '$1 == f { print $2 }' <<<"$headers")
  if [ -z "$major" ] || [ -z "$minor" ]; then
    fail "no $label version in the header"
  elif [ "$major" -gt 6 ] || { [ "$major" -eq 6 ] && [ "$minor" -gt 1 ]; }; then
    fail "$label version $major.$minor is newer than Windows 7 (6.1)"
  else
    ok "$label version $major.$minor"
  fi
done

# Only what every launch needs, all KnownDLLs, which the loader takes from
# the system folder and never from beside the exe. The common controls, the
# shell and COM are loaded when a dialog needs them
# (src/common/system_library_win.cpp): importing them would load them, and
# what they load, into every launch. The runtime is linked in.
allowed_dlls=' kernel32.dll user32.dll gdi32.dll advapi32.dll msvcrt.dll '
mapfile -t dlls < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
[ ${#dlls[@]} -gt 0 ] || fail "no import table found"
for dll in "${dlls[@]}"; do
  if [[ "$allowed_dlls" == *" $dll "* ]]; then
    ok "imports $dll"
  else
    fail "imports $dll, which only some launches need (load it when needed from the system folder)"
  fi
done
# The dialogs load comctl32.dll by name, which the manifest binds to the
# side-by-side Common Controls 6 assembly.
grep -aq 'Microsoft.Windows.Common-Controls' "$exe" && ok "the manifest asks for Common Controls 6" ||
  fail "the manifest no longer asks for Common Controls 6"

# Functions that Windows 7 SP1 lacks: newer than Windows 7, or only there
# with KB2533623 (the DLL-directory functions), which must be looked up at
# run time instead.
denied_functions=(
  AddDllDirectory RemoveDllDirectory SetDefaultDllDirectories
  GetSystemTimePreciseAsFileTime CreateFile2 CopyFile2 GetOverlappedResultEx
  SetThreadDescription GetThreadDescription SetThreadInformation GetCurrentThreadStackLimits
  WaitOnAddress WakeByAddressSingle WakeByAddressAll InitializeSynchronizationBarrier
  GetDpiForWindow GetDpiForSystem GetSystemDpiForProcess SetProcessDpiAwarenessContext SetThreadDpiAwarenessContext
  GetThreadDpiAwarenessContext AdjustWindowRectExForDpi SystemParametersInfoForDpi GetSystemMetricsForDpi
  EnableNonClientDpiScaling GetDpiForMonitor SetProcessDpiAwareness
  GetProcessMitigationPolicy SetProcessMitigationPolicy PrefetchVirtualMemory VirtualAlloc2 MapViewOfFile3
  GetPackageFamilyName GetCurrentPackageId LoadPackagedLibrary IsWow64Process2 GetFirmwareType
  PathCchCombine PathCchAppend PathCchCanonicalize
)
imported=$(awk '/DLL Name:/ { in_table = 1; next } /^[A-Za-z]/ { in_table = 0 } in_table && NF >= 3 && $1 ~ /^[0-9a-f]+$/ { print $3 }' \
  <<<"$headers" | sort -u)
[ -n "$imported" ] || fail "no imported function found"
for function in "${denied_functions[@]}"; do
  if grep -qx "$function" <<<"$imported"; then
    fail "imports $function, which Windows 7 SP1 lacks"
  fi
done
ok "$(wc -l <<<"$imported") imported functions checked against ${#denied_functions[@]} Windows 8+ ones"

# Something large linked in by accident (winpthread, the printf formatter, a
# demangler) shows here first; bench/artefact_sizes.sh says what grew.
size_limit=262144
size=$(stat -c %s "$exe")
[ "$size" -le "$size_limit" ] && ok "$size bytes (at most $size_limit)" ||
  fail "$size bytes, more than the $size_limit the launcher may take"
# The launcher's runtime brings its own thread calls (src/small_runtime/threads.cpp).
strings "$exe" | grep -qi winpthread && fail "carries winpthread" || ok "no winpthread"

if [ "$failures" -eq 0 ]; then
  echo "all checks passed"
else
  echo "$failures checks failed"
  exit 1
fi
