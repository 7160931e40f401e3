python3 "$CASE_DIR/../mesh_model/make_model.py" model.bin
rm app/notepad
printf 'an older log\n' > table_log.txt
