mkdir models
python3 "$CASE_DIR/../mesh_model/make_model.py" models/model.bin
