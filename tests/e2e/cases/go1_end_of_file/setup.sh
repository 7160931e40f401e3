# 0x100 zero bytes, then the words 0 1 2 3: the file is 0x108 bytes long.
python3 - <<'PY'
import struct
open('model.bin', 'wb').write(b'\x00' * 0x100 + struct.pack('<4H', 0, 1, 2, 3))
PY
