#!/usr/bin/python3
"""Checks the set's record as Debian's tools read it, by deb-buildinfo(5) and Debian policy, with
python3-debian's parser (hence Debian's python3): the fields that deb-buildinfo(5) requires are
there; Source is a valid source package name, the one package of the set's .debs (the set has no
source package, so dpkg would take the package's name for it); Binary and Architecture are the
.debs' packages and architectures; Version is a valid Debian version; each of Checksums-Md5,
-Sha1 and -Sha256 lists every other file of the set once, with its size and checksum as computed
here; Installed-Build-Depends pins each package to one version; the Environment parses. And, across
the set: the linked packages are installed ones, and each SBOM's build tools are packages of the
root at their recorded versions.

usage: check_buildinfo.py SET
"""
import glob
import hashlib
import json
import os
import re
import sys

from debian.deb822 import BuildInfo, PkgRelation
from debian.debfile import DebFile
from debian.debian_support import Version

REQUIRED = ("Format", "Source", "Binary", "Architecture", "Version", "Checksums-Md5", "Checksums-Sha1",
            "Checksums-Sha256", "Build-Architecture", "Installed-Build-Depends")
CHECKSUMS = {"Checksums-Md5": "md5", "Checksums-Sha1": "sha1", "Checksums-Sha256": "sha256"}
PACKAGE_NAME = re.compile(r"[a-z0-9][a-z0-9+.-]+")  # Debian policy 5.6.1 and 5.6.7


def packages(relations):
    return [(r["name"], r["archqual"], r["version"]) for alternatives in relations for r in alternatives]


def problems(folder):
    path, = glob.glob(f"{folder}/*.buildinfo")
    record = BuildInfo(open(path))
    yield from (f"no {name} field, which deb-buildinfo(5) requires" for name in REQUIRED if name not in record)
    debs = [DebFile(deb).debcontrol() for deb in sorted(glob.glob(f"{folder}/*.deb"))]
    names = sorted({deb["Package"] for deb in debs})
    source, source_version = record.get_source()
    if not PACKAGE_NAME.fullmatch(source) or [source] != names or source_version is not None:
        yield f"Source {record['Source']!r} is not the .debs' one valid package name {names}"
    if record.get_binary() != names:
        yield f"Binary {record.get('Binary')!r} is not the .debs' packages {names}"
    if record.get_architecture() != ["source"] + sorted({deb["Architecture"] for deb in debs}):
        yield f"Architecture {record['Architecture']!r} is not source and the .debs' architectures"
    try:
        Version(record["Version"])
    except ValueError as error:
        yield f"Version: {error}"

    files = sorted(set(os.listdir(folder)) - {os.path.basename(path), "SHA256SUMS"})
    for field, algorithm in CHECKSUMS.items():
        listed = sorted((c["name"], int(c["size"]), c[algorithm]) for c in record.get(field, []))
        found = [(name, len(data), hashlib.new(algorithm, data).hexdigest())
                 for name in files for data in [open(os.path.join(folder, name), "rb").read()]]
        if listed != found:
            yield f"{field} does not list each other file of the set once with its size and {algorithm}"

    installed = packages(record.relations["installed-build-depends"])
    if any(op != "=" for _, _, (op, _) in installed) or len(set(installed)) != len(installed):
        yield "Installed-Build-Depends has a package twice, or without its exact version"
    try:
        record.get_environment()
    except ValueError as error:
        yield f"Environment: {error}"
    if not set(packages(PkgRelation.parse_relations(record["Linked-Packages"]))) < set(installed):
        yield "a linked package is not installed"
    versions = {(n, v) for n, _, (_, v) in installed}
    for sbom in glob.glob(f"{folder}/*.cdx.json"):
        tools = json.load(open(sbom))["metadata"]["tools"]["components"][1:]
        if not tools or any((t["name"], t["version"]) not in versions for t in tools):
            yield f"{sbom}: its build tools are not the record's packages"


found = list(problems(sys.argv[1]))
print("\n".join(found) or "The record holds deb-buildinfo(5)'s fields, names the .debs' package and sums the set.")
sys.exit(1 if found else 0)
