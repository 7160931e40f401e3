#!/bin/bash
# The whole " mesh" command as a user runs it: `nimbrel-cli run` of a script that opens a
# 126,000,256-byte model, types its fields, picks DW indices and writes test.obj, against
# a plain C program writing the same test.obj with fprintf. Best of 3 each, in one run;
# test.obj must be byte-identical. Then loading alone (`nimbrel-cli run` of an open)
# against `cat FILE > /dev/null`, warm cache, best of 5.
# The run is the script runner's own form, without --launch: the viewer start is counted
# as the runner counts it, its "launch:" record, not as the seconds a person looks at it.
# usage: bench/mesh_process.sh BIN_DIR [WORK_DIR]
set -euo pipefail
bin=$(cd "${1:?usage: mesh_process.sh BIN_DIR [WORK_DIR]}" && pwd)
work=${2:-$(mktemp -d /tmp/nimbrel-mesh-bench-XXXXXX)}
mkdir -p "$work/app" "$work/ref"
cd "$work"
for tool in mesh_viewer notepad wordpad; do
  printf '#!/bin/sh\nexit 0\n' > "app/$tool"
  chmod +x "app/$tool"
done

[ -f model.bin ] || "$bin/fprintf_mesh" model model.bin
# The load target: the largest model accepted, the same bytes each time.
[ -f load.bin ] || head -c 126999999 /dev/zero | tr '\0' '\127' > load.bin
cat > mesh.txt <<'SCRIPT'
open model.bin
set 2 7270f00
set 3 1500000
set 4 24
set 5 12
set 6 100
set 7 5000000
click 14
click 16
SCRIPT
echo "open load.bin" > load.txt

# The smaller of two times in seconds; the first may be empty.
smaller() {
  if [ -z "$1" ] || (( $(echo "$2 < $1" | bc -l) )); then echo "$2"; else echo "$1"; fi
}

# Seconds of the best of n runs of a command.
best() {
  local n=$1 best_s= s
  shift
  for _ in $(seq "$n"); do
    local start end
    start=$(date +%s.%N); "$@" > /dev/null 2>&1; end=$(date +%s.%N)
    s=$(echo "$end - $start" | bc -l)
    best_s=$(smaller "$best_s" "$s")
  done
  echo "$best_s"
}

cat model.bin load.bin > /dev/null  # warm the cache
rm -f test.obj ref/test.obj
fprintf_s=$(cd ref && best 3 "$bin/fprintf_mesh" obj ../model.bin)
nimbrel_s=$(best 3 "$bin/nimbrel-cli" run --app-dir "$work/app" mesh.txt)
if [ -f test.obj ] && cmp -s test.obj ref/test.obj; then same="byte-identical"; else same="DIFFERENT"; fi
# The 185 MB test.obj is still being written back: the loads wait for that to end, and
# take turns with cat so that both meet the machine in the same state.
sync
load_s= cat_s=
for _ in 1 2 3 4 5; do
  load_s=$(smaller "$load_s" "$(best 1 "$bin/nimbrel-cli" run --app-dir "$work/app" load.txt)")
  cat_s=$(smaller "$cat_s" "$(best 1 cat load.bin)")
done

printf 'mesh: fprintf %.3f s, nimbrel-cli run %.3f s: %.2f times faster; test.obj %s (%s bytes)\n' \
  "$fprintf_s" "$nimbrel_s" "$(echo "$fprintf_s / $nimbrel_s" | bc -l)" "$same" "$(stat -c %s ref/test.obj)"
printf 'load: cat %.3f s, nimbrel-cli open %.3f s: %.2f times cat\n' \
  "$cat_s" "$load_s" "$(echo "$load_s / $cat_s" | bc -l)"
[ "$same" = byte-identical ]
