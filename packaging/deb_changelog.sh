#!/usr/bin/env bash
# usage: packaging/deb_changelog.sh (a job of build_set.sh, which exports SRC and VERSION)
# Prints CHANGELOG.md's released entries as a Debian changelog, newest first, as Debian keeps
# one: each entry's items and paragraphs as its items, each with its wrapped lines, and its
# heading's date as its date; the newest entry's time of day is the release commit's
# (SOURCE_DATE_EPOCH) when that is its date, so that two releases of one day keep their order.
# Fails unless the newest entry is VERSION's and holds something.
set -euo pipefail
# "@@ VERSION DATE" starts an entry; the lines after it are its items.
entries=$(awk '/^## \[Unreleased\]/ { entry = 0; next }
  /^## \[/ { entry = 1; open = 0; split($0, heading, /[][]| - /); print "@@ " heading[2], heading[4]; next }
  /^\[[^]]*\]: / { entry = 0 }  # the link definitions at the end
  entry && /^- / { print "  * " substr($0, 3); open = 1; next }
  entry && /^  / { print "  " $0; next }
  # A wrapped paragraph is one item: its further lines continue the item, as in Markdown.
  entry && /^[^#]/ { print (open ? "    " : "  * ") $0; open = 1; next }
  { open = 0 }' "$SRC/CHANGELOG.md")
[[ $entries =~ ^@@\ ${VERSION//./\\.}\ [0-9-]+$'\n'\ \ \* ]] || {
  echo "CHANGELOG.md's newest entry is not $VERSION's, or is empty: move the entries under" \
    "[Unreleased] to a heading \"## [$VERSION] - date\" (docs/releasing.md, Making a release)" >&2
  exit 1
}
trailer='' newest=yes
while IFS= read -r line; do
  if [[ $line == "@@ "* ]]; then
    read -r _ version date <<<"$line"
    [[ -z $trailer ]] || printf '\n%s\n\n' "$trailer"
    printf 'spectrum-dump (%s) stable; urgency=medium\n\n' "$version"
    if [[ $newest && $(date -u -d "@$SOURCE_DATE_EPOCH" +%F) == "$date" ]]; then
      date=@$SOURCE_DATE_EPOCH
    fi
    newest=''
    trailer=" -- spectrum_dump developers <spectrum-dump@example.org>  $(date -R -u -d "$date")"
  else
    printf '%s\n' "$line"
  fi
done <<<"$entries"
printf '\n%s\n' "$trailer"
