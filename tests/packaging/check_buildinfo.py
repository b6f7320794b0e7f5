#!/usr/bin/python3
"""Checks the set's record as a rebuilder reads it, with python3-debian (hence Debian's python3):
it sums every other file as SHA256SUMS does; it lists each package of the build root once, as
name:arch (= version), and the SHA-256 of the .deb of each, no more; the linked packages are
among them; and each SBOM's build tools are packages of the root at their recorded versions.

usage: check_buildinfo.py SET
"""
import glob
import json
import os
import sys

from debian.deb822 import BuildInfo, PkgRelation

folder = sys.argv[1]
path, = glob.glob(f"{folder}/*.buildinfo")
record = BuildInfo(open(path))
sums = dict(line.split()[::-1] for line in open(f"{folder}/SHA256SUMS"))
del sums[os.path.basename(path)]
problems = [] if {c["name"]: c["sha256"] for c in record["Checksums-Sha256"]} == sums else ["sums differ"]


def packages(relations):
    return [(r["name"], r["archqual"], r["version"]) for alternatives in relations for r in alternatives]


installed = packages(record.relations["installed-build-depends"])
if any(arch is None or op != "=" for _, arch, (op, _) in installed) or len(set(installed)) != len(installed):
    problems.append("Installed-Build-Depends has a package twice, or without its architecture or version")
debs = [line.split() for line in record["Installed-Build-Depends-Sha256"].strip().split("\n")]
if sorted(f"{n}:{a} {v}" for n, a, (_, v) in installed) != sorted(f"{p} {v}" for _, p, v in debs) \
        or any(len(sha) != 64 for sha, _, _ in debs):
    problems.append("Installed-Build-Depends-Sha256 does not give one SHA-256 for each installed package")
if not set(packages(PkgRelation.parse_relations(record["Linked-Packages"]))) < set(installed):
    problems.append("a linked package is not installed")
versions = {(n, v) for n, _, (_, v) in installed}
for sbom in glob.glob(f"{folder}/*.cdx.json"):
    tools = json.load(open(sbom))["metadata"]["tools"]["components"][1:]
    if not tools or any((t["name"], t["version"]) not in versions for t in tools):
        problems.append(f"{sbom}: its build tools are not the record's packages")
print("\n".join(problems) or f"The record lists the {len(installed)} packages of the build root and sums the set.")
sys.exit(1 if problems else 0)
