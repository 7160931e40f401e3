# 16 filler bytes (EE), then six pairs of little-endian words: (4096, 4096), (16384, 4096),
# (4096, 8192), (0, 0), (8193, 0), (4096, 4096). The file ends with them, at 0x28.
python3 - <<'PY'
import struct
data = b'\xee' * 16
for u, v in [(4096, 4096), (16384, 4096), (4096, 8192), (0, 0), (8193, 0), (4096, 4096)]:
    data += struct.pack('<2H', u, v)
assert len(data) == 0x28
open('model.bin', 'wb').write(data)
PY
