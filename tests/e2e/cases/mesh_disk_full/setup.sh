python3 "$CASE_DIR/../mesh_model/make_model.py" model.bin
ln -s /dev/full test.obj
ln -s /dev/full testUVs.obj
mkdir sub
ln -s /dev/full sub/test.obj
