// The tuner in headless Chromium, against huesieve-render: what "Save result"
// writes equals the tool's output pixel for pixel, for the key set through
// the controls, the copied command, loaded settings and the eyedropper; bad
// files leave everything as it was.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, describe, it } from 'node:test';

import jpeg from 'jpeg-js';

import { chunk, kTool, makePng, randomSource } from './png_files.mjs';
import {
  alertText, copyCommand, idle, label, loadSettings, openImage, result, runCommand,
  saveResult, saveSettings, setEntry, toolRender, Tuner,
} from './tuner_page.mjs';

const kSample = new URL('../../samples/huesieve-sample.png', import.meta.url).pathname;

let tuner;
before(async () => { tuner = await Tuner.start(); });
after(async () => { await tuner.stop(); });

function assertSamePixels(actual, expected) {
  assert.equal(actual.width, expected.width);
  assert.equal(actual.height, expected.height);
  const a = actual.rgba;
  const e = expected.rgba;
  for (let i = 0; i < e.length; i++) {
    if (a[i] !== e[i]) {
      const pixel = i >> 2;
      assert.fail(`pixel (${pixel % expected.width}, ${Math.floor(pixel / expected.width)}) differs: ` +
                  `[${a.subarray(pixel * 4, pixel * 4 + 4)}] against the tool's ` +
                  `[${e.subarray(pixel * 4, pixel * 4 + 4)}]`);
    }
  }
}

// The documented settings file, written here by hand; `choices` its members
// for the effect's choices, if any.
function settingsText(enable, entries, choices = {}) {
  return JSON.stringify({ enable, entries, ...choices });
}

// The choices' values, combined, that the frames below are keyed with.
const kSrgb = { judge: 'srgb' };
const kFades = { featheredAlpha: 'fades' };
const kBoth = { ...kSrgb, ...kFades };

// A key for a frame: colours taken from its pixels, so that entries claim,
// values on the sliders' 0.1 steps, some entries off, one left at Range 0.
function keyFor(rgba, seed) {
  const random = randomSource(seed);
  const pixels = rgba.length / 4;
  const byte = rgba instanceof Uint16Array ? (v) => v >> 8 : (v) => v;
  return Array.from({ length: 10 }, (_, k) => {
    const at = (random() % pixels) * 4;
    const hex = Array.from(rgba.subarray(at, at + 3),
                           (v) => byte(v).toString(16).padStart(2, '0'));
    return {
      enabled: random() % 4 !== 0,
      color: `#${hex.join('').toUpperCase()}`,
      range: k === 6 ? 0 : (10 + (random() % 1180)) / 10,
      softness: (random() % 1001) / 10,
    };
  });
}

function randomFrame({ width, height, seed, colourType = 6, depth = 8, interlaced = false,
                       extra = [] }) {
  const random = randomSource(seed);
  const top = (1 << depth) - 1;
  // A few colours repeated with noise, as footage has them, and all alphas.
  const channel = depth === 16 ? 65535 : 255;
  const noise = depth === 16 ? 41 * 257 : 41;
  const base = Array.from({ length: 6 }, () => [random() & channel, random() & channel,
                                                random() & channel]);
  const samples = () => {
    const [r, g, b] = base[random() % base.length].map(
        (v) => Math.min(channel, Math.max(0, v + (random() % noise) - (noise >> 1))));
    const a = random() & channel;
    switch (colourType) {
      case 0: return [random() & top];
      case 2: return [r, g, b];
      case 3: return [random() & top];
      case 4: return [r, a];
      default: return [r, g, b, a];
    }
  };
  return makePng({ width, height, depth, colourType, interlaced, samples, extra });
}

