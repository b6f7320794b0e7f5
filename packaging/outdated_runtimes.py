#!/usr/bin/python3
"""Lists each runtime package linked into a release set's binaries whose version Debian's archive
has since replaced, as "name:arch: linked VERSION, the archive has VERSION"; exits 1 when it lists
any, 2 when it cannot tell (a package apt's lists do not hold, say of an architecture not added).
The binaries carry their runtimes, so such a set needs a new release (SECURITY.md says when).
Reads the Linked-Packages field of the set's build record and compares each package with the
versions apt's index offers for it: run apt-get update first. Debian's python3, for python3-apt and
python3-debian.

usage: packaging/outdated_runtimes.py BUILDINFO
"""
import functools
import sys

import apt_pkg
from debian import deb822

if len(sys.argv) != 2:
    sys.exit(__doc__.split("\n\n")[1])
apt_pkg.init()
cache = apt_pkg.Cache(None)  # None: no progress lines
linked = deb822.BuildInfo(open(sys.argv[1]))["Linked-Packages"].strip().rstrip(",")
outdated = unknown = 0
for (package,) in deb822.PkgRelation.parse_relations(linked):
    name, arch, version = package["name"], package["archqual"], package["version"][1]
    if (name, arch) not in cache:
        print(f"{name}:{arch}: not in apt's lists; add the architecture (dpkg --add-architecture "
              f"{arch}) and run apt-get update", file=sys.stderr)
        unknown += 1
        continue
    offered = [v.ver_str for v in cache[name, arch].version_list]
    newest = max(offered, key=functools.cmp_to_key(apt_pkg.version_compare))
    if apt_pkg.version_compare(newest, version) > 0:
        print(f"{name}:{arch}: linked {version}, the archive has {newest}")
        outdated += 1
sys.exit(1 if outdated else 2 if unknown else 0)
