#!/usr/bin/env bash
# package_test.sh REPOSITORY
# tools/package run in two clones of REPOSITORY's HEAD, in folders whose paths
# differ in name and length, one after the other: the two runs must write the
# same archives and checksums, byte for byte. Also checks what one archive
# holds: its entries in order, no extra fields, no build folder in the
# programs, a README.txt with CRLF lines, and checksums that match.
set -euo pipefail
repository=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

commit=$(git -C "$repository" rev-parse HEAD)
clones=("$scratch/a" "$scratch/a clone in a much longer folder/of two levels")
for clone in "${clones[@]}"; do
  git -c advice.detachedHead=false clone --quiet "$repository" "$clone"
  [ "$(git -C "$clone" rev-parse HEAD)" = "$commit" ] || { echo "FAIL: $clone is not at $commit"; exit 1; }
  started=$(date +%s)
  "$clone/tools/package"
  echo "package took $(($(date +%s) - started)) s in $clone"
done

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

first=${clones[0]}/dist
second=${clones[1]}/dist
listing=$(cd "$first" && ls)
[ "$listing" = "$(cd "$second" && ls)" ] || fail "the two runs wrote different files: $(ls "$first") / $(ls "$second")"
for file in $listing; do
  cmp "$first/$file" "$second/$file" || fail "$file differs between the two clones"
done
archives=$(cd "$first" && ls Lucidframe-*-win64.zip Lucidframe-*-win32.zip) || fail "an archive is missing: $listing"
[ "$(echo "$listing" | wc -l)" -eq 3 ] || fail "dist holds more than the two archives and SHA256SUMS: $listing"
(cd "$first" && sha256sum --check --quiet SHA256SUMS) || fail "SHA256SUMS does not match the archives"

for archive in $archives; do
  zip=$first/$archive
  entries=$(unzip -Z1 "$zip" | tr '\n' ' ')
  [ "$entries" = "Lucidframe.exe lucidframe-matte.exe README.txt " ] || fail "$archive holds: $entries"
  if zipinfo -v "$zip" | grep 'length of extra field:' | grep -vq ': *0 bytes$'; then
    fail "$archive has extra fields (owner or time)"
  fi
  for program in Lucidframe.exe lucidframe-matte.exe; do
    leaked=$(unzip -p "$zip" "$program" | strings -a | grep -F -e "$scratch" -e "$repository" || true)
    [ -z "$leaked" ] || fail "$archive: $program names a build folder: $leaked"
  done
  if unzip -p "$zip" README.txt | grep -qv $'\r$'; then
    fail "$archive: README.txt has a line without CRLF"
  fi
done

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "two clones packaged the same bytes:" $archives
