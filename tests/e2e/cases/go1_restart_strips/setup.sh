# Word strips separated by FFFF markers:
#   0x00: 0 1 2 3 M 4 5 6      two strips
#   0x10: 7 8 9 M M 10 11 12   two markers in a row
#   0x20: M 1 2 3              a marker first
#   0x28: 1 2 3 4 M 5 6        a short last strip that ends at the end of the file
python3 - <<'PY'
import struct
M = 0xFFFF
values = [0, 1, 2, 3, M, 4, 5, 6,  7, 8, 9, M, M, 10, 11, 12,  M, 1, 2, 3,  1, 2, 3, 4, M, 5, 6]
open('model.bin', 'wb').write(struct.pack('<%dH' % len(values), *values))
PY
