"""What a release binary's users are told of the runtime components it links: the notices and the
licence texts they name, beside the binary in its archive, and the Copyright and License fields
of a .deb's DEP-5 copyright file.
"""
import os
import re
import textwrap

from runtime_licences import COPYRIGHT, PARTS, check_texts, copyright_of, licence_text


def fill(text, indent="", hang=""):
    """text as lines of at most 78 columns, names and SPDX identifiers unbroken."""
    return textwrap.fill(text, 78, initial_indent=indent, subsequent_indent=hang, break_long_words=False,
                         break_on_hyphens=False) + "\n"


def write_notices(folder, components, version, platform, preset):
    suffix = ".txt" if platform.startswith("windows") else ""  # as the zip names its texts
    os.makedirs(f"{folder}/licenses", exist_ok=True)
    for p in PARTS:
        check_texts(p)
    texts = dict.fromkeys(t for c in components for p in c.parts for t in p.texts)
    for name in texts:
        with open(f"{folder}/licenses/{name}", "w") as out:
            out.write(licence_text(name, components))
    with open(f"{folder}/THIRD-PARTY-NOTICES", "w") as notices:
        notices.write(f"Third-party notices for spectrum_dump {version} ({platform})\n\n")
        notices.write(fill(f"spectrum_dump is under the MIT licence (LICENSE{suffix}). Its binary holds parts of "
                           "these components, linked statically; the licence texts named are files in the folder "
                           "licenses beside this one."))
        for c in components:
            package = c.package
            notices.write("\n" + fill(f"{c.name}, {c.runtime.title}, version {c.upstream_version}", hang="  ")
                          + fill(f"as Debian's package {package.name} {package.version} ({package.arch}) holds it, built "
                                 f"from Debian's source package {package.source} {package.source_version}", "  ", "  ")
                          + fill(f"Licence: {c.licence}", "  ", "    "))
            for p in c.parts:
                chosen = f" (the choice taken of {p.offered})" if p.offered else ""
                notices.write(fill(f"- {p.what}: Copyright {'; '.join(copyright_of(p))}", "  ", "    ")
                              + fill(f"Licence: {p.licence}{chosen}", "    ", "      ")
                              + f"    Licence texts: {', '.join(t + suffix for t in p.texts)}\n")
        glibc = next((c for c in components if c.runtime.offers_source), None)
        if glibc:
            notices.write(glibc_source_and_relink(glibc, version, preset))


def glibc_source_and_relink(glibc, version, preset):
    debian = glibc.upstream_version
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


def dep5_fields(components):
    """The Copyright and License fields, in DEP-5's words, of a .deb's copyright file for the binary:
    the tool's and each linked part's."""
    def dep5(expression):
        expression = re.sub(r"\bMIT\b", "Expat", expression)
        # A licence with an exception SPDX does not list, one LicenseRef, as DEP-5 writes it.
        expression = re.sub(r"\bLicenseRef-(\S+?)-with-(\S+?)-exception\b", r"\1 WITH \2", expression)
        expression = re.sub(r"(\.0)?-or-later", "+", expression)
        expression = re.sub(r" WITH (\S+?)(?:-exception)?(?=[\s)]|$)", r" with \1 exception", expression)
        return expression.replace("LicenseRef-", "").replace(" AND ", " and ").replace(" OR ", " or ")
    lines = dict.fromkeys(f" {line} ({c.name})"
                          for c in components for p in c.parts for line in copyright_of(p))
    terms = dict.fromkeys(["MIT"] + [t for c in components for t in c.licence.split(" AND ")])
    return f"Copyright: {COPYRIGHT}\n" + "".join(f"{line}\n" for line in lines) + \
        f"License: {dep5(' AND '.join(terms))}\n"
