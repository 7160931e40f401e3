python3 "$CASE_DIR/../mesh_model/make_model.py" model.bin
mkdir float hf_uv hf_all worduv shortall strided
