# A word strip at 4 (raw 0 1 1 2 3 4 3: degenerate windows at both ends), and at 0x20 a
# DW strip of indices above 65535 whose top bytes are junk (0x7F).
python3 - <<'PY'
import struct
data = b'\x00' * 4 + struct.pack('<7H', 0, 1, 1, 2, 3, 4, 3)
data += b'\x00' * (0x20 - len(data))
for v in (70000, 70001, 70002, 70000):
    data += v.to_bytes(3, 'little') + b'\x7f'
open('model.bin', 'wb').write(data)
PY
