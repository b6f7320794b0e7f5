#!/usr/bin/env python3
"""What a release binary carries that is not ours, found from its link rather than written by hand.

usage: third_party.py LINK_LOG BINARY PRESET PLATFORM FOLDER SBOM [COPYRIGHT]

LINK_LOG holds the linker's trace of BINARY's link (ld -t -t: each object it loaded, and each
archive member it pulled in as "(archive)member"). Each linked file is traced to the Debian
package that ships it and that package's source (link_trace.py); runtime_licences.py's table
names the component and the part of it that each file or member is, with its licence and
copyright (components.py joins the two). Writes FOLDER/THIRD-PARTY-NOTICES and the licence texts
they invoke as files in FOLDER/licenses (notices.py), and SBOM (CycloneDX 1.6 JSON, dated
SOURCE_DATE_EPOCH; sbom.py); prints the Built-Using field for a .deb of BINARY (PRESET's build).
With COPYRIGHT, writes there the Copyright and License fields of a .deb's DEP-5 copyright file
for BINARY.
"""
import json
import os
import sys

from components import components_of
from link_trace import linked_objects
from notices import dep5_fields, write_notices
from sbom import bom_of


def main():
    if len(sys.argv) not in (7, 8):
        sys.exit(__doc__.split("\n\n")[1])
    link_log, binary, preset, platform, folder, sbom_path, *copyright_path = sys.argv[1:]
    version = os.environ["VERSION"]
    components = components_of(linked_objects(link_log))
    print(", ".join(f"{c.upstream} (= {c.upstream_version})" for c in components if c.runtime.offers_source))
    write_notices(folder, components, version, platform, preset)
    with open(sbom_path, "w") as out:
        json.dump(bom_of(components, binary, version, platform, int(os.environ["SOURCE_DATE_EPOCH"]), preset),
                  out, indent=2)
        out.write("\n")
    for path in copyright_path:
        with open(path, "w") as out:
            out.write(dep5_fields(components))


if __name__ == "__main__":
    main()
