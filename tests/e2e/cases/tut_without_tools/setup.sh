python3 "$CASE_DIR/../mesh_model/make_model.py" model.bin
