# The quad of models/quad_two_layouts.py; model_3.glb is a user's own file.
python3 "$CASE_DIR/../../models/quad_two_layouts.py" model.bin
printf '0x0 6\nVb1\n20 12\n0x10 4\n020000\n0x0 255\n\n' > model_0.vyp
printf 'mine' > model_3.glb