// Some frames keyed with the choices, in each combination, at both depths.
const kFrames = [
  { name: 'one-pixel.png', width: 1, height: 1, seed: 1 },
  { name: 'odd-rgba.png', width: 61, height: 37, seed: 2, choices: kSrgb },
  { name: 'wide-rgba.png', width: 517, height: 3, seed: 3, choices: kFades },
  { name: 'rgb-interlaced.png', width: 45, height: 29, seed: 4, colourType: 2, interlaced: true },
  { name: 'grey-alpha.png', width: 33, height: 31, seed: 5, colourType: 4, choices: kBoth },
  { name: 'grey-2bit.png', width: 19, height: 23, seed: 6, colourType: 0, depth: 2,
    extra: [['tRNS', [0, 1]]] },
  { name: 'palette-trns.png', width: 40, height: 20, seed: 7, colourType: 3, depth: 4,
    extra: [['PLTE', Array.from({ length: 48 }, (_, i) => (i * 53) & 255)],
            ['tRNS', [0, 128, 255, 7]]] },
  // 16-bit at its full scale, as the tool renders it.
  { name: 'deep-rgba.png', width: 57, height: 19, seed: 10, depth: 16 },
  { name: 'deep-rgba-fades.png', width: 41, height: 23, seed: 14, depth: 16, choices: kFades },
  { name: 'deep-rgb-interlaced.png', width: 23, height: 41, seed: 11, depth: 16,
    colourType: 2, interlaced: true, choices: kSrgb },
];
// Frames of several bands of rows, which threads share where the page may
// share memory.
const kBandedFrames = [
  { name: 'banded-rgba.png', width: 401, height: 333, seed: 12, choices: kSrgb },
  { name: 'banded-deep.png', width: 263, height: 271, seed: 13, depth: 16, choices: kBoth },
];

// `frame` opened in the tuner with a key loaded from a file saves what the
// tool writes for the same file and key.
async function assertRendersAsTool(session, frame) {
  const page = await session.open();
  const bytes = randomFrame(frame);
  await openImage(page, frame.name, bytes);
  const source = await saveResult(page);  // the switch is off: the source itself
  const entries = keyFor(source.image.rgba, frame.seed);
  const key = settingsText(true, entries, frame.choices);
  await loadSettings(page, 'key.json', key);

  const saved = await saveResult(page);

  const tool = await toolRender(session.directory, frame.name, bytes, key);
  assertSamePixels(saved.image, tool);
  if (frame.choices !== undefined) {
    // The choices make a difference here, so a tuner that left them out would fail.
    const plain = await toolRender(session.directory, frame.name, bytes, settingsText(true, entries));
    assert.notDeepEqual(plain.rgba, tool.rgba, 'the choices change nothing on this frame');
  }
  assert.equal(saved.name, frame.name.replace('.png', '-huesieve.png'));
  assert.equal(await alertText(page), '');
  await page.close();
}

describe('the tuner renders as huesieve-render', () => {
  it('the sample at start, keyed through the controls, as the copied command renders it',
     async () => {
       const page = await tuner.open();
       await label(page, 'Enable Effect').check();
       await label(page, 'Judge colours').selectOption({ label: 'sRGB-encoded' });
       await label(page, 'Feathered alpha').selectOption({ label: 'Fades' });
       await setEntry(page, 1, { enabled: true, color: '#E6731A', range: 50, softness: 0 });
       await setEntry(page, 1, { enabled: false });
       await setEntry(page, 2, { enabled: true, color: '#DB2924', range: 127.9, softness: 50.3 });
       await setEntry(page, 3, { enabled: true, color: '#F2D126', range: 0.4, softness: 12.3 });
       assert.equal(await page.getByText('12.3', { exact: true }).count(), 1);

       const command = await copyCommand(page);
       const saved = await saveResult(page);

       // Range 0.4 snapped to 1, the host's minimum.
       assert.equal(command, 'huesieve-render --enable --entry 1:E6731A:50:0:off ' +
                             '--entry 2:DB2924:127.9:50.3 --entry 3:F2D126:1:12.3 ' +
                             '--judge srgb --feathered-alpha fades ' +
                             'huesieve-sample.png huesieve-sample-huesieve.png');
       assert.equal(saved.name, 'huesieve-sample-huesieve.png');
       writeFileSync(tuner.path('huesieve-sample.png'), readFileSync(kSample));
       assertSamePixels(saved.image,
                        await runCommand(command, tuner.directory, 'huesieve-sample-huesieve.png'));
       assert.deepEqual(page.errors, []);
       await page.close();
     });

  for (const frame of kFrames) {
    it(`${frame.name} (${frame.width} × ${frame.height}) with a loaded key`, async () => {
      await assertRendersAsTool(tuner, frame);
    });
  }

  it('a JPEG, decoded once, as the tool renders the same samples', async () => {
    const width = 48;
    const height = 32;
    const random = randomSource(8);
    const data = Buffer.from(Array.from({ length: width * height * 4 }, (_, i) =>
      (i % 4 === 3 ? 255 : ((i >> 2) % width) * 5 + (random() & 15))));
    const file = jpeg.encode({ width, height, data }, 90).data;
    const decoded = jpeg.decode(file, { useTArray: true, formatAsRGBA: true });
    const page = await tuner.open();
    await openImage(page, 'photo.jpg', file, 'image/jpeg');
    const key = settingsText(true, keyFor(decoded.data, 9));
    await loadSettings(page, 'key.json', key);

    const saved = await saveResult(page);
    assert.equal(saved.name, 'photo-huesieve.png');

    const samples = makePng({ width, height, depth: 8, colourType: 6,
                              samples: (x, y) => Array.from(decoded.data.subarray((y * width + x) * 4, (y * width + x) * 4 + 4)) });
    assertSamePixels(saved.image, await toolRender(tuner.directory, 'photo.png', samples, key));
    await page.close();
  });
});

