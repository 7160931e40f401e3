python3 "$CASE_DIR/make_model.py" model.bin
