#!/usr/bin/env bash
# Runs a test program under Wine told to prefer a bcrypt.dll it finds beside
# an exe over its own, as a planted DLL would be taken by a careless loader.
export WINEDLLOVERRIDES="mscoree,mshtml=;bcrypt=n,b" JLAUNCH_NATIVE_BCRYPT_FIRST=1
exec "$(dirname "$0")/wine-run.sh" "$@"
