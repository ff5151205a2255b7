// The core compiled to WebAssembly gives every pixel and the bounds as the
// plain rule does, for every kernel it runs: the core's equivalence checker,
// built by emscripten, run under Node.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { it } from 'node:test';

const kChecker = new URL('../../build/web-check/equivalence_check.js', import.meta.url).pathname;

it('the WebAssembly kernels match the plain rule on a million colours at both depths', () => {
  // Node's fetch cannot read the module from a path; the loader falls back to
  // reading the file when fetch is off.
  const output = execFileSync(process.execPath, ['--no-experimental-fetch', kChecker, '1000000'],
                              { encoding: 'utf8' });
  assert.match(output, /^kernels: portable .*wasm-simd(?!\(absent\))/m);
  assert.match(output, /^\d+ passed, 0 failed/m);
});
