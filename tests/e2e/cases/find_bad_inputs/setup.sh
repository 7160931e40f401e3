# Files that hold no layout, one that cannot be read, and one past the size limit.
: > empty.bin
head -c 4096 /dev/zero > zeros.bin
python3 -c 'import random, sys; r = random.Random(5); sys.stdout.buffer.write(bytes(r.getrandbits(8) for _ in range(20000)))' > random.bin
for i in $(seq 1 200); do echo "mesh_$i: vertices=$i faces=$((i * 2)) material=steel texture=body.png"; done > text.bin
mkdir folder.bin
truncate -s 127000000 huge.bin
printf '0x0 3\nVb1\n12 99\n0x0 3\n020000\n0x0 255\n\n' > model_0.vyp
