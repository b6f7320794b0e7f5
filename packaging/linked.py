#!/usr/bin/env python3
"""What a release binary carries that is not ours, found from its link rather than written by hand.

usage: linked.py LINK_LOG BINARY PRESET PLATFORM FOLDER SBOM [COPYRIGHT]

LINK_LOG holds the linker's trace of BINARY's link (ld -t -t: each object it loaded, and each
archive member it pulled in as "(archive)member"). Each linked file is traced to the Debian
package that ships it and that package's source; the table below names the component and the part
of it that each file or member is, with its licence and copyright. Writes FOLDER/THIRD-PARTY-NOTICES,
the licence texts they invoke as files in FOLDER/licenses, and SBOM (CycloneDX 1.6 JSON, dated
SOURCE_DATE_EPOCH); prints the Built-Using field for a .deb of BINARY (PRESET's build). With
COPYRIGHT, writes there the Copyright and License fields of a .deb's DEP-5 copyright file for BINARY.
"""
import collections
import functools
import glob
import hashlib
import json
import os
import re
import subprocess
import sys
import tarfile
import textwrap
import time
import urllib.parse
import uuid

AUTHOR = "spectrum_dump developers"
COPYRIGHT = f"2026 {AUTHOR}"
DEBIAN = {"name": "Debian", "url": ["https://www.debian.org/"]}

# Each component: what it is, the upstream Debian source its code is built from (a pattern: GCC's
# source is named for its major version), and the vendor and product of its upstream in CPE names
# (NVD's). The GNU C Library's licence asks that its source be offered, so it alone goes into
# Built-Using, its source travels with the release, and the notices say how to relink.
Component = collections.namedtuple("Component", "title upstream offers_source cpe")
COMPONENTS = {
    "glibc": Component("the GNU C Library", r"glibc", True, "gnu:glibc"),
    "libstdc++": Component("GCC's C++ standard library", r"gcc-[0-9]+", False, "gnu:gcc"),
    "libgcc": Component("GCC's low-level runtime library", r"gcc-[0-9]+", False, "gnu:gcc"),
    "libssp": Component("GCC's stack protector library", r"gcc-[0-9]+", False, "gnu:gcc"),
    "mingw-w64 runtime": Component("the mingw-w64 C runtime and import libraries", r"mingw-w64", False,
                                   "mingw-w64:mingw-w64"),
    "winpthreads": Component("mingw-w64's POSIX threads library", r"mingw-w64", False, "mingw-w64:mingw-w64"),
}

# The parts of the components a binary may link: the files (and, within archives, the members)
# that are the part, its licence (SPDX), its copyright, the licence texts it invokes (keys of
# TEXTS), and where the part is offered under a choice of licences, that choice. The first part
# whose file and member match takes a linked object. Reviewed by hand against the copyright files
# of the Debian packages that ship the files, and where those are silent (soft-fp, Ryu,
# libiberty's demangler, libssp) against the part's own sources. {glibc_year} is the latest year
# in the copyright lines of the GNU C Library's source that glibc-source installs.
Part = collections.namedtuple("Part", "component what file member licence copyright texts offered",
                              defaults=[None])
FSF_GCC = "1986-2022 Free Software Foundation, Inc."
GCC_RUNTIME = "GPL-3.0-or-later WITH GCC-exception-3.1"
GDTOA = r"lib64_libmingwex_a-(dmisc|dtoa|g_\w*fmt|gdtoa|gethex|gmisc|hd_init|hexnan|misc|smisc|strtod|strtodg" \
        r"|strtof|strtopx|sum|ulp)\.o"
# Keith Marshall's printf family (stdio/mingw_*printf.c, misc/basename.c, misc/dirname.c), and the
# members built from mingw-w64-crt/misc, which is in the public domain.
KEITH_MARSHALL = r"lib64_libmingwex_a-(basename|dirname|mingw_v?(f|sn?)?printf)\.o"
MINGW_MISC = r"lib64_lib(mingwex|msvcrt_common|msvcrt_extra)_a-(fe[a-z]+|strnlen|wcsnlen|mingw_matherr|mbrtowc" \
             r"|wcrtomb|__p__(acmdln|commode|fmode)|invalid_parameter_handler)\.o"
