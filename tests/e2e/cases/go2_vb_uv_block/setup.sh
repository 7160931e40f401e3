# Four HF_UV records of 12 bytes holding positions only: (1, 2, 3), (0, 1, 0), (4, 5, 6),
# (7, 8, 9); zeros up to 0x80; then a UV block of four 8-byte records, each a half pair
# and four filler bytes: (0.5, 0.25), (1.5, 0.5), (0.25, 0.75), (1, 1). The file ends at 0xa0.
python3 - <<'PY'
import struct
data = b''
for p in [(1, 2, 3), (0, 1, 0), (4, 5, 6), (7, 8, 9)]:
    data += struct.pack('<3f', *p)
data += b'\x00' * (0x80 - len(data))
for u, v in [(0x3800, 0x3400), (0x3E00, 0x3800), (0x3400, 0x3A00), (0x3C00, 0x3C00)]:
    data += struct.pack('<2H', u, v) + b'\xee' * 4
assert len(data) == 0xa0
open('model.bin', 'wb').write(data)
PY
