#!/usr/bin/env python3
"""Validates each SBOM against the official CycloneDX 1.6 JSON schema and checks that it describes
the binary beside it: its file name and its SHA-256 and SHA-512.

usage: check_sbom.py SBOM BINARY [SBOM BINARY ...]

The schema files come from the CycloneDX project's own library as the npm registry serves it,
pinned by version and checked against the registry's SHA-512 integrity.
"""
import base64
import hashlib
import io
import json
import sys
import tarfile
import urllib.request
import warnings

import jsonschema

LIBRARY = "https://registry.npmjs.org/@cyclonedx/cyclonedx-library/-/cyclonedx-library-10.3.0.tgz"
INTEGRITY = "RIT28sp1U0PCHaaeF3yNRwk6Jig/XJ8UsYAVOMYaHQ+0VVOvsjcp0PTWQFLUqJFF8XMud+Kdq6G+wtDAh+QJFA=="
SCHEMAS = ("bom-1.6", "spdx", "jsf-0.82")

packed = urllib.request.urlopen(LIBRARY, timeout=60).read()
if base64.b64encode(hashlib.sha512(packed).digest()).decode() != INTEGRITY:
    sys.exit(f"check_sbom.py: {LIBRARY} is not the pinned package")
with tarfile.open(fileobj=io.BytesIO(packed)) as library:
    schemas = {name: json.load(library.extractfile(f"package/res/schema/{name}.SNAPSHOT.schema.json"))
               for name in SCHEMAS}
# The BOM schema refers to the others by file name, relative to its own address.
store = {f"http://cyclonedx.org/schema/{name}.SNAPSHOT.schema.json": schema for name, schema in schemas.items()}
warnings.simplefilter("ignore", DeprecationWarning)  # RefResolver: the one API every version has
validator = jsonschema.Draft7Validator(
    schemas["bom-1.6"], format_checker=jsonschema.FormatChecker(),
    resolver=jsonschema.RefResolver.from_schema(schemas["bom-1.6"], store=store))

failed = 0
arguments = sys.argv[1:]
for sbom_path, binary_path in zip(arguments[::2], arguments[1::2]):
    bom = json.load(open(sbom_path))
    problems = [f"{'/'.join(map(str, e.absolute_path))}: {e.message}" for e in validator.iter_errors(bom)]
    content = open(binary_path, "rb").read()
    tool = bom.get("metadata", {}).get("component", {})
    hashes = {h.get("alg"): h.get("content") for h in tool.get("hashes", [])}
    if hashes != {"SHA-256": hashlib.sha256(content).hexdigest(), "SHA-512": hashlib.sha512(content).hexdigest()}:
        problems.append(f"the hashes are not those of {binary_path}")
    if {"name": "file", "value": binary_path.rsplit("/", 1)[-1]} not in tool.get("properties", []):
        problems.append(f"it does not name {binary_path}")
    for problem in problems:
        print(f"{sbom_path}: {problem}")
    failed += bool(problems)
print(f"{len(arguments) // 2 - failed} SBOMs valid and matching their binaries, {failed} not")
sys.exit(1 if failed else 0)
