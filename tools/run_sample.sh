#!/usr/bin/env bash
# `make run`: opens the sample model in the window, or without a display exports the
# sample's whole chain headless and names the files it wrote.
set -euo pipefail
bin=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
sample_dir="$root/samples"
model=$(ls "$sample_dir"/*.bin 2>/dev/null | head -n 1 || true)
if [ -z "$model" ]; then
  echo "No sample model in $sample_dir." >&2
  exit 1
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$bin/nimbrel" ]; then
  exec "$bin/nimbrel" "$model"
fi
# Export into a scratch copy so the sample folder stays as shipped.
out="$root/samples/out"
rm -rf "$out"
mkdir -p "$out"
cp "$model" "$out/"
stem=$(basename "${model%.*}")
parameter_files=$(ls "$sample_dir/${stem}"_*.vyp | sort -V)
echo "No display: exporting the sample chain of $(basename "$model") headless."
"$bin/nimbrel-cli" export "$out/$(basename "$model")" $parameter_files
echo
echo "Wrote:"
for f in "$out/${stem}"_*.obj; do
  printf '  %s (%s lines)\n' "$f" "$(wc -l < "$f")"
done
"$bin/nimbrel-cli" export --glb-chain "$out/$(basename "$model")" $parameter_files > /dev/null
printf '  %s (the whole chain as binary glTF)\n' "$out/${stem}_chain.glb"
echo "Open them in $bin/mesh_viewer, or in Blender with: blender --python tools/load_multi_obj.py -- $out/$stem"
