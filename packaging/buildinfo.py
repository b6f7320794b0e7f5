#!/usr/bin/env python3
"""Prints the record of the build, run last in the build root (by build_set.sh, which exports
SRC, WORK, OUT, VERSION, COMMIT and SOURCE_DATE_EPOCH): in the deb822 form of Debian's .buildinfo
(deb-buildinfo(5)), with its field names where they fit. It names the source (commit, tarball),
the architectures, the path and the pinned environment of the build, where the root's packages
came from (root.sh's /build/origin), every package of the root with its version and the SHA-256
of its .deb as apt's index gives it, the packages the linker took files from, and the SHA-256 of
every other file of the set. Everything in it but where and when the packages were fetched
is the same for any rebuild of the same set.

usage: buildinfo.py
"""
import hashlib
import os
import re
import subprocess

import linked

# The environment release.sh pins for the build, and its umask.
PINNED = ("PATH", "HOME", "LC_ALL", "TZ", "SOURCE_DATE_EPOCH", "PYTHONDONTWRITEBYTECODE")
PRESETS = ("release", "aarch64", "windows")


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


def main():
    env = os.environ
    packages = installed()
    linked_packages = sorted({f"{p['package']}:{p['arch']} (= {p['version']})"
                              for preset in PRESETS for path, _ in linked.linked_objects(f"{env['WORK']}/{preset}.log")
                              for p in [linked.package_of(path)]})
    record = f"spectrum_dump-{env['VERSION']}.buildinfo"
    tarball = f"spectrum_dump-{env['VERSION']}.tar.gz"
    sums = []
    for name in sorted(os.listdir(env["OUT"])):
        if name != record:
            content = open(os.path.join(env["OUT"], name), "rb").read()
            sums.append(f"{hashlib.sha256(content).hexdigest()} {len(content)} {name}")
    vendor = re.search(r"^Vendor: (.*)$", open("/etc/dpkg/origins/default").read(), re.M).group(1)
    print("Format: 1.0\n"
          "Source: spectrum_dump\n"
          "Binary: spectrum-dump\n"
          "Architecture: source amd64 arm64\n"
          f"Version: {env['VERSION']}\n"
          f"Source-Commit: {env['COMMIT']}\n"
          f"Source-Tarball: {tarball}\n"
          + field("Checksums-Sha256", sums)
          + f"Build-Origin: {vendor}\n"
          f"Build-Architecture: {run('dpkg', '--print-architecture').strip()}\n"
          f"Build-Foreign-Architectures: {' '.join(run('dpkg', '--print-foreign-architectures').split())}\n"
          f"Build-Path: {env['SRC']}\n"
          + field("Environment", [f'{name}="{env[name]}"' for name in PINNED])
          + f"Umask: {os.umask(0o022):04o}\n"
          + open("/build/origin").read()
          + field("Installed-Build-Depends", [f"{name} (= {version})" for name, version in packages], ",")
          + field("Installed-Build-Depends-Sha256",
                  [f"{sha} {name} {version}" for (name, version), sha in zip(packages, index_sha256(packages))])
          + field("Linked-Packages", linked_packages, ","), end="")


if __name__ == "__main__":
    main()
