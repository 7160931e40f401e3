# The grid through find in text and JSON, then --vyp twice (the second run takes the next
# number) and the export of what it wrote. The scores are the finder's own judgement and
# are masked; every other character is the layout worked out from make_model.py.
mask() {
  python3 -c '
import re, sys
inside = False
for line in sys.stdin:
    line = re.sub(r"score [0-9.e+-]+", "score S", line)
    line = re.sub(r"(\"score\": )[^,]+", r"\1S", line)
    if "\"measures\": {" in line:
        inside = True
    elif inside and line.strip().startswith("}"):
        inside = False
    elif inside and "index_count" not in line:
        line = re.sub(r"(: )[^,\n]+", r"\1S", line)
    sys.stdout.write(line)
'
}
cli=$BIN_DIR/nimbrel-cli
echo "== find --top 1"
"$cli" find model.bin --top 1 | mask; echo "exit ${PIPESTATUS[0]}"
echo "== find --json --top 1"
"$cli" find model.bin --json --top 1 | mask; echo "exit ${PIPESTATUS[0]}"
echo "== find --vyp --top 1"
"$cli" find model.bin --vyp --top 1 | mask; echo "exit ${PIPESTATUS[0]}"
echo "== again"
"$cli" find model.bin --vyp --min-triangles 18 --top 1 | mask; echo "exit ${PIPESTATUS[0]}"
echo "== export"
"$cli" export model.bin model_0.vyp | grep -v '^message: \(mesh_viewer\|wordpad\)'; echo "exit ${PIPESTATUS[0]}"
