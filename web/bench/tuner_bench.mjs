// The tuner's speed in headless Chromium, in one run: a slider change to the
// finished result (aria-busy back to false) on a frame with ten entries, on
// every thread (the page cross-origin isolated) and on one (served without
// isolation); the WebAssembly core's render alone, with its SIMD kernel on
// every thread and on one and with the portable one; and the native core's
// render of the same frame and key, on the processor named.
// Usage: node tuner_bench.mjs FRAME.png NATIVE_TIMING_PROGRAM [changes]
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { cpus } from 'node:os';
import { basename } from 'node:path';

import { idle, label, loadSettings, openImage, Tuner } from '../tests/tuner_page.mjs';

const [framePath, nativeTiming, changesText = '60'] = process.argv.slice(2);
const changes = Number(changesText);
const kRenders = 30;

// Ten entries over the colours of ffmpeg's testsrc2, half of them feathered.
const key = {
  enable: true,
  entries: ['#FF0000', '#00FF00', '#0000FF', '#FFFF00', '#00FFFF', '#FF00FF', '#FFFFFF',
            '#808080', '#C04020', '#2060C0'].map((color, k) => ({
    enabled: k !== 7, color, range: 30 + k * 5, softness: k % 2 ? 40 : 0,
  })),
};

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

// The frame opened with the key loaded, on a page served with or without the
// isolation that lets it render on every thread.
async function openFrame(tuner) {
  const page = await tuner.open();
  await openImage(page, basename(framePath), frame);
  await loadSettings(page, 'key.json', JSON.stringify(key));
  return page;
}

// Each change alternates Range 1 between two values, so every one renders;
// the first ten warm the page and the worker up.
function sliderToResult(page) {
  return page.evaluate(async (count) => {
    const slider = document.querySelector('[aria-label="Range 1"]');
    const canvas = document.querySelector('canvas[aria-label="Result"]');
    const idleAgain = () => new Promise((resolve) => {
      const watcher = new MutationObserver(() => {
        if (canvas.getAttribute('aria-busy') === 'false') {
          watcher.disconnect();
          resolve();
        }
      });
      watcher.observe(canvas, { attributes: true, attributeFilter: ['aria-busy'] });
    });
    const times = [];
    for (let i = -10; i < count; i++) {
      const done = idleAgain();
      const start = performance.now();
      slider.value = i % 2 ? '30' : '31.5';
      slider.dispatchEvent(new Event('input', { bubbles: true }));
      await done;
      if (i >= 0) times.push(performance.now() - start);
    }
    return times;
  }, changes);
}

const frame = readFileSync(framePath);
const alone = await Tuner.start({ isolated: false });
const single = await openFrame(alone);
const sliderOneThread = await sliderToResult(single);
await single.close();
await alone.stop();

const tuner = await Tuner.start();
const page = await openFrame(tuner);
const sliderEveryThread = await sliderToResult(page);
await idle(page);

// The core alone, in a worker of its own on the same page.
const coreTimes = await page.evaluate(async ({ bytes, settings, runs }) => {
  const worker = new Worker('src/worker.js', { type: 'module' });
  let next = 0;
  const ask = (request) => new Promise((resolve) => {
    const id = next++;
    worker.addEventListener('message', function answer({ data }) {
      if (data.id !== id) return;
      worker.removeEventListener('message', answer);
      resolve(data);
    });
    worker.postMessage({ ...request, id });
  });
  const opened = await ask({ type: 'open', name: 'frame.png', bytes: new Uint8Array(bytes).buffer });
  // WebAssembly starts in a baseline compiler and moves hot code to the
  // optimising one as it runs: the first renders are not the ones a user
  // dragging a slider sees.
  for (const kernel of [0, 1]) await ask({ type: 'time', settings, runs, kernel });
  // Every thread and one thread in turn, so that both see the same machine.
  const simd = [];
  const oneThread = [];
  for (let run = 0; run < runs; run++) {
    simd.push(...(await ask({ type: 'time', settings, runs: 1, kernel: 0 })).times);
    oneThread.push(...(await ask({ type: 'time', settings, runs: 1, kernel: 0, threads: 1 })).times);
  }
  const portable = await ask({ type: 'time', settings, runs, kernel: 1, threads: 1 });
  worker.terminate();
  return { width: opened.width, height: opened.height, simd, oneThread, portable: portable.times };
}, { bytes: Array.from(frame), settings: key, runs: kRenders });
const threads = await page.evaluate(() => Number(document.getElementById('result').dataset.workers));

const entries = key.entries.map((e) => `${e.color.slice(1)}:${e.range}:${e.softness}${e.enabled ? '' : ':off'}`);
const [nativeText, nativeKernel] = execFileSync(
    nativeTiming, [framePath, String(kRenders), ...entries], { encoding: 'utf8' }).trim().split(' ');
const native = Number(nativeText);
await page.close();
await tuner.stop();

const rows = [
  [`slider change to finished result (page, worker, canvas), ${threads} threads`,
   median(sliderEveryThread)],
  ['slider change to finished result (page, worker, canvas), 1 thread', median(sliderOneThread)],
  [`WebAssembly core render, SIMD lane kernel, ${threads} threads`, median(coreTimes.simd)],
  ['WebAssembly core render, SIMD lane kernel, 1 thread', median(coreTimes.oneThread)],
  ['WebAssembly core render, portable kernel, 1 thread', median(coreTimes.portable)],
  [`native core render (same entry point, ${nativeKernel} kernel)`, native],
];
console.log(`${coreTimes.width} × ${coreTimes.height}, 10 entries, on ${cpus()[0].model} ` +
            `(${cpus().length} processors); medians of ${changes} changes and ${kRenders} renders`);
console.log('| measure | median ms |\n|---|---:|');
for (const [name, ms] of rows) console.log(`| ${name} | ${ms.toFixed(2)} |`);
const oneThread = median(coreTimes.oneThread);
console.log(`WebAssembly SIMD render, 1 thread / native render: ${(oneThread / native).toFixed(2)}`);
console.log(`portable / SIMD (WebAssembly, 1 thread): ${(median(coreTimes.portable) / oneThread).toFixed(2)}`);
console.log(`${threads} threads / 1 thread (WebAssembly SIMD): ` +
            `${(median(coreTimes.simd) / oneThread).toFixed(2)}`);
