// The time to open a file in the tuner in headless Chromium: from choosing
// it in "Open image" to the picture shown and idle (read, decoded in the
// worker, rendered, drawn), the median of several opens.
// Usage: node open_bench.mjs FILE [opens]
import { performance } from 'node:perf_hooks';

import { idle, label, Tuner } from '../tests/tuner_page.mjs';

const [path, opensText = '5'] = process.argv.slice(2);
const opens = Number(opensText);

const tuner = await Tuner.start();
const page = await tuner.open();
const times = [];
const info = page.locator('#image-info');
// The first open, in code not yet optimised, is counted apart. Each open
// shows its file's description in place of a blank one.
for (let k = -1; k < opens; k++) {
  await info.evaluate((element) => { element.textContent = ''; });
  const start = performance.now();
  await label(page, 'Open image').setInputFiles(path);
  await page.waitForFunction(() => document.getElementById('image-info').textContent !== '');
  await idle(page);
  times.push(performance.now() - start);
}
const described = await info.textContent();
await page.close();
await tuner.stop();
const [first, ...rest] = times;
rest.sort((a, b) => a - b);
console.log(`${path}: first open ${first.toFixed(0)} ms, median of ${opens} ` +
            `more ${rest[Math.floor(rest.length / 2)].toFixed(0)} ms (${described})`);