PARTS = [
    Part("glibc", "the GNU C Library", r"libc\.a|libm(-[0-9.]+|vec)?\.a|r?crt1\.o|crt[in]\.o", None,
         "LGPL-2.1-or-later AND LicenseRef-glibc-LICENSES",
         ["1991-{glibc_year} Free Software Foundation, Inc. and others"], ["LGPL-2.1", "glibc-LICENSES"]),
    Part("libstdc++", "Ryu, the shortest float formatting of std::to_chars", r"libstdc\+\+\.a",
         r"floating_to_chars\.o", "Apache-2.0", ["2018 Ulf Adams"], ["Apache-2.0"], "Apache-2.0 OR BSL-1.0"),
    # libiberty's demangler, which libstdc++'s verbose terminate handler calls.
    Part("libstdc++", "libiberty's C++ demangler", r"libstdc\+\+\.a", r"cp-demangle\.o",
         "GPL-2.0-or-later WITH GCC-exception-2.0", ["2003-2022 Free Software Foundation, Inc."],
         ["GPL-2", "GCC-exception-2.0-libiberty"]),
    Part("libstdc++", "the C++ standard library", r"libstdc\+\+\.a", None, GCC_RUNTIME, [FSF_GCC],
         ["GPL-3", "GCC-exception-3.1"]),
    # soft-fp, shared with the GNU C Library: LGPL-2.1-or-later with a linking exception worded for
    # the LGPL, which has no SPDX id (GCC-exception-2.0 is the GPL's). Its glue to the processor's
    # exceptions, sfp-exceptions.c, is GCC's own and under GCC's runtime licence, as below.
    Part("libgcc", "soft-fp, software floating point for 128-bit floats (__float128; long double on aarch64)",
         r"libgcc\.a",
         r"(add|sub|mul|div|neg|eq|ne|ge|gt|le|lt|unord|fix|fixuns|float|floatun|extend|trunc)[a-z]*[0-9]?\.o",
         "LGPL-2.1-or-later WITH AdditionRef-soft-fp-exception", ["1997-2022 Free Software Foundation, Inc."],
         ["LGPL-2.1", "soft-fp-exception"]),
    Part("libgcc", "the runtime support and unwinder", r"libgcc(_eh)?\.a|crt(begin|end)S?\.o", None,
         GCC_RUNTIME, [FSF_GCC], ["GPL-3", "GCC-exception-3.1"]),
    # The Windows exe's: its canary and the checked functions _FORTIFY_SOURCE calls.
    Part("libssp", "the stack protector and the checked string and stdio functions", r"libssp(_nonshared)?\.a",
         None, GCC_RUNTIME, ["2005-2022 Free Software Foundation, Inc."], ["GPL-3", "GCC-exception-3.1"]),
    Part("mingw-w64 runtime", "the start-up code (crt)", r"crt2\.o|libmingw32\.a", None,
         "LicenseRef-mingw-w64-public-domain", ["none: in the public domain"], ["mingw-w64-public-domain"]),
    Part("mingw-w64 runtime", "gdtoa, number formatting and parsing", r"libmingwex\.a",
         r"lib64_libmingwex_a-(strtodnrp|qnan)\.o", "LicenseRef-gdtoa-David-Gay",
         ["2004, 2005 David M. Gay", "1998, 2000 Lucent Technologies"], ["gdtoa-David-Gay"]),
    # stdio/mingw_pformat.c: Debian's copyright file lists it under both Lucent's and Keith Marshall's.
    Part("mingw-w64 runtime", "printf's formatting engine (stdio/mingw_pformat.c)", r"libmingwex\.a",
         r"lib64_libmingwex_a-mingw_pformat\.o", "LicenseRef-gdtoa-Lucent AND LicenseRef-Keith-Marshall",
         ["1997-2001 Lucent Technologies", "Keith Marshall"], ["gdtoa-Lucent", "Keith-Marshall"]),
    Part("mingw-w64 runtime", "gdtoa, number formatting and parsing", r"libmingwex\.a", GDTOA,
         "LicenseRef-gdtoa-Lucent", ["1997-2001 Lucent Technologies"], ["gdtoa-Lucent"]),
    Part("mingw-w64 runtime", "printf's entry points (stdio/mingw_*printf.c)", r"libmingwex\.a", KEITH_MARSHALL,
         "LicenseRef-Keith-Marshall", ["Keith Marshall"], ["Keith-Marshall"]),
    Part("mingw-w64 runtime", "floating-point environment, string length and wide-character helpers (misc)",
         r"lib(mingwex|msvcrt)\.a", MINGW_MISC, "LicenseRef-mingw-w64-public-domain",
         ["none: in the public domain"], ["mingw-w64-public-domain"]),
    Part("mingw-w64 runtime", "the C library extensions and import libraries",
         r"lib(mingwex|moldname|msvcrt|kernel32|advapi32)\.a", None, "ZPL-2.1", ["2009-2016 the mingw-w64 project"],
         ["ZPL-2.1"]),
    Part("winpthreads", "POSIX threads", r"libpthread\.a", None, "MIT AND BSD-3-Clause",
         ["2011-2016 mingw-w64 project", "2010 Lockless Inc. (pthread.h)"], ["MIT-winpthreads", "BSD-3-Clause-Lockless"]),
]

