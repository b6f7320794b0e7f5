#!/usr/bin/env python3
"""Checks that a Windows build of the tool imports only DLLs that every Windows has, so the exe
runs on its own: no C++ runtime, libgcc or winpthread DLL beside it.

usage: windows_imports_test.py OBJDUMP EXE
"""
import re
import subprocess
import sys

objdump, exe = sys.argv[1:]
dump = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
imports = re.findall(r"DLL Name: (\S+)", dump)
foreign = [name for name in imports
           if name.lower() not in ("kernel32.dll", "msvcrt.dll") and not name.lower().startswith("api-ms-win-crt-")]
print("imports:", ", ".join(imports))
if not imports or foreign:
    sys.exit(f"not a system DLL: {', '.join(foreign) or '(no imports found)'}")
print("1 passed, 0 failed")
