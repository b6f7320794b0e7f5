"""The runtime components linked into a release binary, each one record made from its link: the
runtime library it is (runtime_licences.py's table), the Debian package its files came from
(link_trace.py's queries), the parts of it linked, and what the notices and the SBOM say of it.
"""
import dataclasses
import os
import re
import sys
import urllib.parse

from link_trace import Package, debian_release, package_of
from runtime_licences import PARTS, RUNTIMES, Part, Runtime, part_of


@dataclasses.dataclass(frozen=True)
class Component:
    name: str  # a key of RUNTIMES
    runtime: Runtime
    package: Package
    parts: tuple[Part, ...]  # in the table's order
    upstream: str  # the upstream source and its Debian version
    upstream_version: str
    licence: str  # SPDX: the parts' licences joined
    purl: str
    cpe: str


def upstream_release(debian_version):
    """The upstream release a Debian version packages: without epoch, revision and repacking."""
    return re.sub(r"^[0-9]+:|-[^-]*$|[+~](dfsg|ds|repack).*", "", debian_version)


def components_of(objects):
    """The components that the linked objects ((file, member) pairs) are parts of, in the table's
    order."""
    linked = {}  # a runtime's name: its package and the parts linked
    for path, member in objects:
        part = part_of(path, member)
        package = package_of(path)
        found, parts = linked.setdefault(part.runtime, (package, []))
        if (package.name, package.arch) != (found.name, found.arch):
            sys.exit(f"components.py: {part.runtime} comes from {found.name} and {package.name}")
        if part not in parts:
            parts.append(part)
    components, purls = [], set()
    for name in (name for name in RUNTIMES if name in linked):
        runtime, (package, parts) = RUNTIMES[name], linked[name]
        parts = tuple(sorted(parts, key=PARTS.index))
        upstream, upstream_version = package.upstream(runtime.upstream)
        licence = " AND ".join(dict.fromkeys(
            term for p in parts for term in ([f"({p.licence})"] if " OR " in p.licence else p.licence.split(" AND "))))
        # The Debian source package, against which Debian files its advisories, and the upstream
        # release, against which NVD files its.
        source = urllib.parse.quote(f"{package.source}@{package.source_version}")
        purl = (f"pkg:deb/debian/{package.name}@{urllib.parse.quote(package.version)}"
                f"?arch={package.arch}&distro={debian_release()}&upstream={source}")
        # Two components of one package (the mingw-w64 runtime and winpthreads): the file tells.
        if purl in purls:
            purl += "#" + next(p for p, _ in objects if re.fullmatch(parts[0].file, os.path.basename(p)))[1:]
        purls.add(purl)
        components.append(Component(
            name, runtime, package, parts, upstream, upstream_version, licence, purl,
            f"cpe:2.3:a:{runtime.cpe}:{upstream_release(upstream_version)}:*:*:*:*:*:*:*"))
    return components