# No source of GCC's libiberty is installed here: its linking exception as libiberty/cp-demangle.c
# of GCC 12 words it.
LIBIBERTY_EXCEPTION = """In addition to the permissions in the GNU General Public License, the
Free Software Foundation gives you unlimited permission to link the
compiled version of this file into combinations with other programs,
and to distribute those combinations without any restriction coming
from the use of this file.  (The General Public License restrictions
do apply in other respects; for example, they cover modification of
the file, and distribution when not linked into a combined
executable.)
"""

# The licence texts, each a file in licenses/: where this machine has it. A pair (package, name)
# is the text of the licence called name in the DEP-5 copyright file of the Debian package that
# ships the component; ("glibc-source", member) the file member of the GNU C Library's source that
# glibc-source installs, and (that, first line) the paragraph from first line to the next blank line;
# a pair (file, first line) the text from that line to the next blank line followed by a blank line;
# ("quoted", text) the text itself. A package's text that leaves out its title has it third.
TEXTS = {
    "LGPL-2.1": "/usr/share/common-licenses/LGPL-2.1",
    "GPL-2": "/usr/share/common-licenses/GPL-2",
    "GPL-3": "/usr/share/common-licenses/GPL-3",
    "Apache-2.0": "/usr/share/common-licenses/Apache-2.0",
    "GCC-exception-3.1": ("/usr/share/doc/libgcc-s1/copyright", "GCC RUNTIME LIBRARY EXCEPTION"),
    "GCC-exception-2.0-libiberty": ("quoted", LIBIBERTY_EXCEPTION),
    "soft-fp-exception": ("glibc-source", "soft-fp/soft-fp.h",
                                  "   In addition to the permissions in the GNU Lesser General Public"),
    "glibc-LICENSES": ("glibc-source", "LICENSES"),
    "mingw-w64-public-domain": ("package", "public-domain"),
    "gdtoa-David-Gay": ("package", "David-Gay"),
    "gdtoa-Lucent": ("package", "Lucent"),
    "Keith-Marshall": ("package", "Keith-Marshall"),
    "ZPL-2.1": ("package", "ZPL-2.1", "Zope Public License (ZPL) Version 2.1"),
    "MIT-winpthreads": ("package", "expat"),
    "BSD-3-Clause-Lockless": ("package", "BSD-3-clause-Lockless"),
}


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
    """The Debian package (with its architecture) that ships path, and its fields."""
    package = dpkg("-S", path).split(": ")[0]
    names = ("package", "arch", "version", "source", "source_version", "built_using")
    values = dpkg("-W", "-f=${Package}\n${Architecture}\n${Version}\n${source:Package}\n${source:Version}\n"
                  "${Built-Using}", package).split("\n")
    return dict(zip(names, values))


