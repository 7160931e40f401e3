python3 "$CASE_DIR/../mesh_model/make_model.py" model.bin
mkdir -p kept dir_out/test.obj dir_out/testUVs.obj relfi relfi_end
printf 'the mesh of yesterday\n' > kept/test.obj
