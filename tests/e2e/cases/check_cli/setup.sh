# A curved sheet of 12 x 10 vertices: a 4-byte header, 594 Word indices (198 triangles) at
# 0x4, then 120 records of 20 bytes (position, float UV at +12) at 0x4a8. One .vyp with the
# right layout, one with FVF size 24; nimbrel-cli check runs on both, before the script.
python3 - <<'PY'
import math, struct
w, h = 12, 10
idx = []
for y in range(h - 1):
    for x in range(w - 1):
        v = y * w + x; up = v + w
        idx += [v, v + 1, up, v + 1, up + 1, up]
out = bytearray(struct.pack('<I', 0x4C444F4D))
out += struct.pack('<%dH' % len(idx), *idx)
for y in range(h):
    for x in range(w):
        z = 0.3 * math.sin(0.4 * x) * math.cos(0.3 * y)
        out += struct.pack('<5f', 0.25 * x, 0.25 * y, z, x / (w - 1), y / (h - 1))
open('sheet.bin', 'wb').write(out)
PY
printf '0x4 594\nVb1\n20 12\n0x4A8 120\n020000\n0x0 255\n' > right.vyp
printf '0x4 594\nVb1\n24 12\n0x4A8 120\n020000\n0x0 255\n' > stride.vyp
for vyp in right stride missing; do
  "$BIN_DIR/nimbrel-cli" check sheet.bin $vyp.vyp > check_$vyp.out 2>&1
  echo "exit $?" >> check_$vyp.out
done
"$BIN_DIR/nimbrel-cli" check sheet.bin > check_usage.out 2>&1
echo "exit $?" >> check_usage.out
