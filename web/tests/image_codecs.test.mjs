// OpenEXR, TIFF and DPX in the tuner, against huesieve-render: each file,
// keyed through the controls and the eyedropper, saves as the file the tool
// writes from it with the tuner's settings, byte for byte (same format, data
// type, channels and alpha); a float picture opens judged sRGB-encoded and
// the eyedropper picks the colour shown.
import assert from 'node:assert/strict';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, describe, it } from 'node:test';

import { makePng, randomSource, runTool } from './png_files.mjs';
import {
  alertText, label, openImage, result, saveResultFile, saveSettings, setEntry, Tuner, idle,
} from './tuner_page.mjs';

const kCorpus = new URL('../../fuzz/corpus/', import.meta.url).pathname;

let tuner;
before(async () => { tuner = await Tuner.start(); });
after(async () => { await tuner.stop(); });

// A 16-bit RGBA frame of a few noisy colours and every kind of alpha, as a
// plate has them; a top-left pixel at a quarter of full scale, opaque.
function plateSource(width, height, seed) {
  const random = randomSource(seed);
  const base = Array.from({ length: 5 }, () => [random() & 65535, random() & 65535,
                                                random() & 65535]);
  const alphas = [65535, 65535, 0, 32768, random() & 65535];
  return makePng({
    width, height, depth: 16, colourType: 6,
    samples: (x, y) => {
      if (x === 0 && y === 0) return [16384, 16384, 16384, 65535];
      const colour = base[(x + y * 3) % base.length].map(
          (v) => Math.min(65535, Math.max(0, v + (random() % 2001) - 1000)));
      return [...colour, alphas[random() % alphas.length]];
    },
  });
}

// Written by the tool from a 16-bit PNG with the effect off, as a plate
// would come: `type` is the --output-type.
function toolWritten(name, type, seed) {
  const png = tuner.path(`${name}.png`);
  writeFileSync(png, plateSource(37, 23, seed));
  const { status, stderr } = runTool(['--output-type', type, png, tuner.path(name)]);
  assert.equal(status, 0, stderr);
  return readFileSync(tuner.path(name));
}

const kPlates = [
  { name: 'plate-half.exr', float: true, bytes: () => toolWritten('plate-half.exr', 'half', 1) },
  { name: 'plate-float.exr', float: true, bytes: () => toolWritten('plate-float.exr', 'float', 2) },
  { name: 'plate-piz.exr', float: true,
    bytes: () => readFileSync(join(kCorpus, 'exr_file_fuzzer/half_rgba_piz.exr')) },
  { name: 'plate-tiled.exr', float: true,
    bytes: () => readFileSync(join(kCorpus, 'exr_file_fuzzer/float_rgb_tiled.exr')) },
  { name: 'scan-16.tif', float: false, bytes: () => toolWritten('scan-16.tif', 'uint16', 3) },
  { name: 'scan-8.tif', float: false, bytes: () => toolWritten('scan-8.tif', 'uint8', 4) },
  { name: 'linear.tif', float: true, bytes: () => toolWritten('linear.tif', 'float', 5) },
  { name: 'scan-16.dpx', float: false, bytes: () => toolWritten('scan-16.dpx', 'uint16', 6) },
  { name: 'scan-10.dpx', float: false,
    bytes: () => readFileSync(join(kCorpus, 'dpx_file_fuzzer/rgba10_filled_be.dpx')) },
  { name: 'linear.dpx', float: true,
    bytes: () => readFileSync(join(kCorpus, 'dpx_file_fuzzer/rgbafloat_be.dpx')) },
];

async function pick(page, entry, x, y, width, height) {
  await page.getByRole('button', { name: `Pick color ${entry}`, exact: true }).click();
  const box = await result(page).boundingBox();
  await result(page).click({ position: { x: ((x + 0.5) * box.width) / width,
                                         y: ((y + 0.5) * box.height) / height } });
  await idle(page);
}

describe('OpenEXR, TIFF and DPX saved as huesieve-render writes them', () => {
  for (const plate of kPlates) {
    it(plate.name, async () => {
      const bytes = plate.bytes();
      const page = await tuner.open();
      await openImage(page, plate.name, bytes, 'application/octet-stream');
      assert.equal(await alertText(page), '');
      const judge = label(page, 'Judge colours');
      assert.equal(await judge.inputValue(), plate.float ? 'srgb' : 'stored');
      const [, width, height] = /: (\d+) × (\d+) pixels/.exec(
          await page.locator('#image-info').textContent()).map(Number);

      await label(page, 'Enable Effect').check();
      await setEntry(page, 1, { enabled: true, range: 40, softness: 30 });
      await pick(page, 1, width - 1, height - 1, width, height);
      await setEntry(page, 2, { enabled: true, color: '#808080', range: 90, softness: 10 });
      const saved = await saveResultFile(page);
      const settings = await saveSettings(page);

      const stem = plate.name.replace(/\.[^.]*$/, '');
      const extension = plate.name.slice(stem.length);
      assert.equal(saved.name, `${stem}-huesieve${extension}`);
      writeFileSync(tuner.path(plate.name), bytes);
      writeFileSync(tuner.path('key.json'), settings.text);
      const output = tuner.path(`tool-${plate.name}`);
      const { status, stderr } = runTool(['--settings', tuner.path('key.json'),
                                          tuner.path(plate.name), output]);
      assert.equal(status, 0, stderr);
      assert.ok(saved.bytes.equals(readFileSync(output)),
                `${saved.name} differs from the tool's output`);
      assert.deepEqual(page.errors, []);
      await page.close();
    });
  }

  it('a float picture shows, and the eyedropper picks, the sRGB encoding of its samples',
     async () => {
       const page = await tuner.open();
       await label(page, 'Judge colours').selectOption({ label: 'As stored' });
       await openImage(page, 'plate.exr', toolWritten('quarter.exr', 'float', 7),
                       'application/octet-stream');
       // Linear 16384 / 65535 encodes as the nearest integer to
       // 255 × (1.055 × 0.25^(1 / 2.4) − 0.055), 137.
       assert.equal(await label(page, 'Judge colours').inputValue(), 'srgb');
       await pick(page, 3, 0, 0, 37, 23);
       assert.equal(await label(page, 'Color 3').inputValue(), '#898989');
       const shown = await page.evaluate(() => {
         const canvas = document.querySelector('canvas[aria-label="Result"]');
         return Array.from(canvas.getContext('2d').getImageData(0, 0, 1, 1).data);
       });
       assert.deepEqual(shown, [137, 137, 137, 255]);
       await page.close();
     });

  it('a file in no format it reads is refused with the formats it reads', async () => {
    const page = await tuner.open();
    await openImage(page, 'notes.exr', Buffer.from('just some text'), 'application/octet-stream');
    assert.equal(await alertText(page), 'notes.exr: not an image the tuner reads; it reads PNG, ' +
                                        'JPEG, OpenEXR, TIFF and DPX');
    const damaged = toolWritten('damaged.exr', 'half', 8).subarray(0, 400);
    await openImage(page, 'damaged.exr', damaged, 'application/octet-stream');
    assert.match(await alertText(page), /^damaged\.exr: ./);
    assert.doesNotMatch(await alertText(page), /reads PNG/);
    await page.close();
  });
});
