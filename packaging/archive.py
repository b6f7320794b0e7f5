#!/usr/bin/env python3
"""Packs a directory into a .tar.gz or a .zip (by OUTPUT's suffix) whose bytes depend only on the
files' names and contents: entries come in name order, owned by root, dated SOURCE_DATE_EPOCH,
with mode 755 for folders and executables and 644 for the rest. The directory is the tarball's
one top folder; the zip holds what is in it, since Windows unpacks a zip into a folder of its
own (Explorer's "Extract All" names it after the zip), where a top folder would nest.

usage: archive.py OUTPUT DIRECTORY
"""
import gzip
import io
import os
import sys
import tarfile
import time
import zipfile

output, directory = sys.argv[1], os.path.normpath(sys.argv[2])
epoch = int(os.environ["SOURCE_DATE_EPOCH"])
parent = os.path.dirname(directory)
paths = [directory] + sorted(os.path.join(top, name) for top, folders, files in os.walk(directory)
                             for name in folders + files)


def mode(path):
    return 0o755 if os.path.isdir(path) or os.access(path, os.X_OK) else 0o644


def content(path):
    with open(path, "rb") as f:
        return f.read()


if output.endswith(".tar.gz"):
    with open(output, "wb") as raw, \
         gzip.GzipFile(filename="", mode="wb", fileobj=raw, mtime=epoch) as packed, \
         tarfile.open(fileobj=packed, mode="w", format=tarfile.GNU_FORMAT) as tar:
        for path in paths:
            info = tar.gettarinfo(path, os.path.relpath(path, parent))
            info.uid = info.gid = 0
            info.uname = info.gname = "root"
            info.mtime, info.mode = epoch, mode(path)
            tar.addfile(info, io.BytesIO(content(path)) if info.isfile() else None)
elif output.endswith(".zip"):
    # Zip times are local times from 1980 on; the epoch's UTC time stands for it.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(output, "w") as archive:
        for path in paths[1:]:
            folder = os.path.isdir(path)
            info = zipfile.ZipInfo(os.path.relpath(path, directory) + ("/" if folder else ""), stamp)
            info.create_system = 3  # Unix, so the modes below are read
            info.external_attr = ((0o040000 if folder else 0o100000) | mode(path)) << 16
            info.compress_type = zipfile.ZIP_STORED if folder else zipfile.ZIP_DEFLATED
            archive.writestr(info, b"" if folder else content(path), compresslevel=9)
else:
    sys.exit(f"archive.py: {output}: not .tar.gz or .zip")
