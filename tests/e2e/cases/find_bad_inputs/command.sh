# Each input with its standard output, standard error and exit status.
run() {
  echo "== $*"
  "$BIN_DIR/nimbrel-cli" "$@" 2>&1
  echo "exit $?"
}
run find empty.bin
run find empty.bin --json
run find zeros.bin
run find random.bin --min-triangles 4
run find text.bin --json
run find missing.bin
run find folder.bin
run find huge.bin
run find model_0.vyp
run find
run find zeros.bin --top 0
run find zeros.bin --top
run find zeros.bin --colour
run find zeros.bin random.bin
