"""What a binary's link took from Debian's packages: the objects and archive members in the
linker's trace, and the package of each file as dpkg knows it, run in the build root.
"""
import dataclasses
import functools
import os
import re
import subprocess
import sys


@dataclasses.dataclass(frozen=True)
class Package:
    """A Debian binary package as dpkg has it installed, with the source it was built from and its
    Built-Using field."""
    name: str
    arch: str
    version: str
    source: str
    source_version: str
    built_using: str

    def upstream(self, pattern):
        """The upstream source and version the package's code is built from: its own source, or,
        for a cross or mingw toolchain's package, the one matching pattern that its Built-Using
        names."""
        if re.fullmatch(pattern, self.source):
            return self.source, self.source_version
        found = re.search(rf"(?:^|, )({pattern}) \(= ([^)]+)\)", self.built_using)
        if not found:
            sys.exit(f"link_trace.py: {self.name} says not which {pattern} it was built from")
        return found.group(1), found.group(2)


def dpkg(*args):
    return subprocess.run(["dpkg-query", *args], check=True, capture_output=True, text=True).stdout


def linked_objects(link_log):
    """(file, member) for each archive member the linker pulled in, (file, None) for each object
    it loaded; relative paths, the project's own objects and libraries, are left out."""
    linked = set()
    for line in open(link_log):
        member = re.match(r"\((/[^)]+)\)(\S+)$", line.strip())
        if member:
            linked.add((os.path.realpath(member.group(1)), member.group(2)))
        elif re.fullmatch(r"/\S+\.o", line.strip()):
            linked.add((os.path.realpath(line.strip()), None))
    return sorted(linked, key=lambda pair: (pair[0], pair[1] or ""))


@functools.cache
def package_of(path):
    """The Debian package (with its architecture) that ships path."""
    name = dpkg("-S", path).split(": ")[0]
    return Package(*dpkg("-W", "-f=${Package}\n${Architecture}\n${Version}\n${source:Package}\n"
                         "${source:Version}\n${Built-Using}", name).split("\n"))


@functools.cache
def debian_release():
    """The Debian release the packages come from, as purls' distro qualifier names it."""
    return "debian-" + re.search(r'^VERSION_ID="?([0-9]+)', open("/etc/os-release").read(), re.M).group(1)
