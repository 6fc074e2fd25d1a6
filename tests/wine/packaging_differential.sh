#!/usr/bin/env bash
# jlaunch-pack's Linux build (its own resource-section writer) against its
# Windows build under Wine (the system's resource update functions): the
# same packing by both, every resource of both outputs read back through the
# Windows API must be identical, and the embedded settings of both must
# decipher to the same text. Then a packed console launcher is signed with a
# throw-away certificate, verified, and run through a pipe: the signed exe
# still reads its embedded settings.
# Usage: packaging_differential.sh NATIVE_BUILD_DIR WINDOWS_DIST RESOURCE_DUMP ICON
set -uo pipefail
native=$(realpath "$1"); dist=$(realpath "$2"); dump=$(realpath "$3"); icon=$(realpath "$4")
here="$(cd "$(dirname "$0")" && pwd)"
wine_run() { timeout 120 bash "$here/wine-run.sh" "$@"; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok   $*"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/linux" "$work/windows"
cp "$dist/jlaunch.exe" "$dist/jlaunchc.exe" "$dist/jlaunch-pack.exe" "$dump" "$icon" "$work/"
icon_name=$(basename "$icon")
# ASCII, as a GUID is: a file without a byte-order mark reads as ANSI on Windows.
code='{A1B2C3D4-E5F6-7}'
# LF line ends and a UTF-8 mark: the tool hands the launcher CR LF text.
printf '\xef\xbb\xbf; the application\n[Product Information]\nUpgrade Code=%s\n[Java Runtime Environment]\nMain Class=com.acme.Tool\nJRE Path=C:\\nowhere\\jre\n[Application]\nCmd=--from-resource\n' \
  "$code" >"$work/app.ini"
options=(--icon "$icon_name" --version 2.5.0.17 --name "Acme Tool" --company "Acme Ltd" --copyright "(c) Acme"
  --description "Acme's tool" --execution-level highestAvailable)

for launcher in jlaunch.exe jlaunchc.exe; do
  # The same relative paths for both builds, so that both write the same names.
  (cd "$work" && "$native/jlaunch-pack" --launcher "$launcher" --settings app.ini --out "linux/$launcher" \
    "${options[@]}" >/dev/null) || fail "Linux build could not pack $launcher"
  (cd "$work" && wine_run jlaunch-pack.exe --launcher "$launcher" --settings app.ini --out "windows\\$launcher" \
    "${options[@]}" >/dev/null) || fail "Windows build could not pack $launcher"
  for side in linux windows; do
    (cd "$work" && wine_run resource_dump.exe "$side\\$launcher") >"$work/$side.$launcher.txt" ||
      fail "$side/$launcher: resources unreadable"
    (cd "$work" && wine_run resource_dump.exe "$side\\$launcher" --settings "$code") >"$work/$side.$launcher.ini" ||
      fail "$side/$launcher: embedded settings do not open"
  done
  # The envelopes differ (fresh salt and nonce each time); their texts may not.
  if diff <(grep -v JLAUNCH_SETTINGS "$work/linux.$launcher.txt") <(grep -v JLAUNCH_SETTINGS "$work/windows.$launcher.txt"); then
    ok "$launcher: $(wc -l <"$work/linux.$launcher.txt") resources identical through the Windows API"
  else
    fail "$launcher: the two builds' resources differ"
  fi
  grep -q '^#10 JLAUNCH_SETTINGS 0 ' "$work/linux.$launcher.txt" || fail "$launcher: no settings resource"
  if cmp -s "$work/linux.$launcher.ini" "$work/windows.$launcher.ini" && grep -q 'Main Class=com.acme.Tool' "$work/linux.$launcher.ini"; then
    ok "$launcher: embedded settings decipher to the same text"
  else
    fail "$launcher: embedded settings differ or lack the main class"
  fi
  cmp -s "$dist/$launcher" "$work/$launcher" || fail "$launcher: the launcher packed from was changed"
  # The Linux build writes the headers itself: they must still be what Windows loads and checks.
  (cd "$work" && wine_run resource_dump.exe "linux\\$launcher" --checksum) >/dev/null ||
    fail "$launcher: the Linux build's PE checksum is wrong"
  subsystem=$([ "$launcher" = jlaunchc.exe ] && echo 3 || echo 2)
  bash "$here/../windows/check_exe.sh" "$work/linux/$launcher" x86_64-w64-mingw32-objdump "$subsystem" >"$work/check.txt" ||
    fail "$launcher: the Linux build's output fails the exe checks: $(grep FAIL "$work/check.txt")"
done

# Signing: the resources are inside the signed image, and the signed exe runs.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -subj "/CN=jlaunch test" \
  -days 1 2>/dev/null || fail "no throw-away certificate"
mkdir -p "$work/signed"
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "Acme Tool" -in "$work/linux/jlaunchc.exe" \
  -out "$work/signed/tool.exe" >/dev/null || fail "osslsigncode could not sign the packed exe"
if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed/tool.exe" >"$work/verify.txt" 2>&1; then
  ok "signature verifies"
else
  fail "signature does not verify: $(tail -3 "$work/verify.txt")"
fi
(cd "$work" && wine_run resource_dump.exe "signed\\tool.exe") >"$work/signed.txt"
diff -q "$work/signed.txt" "$work/linux.jlaunchc.exe.txt" >/dev/null && ok "signing left every resource as it was" ||
  fail "the signed exe's resources differ from the packed one's"

# The signed console launcher through a pipe: with the code it reads the
# embedded main class and looks for the Java runtime the embedded "JRE Path"
# names (message 207); with a wrong code it stops with message 232.
expect_run() {  # name, ini text, expected exit code, text expected on standard error
  printf '%s' "$2" >"$work/signed/tool.ini"
  local errors rc
  errors=$(cd "$work/signed" && { wine_run tool.exe 2>&1 >/dev/null | cat; echo "exit=${PIPESTATUS[0]}"; })
  rc=$(sed -n 's/^exit=//p' <<<"$errors")
  if [ "$rc" = "$3" ] && grep -qF "$4" <<<"$errors"; then
    ok "$1"
  else
    fail "$1: exit code $rc, standard error: $errors"
  fi
}
expect_run "signed exe reads its embedded settings" $'[Product Information]\r\nUpgrade Code='"$code"$'\r\n' 255 \
  "The Java Runtime Environment (JRE) was not found."
expect_run "signed exe refuses a wrong code" $'[Product Information]\r\nUpgrade Code=wrong\r\n' 255 \
  'cannot be deciphered with the'
cp "$work/jlaunchc.exe" "$work/signed/tool.exe"
expect_run "plain console launcher without settings" "" 255 "Main class was not specified in INI file"

if [ "$failures" -eq 0 ]; then
  echo "all checks passed"
else
  echo "$failures checks failed"
  exit 1
fi
