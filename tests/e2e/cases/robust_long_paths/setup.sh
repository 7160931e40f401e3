# The folder of script.txt's cd lines (16 names of 247 bytes: about 4,000 bytes in all),
# with two models whose own names have blanks and non-ASCII letters; `short` points to it, so
# the expected files can name it. The model is a quad of two triangles:
#   0x00 Word indices 0 1 2 0 2 3
#   0x10 four Float records of 20 bytes: position, UV at 12
segment=$(sed -n 4p "$CASE_DIR/script.txt" | cut -c4-)
deep=.
for i in $(seq 16); do deep="$deep/$segment"; done
mkdir -p "$deep"
ln -s "$deep" short
python3 - "$deep/mödel ä b.bin" "$deep/zweites ü.bin" <<'PY'
import struct, sys
b = struct.pack('<6H', 0, 1, 2, 0, 2, 3) + b'\0' * 4
for p, t in (((0, 0, 0), (0, 0)), ((1, 0, 0), (1, 0)), ((1, 1, 0), (1, 1)), ((0, 1, 0), (0, 1))):
    b += struct.pack('<5f', *p, *t)
for path in sys.argv[1:]:
    open(path, 'wb').write(b)
PY
