# 16 filler bytes, then three triangles of little-endian words at 0x10, each followed by a
# two-byte gap (EE EE), and one more index at 0x28 that starts an unfinished face.
python3 - <<'PY'
import struct
gap = b'\xee\xee'
faces = [(4, 5, 6), (8, 7, 6), (8, 1, 2)]
data = b'\xee' * 16
for face in faces:
    data += struct.pack('<3H', *face) + gap
data += struct.pack('<H', 2)
open('model.bin', 'wb').write(data)
PY
