#!/bin/sh
# Times mesh_viewer from start to its first rendered frame on an OBJ of 2,003,001 vertices
# and 4,000,000 triangles: a --snapshot run loads, uploads, draws and reads the frame back.
# Xvfb starts before the clock does. Usage: first_frame.sh BUILD_DIR
set -eu
bin="${1:?usage: first_frame.sh BUILD_DIR}/bin"
obj="${TMPDIR:-/tmp}/viewer_first_frame.obj"
[ -f "$obj" ] || "$bin/viewer_make_obj" "$obj" 2001 1001
ls -l "$obj"
xvfb-run -a sh -c '
  for run in 1 2 3; do
    start=$(date +%s.%N)
    "$0" --snapshot "$1.png" --size 1000x750 "$1"
    end=$(date +%s.%N)
    echo "first frame: $(echo "$end - $start" | bc) s"
  done' "$bin/mesh_viewer" "$obj"