// Served cross-origin isolated, the page shares a frame between a thread a
// processor; served without the two headers, it renders on one thread. The
// pixels are the tool's either way.
describe('threads', () => {
  const threadsOf = (page) => page.evaluate(() => [
    Number(document.getElementById('result').dataset.workers),
    Math.min(navigator.hardwareConcurrency, 16),
  ]);

  it('a thread a processor where the page may share memory', async () => {
    const page = await tuner.open();
    const [workers, processors] = await threadsOf(page);
    assert.equal(workers, processors);
    await page.close();
  });

  for (const frame of kBandedFrames) {
    it(`${frame.name} (${frame.width} × ${frame.height}) on every thread`, async () => {
      await assertRendersAsTool(tuner, frame);
    });
  }

  describe('served without isolation', () => {
    let alone;
    before(async () => { alone = await Tuner.start({ isolated: false }); });
    after(async () => { await alone.stop(); });

    it('renders on one thread', async () => {
      const page = await alone.open();
      assert.equal((await threadsOf(page))[0], 1);
      assert.deepEqual(page.errors, []);
      await page.close();
    });

    for (const frame of kBandedFrames) {
      it(`${frame.name} (${frame.width} × ${frame.height}) on one thread`, async () => {
        await assertRendersAsTool(alone, frame);
      });
    }
  });
});

// The controls' table as huesieve-render --list-params prints it: by name
// (as OpenFX hosts know it), its type, label, limits and default.
function listedControls() {
  const listing = execFileSync(kTool, ['--list-params'], { encoding: 'utf8' });
  return new Map(listing.trim().split('\n').map((line) => {
    const [, name, type, label, limits, value] =
        /^(\S+)\s+(\S+)\s+"([^"]*)"\s+(.*?)\s+(\S+)$/.exec(line);
    return [name, { type, label, limits, value }];
  }));
}

