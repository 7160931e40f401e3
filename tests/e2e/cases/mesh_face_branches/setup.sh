python3 "$CASE_DIR/../mesh_model/make_model.py" model.bin
mkdir plain_strip restart quads point_cloud fake fake_file
printf 'f 4 3 2\n# mine\n' > fake_file/FIs.txt
