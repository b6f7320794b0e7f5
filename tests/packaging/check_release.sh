#!/usr/bin/env bash
# usage: tests/packaging/check_release.sh OUTDIR
# Tests the release set in OUTDIR as users get it, from the packages alone: the sums check, each
# archive's tool reports its example frame byte for byte on its own target (aarch64 under
# qemu-user, the exe under Wine), lintian finds no error in the .debs, and the amd64 .deb installs
# on a fresh Debian 12, where the tool runs from PATH and man finds its page.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$1"
report=$root/examples/spectrum.txt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sha256sum --check --strict SHA256SUMS

# FOLDER RUNNER...: runs the packaged tool in FOLDER/examples and prints its report.
report_of() {
  local folder=$1
  shift
  (cd "$folder/examples" && "$@")
}
for archive in spectrum_dump-*-linux-*.tar.gz; do
  tar -xzf "$archive" -C "$work"
  folder=$work/${archive%.tar.gz}
  arch=${folder##*-}
  readelf --program-headers --sections "$folder/spectrum_dump" |
    grep -E 'INTERP|\.symtab' && { echo "$archive: not static and stripped" >&2; exit 1; }
  runner=()
  [[ $arch == "$(uname -m)" ]] || runner=("qemu-$arch")
  report_of "$folder" "${runner[@]}" ../spectrum_dump | cmp - "$report"
  echo "ok: $archive"
done

archive=$(echo spectrum_dump-*-windows-x86_64.zip)
python3 -m zipfile -e "$archive" "$work"
folder=$work/${archive%.zip}
for text in README.txt MANUAL.txt; do
  grep -qv $'\r$' "$folder/$text" && { echo "$archive: $text has lines not ending in CR LF" >&2; exit 1; }
done
report_of "$folder" sh "$root/cmake/wine-run.sh" "$work/wine-prefix" ../spectrum_dump.exe |
  cmp - <(sed 's/$/\r/' "$report")
echo "ok: $archive"

lintian --fail-on error spectrum-dump_*.deb
echo "ok: lintian"

deb=$(echo spectrum-dump_*_amd64.deb)
mmdebstrap --quiet --variant=minbase --include=man-db bookworm /dev/null \
  --customize-hook="copy-in '$deb' '$report' /tmp" \
  --customize-hook="chroot \"\$1\" dpkg --install '/tmp/$deb'" \
  --customize-hook='chroot "$1" sh -c "cd /usr/share/doc/spectrum-dump/examples &&
                    spectrum_dump | cmp - /tmp/spectrum.txt && man -w spectrum_dump"'
echo "ok: $deb installs on a fresh Debian 12"