describe('controls', () => {
  it('are the table\'s rows: labels, limits and defaults as the tool lists them', async () => {
    const listed = listedControls();
    const page = await tuner.open();
    const enable = listed.get('enable');
    assert.equal(await label(page, enable.label).isChecked(), enable.value === 'on');
    for (let k = 1; k <= 10; k++) {
      const row = (name) => listed.get(`${name}${k}`);
      assert.equal(await label(page, `${row('enable').label} ${k}`).isChecked(),
                   row('enable').value === 'on');
      assert.equal(await label(page, `${row('color').label} ${k}`).inputValue(),
                   `#${row('color').value.toLowerCase()}`);
      for (const name of ['range', 'softness']) {
        // The command line's limits, which the tuner takes; a slider reaches
        // down to its default too.
        const [min, max] = /^(\S+) to (\S+)/.exec(row(name).limits).slice(1).map(Number);
        const slider = label(page, `${row(name).label} ${k}`);
        assert.equal(await slider.inputValue(), row(name).value);
        assert.equal(Number(await slider.getAttribute('min')), Math.min(min, Number(row(name).value)));
        assert.equal(Number(await slider.getAttribute('max')), max);
        assert.equal(await slider.getAttribute('step'), '0.1');
      }
    }
    for (const name of ['judgeColours', 'featheredAlpha']) {
      const choice = listed.get(name);
      const menu = label(page, choice.label);
      const values = await menu.locator('option').evaluateAll((options) => options.map((o) => o.value));
      assert.equal(values.join(' or '), choice.limits);
      assert.equal(await menu.inputValue(), choice.value);
    }
    await page.close();
  });

  it('mark the picture busy inside the event that changes them', async () => {
    const page = await tuner.open();
    const busy = await page.evaluate(() => {
      const seen = [];
      const slider = document.querySelector('[aria-label="Range 2"]');
      const canvas = document.querySelector('canvas[aria-label="Result"]');
      slider.value = '40';
      slider.dispatchEvent(new Event('input', { bubbles: true }));
      seen.push(canvas.getAttribute('aria-busy'));
      const open = document.querySelector('#open-image');
      open.addEventListener('change', () => seen.push(canvas.getAttribute('aria-busy')));
      return seen;
    });
    assert.deepEqual(busy, ['true']);
    // A file chosen: the check runs after the page's own change handler.
    const seen = page.evaluate(() => new Promise((resolve) => {
      const canvas = document.querySelector('canvas[aria-label="Result"]');
      document.querySelector('#open-image').addEventListener(
          'change', () => resolve(canvas.getAttribute('aria-busy')));
    }));
    await label(page, 'Open image').setInputFiles(
        { name: 'x.png', mimeType: 'image/png', buffer: randomFrame({ width: 5, height: 5, seed: 3 }) });
    assert.equal(await seen, 'true');
    await idle(page);
    await page.close();
  });

  it('the eyedropper takes the stored colour of a half-transparent pixel, at any zoom',
     async () => {
       const page = await tuner.open();
       // Alpha 3: a canvas's premultiplied colour would have lost these values.
       const width = 9;
       const height = 7;
       const colour = (x, y) => [x * 28 + 1, y * 36 + 2, (x * y * 7 + 99) & 255, 3];
       await openImage(page, 'faint.png', makePng({ width, height, depth: 8, colourType: 6,
                                                    samples: colour }));
       for (const [zoom, x, y] of [['800 %', 7, 2], ['100 %', 3, 6], ['25 %', 0, 0]]) {
         await label(page, 'Zoom').selectOption({ label: zoom });
         await page.getByRole('button', { name: 'Pick color 4', exact: true }).click();
         const box = await result(page).boundingBox();
         await result(page).click({ position: { x: ((x + 0.5) * box.width) / width,
                                                y: ((y + 0.5) * box.height) / height } });
         await idle(page);
         const hex = colour(x, y).slice(0, 3).map((v) => v.toString(16).padStart(2, '0')).join('');
         assert.equal(await label(page, 'Color 4').inputValue(), `#${hex}`, `zoom ${zoom}`);
       }
       await page.close();
     });

  it('the eyedropper takes a pixel\'s colour as the rule sees it, as stored or sRGB-encoded',
     async () => {
       const page = await tuner.open();
       // As stored, the rule reads these 16-bit samples as the nearest 8-bit
       // values 2, 4, 6 (their high bytes would be 1, 3, 5); sRGB-encoded, as
       // the nearest integer to 255 × E(v), for the 8-bit samples too.
       const encoded = (unit) => Math.round(255 * (unit <= 0.0031308 ? 12.92 * unit :
                                                   1.055 * unit ** (1 / 2.4) - 0.055));
       const hex = (values) => `#${values.map((v) => v.toString(16).padStart(2, '0')).join('')}`;
       const deep = [400, 911, 1425];
       const shallow = [1, 60, 200];
       for (const [depth, samples, top] of [[16, deep, 65535], [8, shallow, 255]]) {
         await openImage(page, `${depth}.png`, makePng({ width: 3, height: 1, depth, colourType: 6,
                                                         samples: () => [...samples, 9] }));
         await label(page, 'Zoom').selectOption({ label: '800 %' });
         for (const [judge, expected] of [
           ['As stored', depth === 16 ? [2, 4, 6] : samples],
           ['sRGB-encoded', samples.map((v) => encoded(v / top))],
         ]) {
           await label(page, 'Judge colours').selectOption({ label: judge });
           await page.getByRole('button', { name: 'Pick color 2', exact: true }).click();
           const box = await result(page).boundingBox();
           await result(page).click({ position: { x: box.width / 2, y: box.height / 2 } });
           await idle(page);
           assert.equal(await label(page, 'Color 2').inputValue(), hex(expected),
                        `${depth}-bit ${judge}`);
         }
       }
       await page.close();
     });

  it('save settings as the documented file and load them back', async () => {
    const page = await tuner.open();
    await label(page, 'Enable Effect').check();
    await setEntry(page, 2, { enabled: true, color: '#29B33D', range: 100, softness: 50 });
    await setEntry(page, 5, { enabled: false, color: '#102030', range: 3.3, softness: 99.9 });
    await label(page, 'Feathered alpha').selectOption({ label: 'Fades' });
    await label(page, 'Judge colours').selectOption({ label: 'sRGB-encoded' });
    await label(page, 'Judge colours').selectOption({ label: 'As stored' });

    const saved = await saveSettings(page);

    assert.equal(saved.name, 'huesieve-settings.json');
    const file = JSON.parse(saved.text);
    assert.equal(file.enable, true);
    assert.equal(file.entries.length, 10);
    assert.deepEqual(file.entries[1], { enabled: true, color: '#29B33D', range: 100, softness: 50 });
    assert.deepEqual(file.entries[4], { enabled: false, color: '#102030', range: 3.3, softness: 99.9 });
    assert.deepEqual(file.entries[0], { enabled: false, color: '#FFFFFF', range: 0, softness: 0 });
    // A choice is written only when not at its default.
    assert.equal(file.featheredAlpha, 'fades');
    assert.equal('judge' in file, false);

    const fresh = await tuner.open();
    await loadSettings(fresh, 'huesieve-settings.json', saved.text);
    assert.equal(await label(fresh, 'Enable Effect').isChecked(), true);
    assert.equal(await label(fresh, 'Color 5').inputValue(), '#102030');
    assert.equal(await label(fresh, 'Range 5').inputValue(), '3.3');
    assert.equal(await label(fresh, 'Softness 5').inputValue(), '99.9');
    assert.equal(await label(fresh, 'Enable color 5').isChecked(), false);
    assert.equal(await label(fresh, 'Feathered alpha').inputValue(), 'fades');
    assert.equal(await label(fresh, 'Judge colours').inputValue(), 'stored');
    assertSamePixels((await saveResult(fresh)).image,
                     await toolRender(tuner.directory, 'huesieve-sample.png', readFileSync(kSample),
                                      saved.text));
    await page.close();
    await fresh.close();
  });

  it('Before shows the source instead of the result', async () => {
    const page = await tuner.open();
    await openImage(page, 'two.png', makePng({ width: 2, height: 1, depth: 8, colourType: 6,
                                               samples: (x) => [x * 200, 100, 50, 255] }));
    await label(page, 'Enable Effect').check();
    await idle(page);
    const shown = () => page.evaluate(() => Array.from(
        document.querySelector('canvas[aria-label="Result"]').getContext('2d')
            .getImageData(0, 0, 2, 1).data));

    // Nothing claims: the result is cleared but for the markers at (0, 0) and (1, 0).
    assert.deepEqual(await shown(), [255, 0, 0, 255, 255, 0, 0, 255]);
    await label(page, 'Before').check();
    assert.deepEqual(await shown(), [0, 100, 50, 255, 200, 100, 50, 255]);
    await label(page, 'Before').uncheck();
    assert.deepEqual(await shown(), [255, 0, 0, 255, 255, 0, 0, 255]);
    await page.close();
  });

  it('the claim map colours each pixel by the entry that claims it', async () => {
    const page = await tuner.open();
    // Red, green, blue, grey; entry 1 keeps red, entry 2 (off) clears green,
    // entry 3 keeps blue with its whole range feathered; entry 4 keeps grey
    // only when colours are judged sRGB-encoded (128 is then 188).
    const pixels = [[255, 0, 0, 255], [0, 255, 0, 255], [0, 0, 255, 255], [128, 128, 128, 255]];
    await openImage(page, 'four.png', makePng({ width: 4, height: 1, depth: 8, colourType: 6,
                                                samples: (x) => pixels[x] }));
    await loadSettings(page, 'key.json', settingsText(true, [
      { enabled: true, color: '#FF0000', range: 20, softness: 0 },
      { enabled: false, color: '#00FF00', range: 20, softness: 0 },
      { enabled: true, color: '#0000FF', range: 40, softness: 100 },
      { enabled: true, color: '#BCBCBC', range: 5, softness: 0 },
    ]));
    const legend = page.getByRole('list', { name: 'Claim map legend' });
    assert.equal(await legend.isVisible(), false);
    await label(page, 'Claim map').check();
    await idle(page);

    const shown = () => page.evaluate(() => {
      const canvas = document.querySelector('canvas[aria-label="Result"]');
      return Array.from(canvas.getContext('2d').getImageData(0, 0, 4, 1).data);
    });

    // Entry colours 1 to 3 of the legend; entry 3 at half brightness.
    const entries = [0x4e, 0x79, 0xa7, 255, 0xf2, 0x8e, 0x2b, 255, 0xe1 >> 1, 0x57 >> 1, 0x59 >> 1, 255];
    assert.deepEqual(await shown(), [...entries, 0, 0, 0, 255]);
    await label(page, 'Judge colours').selectOption({ label: 'sRGB-encoded' });
    await idle(page);
    assert.deepEqual(await shown(), [...entries, 0x76, 0xb7, 0xb2, 255]);
    await label(page, 'Judge colours').selectOption({ label: 'As stored' });
    await idle(page);
    assert.equal(await page.locator('#bounds').isVisible(), true);
    assert.match(await legend.textContent(),
                 /Entry 1.*Entry 2 \(off: striped, clears\).*Entry 3/);
    // "Save result" still writes the result, not the map.
    const saved = await saveResult(page);
    assert.deepEqual(Array.from(saved.image.rgba.subarray(0, 4)), [255, 0, 0, 255]);
    await page.close();
  });
});

