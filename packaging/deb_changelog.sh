#!/usr/bin/env bash
# usage: packaging/deb_changelog.sh (a job of build_set.sh, which exports SRC, VERSION and
# SOURCE_DATE_EPOCH)
# Prints the entry of CHANGELOG.md for VERSION as a Debian changelog, its items and paragraphs as
# the Debian entry's items, each with its wrapped lines; fails when CHANGELOG.md has no entry, or
# an empty one, for VERSION.
set -euo pipefail
items=$(awk -v heading="## [$VERSION]" '/^## / { entry = index($0, heading) == 1; next }
  /^\[[^]]*\]: / { entry = 0 }  # the link definitions at the end
  entry && /^- / { print "  * " substr($0, 3); open = 1; next }
  entry && /^  / { print "  " $0; next }
  # A wrapped paragraph is one item: its further lines continue the item, as in Markdown.
  entry && /^[^#]/ { print (open ? "    " : "  * ") $0; open = 1; next }
  { open = 0 }' "$SRC/CHANGELOG.md")
[[ -n $items ]] || {
  echo "CHANGELOG.md has no entry for $VERSION: move the entries under [Unreleased] to" \
    "a heading \"## [$VERSION] - date\" (docs/releasing.md, Making a release)" >&2
  exit 1
}
echo "spectrum-dump ($VERSION) stable; urgency=medium"
echo
echo "$items"
echo
echo " -- spectrum_dump developers <spectrum-dump@example.org>  $(date -R -d "@$SOURCE_DATE_EPOCH")"
