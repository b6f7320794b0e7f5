"""The runtime libraries a release binary may link, as a table reviewed by hand: each library,
the parts of it by file and archive member with their copyright and licence (SPDX), and where the
text of each licence they invoke is found in the build root.
"""
import dataclasses
import functools
import glob
import os
import re
import sys
import tarfile

AUTHOR = "spectrum_dump developers"
COPYRIGHT = f"2026 {AUTHOR}"


@dataclasses.dataclass(frozen=True)
class Runtime:
    """A runtime library a binary may link: what it is, the upstream Debian source its code is
    built from (a pattern: GCC's source is named for its major version), and the vendor and
    product of its upstream in CPE names (NVD's). The GNU C Library's licence asks that its source
    be offered, so it alone goes into Built-Using, its source travels with the release, and the
    notices say how to relink."""
    title: str
    upstream: str
    offers_source: bool
    cpe: str


RUNTIMES = {
    "glibc": Runtime("the GNU C Library", r"glibc", True, "gnu:glibc"),
    "libstdc++": Runtime("GCC's C++ standard library", r"gcc-[0-9]+", False, "gnu:gcc"),
    "libgcc": Runtime("GCC's low-level runtime library", r"gcc-[0-9]+", False, "gnu:gcc"),
    "libssp": Runtime("GCC's stack protector library", r"gcc-[0-9]+", False, "gnu:gcc"),
    "mingw-w64 runtime": Runtime("the mingw-w64 C runtime and import libraries", r"mingw-w64", False,
                                 "mingw-w64:mingw-w64"),
    "winpthreads": Runtime("mingw-w64's POSIX threads library", r"mingw-w64", False, "mingw-w64:mingw-w64"),
}



@dataclasses.dataclass(frozen=True)
class Part:
    """A part of a runtime a binary may link: the files (and, within archives, the members) that
    are the part, its licence (SPDX), its copyright, the licence texts it invokes (keys of TEXTS),
    and where the part is offered under a choice of licences, that choice. {glibc_year} in a
    copyright line is the latest year in the copyright lines of the GNU C Library's source that
    glibc-source installs."""
    runtime: str
    what: str
    file: str
    member: str | None
    licence: str
    copyright: list[str]
    texts: list[str]
    offered: str | None = None


# The first part whose file and member match takes a linked object. Reviewed by hand against the
# copyright files of the Debian packages that ship the files, and where those are silent (soft-fp,
# Ryu, libiberty's demangler, libssp) against the part's own sources.
FSF_GCC = "1986-2024 Free Software Foundation, Inc."
GCC_RUNTIME = "GPL-3.0-or-later WITH GCC-exception-3.1"
GDTOA = r"lib64_libmingwex_a-(dmisc|dtoa|g_\w*fmt|gdtoa|gethex|gmisc|hd_init|hexnan|misc|smisc|strtod|strtodg" \
        r"|strtof|strtopx|sum|ulp)\.o"
# Keith Marshall's printf family (stdio/mingw_*printf.c, misc/basename.c, misc/dirname.c), and the
# members built from mingw-w64-crt/misc, which is in the public domain.
KEITH_MARSHALL = r"lib64_libmingwex_a-(basename|dirname|mingw_v?(f|sn?)?printf)\.o"
MINGW_MISC = r"lib64_lib(mingwex|msvcrt_common|msvcrt_extra)_a-(fe[a-z]+|strnlen|wcsnlen|mingw_matherr|mbrtowc" \
             r"|wcrtomb|__p__(acmdln|commode|fmode)|invalid_parameter_handler)\.o"
# The Universal C Runtime's glue in the ucrt64 toolchain's libmsvcrt.a (stdio/ucrt_*printf.c,
# crt/ucrtbase_compat.c, misc/__initenv.c), each in the public domain by its header.
UCRT_GLUE = r"lib64_libucrt_extra_a-(ucrt_v?(f|sn?)?printf|ucrtbase_compat|__initenv)\.o"
PARTS = [
    Part("glibc", "the GNU C Library", r"libc\.a|libm(-[0-9.]+|vec)?\.a|r?crt1\.o|crt[in]\.o", None,
         "LGPL-2.1-or-later AND LicenseRef-glibc-LICENSES",
         ["1991-{glibc_year} Free Software Foundation, Inc. and others"], ["LGPL-2.1", "glibc-LICENSES"]),
    Part("libstdc++", "Ryu, the shortest float formatting of std::to_chars", r"libstdc\+\+\.a",
         r"floating_to_chars\.o", "Apache-2.0", ["2018 Ulf Adams"], ["Apache-2.0"], "Apache-2.0 OR BSL-1.0"),
    # libiberty's demangler, which libstdc++'s verbose terminate handler calls.
    Part("libstdc++", "libiberty's C++ demangler", r"libstdc\+\+\.a", r"cp-demangle\.o",
         "GPL-2.0-or-later WITH GCC-exception-2.0", ["2003-2024 Free Software Foundation, Inc."],
         ["GPL-2", "GCC-exception-2.0-libiberty"]),
    Part("libstdc++", "the C++ standard library", r"libstdc\+\+\.a", None, GCC_RUNTIME, [FSF_GCC],
         ["GPL-3", "GCC-exception-3.1"]),
    # soft-fp, shared with the GNU C Library: LGPL-2.1-or-later with a linking exception worded for
    # the LGPL, which has no SPDX id (GCC-exception-2.0 is the GPL's); SPDX 2 expressions take only
    # listed exceptions after WITH, so the licence with its exception is one LicenseRef. Its glue to
    # the processor's exceptions, sfp-exceptions.c, is GCC's own and under GCC's runtime licence.
    Part("libgcc", "soft-fp, software floating point for 128-bit floats (__float128; long double on aarch64)",
         r"libgcc\.a",
         r"(add|sub|mul|div|neg|eq|ne|ge|gt|le|lt|unord|fix|fixuns|float|floatun|extend|trunc)[a-z]*[0-9]?\.o",
         "LicenseRef-LGPL-2.1-or-later-with-soft-fp-exception", ["1997-2022 Free Software Foundation, Inc."],
         ["LGPL-2.1", "soft-fp-exception"]),
    Part("libgcc", "the runtime support and unwinder", r"libgcc(_eh)?\.a|crt(begin|end)S?\.o", None,
         GCC_RUNTIME, [FSF_GCC], ["GPL-3", "GCC-exception-3.1"]),
    # The Windows exe's: its canary and the checked functions _FORTIFY_SOURCE calls.
    Part("libssp", "the stack protector and the checked string and stdio functions", r"libssp(_nonshared)?\.a",
         None, GCC_RUNTIME, ["2005-2024 Free Software Foundation, Inc."], ["GPL-3", "GCC-exception-3.1"]),
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
    Part("mingw-w64 runtime",
         "the glue to the Universal C Runtime (stdio/ucrt_*printf.c, ucrtbase_compat.c, __initenv.c)",
         r"libmsvcrt\.a", UCRT_GLUE, "LicenseRef-mingw-w64-public-domain", ["none: in the public domain"],
         ["mingw-w64-public-domain"]),
    Part("mingw-w64 runtime", "the C library extensions and import libraries",
         r"lib(mingwex|moldname|msvcrt|kernel32|advapi32)\.a", None, "ZPL-2.1", ["2009-2016 the mingw-w64 project"],
         ["ZPL-2.1"]),
    Part("winpthreads", "POSIX threads", r"libpthread\.a", None, "MIT AND BSD-3-Clause",
         ["2011-2016 mingw-w64 project", "2010 Lockless Inc. (pthread.h)"], ["MIT-winpthreads", "BSD-3-Clause-Lockless"]),
]

