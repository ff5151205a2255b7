// The page's PNG reader gives exactly the RGBA samples huesieve-render's
// libpng reader gives, for every 8-bit-or-less colour type; its writer makes
// files the tool reads back unchanged.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, describe, it } from 'node:test';

import { decodePng, encodePng, readPngSize, PngError } from '../src/png.js';
import { chunk, makePng, randomSource, runTool } from './png_files.mjs';

const directory = mkdtempSync(join(tmpdir(), 'huesieve-png-'));
after(() => rmSync(directory, { recursive: true, force: true }));

// The tool with the switch off writes its decoded input back as RGBA.
async function toolReading(name, bytes) {
  const input = join(directory, `${name}.png`);
  const output = join(directory, `${name}-out.png`);
  writeFileSync(input, bytes);
  const { status, stderr } = runTool([input, output]);
  assert.equal(status, 0, stderr);
  return decodePng(readFileSync(output));
}

const random = randomSource(20261208);
const byte = () => random() & 0xff;
const cases = [];
for (const interlaced of [false, true]) {
  for (const depth of [1, 2, 4, 8]) {
    const top = (1 << depth) - 1;
    cases.push({ name: `grey${depth}`, depth, colourType: 0, interlaced,
                 samples: () => [random() & top] });
    cases.push({ name: `grey${depth}-trns`, depth, colourType: 0, interlaced,
                 samples: (x) => [x % (top + 1)], extra: [['tRNS', [0, 1 % (top + 1)]]] });
    const entries = Math.min(top + 1, 200);
    const palette = Array.from({ length: entries * 3 }, byte);
    cases.push({ name: `palette${depth}`, depth, colourType: 3, interlaced,
                 samples: () => [random() % entries], extra: [['PLTE', palette]] });
    cases.push({ name: `palette${depth}-trns`, depth, colourType: 3, interlaced,
                 samples: () => [random() & top],
                 extra: [['PLTE', palette], ['tRNS', Array.from({ length: entries >> 1 }, byte)]] });
  }
  // libpng compares a tRNS grey or colour after masking it to the sample's
  // bits, and gives palette indices past the palette opaque black.
  cases.push({ name: 'grey2-trns-masked', depth: 2, colourType: 0, interlaced,
               samples: (x) => [x % 4], extra: [['tRNS', [0, 5]]] });
  cases.push({ name: 'rgb-trns-masked', depth: 8, colourType: 2, interlaced,
               samples: (x) => (x % 2 ? [3, 4, 5] : [byte(), byte(), byte()]),
               extra: [['tRNS', [1, 3, 0, 4, 0, 5]]] });
  cases.push({ name: 'palette-past-its-end', depth: 4, colourType: 3, interlaced,
               samples: (x) => [x % 16], extra: [['PLTE', Array.from({ length: 18 }, byte)]] });
  cases.push({ name: 'grey-alpha', depth: 8, colourType: 4, interlaced, samples: () => [byte(), byte()] });
  cases.push({ name: 'rgb', depth: 8, colourType: 2, interlaced, samples: () => [byte(), byte(), byte()] });
  cases.push({ name: 'rgb-trns', depth: 8, colourType: 2, interlaced,
               samples: (x) => (x % 3 ? [10, 20, 30] : [byte(), byte(), byte()]),
               extra: [['tRNS', [0, 10, 0, 20, 0, 30]]] });
  cases.push({ name: 'rgba', depth: 8, colourType: 6, interlaced,
               samples: () => [byte(), byte(), byte(), byte()] });
  // Gamma and colour-profile chunks change nothing.
  cases.push({ name: 'rgba-gamma', depth: 8, colourType: 6, interlaced,
               samples: () => [byte(), byte(), byte(), byte()],
               extra: [['gAMA', [0, 0, 0x4e, 0x20]], ['sRGB', [0]]] });
}

describe('PNG reading', () => {
  for (const c of cases) {
    for (const [width, height] of [[1, 1], [13, 7], [33, 17]]) {
      const label = `${c.name}${c.interlaced ? '-interlaced' : ''}-${width}x${height}`;
      it(`reads ${label} as the tool does`, async () => {
        const bytes = makePng({ ...c, width, height });
        const decoded = await decodePng(bytes);
        const expected = await toolReading(label, bytes);
        assert.equal(decoded.width, width);
        assert.equal(decoded.height, height);
        assert.deepEqual(decoded.rgba, expected.rgba);
      });
    }
  }

  it('reads the size from the header alone, its CRC checked', () => {
    const bytes = makePng({ width: 300, height: 200, depth: 8, colourType: 0, samples: () => [0] });
    assert.deepEqual([readPngSize(bytes).width, readPngSize(bytes).height], [300, 200]);
    bytes[20] ^= 1;
    assert.throws(() => readPngSize(bytes), /IHDR: CRC error/);
  });

  it('refuses 16-bit files unless asked for their samples', async () => {
    const bytes = makePng({ width: 2, height: 1, depth: 16, colourType: 2,
                            samples: (x) => [x * 1000, 65535, 1] });
    await assert.rejects(decodePng(bytes), /16-bit PNG/);
    const deep = await decodePng(bytes, { allowDeep: true });
    assert.deepEqual(Array.from(deep.rgba), [0, 65535, 1, 65535, 1000, 65535, 1, 65535]);
  });

  const good = makePng({ width: 8, height: 8, depth: 8, colourType: 6,
                         samples: () => [byte(), byte(), byte(), byte()] });
  for (const [name, bytes, message] of [
    ['text', Buffer.from('GIF89a, honestly'), /not a PNG file/],
    ['truncated', good.subarray(0, 50), /truncated/],
    ['damaged header', Buffer.concat([good.subarray(0, 20), Buffer.from([good[20] ^ 1]), good.subarray(21)]),
     /IHDR: CRC error/],
    ['no image data', Buffer.concat([good.subarray(0, 33), chunk('IEND', [])]), /no image data/],
  ]) {
    it(`refuses a file that is ${name}`, async () => {
      await assert.rejects(decodePng(bytes), (error) => error instanceof PngError && message.test(error.message));
    });
  }
});

describe('PNG writing', () => {
  it('writes RGBA the tool reads back unchanged, partial alpha included', async () => {
    const width = 17;
    const height = 5;
    const rgba = Uint8Array.from({ length: width * height * 4 }, byte);
    const blob = await encodePng({ width, height, rgba });
    const reading = await toolReading('written', new Uint8Array(await blob.arrayBuffer()));
    assert.deepEqual(reading.rgba, rgba);
  });
});
