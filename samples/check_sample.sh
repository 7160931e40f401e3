#!/usr/bin/env bash
# Tests of the sample: `regenerate` proves the committed files are what make_sample.py
# writes; `export BIN_DIR` exports the whole chain with nimbrel-cli and compares every
# submesh file with the one make_sample.py works out from the numbers it encoded.
set -u
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0
case "$1" in
  regenerate)
    python3 "$here/make_sample.py" --out "$tmp" || exit 1
    for f in "$tmp"/*; do
      name=$(basename "$f")
      cmp -s "$f" "$here/$name" || { echo "differs from the committed file: $name"; failed=1; }
    done
    [ "$(ls "$tmp" | wc -l)" = "$(ls "$here"/nimbrel_sample* | wc -l)" ] || { echo "file count differs"; failed=1; }
    ;;
  export)
    cp "$here"/nimbrel_sample.bin "$here"/nimbrel_sample_*.vyp "$tmp/"
    (cd "$tmp" && "$2/nimbrel-cli" export nimbrel_sample.bin $(ls nimbrel_sample_*.vyp | sort -V)) > "$tmp/.out" || {
      echo "nimbrel-cli export failed:"; cat "$tmp/.out"; exit 1; }
    python3 "$here/make_sample.py" --expected "$tmp/expected" --vyp-folder "$tmp" || exit 1
    for want in "$tmp"/expected/*.obj; do
      name=$(basename "$want")
      if ! cmp -s "$want" "$tmp/$name"; then
        echo "submesh file differs: $name"; diff "$want" "$tmp/$name" | head -20; failed=1
      fi
    done
    ;;
  *) echo "usage: check_sample.sh regenerate | export BIN_DIR" >&2; exit 2 ;;
esac
exit $failed
