#!/usr/bin/env python3
"""Checks that each SBOM describes the binary beside it (its file name, SHA-256 and SHA-512) and
holds the NTIA minimum elements: who made the SBOM, when and with what; for the tool and each
component a supplier, a name, a version and a purl, no two alike; and the tool's dependencies.
And that scanners can act on it: each library has a CPE of its upstream release, and Trivy's
properties name the Debian source package and version of its pedigree; a Linux binary's SBOM has
the Debian release as its operating system, which holds the libraries. The schema, the purls
and the licence expressions are validate_sbom.js's to check, with parsers of their own.

usage: check_sbom.py SBOM BINARY [SBOM BINARY ...]
"""
import hashlib
import json
import re
import sys


def problems(bom, binary_path):
    metadata = bom.get("metadata", {})
    tool = metadata.get("component", {})
    content = open(binary_path, "rb").read()
    hashes = {h.get("alg"): h.get("content") for h in tool.get("hashes", [])}
    if hashes != {"SHA-256": hashlib.sha256(content).hexdigest(), "SHA-512": hashlib.sha512(content).hexdigest()}:
        yield f"the hashes are not those of {binary_path}"
    if {"name": "file", "value": binary_path.rsplit("/", 1)[-1]} not in tool.get("properties", []):
        yield f"it does not name {binary_path}"
    for field in ("timestamp", "authors", "tools"):
        if not metadata.get(field):
            yield f"metadata has no {field}"
    libraries = [c for c in bom.get("components", []) if c.get("type") == "library"]
    systems = [c for c in bom.get("components", []) if c.get("type") == "operating-system"]
    for c in [tool] + libraries:
        for field in ("supplier", "name", "version", "purl"):
            if not c.get(field):
                yield f"{c.get('name')} has no {field}"
    purls = [c.get("purl") for c in [tool] + libraries]
    if len(set(purls)) != len(purls):
        yield f"purls repeat: {purls}"
    for c in libraries:
        # Trivy takes the source package from its own properties, not from the purl: the pedigree's.
        trivy = {p["name"].removeprefix("aquasecurity:trivy:"): p["value"] for p in c.get("properties", [])
                 if p.get("name", "").startswith("aquasecurity:trivy:")}
        source = next(iter(c.get("pedigree", {}).get("ancestors", [])), {})
        if trivy != {"SrcName": source.get("name"), "SrcVersion": source.get("version")}:
            yield f"{c.get('name')}'s Trivy source properties are not its Debian source package: {trivy}"
        if not re.fullmatch(r"cpe:2\.3:a:[^:]+:[^:]+:[0-9][^:*]*(:\*){7}", c.get("cpe", "")):
            yield f"{c.get('name')} has no CPE of its upstream release: {c.get('cpe')}"
    linux = not binary_path.endswith(".exe")
    found = [(c.get("name"), bool(c.get("version") and c.get("cpe"))) for c in systems]
    if found != ([("debian", True)] if linux else []):
        yield f"the operating system is not {'Debian, with version and CPE' if linux else 'absent'}: {systems}"
    holds = [c["bom-ref"] for c in libraries]
    expected = [{"ref": c.get("bom-ref"), "dependsOn": holds} for c in [tool] + systems]
    if bom.get("dependencies") != expected:
        yield "the dependencies are not the tool's and the system's on each library"


arguments = sys.argv[1:]
failed = 0
for sbom_path, binary_path in zip(arguments[::2], arguments[1::2]):
    found = list(problems(json.load(open(sbom_path)), binary_path))
    for problem in found:
        print(f"{sbom_path}: {problem}")
    failed += bool(found)
print(f"{len(arguments) // 2 - failed} SBOMs matching their binaries with the NTIA minimum elements, {failed} not")
sys.exit(1 if failed else 0)
