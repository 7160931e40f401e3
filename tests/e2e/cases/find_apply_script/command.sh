# find 1, apply 1, "&Check layout" (click 9081) and " mesh" on the model of make_model.py.
# The engine's score decides the number after "score" on the candidate line, masked here, and
# which candidate is rank 1; everything else follows from the model. To regenerate after a
# deliberate change: run this in a folder set up by setup.sh and compare with expected.out;
# expected/test.obj is `python3 make_model.py --obj expected/test.obj`.
"$BIN_DIR/nimbrel-cli" run --app-dir "$PWD/app" lines.txt 2>&1 | sed -E 's/^([0-9]+\. score )[0-9.e+-]+/\1S/'
echo "exit ${PIPESTATUS[0]}"
