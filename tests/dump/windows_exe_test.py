#!/usr/bin/env python3
"""Checks the Windows exe as a user's system sees it: it imports only DLLs that every Windows has
(no C++ runtime, libgcc or winpthread DLL beside it), carries its version resource and manifest,
and has no link time stamped in.

usage: windows_exe_test.py OBJDUMP EXE VERSION DESCRIPTION
"""
import re
import struct
import subprocess
import sys

objdump, path, version, description = sys.argv[1:]
with open(path, "rb") as f:
    exe = f.read()


def version_string(key):
    """The value of `key` in the version resource: a NUL-ended UTF-16 string, 32-bit aligned."""
    start = exe.find((key + "\0").encode("utf-16-le"))
    if start < 0:
        return None
    value = start + 2 * (len(key) + 1)
    value += -value % 4
    end = exe.find(b"\0\0", value)
    end += (end - value) % 2  # a UTF-16 NUL starts on an even byte
    return exe[value:end].decode("utf-16-le")


dump = subprocess.run([objdump, "-p", path], capture_output=True, text=True, check=True).stdout
imports = sorted({name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)})
pe_header = struct.unpack_from("<I", exe, 0x3C)[0]
checks = {
    "imports only KERNEL32.dll and msvcrt.dll": imports == ["kernel32.dll", "msvcrt.dll"],
    "no link time stamped in": struct.unpack_from("<I", exe, pe_header + 8)[0] == 0,
    "runs as the invoker": b'level="asInvoker"' in exe,
    "made for Windows 10 and 11": b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" in exe,
    **{f"{key} is {want}": version_string(key) == want
       for key, want in (("ProductName", "spectrum_dump"), ("FileDescription", description),
                         ("FileVersion", version), ("ProductVersion", version))},
}
for name, ok in checks.items():
    print(f"{'ok' if ok else 'FAIL'}: {name}")
failed = sum(not ok for ok in checks.values())
print(f"{len(checks) - failed} passed, {failed} failed")
sys.exit(1 if failed else 0)