def upstream_of(fields, pattern):
    """The upstream source and version a package's code is built from: its own source, or, for a
    cross or mingw toolchain's package, the one it names in its Built-Using."""
    if re.fullmatch(pattern, fields["source"]):
        return fields["source"], fields["source_version"]
    found = re.search(rf"(?:^|, )({pattern}) \(= ([^)]+)\)", fields["built_using"])
    if not found:
        sys.exit(f"linked.py: {fields['package']} says not which {pattern} it was built from")
    return found.group(1), found.group(2)


def components_of(objects):
    """The linked components, in the table's order, each with its package and the parts linked."""
    components = {}
    for path, member in objects:
        part = next((p for p in PARTS if re.fullmatch(p.file, os.path.basename(path))
                     and (p.member is None or (member and re.fullmatch(p.member, member)))), None)
        if part is None:
            sys.exit(f"linked.py: {path} {member or ''} is in no part; add it to the table")
        fields = package_of(path)
        component = components.setdefault(part.component, {"name": part.component, **fields, "parts": []})
        if fields["package"] != component["package"] or fields["arch"] != component["arch"]:
            sys.exit(f"linked.py: {part.component} comes from {component['package']} and {fields['package']}")
        if part not in component["parts"]:
            component["parts"].append(part)
    ordered = [components[name] for name in COMPONENTS if name in components]
    for c in ordered:
        c["parts"].sort(key=PARTS.index)
        c["upstream"], c["upstream_version"] = upstream_of(c, COMPONENTS[c["name"]].upstream)
        c["licence"] = " AND ".join(dict.fromkeys(
            term for p in c["parts"]
            for term in ([f"({p.licence})"] if " OR " in p.licence else p.licence.split(" AND "))))
    purls = set()
    for c in ordered:
        # The Debian source package, against which Debian files its advisories, and the upstream
        # release, against which NVD files its.
        upstream = urllib.parse.quote(f"{c['source']}@{c['source_version']}")
        c["purl"] = (f"pkg:deb/debian/{c['package']}@{urllib.parse.quote(c['version'])}"
                     f"?arch={c['arch']}&distro={debian_release()}&upstream={upstream}")
        c["cpe"] = f"cpe:2.3:a:{COMPONENTS[c['name']].cpe}:{upstream_release(c['upstream_version'])}:*:*:*:*:*:*:*"
        # Two components of one package (the mingw-w64 runtime and winpthreads): the file tells.
        if c["purl"] in purls:
            c["purl"] += "#" + next(p for p, _ in objects if re.fullmatch(c["parts"][0].file, os.path.basename(p)))[1:]
        purls.add(c["purl"])
    return ordered


def upstream_release(debian_version):
    """The upstream release a Debian version packages: without epoch, revision and repacking."""
    return re.sub(r"^[0-9]+:|-[^-]*$|[+~](dfsg|ds|repack).*", "", debian_version)


@functools.cache
def debian_release():
    """The Debian release the runtimes come from, as purls' distro qualifier names it."""
    return "debian-" + re.search(r'^VERSION_ID="?([0-9]+)', open("/etc/os-release").read(), re.M).group(1)


def copyright_of(part):
    """A part's copyright lines, the GNU C Library's latest year filled in."""
    return [line.format(glibc_year=glibc_latest_year()) if "{glibc_year}" in line else line
            for line in part.copyright]


@functools.cache
def glibc_latest_year():
    """The latest year of the GNU C Library source's copyright lines, its tests' left out."""
    tarball, = glob.glob("/usr/src/glibc/glibc-*.tar.xz")
    years = set()
    with tarfile.open(tarball) as source:
        for member in source:
            if member.isfile() and not re.match(r"(tst|test)-", os.path.basename(member.name)):
                years.update(re.findall(rb"Copyright \(C\) (?:[0-9]{4}-)?([0-9]{4}) Free Software Foundation",
                                        source.extractfile(member).read()))
    return max(years).decode()