# No source of GCC's libiberty is installed here: its linking exception as libiberty/cp-demangle.c
# of GCC 14 words it.
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
# ("quoted", text) the text itself; ("joined", name...) the texts of those names, one after the
# other. A package's text that leaves out its title has it third.
TEXTS = {
    "LGPL-2.1": "/usr/share/common-licenses/LGPL-2.1",
    "GPL-2": "/usr/share/common-licenses/GPL-2",
    "GPL-3": "/usr/share/common-licenses/GPL-3",
    "Apache-2.0": "/usr/share/common-licenses/Apache-2.0",
    "GCC-exception-3.1": ("/usr/share/doc/libgcc-s1/copyright", "GCC RUNTIME LIBRARY EXCEPTION"),
    "GCC-exception-2.0-libiberty": ("quoted", LIBIBERTY_EXCEPTION),
    "soft-fp-exception": ("glibc-source", "soft-fp/soft-fp.h",
                          "   In addition to the permissions in the GNU Lesser General Public"),
    "LGPL-2.1-or-later-with-soft-fp-exception": ("joined", "soft-fp-exception", "LGPL-2.1"),
    "glibc-LICENSES": ("glibc-source", "LICENSES"),
    "mingw-w64-public-domain": ("package", "public-domain"),
    "gdtoa-David-Gay": ("package", "David-Gay"),
    "gdtoa-Lucent": ("package", "Lucent"),
    "Keith-Marshall": ("package", "Keith-Marshall"),
    "ZPL-2.1": ("package", "ZPL-2.1", "Zope Public License (ZPL) Version 2.1"),
    "MIT-winpthreads": ("package", "expat"),
    "BSD-3-Clause-Lockless": ("package", "BSD-3-clause-Lockless"),
}


def part_of(path, member):
    """The part a linked file, or a member of a linked archive, is."""
    part = next((p for p in PARTS if re.fullmatch(p.file, os.path.basename(path))
                 and (p.member is None or (member and re.fullmatch(p.member, member)))), None)
    if part is None:
        sys.exit(f"runtime_licences.py: {path} {member or ''} is in no part; add it to the table")
    return part


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
    """The licence text name (a key of TEXTS), from where TEXTS says; a package's text from the
    package of the linked component whose parts invoke it."""
    where = TEXTS[name]
    if isinstance(where, str):
        return open(where).read()
    if where[0] == "quoted":
        return where[1]
    if where[0] == "joined":
        return "\n".join(licence_text(part, components) for part in where[1:])
    if where[0] == "glibc-source":  # the tarball glibc_source.sh checks against the linked glibc
        text = glibc_source_file(where[1])
        if len(where) == 2:
            return text
        start = text.index(where[2])
        return "".join(line.strip() + "\n" for line in text[start:text.index("\n\n", start)].split("\n"))
    path, first, *title = where
    if path == "package":
        package = next(c.package.name for c in components if name in (t for p in c.parts for t in p.texts))
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
    text GPL-3, GCC-exception-2.0 one whose name starts so, LicenseRef-NAME the text NAME, or each
    of the texts that NAME joins."""
    for name in re.findall(r"[\w.+-]+", part.licence):
        if name in ("AND", "OR", "WITH"):
            continue
        ref = name.removeprefix("LicenseRef-")
        joined = TEXTS.get(ref, ("",))[0] == "joined"
        wanted = TEXTS[ref][1:] if joined else [re.sub(r"(\.0)?(-or-later|-only)?$", "", ref)]
        if not all(any(text.startswith(stem) for text in part.texts) for stem in wanted):
            sys.exit(f"runtime_licences.py: {part.what}: no text for {name} among {part.texts}")
