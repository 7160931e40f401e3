python3 "$CASE_DIR/../mesh_model/make_model.py" model.bin
mkdir float hf_uv worduv hf_all shortall
printf 'an old layout\n' > hf_all/testUVs.obj