def licence_text(name, components):
    where = TEXTS[name]
    if isinstance(where, str):
        return open(where).read()
    if where[0] == "quoted":
        return where[1]
    if where[0] == "glibc-source":  # the tarball glibc_source.sh checks against the linked glibc
        text = glibc_source_file(where[1])
        if len(where) == 2:
            return text
        start = text.index(where[2])
        return "".join(line.strip() + "\n" for line in text[start:text.index("\n\n", start)].split("\n"))
    path, first, *title = where
    if path == "package":
        package = next(c["package"] for c in components if name in (t for p in c["parts"] for t in p.texts))
        found = re.search(rf"^License: {re.escape(first)}\n((?: .*\n)+)",
                          open(f"/usr/share/doc/{package}/copyright").read(), re.M)
        return "".join([f"{title[0]}\n\n"] if title else []) + "".join(
            line[1:] if line != " .\n" else "\n" for line in found.group(1).splitlines(True))
    text = open(path).read()
    start = text.index(first + "\n")
    return text[start:text.index("\n\n\n", start) + 1]


@functools.cache
def glibc_source_file(member):
    """A file of the GNU C Library's source, from the one tarball glibc-source installs."""
    tarball, = glob.glob("/usr/src/glibc/glibc-*.tar.xz")
    with tarfile.open(tarball) as source:
        return source.extractfile(f"{os.path.basename(tarball)[:-len('.tar.xz')]}/{member}").read().decode()


def check_texts(part):
    """Every licence and exception a part names has a text among the part's: GPL-3.0-or-later the
    text GPL-3, GCC-exception-2.0 one whose name starts so, LicenseRef-NAME and AdditionRef-NAME the
    text NAME."""
    for name in re.findall(r"[\w.+-]+", part.licence):
        if name in ("AND", "OR", "WITH"):
            continue
        stem = re.sub(r"(\.0)?(-or-later|-only)?$", "", re.sub(r"^(License|Addition)Ref-", "", name))
        if not any(text.startswith(stem) for text in part.texts):
            sys.exit(f"linked.py: {part.what}: no text for {name} among {part.texts}")


def fill(text, indent="", hang=""):
    """text as lines of at most 78 columns, names and SPDX identifiers unbroken."""
    return textwrap.fill(text, 78, initial_indent=indent, subsequent_indent=hang, break_long_words=False,
                         break_on_hyphens=False) + "\n"


def write_notices(folder, components, version, platform, preset):
    suffix = ".txt" if platform.startswith("windows") else ""  # as the zip names its texts
    os.makedirs(f"{folder}/licenses", exist_ok=True)
    for p in PARTS:
        check_texts(p)
    texts = dict.fromkeys(t for c in components for p in c["parts"] for t in p.texts)
    for name in texts:
        with open(f"{folder}/licenses/{name}", "w") as out:
            out.write(licence_text(name, components))
    with open(f"{folder}/THIRD-PARTY-NOTICES", "w") as notices:
        notices.write(f"Third-party notices for spectrum_dump {version} ({platform})\n\n")
        notices.write(fill(f"spectrum_dump is under the MIT licence (LICENSE{suffix}). Its binary holds parts of "
                           "these components, linked statically; the licence texts named are files in the folder "
                           "licenses beside this one."))
        for c in components:
            notices.write("\n" + fill(f"{c['name']}, {COMPONENTS[c['name']].title}, version {c['upstream_version']}",
                                      hang="  ")
                          + fill(f"as Debian's package {c['package']} {c['version']} ({c['arch']}) holds it, built "
                                 f"from Debian's source package {c['source']} {c['source_version']}", "  ", "  ")
                          + fill(f"Licence: {c['licence']}", "  ", "    "))
            for p in c["parts"]:
                chosen = f" (the choice taken of {p.offered})" if p.offered else ""
                notices.write(fill(f"- {p.what}: Copyright {'; '.join(copyright_of(p))}", "  ", "    ")
                              + fill(f"Licence: {p.licence}{chosen}", "    ", "      ")
                              + f"    Licence texts: {', '.join(t + suffix for t in p.texts)}\n")
        glibc = next((c for c in components if COMPONENTS[c["name"]].offers_source), None)
        if glibc:
            notices.write(glibc_source_and_relink(glibc, version, preset))


