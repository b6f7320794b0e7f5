#!/usr/bin/env bash
# usage: windows_exe_test.sh OBJDUMP EXE VERSION C_RUNTIME
# The Windows exe as users' systems see it: no link time stamped in, only DLLs that every Windows
# has (ADVAPI32.dll for the stack protector's canary, and C_RUNTIME: msvcrt, or ucrt, whose
# api-ms-win-crt-* DLLs stand in one line here), its version resource, and a manifest that runs it
# as the invoker on Windows 10 and 11.
set -euo pipefail
case $4 in
  msvcrt) c_runtime=msvcrt.dll ;;
  ucrt) c_runtime='api-ms-win-crt-*.dll' ;;
esac
diff <("$1" -p "$2" | grep -E 'Time/Date|DLL Name' | tr -s ' \t' ' ' |
         sed 's/api-ms-win-crt-[a-z]*-l1-1-0\.dll$/api-ms-win-crt-*.dll/' | uniq
       strings -el "$2" | grep -A1 -x -E 'CompanyName|FileDescription|FileVersion|LegalCopyright|ProductName|ProductVersion' | grep -v -x -- --
       grep -a -o -E 'level="asInvoker"|\{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a\}' "$2") - <<EXPECTED
Time/Date Thu Jan 1 00:00:00 1970
 DLL Name: ADVAPI32.dll
 DLL Name: KERNEL32.dll
 DLL Name: $c_runtime
CompanyName
spectrum_dump developers
FileDescription
spectrum_dump
FileVersion
$3
LegalCopyright
Copyright (c) 2026 spectrum_dump developers
ProductName
spectrum_dump
ProductVersion
$3
level="asInvoker"
{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}
EXPECTED
