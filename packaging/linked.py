#!/usr/bin/env python3
"""What a release binary carries that is not ours, found from its link rather than written by hand.

usage: linked.py LINK_LOG BINARY PLATFORM NOTICES SBOM

LINK_LOG holds the linker's trace of BINARY's link (ld -t -t: each object it loaded, and each
archive member it pulled in as "(archive)member"). Each linked file is traced to the Debian
package that ships it and that package's source; the table below names the component it belongs
to and its licence. Writes NOTICES (the third-party notices) and SBOM (CycloneDX 1.6 JSON, dated
SOURCE_DATE_EPOCH), and prints the Built-Using field for a .deb of BINARY.
"""
import hashlib
import json
import os
import re
import subprocess
import sys
import time
import uuid

GCC_RUNTIME = "GPL-3.0-or-later WITH GCC-exception-3.1"
# Component, the files it is made of, its licence (SPDX), the upstream Debian source it is built
# from. Reviewed by hand against the Debian copyright files of the packages that ship the files.
COMPONENTS = [
    ("glibc", r"libc\.a|libm(-[0-9.]+|vec)?\.a|r?crt1\.o|crt[in]\.o", "LGPL-2.1-or-later", "glibc"),
    ("libstdc++", r"libstdc\+\+\.a", GCC_RUNTIME, "gcc-12"),
    ("libgcc", r"libgcc(_eh)?\.a|crt(begin|end)S?\.o", GCC_RUNTIME, "gcc-12"),
    ("mingw-w64 runtime", r"crt2\.o|lib(mingw32|mingwex|moldname|msvcrt|kernel32)\.a",
     "ZPL-2.1 AND LicenseRef-public-domain AND LicenseRef-gdtoa", "mingw-w64"),
    ("winpthreads", r"libpthread\.a", "MIT AND BSD-3-Clause", "mingw-w64"),
]
AUTHOR = "spectrum_dump developers"

link_log, binary, platform, notices_path, sbom_path = sys.argv[1:]
epoch = int(os.environ["SOURCE_DATE_EPOCH"])
version = os.environ["VERSION"]


def dpkg(*args):
    return subprocess.run(["dpkg-query", *args], check=True, capture_output=True, text=True).stdout


# Objects the linker loaded by name, and archives it pulled members from; relative paths are the
# project's own objects and libraries.
linked = set()
for line in open(link_log):
    member = re.match(r"\((/[^)]+)\)", line)
    if member or re.fullmatch(r"/\S+\.o", line.strip()):
        linked.add(os.path.realpath(member.group(1) if member else line.strip()))

components = {}  # name -> fields, in table order
for path in sorted(linked):
    package = dpkg("-S", path).split(":")[0]
    fields = dict(zip(
        ("source", "source_version", "built_using", "package_version"),
        dpkg("-W", "-f=${source:Package}\n${source:Version}\n${Built-Using}\n${Version}", package).split("\n")))
    name, _, licence, upstream = next(
        (c for c in COMPONENTS if re.fullmatch(c[1], os.path.basename(path))), (None,) * 4)
    if name is None:
        sys.exit(f"linked.py: {path} (from {package}) is in no component; add it to the table")
    # A cross or mingw toolchain's package names the upstream source it was built from.
    if fields["source"] == upstream:
        upstream_version = fields["source_version"]
    else:
        found = re.search(rf"(?:^|, ){re.escape(upstream)} \(= ([^)]+)\)", fields["built_using"])
        if not found:
            sys.exit(f"linked.py: {package} says not which {upstream} it was built from")
        upstream_version = found.group(1)
    component = components.setdefault(name, {
        "name": name, "licence": licence, "source": upstream, "version": upstream_version,
        "via": set(), "copyright": set(), "shipped_by": set()})
    component["via"].add(f"{package} {fields['package_version']} (source {fields['source']} "
                         f"{fields['source_version']})")
    component["copyright"].add(f"/usr/share/doc/{package}/copyright")
    component["shipped_by"].add((fields["source"], fields["source_version"]))
ordered = [components[c[0]] for c in COMPONENTS if c[0] in components]

# Built-Using: the sources whose code the binary holds, and the toolchain sources that shipped it.
sources = {(c["source"], c["version"]) for c in ordered}
sources |= {pair for c in ordered for pair in c["shipped_by"]}
print(", ".join(f"{name} (= {ver})" for name, ver in sorted(sources)))

with open(notices_path, "w") as notices:
    notices.write(f"Third-party notices for spectrum_dump {version} ({platform})\n\n"
                  f"spectrum_dump is under the MIT licence (LICENSE). Its binary includes these\n"
                  f"components, linked statically:\n\n")
    for c in ordered:
        notices.write(f"- {c['name']}: {c['licence']}\n  Debian source package {c['source']} "
                      f"{c['version']}, from {'; '.join(sorted(c['via']))}\n")
    if "glibc" in components:
        glibc = components["glibc"]
        notices.write(f"""
The GNU C Library is under the GNU Lesser General Public License 2.1 or later,
whose text is in the file LGPL-2.1 beside this one (on Debian, in
/usr/share/common-licenses/LGPL-2.1). Its exact source is kept for good in
Debian's archive of every package version:
https://snapshot.debian.org/package/glibc/{glibc['version'].replace('+', '%2B')}/
(or: apt-get source glibc={glibc['version']}). To relink spectrum_dump against
another GNU C Library, take spectrum_dump-{version}.tar.gz from this release, the
tool's complete source, and build it as its README.md says, with that library's
static libraries first on the linker's search path, for example:
cmake --preset release -DCMAKE_EXE_LINKER_FLAGS=-L/path/to/glibc/lib
(the preset aarch64 for 64-bit ARM), then cmake --build --preset release.
""")
    seen = set()
    for c in ordered:
        for path in sorted(c["copyright"]):
            text = open(path).read()
            if text in seen:
                continue
            seen.add(text)
            rule = "=" * 78
            notices.write(f"\n{rule}\n{c['name']}: {path}, from the Debian package\n{rule}\n\n{text}")

content = open(binary, "rb").read()


def purl(component):
    return f"pkg:deb/debian/{component['source']}@{component['version'].replace('+', '%2B')}?arch=source"


bom = {
    "bomFormat": "CycloneDX",
    "specVersion": "1.6",
    "version": 1,
    "metadata": {
        "timestamp": time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(epoch)),
        "component": {
            "type": "application", "bom-ref": "spectrum_dump", "name": "spectrum_dump",
            "version": version, "authors": [{"name": AUTHOR}], "supplier": {"name": AUTHOR},
            "description": f"Shows the header and first samples of a radar spectrum frame ({platform})",
            "licenses": [{"license": {"id": "MIT"}}],
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
        "type": "library", "bom-ref": c["name"], "name": c["name"], "version": c["version"],
        "licenses": [{"expression": c["licence"]}], "purl": purl(c),
        "description": "linked statically; from " + "; ".join(sorted(c["via"])),
    } for c in ordered],
    "dependencies": [{"ref": "spectrum_dump", "dependsOn": [c["name"] for c in ordered]}] +
                    [{"ref": c["name"], "dependsOn": []} for c in ordered],
}
# The serial number follows from the contents, so the same binary gives the same SBOM.
body = json.dumps(bom, sort_keys=True).encode()
bom = {"serialNumber": f"urn:uuid:{uuid.UUID(bytes=hashlib.sha256(body).digest()[:16], version=5)}", **bom}
with open(sbom_path, "w") as sbom:
    json.dump(bom, sbom, indent=2)
    sbom.write("\n")