def glibc_source_and_relink(glibc, version, preset):
    debian = glibc["upstream_version"]
    upstream = debian.split("-")[0]
    return f"""
The GNU C Library's source
  Its exact source travels with this release, as two files of the release set:
  glibc-{debian}.tar.xz, the GNU C Library {upstream} source with
  Debian's patches for {debian} already applied, byte for byte
  /usr/src/glibc/glibc-{upstream}.tar.xz of Debian's package glibc-source of
  that version; and glibc-{debian}-debian.tar.gz, Debian's debian
  folder (its build rules; patches/ lists the patches already applied, for
  reference), which unpacks into the same folder, glibc-{upstream}. That
  glibc-source is the version of the libc6-dev this binary was linked with
  (the release checks that). glibc-LICENSES is that source's file LICENSES.

Relinking against another GNU C Library
  Take spectrum_dump-{version}.tar.gz from this release, the tool's complete
  source, and the build tools its README.md and docs/development.md name for
  the preset {preset}. Put that library's lib folder (its static and shared
  libraries, crt1.o and the like, as its installation lays them out) at
  /path/to/glibc/lib, then in the unpacked source folder run:

    LDFLAGS=-B/path/to/glibc/lib/ cmake --preset {preset} -DBUILD_TESTING=OFF
    cmake --build --preset {preset}

  The relinked tool is build/{preset}/spectrum_dump.
"""


def licences(c, components):
    """The SBOM's licences of a component: an expression where it needs one, else each licence,
    with the text of each LicenseRef."""
    terms = c["licence"].split(" AND ")
    if any(" WITH " in t or " OR " in t for t in terms):
        return [{"expression": c["licence"]}]
    # LicenseRef-NAME's text is the licence text NAME.
    return [{"license": {"id": t}} if not t.startswith("LicenseRef-") else
            {"license": {"name": t, "text": {"contentType": "text/plain",
                                              "content": licence_text(t[len("LicenseRef-"):], components)}}}
            for t in terms]


def licence_properties(c, components):
    """What a component's licences leave unsaid: each licence choice and the election made of it,
    and the text of each LicenseRef or AdditionRef of an expression, for which CycloneDX 1.6 has
    no field."""
    expression = licences(c, components)[0].get("expression", "")
    return ([{"name": "licence-choice", "value": f"{p.what}: offered under {p.offered}, taken under {p.licence}"}
             for p in c["parts"] if p.offered]
            + [{"name": f"licence-text:{ref}", "value": licence_text(name, components)}
               for ref, name in re.findall(r"((?:License|Addition)Ref-([\w.-]+))", expression)])


def operating_system():
    """The Debian release the runtimes' packages are from, for scanners that read deb purls only
    with the system they belong to."""
    release = debian_release().removeprefix("debian-")
    return {"type": "operating-system", "bom-ref": debian_release(), "name": "debian", "version": release,
            "supplier": DEBIAN, "cpe": f"cpe:2.3:o:debian:debian_linux:{release}.0:*:*:*:*:*:*:*",
            "description": "The Debian release whose packages the linked runtime libraries come from"}


def dep5_fields(components):
    """The Copyright and License fields, in DEP-5's words, of a .deb's copyright file for the binary:
    the tool's and each linked part's."""
    def dep5(expression):
        expression = re.sub(r"\bMIT\b", "Expat", expression)
        expression = re.sub(r"(\.0)?-or-later", "+", expression)
        expression = re.sub(r" WITH (?:AdditionRef-)?(\S+?)(?:-exception)?(?=[\s)]|$)", r" with \1 exception",
                            expression)
        return expression.replace("LicenseRef-", "").replace(" AND ", " and ").replace(" OR ", " or ")
    lines = dict.fromkeys(f" {line} ({c['name']})"
                          for c in components for p in c["parts"] for line in copyright_of(p))
    terms = dict.fromkeys(["MIT"] + [t for c in components for t in c["licence"].split(" AND ")])
    return f"Copyright: {COPYRIGHT}\n" + "".join(f"{line}\n" for line in lines) + \
        f"License: {dep5(' AND '.join(terms))}\n"


