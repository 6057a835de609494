#!/usr/bin/env node
// Runs the Khronos glTF Validator (scripts/gltf-validator, installed by
// scripts/setup) over every .glb and .gltf file named, in one process, and
// prints one line per error and warning:
//
//   FILE <tab> error|warning <tab> CODE <tab> JSON POINTER <tab> MESSAGE
//
// then one line per file, `FILE <tab> summary <tab> E errors, W warnings`.
// Exits with 1 when any file has an error, 2 when a file cannot be read or
// the validator is missing.
'use strict';
const fs = require('fs');
const path = require('path');

let validator;
try {
  validator = require(path.join(__dirname, 'gltf-validator', 'node_modules', 'gltf-validator'));
} catch (error) {
  console.error('validate-gltf: the glTF Validator is not installed (run scripts/setup): ' + error.message);
  process.exit(2);
}

const kSeverities = ['error', 'warning'];

async function validate(file) {
  const bytes = new Uint8Array(fs.readFileSync(file));
  const report = await validator.validateBytes(bytes, {
    uri: file,
    maxIssues: 0,
    writeTimestamp: false,
    // A .gltf names its buffer and images beside it.
    externalResourceFunction: (uri) =>
      new Promise((resolve, reject) => {
        fs.readFile(path.resolve(path.dirname(file), decodeURIComponent(uri)), (error, data) =>
          error ? reject(error.toString()) : resolve(new Uint8Array(data)));
      }),
  });
  for (const message of report.issues.messages) {
    if (message.severity < kSeverities.length)
      console.log([file, kSeverities[message.severity], message.code, message.pointer || '', message.message].join('\t'));
  }
  console.log(`${file}\tsummary\t${report.issues.numErrors} errors, ${report.issues.numWarnings} warnings`);
  return report.issues.numErrors;
}

(async () => {
  let errors = 0;
  for (const file of process.argv.slice(2)) {
    try {
      errors += await validate(file);
    } catch (error) {
      console.error(`validate-gltf: ${file}: ${error}`);
      process.exit(2);
    }
  }
  process.exit(errors > 0 ? 1 : 0);
})();
