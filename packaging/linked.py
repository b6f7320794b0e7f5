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
# from (a pattern: GCC's source is named for its major version, gcc-12 for GCC 12). Reviewed by
# hand against the Debian copyright files of the packages that ship the files.
COMPONENTS = [
    ("glibc", r"libc\.a|libm(-[0-9.]+|vec)?\.a|r?crt1\.o|crt[in]\.o", "LGPL-2.1-or-later", r"glibc"),
    ("libstdc++", r"libstdc\+\+\.a", GCC_RUNTIME, r"gcc-[0-9]+"),
    ("libgcc", r"libgcc(_eh)?\.a|crt(begin|end)S?\.o", GCC_RUNTIME, r"gcc-[0-9]+"),
    ("mingw-w64 runtime", r"crt2\.o|lib(mingw32|mingwex|moldname|msvcrt|kernel32)\.a",
     "ZPL-2.1 AND LicenseRef-public-domain AND LicenseRef-gdtoa", r"mingw-w64"),
    ("winpthreads", r"libpthread\.a", "MIT AND BSD-3-Clause", r"mingw-w64"),
]
AUTHOR = "spectrum_dump developers"


def dpkg(*args):
    return subprocess.run(["dpkg-query", *args], check=True, capture_output=True, text=True).stdout


def linked_files(link_log):
    """The objects the linker loaded by name, and the archives it pulled members from; relative
    paths are the project's own objects and libraries."""
    linked = set()
    for line in open(link_log):
        member = re.match(r"\((/[^)]+)\)", line)
        if member or re.fullmatch(r"/\S+\.o", line.strip()):
            linked.add(os.path.realpath(member.group(1) if member else line.strip()))
    return sorted(linked)


def upstream_of(fields, pattern, package):
    """The upstream source and version a package's code is built from: its own source, or, for a
    cross or mingw toolchain's package, the one it names in its Built-Using."""
    if re.fullmatch(pattern, fields["source"]):
        return fields["source"], fields["source_version"]
    found = re.search(rf"(?:^|, )({pattern}) \(= ([^)]+)\)", fields["built_using"])
    if not found:
        sys.exit(f"linked.py: {package} says not which {pattern} it was built from")
    return found.group(1), found.group(2)


def components_of(paths):
    """The components the files belong to, in the table's order."""
    components = {}
    for path in paths:
        package = dpkg("-S", path).split(":")[0]
        fields = dict(zip(
            ("source", "source_version", "built_using", "package_version"),
            dpkg("-W", "-f=${source:Package}\n${source:Version}\n${Built-Using}\n${Version}",
                 package).split("\n")))
        name, _, licence, pattern = next(
            (c for c in COMPONENTS if re.fullmatch(c[1], os.path.basename(path))), (None,) * 4)
        if name is None:
            sys.exit(f"linked.py: {path} (from {package}) is in no component; add it to the table")
        upstream, upstream_version = upstream_of(fields, pattern, package)
        component = components.setdefault(name, {
            "name": name, "licence": licence, "source": upstream, "version": upstream_version,
            "via": set(), "copyright": set(), "shipped_by": set()})
        component["via"].add(f"{package} {fields['package_version']} (source {fields['source']} "
                             f"{fields['source_version']})")
        component["copyright"].add(f"/usr/share/doc/{package}/copyright")
        component["shipped_by"].add((fields["source"], fields["source_version"]))
    return [components[c[0]] for c in COMPONENTS if c[0] in components]


def built_using(components):
    """The sources whose code the binary holds, and the toolchain sources that shipped it."""
    sources = {(c["source"], c["version"]) for c in components}
    sources |= {pair for c in components for pair in c["shipped_by"]}
    return ", ".join(f"{name} (= {ver})" for name, ver in sorted(sources))


def write_notices(path, components, version, platform):
    with open(path, "w") as notices:
        notices.write(f"Third-party notices for spectrum_dump {version} ({platform})\n\n"
                      f"spectrum_dump is under the MIT licence (LICENSE). Its binary includes these\n"
                      f"components, linked statically:\n\n")
        for c in components:
            notices.write(f"- {c['name']}: {c['licence']}\n  Debian source package {c['source']} "
                          f"{c['version']}, from {'; '.join(sorted(c['via']))}\n")
        glibc = next((c for c in components if c["name"] == "glibc"), None)
        if glibc:
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
        for c in components:
            for copyright_path in sorted(c["copyright"]):
                text = open(copyright_path).read()
                if text in seen:
                    continue
                seen.add(text)
                rule = "=" * 78
                notices.write(f"\n{rule}\n{c['name']}: {copyright_path}, from the Debian package\n"
                              f"{rule}\n\n{text}")


def purl(component):
    return f"pkg:deb/debian/{component['source']}@{component['version'].replace('+', '%2B')}?arch=source"


def sbom(components, binary, version, platform, epoch):
    content = open(binary, "rb").read()
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
        } for c in components],
        "dependencies": [{"ref": "spectrum_dump", "dependsOn": [c["name"] for c in components]}] +
                        [{"ref": c["name"], "dependsOn": []} for c in components],
    }
    # The serial number follows from the contents, so the same binary gives the same SBOM.
    body = json.dumps(bom, sort_keys=True).encode()
    return {"serialNumber": f"urn:uuid:{uuid.UUID(bytes=hashlib.sha256(body).digest()[:16], version=5)}",
            **bom}


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__.split("\n\n")[1])
    link_log, binary, platform, notices_path, sbom_path = sys.argv[1:]
    version = os.environ["VERSION"]
    components = components_of(linked_files(link_log))
    print(built_using(components))
    write_notices(notices_path, components, version, platform)
    with open(sbom_path, "w") as out:
        json.dump(sbom(components, binary, version, platform, int(os.environ["SOURCE_DATE_EPOCH"])),
                  out, indent=2)
        out.write("\n")


if __name__ == "__main__":
    main()
