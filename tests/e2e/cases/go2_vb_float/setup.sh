# 16 filler bytes, then twelve Float records of 20 bytes (position, then a float UV pair at
# 12): (0, 0, 1) uv (0.5, 0.25); (1.5, -2, 3) uv (2, -1); then (r, 0.5, 0.25) uv
# (0.125, 0.75) for r = 2..11. The file ends with the last record, at 0x100.
python3 - <<'PY'
import struct
data = b'\xee' * 16
data += struct.pack('<5f', 0, 0, 1, 0.5, 0.25)
data += struct.pack('<5f', 1.5, -2, 3, 2, -1)
for r in range(2, 12):
    data += struct.pack('<5f', r, 0.5, 0.25, 0.125, 0.75)
assert len(data) == 0x100
open('model.bin', 'wb').write(data)
PY
