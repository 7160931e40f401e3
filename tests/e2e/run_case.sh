#!/usr/bin/env bash
# Runs one end-to-end case folder against nimbrel-cli; see README.md.
set -u
case_dir=$(cd "$1" && pwd)
bin_dir=$(cd "$2" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
[ -d "$case_dir/input" ] && cp -R "$case_dir/input/." .
mkdir -p app
if [ ! -e "$case_dir/no-tools" ]; then
  for tool in mesh_viewer notepad wordpad; do
    printf '#!/bin/sh\nexit 0\n' > "app/$tool"
    chmod +x "app/$tool"
  done
fi
if [ -f "$case_dir/setup.sh" ]; then
  CASE_DIR=$case_dir BIN_DIR=$bin_dir bash "$case_dir/setup.sh" || { echo "setup.sh failed"; exit 1; }
fi
if [ -f "$case_dir/command.sh" ]; then
  # A case of other verbs than run: its own commands, with their standard error if they show it.
  BIN_DIR=$bin_dir bash "$case_dir/command.sh" > "$tmp/.stdout" 2> "$tmp/.stderr"
else
  "$bin_dir/nimbrel-cli" run --app-dir "$tmp/app" "$case_dir/script.txt" > "$tmp/.stdout" 2> "$tmp/.stderr"
fi
status=$?
want_status=0
[ -f "$case_dir/exit" ] && want_status=$(tr -d '[:space:]' < "$case_dir/exit")
failed=0
if [ "$status" != "$want_status" ]; then
  echo "exit status $status, expected $want_status"; cat "$tmp/.stderr"; failed=1
fi
# The temporary folder's path is the one part of the output that changes between runs.
python3 - "$tmp" "$tmp/.stdout" > "$tmp/.stdout.norm" <<'PY'
import sys
tmp, path = sys.argv[1], sys.argv[2]
data = open(path, 'rb').read()
sys.stdout.buffer.write(data.replace(tmp.encode(), b'$TMP'))
PY
if ! cmp -s "$tmp/.stdout.norm" "$case_dir/expected.out"; then
  echo "standard output differs (- expected, + actual):"
  diff -u "$case_dir/expected.out" "$tmp/.stdout.norm" | head -60
  failed=1
fi
if [ -d "$case_dir/expected" ]; then
  while IFS= read -r -d '' want; do
    rel=${want#"$case_dir/expected/"}
    if [ ! -f "$tmp/$rel" ]; then
      echo "missing output file: $rel"; failed=1
    elif ! cmp -s "$want" "$tmp/$rel"; then
      # Files that name their own path (submesh headers) hold the temporary folder too.
      python3 -c 'import sys; d = open(sys.argv[2], "rb").read().replace(sys.argv[1].encode(), b"$TMP"); sys.stdout.buffer.write(d)' \
        "$tmp" "$tmp/$rel" > "$tmp/.file.norm"
      if ! cmp -s "$want" "$tmp/.file.norm"; then
        echo "output file differs: $rel (- expected, + actual)"
        diff -u "$want" "$tmp/.file.norm" | head -40
        failed=1
      fi
    fi
  done < <(find "$case_dir/expected" -type f -print0)
fi
if [ -f "$case_dir/absent" ]; then
  while IFS= read -r name; do
    [ -z "$name" ] && continue
    if [ -e "$tmp/$name" ]; then echo "file should not exist: $name"; failed=1; fi
  done < "$case_dir/absent"
fi
exit $failed
