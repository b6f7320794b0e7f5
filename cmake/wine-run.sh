#!/bin/sh
# usage: wine-run.sh PREFIX PROGRAM [ARGUMENT...]
# Runs a Windows program under Wine in the given prefix with Wine's diagnostics off, so that
# standard output and standard error hold the program's text alone. Debian's wine64 installs its
# loader under its lib directory, not on PATH.
export WINEPREFIX="$1" WINEDEBUG=-all
shift
# Start a server that outlives this run, then let it make the prefix and bring up Wine's
# services with every stream detached: they outlive the program and would otherwise hold the
# caller's pipes open. A server that is already up is reused (wineserver then exits with 2).
if /usr/lib/wine/wineserver --persistent=60 </dev/null >/dev/null 2>&1; then
  /usr/lib/wine/wine64 wineboot --init </dev/null >/dev/null 2>&1
fi
exec /usr/lib/wine/wine64 "$@"
