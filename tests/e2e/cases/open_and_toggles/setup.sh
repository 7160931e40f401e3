printf '\x05\x00\x01\x00\x02\x00' > model.bin
printf 'data' > mesh.vyp.bin
: > empty.bin