def build_tools(preset):
    """The compiler, the linker and cmake of PRESET's build, as the root's Debian packages (those
    the record lists) that hold them."""
    build = f"{os.environ['SRC']}/build/{preset}"
    compiler, = glob.glob(f"{build}/CMakeFiles/*/CMakeCXXCompiler.cmake")  # a toolchain's too
    found = open(compiler).read() + open(f"{build}/CMakeCache.txt").read()
    for key, what in (("CMAKE_CXX_COMPILER", "the C++ compiler"), ("CMAKE_LINKER", "the linker (binutils)"),
                      ("CMAKE_COMMAND", "the build system")):
        path = re.search(rf'^(?:set\({key} "|{key}:\w+=)([^"\n]+)', found, re.M).group(1)
        fields = package_of(os.path.realpath(path))
        yield {"type": "application", "name": fields["package"], "version": fields["version"],
               "supplier": DEBIAN, "description": f"{what}, run on {fields['arch']}"}


def sbom(components, binary, version, platform, epoch, preset):
    content = open(binary, "rb").read()
    linux = platform.startswith("linux")
    tool = {"name": "spectrum_dump release scripts (packaging/linked.py)", "version": version,
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
            "type": "library", "bom-ref": c["name"], "name": c["name"], "version": c["version"],
            "supplier": DEBIAN, "purl": c["purl"], "cpe": c["cpe"], "licenses": licences(c, components),
            **({"properties": properties} if (properties := licence_properties(c, components)) else {}),
            "copyright": "; ".join(dict.fromkeys(line for p in c["parts"] for line in copyright_of(p))),
            "description": f"{COMPONENTS[c['name']].title}, linked statically: "
                           + "; ".join(p.what for p in c["parts"]),
            # The Debian source package that built the binary package, and the upstream source that
            # one was built from, where that is another.
            "pedigree": {"ancestors": [
                {"type": "library", "name": name, "version": ver, "supplier": DEBIAN,
                 "purl": f"pkg:deb/debian/{name}@{urllib.parse.quote(ver)}?arch=source"}
                for name, ver in dict.fromkeys([(c["source"], c["source_version"]),
                                                (c["upstream"], c["upstream_version"])])]},
        } for c in components] + ([operating_system()] if linux else []),
        # Each component's own dependencies are not known here, so they are left out, not empty.
        # The system holds the packages, as scanners read it.
        "dependencies": [{"ref": ref, "dependsOn": [c["name"] for c in components]}
                         for ref in ["spectrum_dump"] + ([debian_release()] if linux else [])],
    }
    # The serial number follows from the contents, so the same binary gives the same SBOM.
    body = json.dumps(bom, sort_keys=True).encode()
    return {"serialNumber": f"urn:uuid:{uuid.UUID(bytes=hashlib.sha256(body).digest()[:16], version=5)}",
            **bom}


def main():
    if len(sys.argv) not in (7, 8):
        sys.exit(__doc__.split("\n\n")[1])
    link_log, binary, preset, platform, folder, sbom_path, *copyright_path = sys.argv[1:]
    version = os.environ["VERSION"]
    components = components_of(linked_objects(link_log))
    print(", ".join(f"{c['upstream']} (= {c['upstream_version']})"
                    for c in components if COMPONENTS[c["name"]].offers_source))
    write_notices(folder, components, version, platform, preset)
    with open(sbom_path, "w") as out:
        json.dump(sbom(components, binary, version, platform, int(os.environ["SOURCE_DATE_EPOCH"]), preset),
                  out, indent=2)
        out.write("\n")
    for path in copyright_path:
        with open(path, "w") as out:
            out.write(dep5_fields(components))


if __name__ == "__main__":
    main()
