#!/usr/bin/env python3
"""Checks the Windows exe as users' systems see it: it needs only DLLs every Windows has, carries
its version resource and manifest, and has no link time stamped in.

usage: windows_exe_test.py OBJDUMP EXE VERSION DESCRIPTION
"""
import re
import struct
import subprocess
import sys

objdump, path, version, description = sys.argv[1:]
exe = open(path, "rb").read()
imports = re.findall(r"DLL Name: (\S+)", subprocess.run([objdump, "-p", path], capture_output=True,
                                                         text=True, check=True).stdout)


def version_string(key):
    """A value of the version resource: after its NUL-ended UTF-16 key, from a 32-bit boundary."""
    found = re.search(re.escape((key + "\0").encode("utf-16-le")) + rb"(?:\0\0)?((?:[^\0]\0)+)\0\0", exe)
    return found and found[1].decode("utf-16-le")


checks = {
    "only KERNEL32.dll and msvcrt.dll": sorted(name.lower() for name in imports) == ["kernel32.dll", "msvcrt.dll"],
    "no link time": struct.unpack_from("<I", exe, struct.unpack_from("<I", exe, 0x3C)[0] + 8) == (0,),
    "runs as the invoker": b'level="asInvoker"' in exe,
    "made for Windows 10 and 11": b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" in exe,
}
for key, want in (("ProductName", "spectrum_dump"), ("FileDescription", description),
                  ("FileVersion", version), ("ProductVersion", version)):
    checks[f"{key} {want}"] = version_string(key) == want
for name, ok in checks.items():
    print(f"{'ok' if ok else 'FAIL'}: {name}")
sys.exit(0 if all(checks.values()) else 1)
