#!/usr/bin/env bash
# Every .glb the glTF tests write, and the sample chain exported from the command line,
# through the Khronos glTF Validator: no error, no warning. Skipped (77) when the
# validator was not installed into the build tree (make validator).
# usage: validate_glbs.sh BIN_DIR VALIDATOR_PACKAGE_DIR SOURCE_DIR
set -u
bin=$(cd "$1" && pwd)
validator=$2
src=$(cd "$3" && pwd)
if ! command -v node >/dev/null || [ ! -f "$validator/package.json" ]; then
  echo "skipped: no glTF Validator at $validator (run make validator)"
  exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/keep" "$tmp/sample"
for run in "mesh_tests MeshMatchesObj.*" "app_tests GltfExport.*"; do
  set -- $run
  if ! NIMBREL_GLB_KEEP="$tmp/keep" "$bin/$1" --gtest_filter="$2" > "$tmp/log" 2>&1; then
    cat "$tmp/log"; exit 1
  fi
done
cp "$src/samples/nimbrel_sample.bin" "$src"/samples/nimbrel_sample_*.vyp "$tmp/sample/"
(cd "$tmp/sample" && "$bin/nimbrel-cli" export --glb-chain nimbrel_sample.bin nimbrel_sample_*.vyp > /dev/null &&
  "$bin/nimbrel-cli" export --glb nimbrel_sample.bin nimbrel_sample_*.vyp > /dev/null) || { echo "sample export failed"; exit 1; }
shopt -s nullglob
files=("$tmp"/keep/*.glb "$tmp"/sample/*.glb)
# The tests write about thirty, half of them from the real files; far fewer means they
# stopped keeping them.
least=20
[ -d "${NIMBREL_REALDATA:-}" ] || least=10
if [ ${#files[@]} -lt $least ]; then
  echo "only ${#files[@]} .glb files to validate"; exit 1
fi
node "$src/tools/validate_glb.js" "$validator" "${files[@]}"
