#!/usr/bin/env python3
"""Prints the record of the build, run last in the build root (by build_set.sh, which exports
SRC, WORK, OUT, VERSION, COMMIT and SOURCE_DATE_EPOCH): in the deb822 form of Debian's .buildinfo
(deb-buildinfo(5)), with its field names where they fit. It names the source (commit, tarball),
the architectures, the path and the pinned environment of the build, where the root's packages
came from (root.sh's /build/origin), every package of the root with its version and the SHA-256
of its .deb as apt's index gives it, the packages the linker took files from, and the MD5, SHA-1
and SHA-256 of every other file of the set. Its Source is the .debs' package name. Everything in
it but where and when the packages were fetched is the same for any rebuild of the same set.

usage: buildinfo.py
"""
import hashlib
import os
import re
import subprocess

from link_trace import linked_objects, package_of

PACKAGING = os.path.dirname(os.path.abspath(__file__))


def lines_of(name):
    """The lines of one of the data files beside this script, comments left out."""
    return [line.split() for line in open(os.path.join(PACKAGING, name)) if line.strip() and line[0] != "#"]


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def field(name, lines, separator=""):
    return f"{name}:\n" + f"{separator}\n".join(f" {line}" for line in lines) + "\n"


def installed():
    """(name:arch, version) of each package of the root, in name order."""
    rows = run("dpkg-query", "-W", "-f=${db:Status-Status} ${Package}:${Architecture} ${Version}\n").splitlines()
    return sorted(tuple(row.split()[1:]) for row in rows if row.startswith("installed "))


def index_sha256(packages):
    """The SHA-256 of each package's .deb, as apt's index gives it."""
    shown = run("apt-cache", "show", *(f"{name.removesuffix(':all')}={version}" for name, version in packages))
    sums = {}
    for stanza in shown.strip().split("\n\n"):
        fields = dict(re.findall(r"^([\w-]+): (.*)$", stanza, re.M))
        if "SHA256" in fields:  # not dpkg's own record of the installed version
            sums[(f"{fields['Package']}:{fields['Architecture']}", fields["Version"])] = fields["SHA256"]
    return [sums[package] for package in packages]


def checksums(algorithm, files):
    """A line for each file of the set: its checksum, its size and its name."""
    return [f"{hashlib.new(algorithm, content).hexdigest()} {len(content)} {name}"
            for name in files for content in [open(os.path.join(os.environ["OUT"], name), "rb").read()]]


def main():
    env = os.environ
    targets = lines_of("targets")  # preset, platform, .deb architecture
    # The names release.sh pins, from the file it reads them from, and the commit's time.
    pinned = [line[0].split("=")[0] for line in lines_of("build-environment")] + ["SOURCE_DATE_EPOCH"]
    packages = installed()
    linked_packages = sorted({f"{p.name}:{p.arch} (= {p.version})"
                              for preset, *_ in targets for path, _ in linked_objects(f"{env['WORK']}/{preset}.log")
                              for p in [package_of(path)]})
    record = f"spectrum_dump-{env['VERSION']}.buildinfo"
    tarball = f"spectrum_dump-{env['VERSION']}.tar.gz"
    files = [name for name in sorted(os.listdir(env["OUT"])) if name != record]
    # The set has no Debian source package: its .debs' one package name stands for it, as dpkg
    # takes a package's name for its source's when it names none.
    binaries = sorted({run("dpkg-deb", "--field", os.path.join(env["OUT"], name), "Package").strip()
                       for name in files if name.endswith(".deb")})
    if len(binaries) != 1:
        raise SystemExit(f"buildinfo.py: the .debs are not of one package: {binaries}")
    vendor = re.search(r"^Vendor: (.*)$", open("/etc/dpkg/origins/default").read(), re.M).group(1)
    print("Format: 1.0\n"
          f"Source: {binaries[0]}\n"
          f"Binary: {binaries[0]}\n"
          f"Architecture: source {' '.join(arch for *_, arch in targets if arch != '-')}\n"
          f"Version: {env['VERSION']}\n"
          f"Source-Commit: {env['COMMIT']}\n"
          f"Source-Tarball: {tarball}\n"
          + "".join(field(f"Checksums-{algorithm.capitalize()}", checksums(algorithm, files))
                    for algorithm in ("md5", "sha1", "sha256"))
          + f"Build-Origin: {vendor}\n"
          f"Build-Architecture: {run('dpkg', '--print-architecture').strip()}\n"
          f"Build-Foreign-Architectures: {' '.join(run('dpkg', '--print-foreign-architectures').split())}\n"
          f"Build-Path: {env['SRC']}\n"
          + field("Environment", [f'{name}="{env[name]}"' for name in pinned])
          + f"Umask: {os.umask(0o022):04o}\n"
          + open("/build/origin").read()
          + field("Installed-Build-Depends", [f"{name} (= {version})" for name, version in packages], ",")
          + field("Installed-Build-Depends-Sha256",
                  [f"{sha} {name} {version}" for (name, version), sha in zip(packages, index_sha256(packages))])
          + field("Linked-Packages", linked_packages, ","), end="")


if __name__ == "__main__":
    main()
