# Big-endian DW indices whose first byte is junk (0xAB): only the low three bytes count.
# Two quads, raw 0 1 2 3 and 65536 5 6 7, then two indices of an unfinished quad.
python3 - <<'PY'
raw = [0, 1, 2, 3, 65536, 5, 6, 7, 2, 3]
data = b''.join(bytes([0xAB]) + v.to_bytes(3, 'big') for v in raw)
open('model.bin', 'wb').write(data)
PY
