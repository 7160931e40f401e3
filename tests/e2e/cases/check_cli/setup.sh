# Curved sheets of 12 x 10 vertices: a 4-byte header, 594 indices (198 triangles) at 0x4,
# then 120 records of 20 bytes (position, float UV at +12), 4-byte aligned: sheet.bin with
# Word indices (records at 0x4A8), sheet_dw.bin with DW ones (records at 0x94C). ribbon.bin:
# one strip 0 12 1 13 ... 11 23 (24 Word indices, 22 triangles) at 0x4, 24 records at 0x34.
# One .vyp with each right layout and one for each kind of wrong one; nimbrel-cli check
# runs on each before the script, its report and exit status kept in check_NAME.out.
python3 - <<'PY'
import math, struct
def sheet(name, size, strip):
    w, h = 12, (2 if strip else 10)
    idx = []
    if strip:
        for x in range(w):
            idx += [x, x + w]
    else:
        for y in range(h - 1):
            for x in range(w - 1):
                v = y * w + x; up = v + w
                idx += [v, v + 1, up, v + 1, up + 1, up]
    out = bytearray(struct.pack('<I', 0x4C444F4D))
    out += struct.pack('<%d%s' % (len(idx), 'H' if size == 2 else 'I'), *idx)
    while len(out) % 4:
        out.append(0)
    for y in range(h):
        for x in range(w):
            z = 0.3 * math.sin(0.4 * x) * math.cos(0.3 * y)
            out += struct.pack('<5f', 0.25 * x, 0.25 * y, z, x / (w - 1), y / (h - 1))
    open(name, 'wb').write(out)
sheet('sheet.bin', 2, False)
sheet('sheet_dw.bin', 4, False)
sheet('ribbon.bin', 2, True)
PY
printf '0x4 594\nVb1\n20 12\n0x4A8 120\n020000\n0x0 255\n' > right.vyp
printf '0x4 594\nVb1\n16 12\n0x4A8 120\n020000\n0x0 255\n' > stride.vyp
printf '0x4 594\nVb1\n24 12\n0x4A8 120\n020000\n0x0 255\n' > stride_past_end.vyp
printf '0x6 594\nVb1\n20 12\n0x4A8 120\n020000\n0x0 255\n' > start.vyp
printf '0x4 594\nVb1\n20 12\n0x4A8 120\n120000\n0x0 255\n' > byteorder.vyp
printf '0x4 594\nVb1\n20 12\n0x94C 120\n040000\n0x0 255\n' > right_dw.vyp
printf '0x4 594\nVb1\n20 12\n0x94C 120\n020000\n0x0 255\n' > word.vyp
printf '0x4 24\nVb1\n20 12\n0x34 24\n021000\n0x0 255\n' > right_strip.vyp
printf '0x4 24\nVb1\n20 12\n0x34 24\n020000\n0x0 255\n' > list.vyp
check() {
  # Whether a viewer is installed beside the programs is the build's, not the check's.
  "$BIN_DIR/nimbrel-cli" check "$@" 2>&1 | grep -v '^message: mesh_viewer not found' > "check_$name.out"
  echo "exit ${PIPESTATUS[0]}" >> "check_$name.out"
}
for name in right stride stride_past_end start byteorder missing; do check sheet.bin $name.vyp; done
for name in right_dw word; do check sheet_dw.bin $name.vyp; done
for name in right_strip list; do check ribbon.bin $name.vyp; done
name=usage; check sheet.bin
