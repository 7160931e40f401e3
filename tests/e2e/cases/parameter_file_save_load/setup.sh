# The quad of models/quad_two_layouts.py.
python3 "$CASE_DIR/../../models/quad_two_layouts.py" model.bin
printf '0x0 6\nVb0\n0x78\n0x60 4\n020400\n0x78 255\n\n' > seq_0.vyp
printf '0x0 6\nVb1\n20 12\n0x10 4\n030000\n0x0 255\n\n' > bad_0.vyp
printf '0x0 6\nVb1\n20 12\n0x10 4\n' > cut_0.vyp
