// The page reads PNG through the tool's own reader (libpng, built for
// WebAssembly) and gives exactly the RGBA samples huesieve-render reads, for
// every colour type, depth and interlacing, and refuses a damaged file with
// the tool's reason; it writes a JPEG's result as a PNG the tool reads back
// unchanged. The page's modules are taken as built, the codecs in their
// build for Node.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, describe, it } from 'node:test';
import { deflateSync } from 'node:zlib';

import { chunk, makePng, randomSource, readInTuner, runTool, tunerCodecs } from './png_files.mjs';

const { ImageError, encodePng } = await tunerCodecs();

const directory = mkdtempSync(join(tmpdir(), 'huesieve-png-'));
after(() => rmSync(directory, { recursive: true, force: true }));

// The tool with the switch off writes its decoded input back as RGBA.
async function toolReading(name, bytes) {
  const input = join(directory, `${name}.png`);
  const output = join(directory, `${name}-out.png`);
  writeFileSync(input, bytes);
  const { status, stderr } = runTool([input, output]);
  assert.equal(status, 0, stderr);
  return readInTuner(readFileSync(output), output);
}

// The tool's reason for refusing the file, without its name.
function toolRefusal(name, bytes) {
  const input = join(directory, `${name}.png`);
  writeFileSync(input, bytes);
  const { status, stderr } = runTool([input, join(directory, `${name}-out.png`)]);
  assert.notEqual(status, 0);
  return stderr.trim().slice(`huesieve-render: ${input}: `.length);
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
  for (const [name, colourType, channels, extra] of [
    ['grey16', 0, 1, []], ['grey16-trns', 0, 1, [['tRNS', [1, 2]]]], ['grey-alpha16', 4, 2, []],
    ['rgb16', 2, 3, []], ['rgb16-trns', 2, 3, [['tRNS', [1, 2, 3, 4, 5, 6]]]], ['rgba16', 6, 4, []]]) {
    // Every other pixel the tRNS colour, for the files that have one.
    cases.push({ name, depth: 16, colourType, interlaced, extra,
                 samples: (x) => Array.from({ length: channels }, (_, c) =>
                   (x % 2 ? 258 + 514 * c : (random() & 0xffff))) });
  }
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
        const decoded = await readInTuner(bytes, label);
        const expected = await toolReading(label, bytes);
        assert.equal(decoded.kind, 'png');
        assert.equal(decoded.width, width);
        assert.equal(decoded.height, height);
        assert.equal(decoded.depth, c.depth === 16 ? 16 : 8);
        assert.equal(decoded.depth, expected.depth);
        assert.deepEqual(decoded.rgba, expected.rgba);
      });
    }
  }

  it('keeps 16-bit samples as they are stored', async () => {
    const bytes = makePng({ width: 2, height: 1, depth: 16, colourType: 2,
                            samples: (x) => [x * 1000, 65535, 1] });
    const deep = await readInTuner(bytes, 'deep.png');
    assert.equal(deep.depth, 16);
    assert.deepEqual(Array.from(deep.rgba), [0, 65535, 1, 65535, 1000, 65535, 1, 65535]);
  });

  const good = makePng({ width: 8, height: 8, depth: 8, colourType: 6,
                         samples: () => [byte(), byte(), byte(), byte()] });
  const withHeader = (width, height, depth = 8) => {
    const header = Buffer.alloc(13);
    header.writeUInt32BE(width, 0);
    header.writeUInt32BE(height, 4);
    header[8] = depth;
    header[9] = 6;
    return Buffer.concat([good.subarray(0, 8), chunk('IHDR', header), good.subarray(33)]);
  };
  const flipped = (bytes, at) => Buffer.concat([bytes.subarray(0, at), Buffer.from([bytes[at] ^ 1]),
                                                bytes.subarray(at + 1)]);
  for (const [name, bytes] of [
    ['truncated in its header', good.subarray(0, 20)],
    ['truncated in its image data', good.subarray(0, 50)],
    ['damaged in its header', flipped(good, 23)],
    ['damaged in its image data', flipped(good, 45)],
    // Damaged into a size over the limit, it is reported as damaged.
    ['damaged into a huge size', flipped(good, 20)],
    ['of no pixels', withHeader(0, 8)],
    ['without image data', Buffer.concat([good.subarray(0, 33), chunk('IEND', [])])],
    // Eight rows of a filter byte and 32 samples, the last 5 missing.
    ['short of image data', Buffer.concat([good.subarray(0, 33), chunk('IDAT', deflateSync(Buffer.alloc(8 * 33 - 5))),
                                           chunk('IEND', [])])],
  ]) {
    it(`refuses a file ${name} as the tool does`, async () => {
      const reason = toolRefusal(name.replaceAll(' ', '-'), bytes);
      await assert.rejects(readInTuner(bytes, 'x'),
                           (error) => error instanceof ImageError && error.message === `x: ${reason}`);
    });
  }
  // A sound header is believed: the image is refused before it is inflated.
  it('refuses a file over the tuner\'s pixel limit', async () => {
    await assert.rejects(readInTuner(withHeader(8193, 4097), 'x'),
                         (error) => error instanceof ImageError && error.message ===
                             'x: image of 8193 x 4097 pixels exceeds the limit of 33554432 pixels');
  });
});

describe('PNG writing', () => {
  for (const depth of [8, 16]) {
    it(`writes ${depth}-bit RGBA the tool reads back unchanged, partial alpha included`, async () => {
      const width = 17;
      const height = 5;
      const top = depth === 16 ? 0xffff : 0xff;
      const rgba = (depth === 16 ? Uint16Array : Uint8Array).from({ length: width * height * 4 },
                                                                 () => random() & top);
      const reading = await toolReading(`written${depth}`, await encodePng({ width, height, depth, rgba }));
      assert.equal(reading.depth, depth);
      assert.deepEqual(reading.rgba, rgba);
    });
  }
});
