mkdir sub
# The quad of models/quad_two_layouts.py.
python3 "$CASE_DIR/../../models/quad_two_layouts.py" sub/model.bin
printf '0x0 6\nVb1\n20 12\n0x10 4\n020000\n0x0 255\n\n' > sub/model_0.vyp
printf '0x0 6\nVb0\n0x78\n0x60 4\n020400\n0x78 255\n\n' > sub/model_1.vyp
printf '%s\n' "$PWD/sub/model_0.vyp $PWD/sub/model_1.vyp" "model_2.vyp" "$PWD/gone/model_0.vyp" > CAD_ATSV_16_VYP.txt