describe('layout', () => {
  // Boxes in CSS pixels, for the checks below.
  const boxes = (page) => page.evaluate(() => {
    const box = (element) => {
      const { left, right, top, bottom, width, height } = element.getBoundingClientRect();
      return { left, right, top, bottom, width, height };
    };
    const stage = document.querySelector('.stage');
    const style = getComputedStyle(stage);
    return {
      overflow: document.documentElement.scrollWidth - document.documentElement.clientWidth,
      controls: box(document.querySelector('[aria-label="Key"]')),
      stage: { ...box(stage), innerWidth: stage.clientWidth, maxHeight: parseFloat(style.maxHeight),
               scrolls: stage.scrollWidth > stage.clientWidth },
      picture: box(document.querySelector('canvas[aria-label="Result"]')),
      // Every control of every entry, and whether its text fits its box.
      entries: Array.from(document.querySelectorAll('#entries input, #entries button, #entries output'),
                          (element) => ({ name: element.getAttribute('aria-label') ?? element.className,
                                          ...box(element),
                                          clipped: element.scrollWidth > element.clientWidth })),
    };
  });

  // The picture beside the controls on a wide screen; above them, at the
  // page's width, on a narrow one (a phone held upright). The picture opens
  // whole in its area; every control of an entry shows in full, its widest
  // values too, without scrolling sideways.
  for (const [width, beside] of [[1280, true], [420, false]]) {
    it(`at ${width} × 900 pixels: picture ${beside ? 'beside' : 'above'} the controls, ` +
       'fitted, every entry control in view', async () => {
      const page = await tuner.open({ width, height: 900 });
      for (let k = 1; k <= 10; k++) await setEntry(page, k, { range: 127.9, softness: 99.9 });
      const seen = await boxes(page);

      assert.equal(seen.overflow, 0, 'the page scrolls sideways');
      if (beside) {
        assert.ok(seen.stage.left >= seen.controls.right, 'the picture is right of the controls');
      } else {
        assert.ok(seen.stage.bottom <= seen.controls.top, 'the picture is above the controls');
        assert.ok(seen.stage.width >= width * 0.9, `the picture is ${seen.stage.width} pixels wide`);
      }
      assert.equal(seen.entries.length, 10 * 7);
      for (const control of seen.entries) {
        assert.ok(control.left >= seen.controls.left && control.right <= seen.controls.right &&
                  control.right <= width, `${control.name} reaches ${control.right}`);
        assert.equal(control.clipped, false, `${control.name}'s text is cut off`);
      }
      // The 640 × 360 sample at 100 % where it fits, as before; scaled to the
      // picture's width where it does not.
      const scale = Math.min(1, seen.stage.innerWidth / 640);
      assert.equal(await label(page, 'Zoom').inputValue(), 'fit');
      assert.ok(Math.abs(seen.picture.width - 640 * scale) < 0.5, `${seen.picture.width} wide`);
      assert.ok(Math.abs(seen.picture.height - 360 * scale) < 0.5, `${seen.picture.height} high`);
      assert.equal(seen.stage.scrolls, false);

      // Zoom stays: 200 % scrolls within the picture's area, never the page.
      await label(page, 'Zoom').selectOption({ label: '200 %' });
      const zoomed = await boxes(page);
      assert.equal(zoomed.picture.width, 1280);
      assert.equal(zoomed.stage.scrolls, true);
      assert.equal(zoomed.overflow, 0);
      await page.close();
    });
  }

  it('a picture opens fitted whatever the zoom before, and stays fitted as the window changes',
     async () => {
       const page = await tuner.open({ width: 1280, height: 900 });
       await label(page, 'Zoom').selectOption({ label: '400 %' });
       await openImage(page, 'tall.png', randomFrame({ width: 900, height: 1200, seed: 14 }));
       assert.equal(await label(page, 'Zoom').inputValue(), 'fit');
       // Wide, the picture's height limits it; narrow, its width.
       for (const [width, by] of [[1280, 'height'], [420, 'width']]) {
         await page.setViewportSize({ width, height: 900 });
         // A frame's resize steps run before its animation frame callbacks.
         await page.evaluate(() => new Promise(
             (done) => requestAnimationFrame(() => requestAnimationFrame(done))));
         const { picture, stage } = await boxes(page);
         const room = { width: stage.innerWidth, height: stage.maxHeight };
         assert.ok(Math.abs(picture[by] - room[by]) < 0.5, `${picture[by]} in ${room[by]}`);
         assert.ok(Math.abs(picture.width / picture.height - 900 / 1200) < 0.01);
         assert.equal(stage.scrolls, false, `at ${width}`);
       }
       await page.close();
     });
});

