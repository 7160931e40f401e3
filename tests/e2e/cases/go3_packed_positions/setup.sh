# A file of 1000 bytes, zero but for four packed float positions at 0x100: (0, 0, 1),
# (0.6, 0.8, 0), (1, 2, 3), (-1.5, 0.25, 8); and two packed little-endian short positions
# at 0x180, past the ten records a preview from 0x100 shows: (0, 0xff00, 0) and
# (0x0180, 0x8000, 1).
python3 - <<'PY'
import struct
data = bytearray(1000)
pos = b''.join(struct.pack('<3f', *p) for p in [(0, 0, 1), (0.6, 0.8, 0), (1, 2, 3), (-1.5, 0.25, 8)])
data[0x100:0x100 + len(pos)] = pos
shorts = struct.pack('<6H', 0, 0xff00, 0, 0x0180, 0x8000, 1)
data[0x180:0x180 + len(shorts)] = shorts
open('model.bin', 'wb').write(bytes(data))
PY
