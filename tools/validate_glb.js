// Runs the Khronos glTF Validator on each file named; exits 1 when any file has an error
// or a warning (infos and hints are shown, not counted), 2 when the validator is missing.
// usage: node validate_glb.js VALIDATOR_PACKAGE_DIR FILE...
'use strict';
const fs = require('fs');
const path = require('path');

const [packageDir, ...files] = process.argv.slice(2);
let validator;
try {
  validator = require(path.resolve(packageDir));
} catch (e) {
  console.error(`no glTF Validator in ${packageDir}: ${e.message}`);
  process.exit(2);
}
if (files.length === 0) {
  console.error('no files to validate');
  process.exit(2);
}

(async () => {
  let failed = false;
  for (const file of files) {
    const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
      uri: path.basename(file),
      maxIssues: 0,
    });
    const { numErrors, numWarnings, numInfos, numHints, messages } = report.issues;
    console.log(`${file}: ${numErrors} errors, ${numWarnings} warnings, ${numInfos} infos, ${numHints} hints`);
    for (const m of messages) console.log(`  [${m.severity}] ${m.code} ${m.pointer || ''}: ${m.message}`);
    if (numErrors > 0 || numWarnings > 0) failed = true;
  }
  process.exit(failed ? 1 : 0);
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
