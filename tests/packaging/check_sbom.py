#!/usr/bin/env python3
"""Checks that each SBOM describes the binary beside it (its file name, SHA-256 and SHA-512) and
holds the NTIA minimum elements: who made the SBOM, when and with what; for the tool and each
component a supplier, a name, a version and a purl, no two alike; and the tool's dependencies.
The schema and its formats are validate_sbom.js's to check.

usage: check_sbom.py SBOM BINARY [SBOM BINARY ...]
"""
import hashlib
import json
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
    components = [tool] + bom.get("components", [])
    for c in components:
        for field in ("supplier", "name", "version", "purl"):
            if not c.get(field):
                yield f"{c.get('name')} has no {field}"
    purls = [c.get("purl") for c in components]
    if len(set(purls)) != len(purls):
        yield f"purls repeat: {purls}"
    if bom.get("dependencies") != [{"ref": tool.get("bom-ref"), "dependsOn": [c["bom-ref"] for c in components[1:]]}]:
        yield "the dependencies are not the tool's on each component"


arguments = sys.argv[1:]
failed = 0
for sbom_path, binary_path in zip(arguments[::2], arguments[1::2]):
    found = list(problems(json.load(open(sbom_path)), binary_path))
    for problem in found:
        print(f"{sbom_path}: {problem}")
    failed += bool(found)
print(f"{len(arguments) // 2 - failed} SBOMs matching their binaries with the NTIA minimum elements, {failed} not")
sys.exit(1 if failed else 0)
