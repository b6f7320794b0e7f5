#!/usr/bin/python3
"""Checks a .deb's copyright file as DEP-5 reads it: python3-debian's parser in strict mode takes
it; each licence a License field names (its first line: the expression) has a paragraph of its
own with its text; each Files pattern matches a file of the source tarball. Debian's python3, for
python3-debian.

usage: check_copyright.py COPYRIGHT SOURCE_TARBALL
"""
import fnmatch
import re
import sys
import tarfile

from debian import copyright

copyright_path, tarball = sys.argv[1:]
parsed = copyright.Copyright(open(copyright_path), strict=True)
texts = {p.license.synopsis for p in parsed.all_license_paragraphs()}
named = {name for p in [parsed.header, *parsed.all_files_paragraphs()] if p.license
         for name in re.split(r" (?:and|or) ", re.sub(r"[()]", "", p.license.synopsis))}
sources = [name.split("/", 1)[1] for name in tarfile.open(tarball).getnames() if "/" in name]
# DEP-5's * matches across folders, as fnmatch's does.
unmatched = [pattern for p in parsed.all_files_paragraphs() for pattern in p.files
             if not fnmatch.filter(sources, pattern)]
for problem in [f"no License paragraph for {name}" for name in sorted(named - texts)] + \
               [f"Files: {pattern} matches no file of {tarball}" for pattern in unmatched]:
    print(f"{copyright_path}: {problem}")
sys.exit(1 if named - texts or unmatched else 0)
