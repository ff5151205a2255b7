// PNG files of every colour type, bit depth and interlacing, written here
// independently of the page's reader; the page's reader as built; and the
// tool run on them.
import { execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import { resolve } from 'node:path';
import { deflateSync } from 'node:zlib';

const kCrc = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = kCrc[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

export function chunk(type, data) {
  const body = Buffer.concat([Buffer.from(type, 'latin1'), Buffer.from(data)]);
  const length = Buffer.alloc(4);
  length.writeUInt32BE(data.length);
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(body));
  return Buffer.concat([length, body, crc]);
}

const kChannels = { 0: 1, 2: 3, 3: 1, 4: 2, 6: 4 };
const kAdam7 = [[0, 0, 8, 8], [4, 0, 8, 8], [0, 4, 4, 8], [2, 0, 4, 4], [0, 2, 2, 4], [1, 0, 2, 2],
                [0, 1, 1, 2]];

// `samples(x, y)` gives the stored samples of a pixel (palette index, grey,
// RGB, ...) at `depth` bits. `extra` chunks go between IHDR and IDAT. Rows use
// every filter type in turn, so a reader must undo them all.
export function makePng({ width, height, depth, colourType, interlaced = false, samples,
                          extra = [] }) {
  const channels = kChannels[colourType];
  const passes = interlaced ? kAdam7 : [[0, 0, 1, 1]];
  const raw = [];
  for (const [x0, y0, dx, dy] of passes) {
    const columns = Math.ceil((width - x0) / dx);
    if (columns <= 0) continue;
    const bytesPerPixel = Math.max(1, (depth * channels) >> 3);
    let previous = null;
    for (let y = y0, r = 0; y < height; y += dy, r++) {
      const row = Buffer.alloc(Math.ceil((columns * channels * depth) / 8));
      for (let c = 0, x = x0; c < columns; c++, x += dx) {
        samples(x, y).forEach((value, k) => {
          const index = c * channels + k;
          if (depth === 16) {
            row.writeUInt16BE(value, index * 2);
          } else if (depth === 8) {
            row[index] = value;
          } else {
            const bit = index * depth;
            row[bit >> 3] |= value << (8 - depth - (bit & 7));
          }
        });
      }
      const filter = (r + y0) % 5;
      const filtered = Buffer.alloc(row.length);
      for (let i = 0; i < row.length; i++) {
        const a = i >= bytesPerPixel ? row[i - bytesPerPixel] : 0;
        const b = previous ? previous[i] : 0;
        const c = previous && i >= bytesPerPixel ? previous[i - bytesPerPixel] : 0;
        const p = a + b - c;
        const predictor = [0, a, b, (a + b) >> 1,
                           Math.abs(p - a) <= Math.abs(p - b) && Math.abs(p - a) <= Math.abs(p - c) ? a :
                           Math.abs(p - b) <= Math.abs(p - c) ? b : c][filter];
        filtered[i] = (row[i] - predictor) & 0xff;
      }
      raw.push(Buffer.from([filter]), filtered);
      previous = row;
    }
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = depth;
  header[9] = colourType;
  header[12] = interlaced ? 1 : 0;
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), chunk('IHDR', header),
    ...extra.map(([type, data]) => chunk(type, data)), chunk('IDAT', deflateSync(Buffer.concat(raw))),
    chunk('IEND', Buffer.alloc(0)),
  ]);
}

const kBuilt = new URL('../../build/', import.meta.url);

// The page's image modules as scripts/build-web.sh builds them, with the
// codecs' build for Node in place of the worker's.
export async function tunerCodecs() {
  const files = await import(new URL('web/src/image_files.js', kBuilt).href);
  const codecs = await import(new URL('web/src/image_codecs.js', kBuilt).href);
  const createCodecs = createRequire(import.meta.url)(
      new URL('web-check/huesieve_images_node.js', kBuilt).pathname);
  await codecs.loadCodecs(async () => createCodecs());
  return { ...files, ...codecs };
}

const { decodeImage, decodeWithCodecs } = await tunerCodecs();

// The file as the worker opens it: { width, height, depth, rgba (a copy, of
// the depth's array type), kind }.
export async function readInTuner(bytes, name) {
  const decoded = decodeImage(bytes, name);
  if (decoded !== null) return decoded;
  const coded = await decodeWithCodecs(bytes, name);
  try {
    const { width, height, depth, kind } = coded;
    const samples = coded.samples().slice();
    const rgba = depth === 16 ? new Uint16Array(samples.buffer) : samples;
    return { width, height, depth, rgba, kind };
  } finally {
    coded.release();
  }
}

// A deterministic stream of 32-bit numbers.
export function randomSource(seed) {
  let state = seed >>> 0 || 1;
  return () => {
    state ^= state << 13;
    state ^= state >>> 17;
    state ^= state << 5;
    return (state >>> 0);
  };
}

export const kTool = resolve(process.env.HUESIEVE_RENDER ??
                             new URL('../../build/release/huesieve-render', import.meta.url).pathname);

// Runs huesieve-render; returns { status, stderr }.
export function runTool(args, options = {}) {
  try {
    execFileSync(kTool, args, { stdio: ['ignore', 'pipe', 'pipe'], ...options });
    return { status: 0, stderr: '' };
  } catch (error) {
    return { status: error.status, stderr: String(error.stderr) };
  }
}
