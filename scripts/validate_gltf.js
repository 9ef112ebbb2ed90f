#!/usr/bin/env node
// Validates a .glb or .gltf file with the Khronos glTF validator (npm package gltf-validator).
// Usage: node scripts/validate_gltf.js FILE
// Prints one line "errors E warnings W infos I hints H" and then one line per error or warning.
// Exit 0 when there are no errors and no warnings, 1 when there are, 2 on bad usage or an
// unreadable file, 3 when the validator package is not installed.
'use strict';
const fs = require('fs');
const path = require('path');
const { execSync } = require('child_process');

function loadValidator() {
  try {
    return require('gltf-validator');
  } catch (e) {
    // A global install is not on the module path of a script outside it.
    try {
      const root = execSync('npm root -g', { stdio: ['ignore', 'pipe', 'ignore'] }).toString().trim();
      return require(path.join(root, 'gltf-validator'));
    } catch (e2) {
      return null;
    }
  }
}

const file = process.argv[2];
if (!file) {
  console.error('usage: validate_gltf.js FILE');
  process.exit(2);
}
const validator = loadValidator();
if (!validator) {
  console.error('gltf-validator is not installed (npm install -g gltf-validator)');
  process.exit(3);
}
let data;
try {
  data = new Uint8Array(fs.readFileSync(file));
} catch (e) {
  console.error(`${file}: ${e.message}`);
  process.exit(2);
}
const dir = path.dirname(file);
validator
  .validateBytes(data, {
    uri: path.basename(file),
    maxIssues: 1000,
    externalResourceFunction: (uri) =>
      new Promise((resolve, reject) => {
        fs.readFile(path.join(dir, decodeURIComponent(uri)), (err, bytes) => (err ? reject(err.toString()) : resolve(new Uint8Array(bytes))));
      }),
  })
  .then((report) => {
    const i = report.issues;
    console.log(`errors ${i.numErrors} warnings ${i.numWarnings} infos ${i.numInfos} hints ${i.numHints}`);
    const names = ['error', 'warning', 'info', 'hint'];
    for (const m of i.messages) {
      if (m.severity <= 1) console.log(`${names[m.severity]} ${m.code} ${m.pointer || ''}: ${m.message}`);
    }
    process.exit(i.numErrors === 0 && i.numWarnings === 0 ? 0 : 1);
  })
  .catch((e) => {
    console.error(`${file}: the validator failed: ${e}`);
    process.exit(2);
  });
