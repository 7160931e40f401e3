# Meshes of a few faces, asked for with --min-triangles: the cone's fan list among its
# points and edges, and the quad's strip after its vertices; by default neither. The
# scores are masked; every other character is the layout worked out from make_model.py.
cli=$BIN_DIR/nimbrel-cli
echo "== find"
"$cli" find model.bin; echo "exit $?"
echo "== find --min-triangles 2"
"$cli" find model.bin --min-triangles 2 | sed -E 's/score [0-9.e+-]+/score S/'; echo "exit ${PIPESTATUS[0]}"
echo "== find --min-triangles 2 --vyp"
"$cli" find model.bin --min-triangles 2 --vyp | sed -E 's/score [0-9.e+-]+/score S/'; echo "exit ${PIPESTATUS[0]}"
echo "== export"
"$cli" export model.bin model_0.vyp model_1.vyp | grep -v '^message: \(mesh_viewer\|wordpad\)'; echo "exit ${PIPESTATUS[0]}"
