"""A release binary's software bill of materials, CycloneDX 1.6 JSON: the binary, the runtime
components linked into it, with their Debian packages, sources, licences and copyright, the tools
that built it, and for a Linux binary the Debian release that holds the components.
"""
import glob
import hashlib
import json
import os
import re
import time
import urllib.parse
import uuid

from link_trace import debian_release, package_of
from runtime_licences import AUTHOR, COPYRIGHT, copyright_of, licence_text

DEBIAN = {"name": "Debian", "url": ["https://www.debian.org/"]}


def licences(c, components):
    """The SBOM's licences of a component: an expression where it needs one, else each licence,
    with the text of each LicenseRef."""
    terms = c.licence.split(" AND ")
    if any(" WITH " in t or " OR " in t for t in terms):
        return [{"expression": c.licence}]
    # LicenseRef-NAME's text is the licence text NAME.
    return [{"license": {"id": t}} if not t.startswith("LicenseRef-") else
            {"license": {"name": t, "text": {"contentType": "text/plain",
                                              "content": licence_text(t[len("LicenseRef-"):], components)}}}
            for t in terms]


def licence_properties(c, components):
    """What a component's licences leave unsaid: each licence choice and the election made of it,
    and the text of each LicenseRef of an expression, for which CycloneDX 1.6 has no field."""
    expression = licences(c, components)[0].get("expression", "")
    return ([{"name": "licence-choice", "value": f"{p.what}: offered under {p.offered}, taken under {p.licence}"}
             for p in c.parts if p.offered]
            + [{"name": f"licence-text:{ref}", "value": licence_text(name, components)}
               for ref, name in re.findall(r"(LicenseRef-([\w.-]+))", expression)])


def operating_system():
    """The Debian release the runtimes' packages are from, for scanners that read deb purls only
    with the system they belong to."""
    release = debian_release().removeprefix("debian-")
    return {"type": "operating-system", "bom-ref": debian_release(), "name": "debian", "version": release,
            "supplier": DEBIAN, "cpe": f"cpe:2.3:o:debian:debian_linux:{release}.0:*:*:*:*:*:*:*",
            "description": "The Debian release whose packages the linked runtime libraries come from"}


def build_tools(preset):
    """The compiler, the linker and cmake of PRESET's build, as the root's Debian packages (those
    the record lists) that hold them."""
    build = f"{os.environ['SRC']}/build/{preset}"
    compiler, = glob.glob(f"{build}/CMakeFiles/*/CMakeCXXCompiler.cmake")  # a toolchain's too
    found = open(compiler).read() + open(f"{build}/CMakeCache.txt").read()
    for key, what in (("CMAKE_CXX_COMPILER", "the C++ compiler"), ("CMAKE_LINKER", "the linker (binutils)"),
                      ("CMAKE_COMMAND", "the build system")):
        path = re.search(rf'^(?:set\({key} "|{key}:\w+=)([^"\n]+)', found, re.M).group(1)
        package = package_of(os.path.realpath(path))
        yield {"type": "application", "name": package.name, "version": package.version,
               "supplier": DEBIAN, "description": f"{what}, run on {package.arch}"}


def bom_of(components, binary, version, platform, epoch, preset):
    """The SBOM of binary, PRESET's build for platform, with the components linked into it."""
    content = open(binary, "rb").read()
    linux = platform.startswith("linux")
    tool = {"name": "spectrum_dump release scripts (packaging/third_party.py)", "version": version,
            "supplier": {"name": AUTHOR}}
    bom = {
        "bomFormat": "CycloneDX",
        "specVersion": "1.6",
        "version": 1,
        "metadata": {
            "timestamp": time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(epoch)),
            "authors": [{"name": AUTHOR}],
            "supplier": {"name": AUTHOR},
            "tools": {"components": [{"type": "application", **tool}, *build_tools(preset)]},
            "component": {
                "type": "application", "bom-ref": "spectrum_dump", "name": "spectrum_dump",
                "version": version, "purl": f"pkg:generic/spectrum_dump@{version}",
                "authors": [{"name": AUTHOR}], "supplier": {"name": AUTHOR},
                "copyright": f"Copyright (c) {COPYRIGHT}",
                "description": f"Shows the header and first samples of a radar spectrum frame ({platform})",
                "licenses": [{"license": {"id": "MIT"}}],
                "pedigree": {"commits": [{"uid": os.environ["COMMIT"]}]},
                "hashes": [{"alg": "SHA-256", "content": hashlib.sha256(content).hexdigest()},
                           {"alg": "SHA-512", "content": hashlib.sha512(content).hexdigest()}],
                "properties": [
                    {"name": "file", "value": os.path.basename(binary)},
                    {"name": "linking", "value": "static"},
                    {"name": "note",
                     "value": "The release's .deb for this platform, if any, holds this same binary."}],
            },
        },
        "components": [{
            "type": "library", "bom-ref": c.name, "name": c.name, "version": c.package.version,
            "supplier": DEBIAN, "purl": c.purl, "cpe": c.cpe, "licenses": licences(c, components),
            # Trivy takes a component's source package from these (the CycloneDX property
            # taxonomy's aquasecurity:trivy), not from the purl's upstream qualifier, as Grype does;
            # without them it would take the name, which for libstdc++ and libgcc is no source.
            "properties": [{"name": "aquasecurity:trivy:SrcName", "value": c.package.source},
                           {"name": "aquasecurity:trivy:SrcVersion", "value": c.package.source_version},
                           *licence_properties(c, components)],
            "copyright": "; ".join(dict.fromkeys(line for p in c.parts for line in copyright_of(p))),
            "description": f"{c.runtime.title}, linked statically: "
                           + "; ".join(p.what for p in c.parts),
            # The Debian source package that built the binary package, and the upstream source that
            # one was built from, where that is another.
            "pedigree": {"ancestors": [
                {"type": "library", "name": name, "version": ver, "supplier": DEBIAN,
                 "purl": f"pkg:deb/debian/{name}@{urllib.parse.quote(ver)}?arch=source"}
                for name, ver in dict.fromkeys([(c.package.source, c.package.source_version),
                                                (c.upstream, c.upstream_version)])]},
        } for c in components] + ([operating_system()] if linux else []),
        # Each component's own dependencies are not known here, so they are left out, not empty.
        # The system holds the packages, as scanners read it.
        "dependencies": [{"ref": ref, "dependsOn": [c.name for c in components]}
                         for ref in ["spectrum_dump"] + ([debian_release()] if linux else [])],
    }
    # The serial number follows from the contents, so the same binary gives the same SBOM.
    body = json.dumps(bom, sort_keys=True).encode()
    return {"serialNumber": f"urn:uuid:{uuid.UUID(bytes=hashlib.sha256(body).digest()[:16], version=5)}",
            **bom}