describe('bad input', () => {
  const good = readFileSync(kSample);
  const header = Buffer.alloc(13);
  header.writeUInt32BE(8193, 0);
  header.writeUInt32BE(4097, 4);
  header[8] = 8;
  header[9] = 6;
  const huge = Buffer.concat([good.subarray(0, 8), chunk('IHDR', header),
                              chunk('IDAT', [0x78, 0x9c, 3, 0]), chunk('IEND', [])]);
  const damaged = Buffer.from(good);
  damaged[20] ^= 1;  // the header's height, its CRC now wrong
  const cases = [
    ['a file that is no image', 'notes.png', () => openImage, Buffer.from('just some text'),
     'notes.png: not an image the tuner reads; it reads PNG, JPEG, OpenEXR, TIFF and DPX'],
    ['a truncated PNG', 'cut.png', () => openImage, good.subarray(0, 5000),
     'cut.png: file is truncated'],
    ['an image over the pixel limit', 'huge.png', () => openImage, huge,
     'huge.png: image of 8193 x 4097 pixels exceeds the limit of 33554432 pixels'],
    ['a damaged PNG', 'damaged.png', () => openImage, damaged, 'damaged.png: IHDR: CRC error'],
    ['malformed settings', 'key.json', () => loadSettings, '{"enable": true, "entries": [',
     /^key\.json: not valid JSON: /],
    ['settings out of limits', 'key.json', () => loadSettings,
     settingsText(true, [{ enabled: true, color: '#FF0000', range: 200, softness: 0 }]),
     'key.json: entry 1: RANGE 200 is outside 1 to 128'],
  ];
  for (const [what, name, action, bytes, message] of cases) {
    it(`${what}: a message, nothing else changed, and the worker renders on`, async () => {
      const page = await tuner.open();
      await label(page, 'Enable Effect').check();
      await setEntry(page, 1, { enabled: true, color: '#DB2924', range: 110, softness: 60 });
      const before = await saveResult(page);
      const info = await page.locator('#image-info').textContent();

      await action()(page, name, bytes);

      const text = await alertText(page);
      if (typeof message === 'string') assert.equal(text, message);
      else assert.match(text, message);
      assert.equal(await page.locator('#image-info').textContent(), info);
      assert.equal(await label(page, 'Range 1').inputValue(), '110');
      assert.equal(await label(page, 'Enable Effect').isChecked(), true);
      assertSamePixels((await saveResult(page)).image, before.image);

      await setEntry(page, 2, { enabled: true, color: '#29B33D', range: 100, softness: 50 });
      const command = await copyCommand(page);
      writeFileSync(join(tuner.directory, 'huesieve-sample.png'), good);
      assertSamePixels((await saveResult(page)).image,
                       await runCommand(command, tuner.directory, 'huesieve-sample-huesieve.png'));
      await page.close();
    });
  }
});
