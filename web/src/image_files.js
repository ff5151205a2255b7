// Image files to straight RGBA samples and back: PNG through fast-png, its
// channels expanded as huesieve-render's libpng reader expands them, and JPEG
// through jpeg-js, which decodes the same way on every browser. No canvas: it
// would premultiply the colour and may manage it, and the core must see every
// stored value unchanged.
import decodeJpeg from './vendor/jpeg-decoder.js';
import {
  decode as decodePngFile, encode as encodePngFile, hasPngSignature,
} from './vendor/fast-png.js';

// 2^25 pixels (8192 × 4096): the tuner holds the source, the result and the
// claim map in WebAssembly memory and the page two more copies, about 20 bytes
// a pixel at 8 bits and 36 at 16, within what a browser tab can count on.
export const kMaxPixels = 2 ** 25;

export class ImageError extends Error {}

function isJpeg(bytes) {
  return bytes.length >= 3 && bytes[0] === 0xff && bytes[1] === 0xd8 && bytes[2] === 0xff;
}

// The frame size from a JPEG's start-of-frame marker, before decoding.
function jpegSize(bytes) {
  for (let at = 2; at + 9 < bytes.length;) {
    if (bytes[at] !== 0xff) return null;
    const marker = bytes[at + 1];
    const isFrame = marker >= 0xc0 && marker <= 0xcf && ![0xc4, 0xc8, 0xcc].includes(marker);
    if (isFrame) {
      return { height: (bytes[at + 5] << 8) | bytes[at + 6], width: (bytes[at + 7] << 8) | bytes[at + 8] };
    }
    at += 2 + ((bytes[at + 2] << 8) | bytes[at + 3]);
  }
  return null;
}

// The chunks' types and data up to IEND; `truncated` when the file ends
// inside one before it.
function pngChunks(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const chunks = [];
  for (let at = 8; at + 12 <= bytes.length; at += 12 + view.getUint32(at)) {
    const type = String.fromCharCode(...bytes.subarray(at + 4, at + 8));
    chunks.push({ type, data: bytes.subarray(at + 8, at + 8 + view.getUint32(at)) });
    if (type === 'IEND') return { chunks, truncated: false };
  }
  return { chunks, truncated: true };
}

const kAdam7 = [[0, 0, 8, 8], [4, 0, 8, 8], [0, 4, 4, 8], [2, 0, 4, 4], [0, 2, 2, 4], [1, 0, 2, 2],
                [0, 1, 1, 2]];

// The bytes a zlib stream inflates to, by the browser's own inflater; a
// stream that fails after its data (a wrong checksum, bytes past its end)
// counts what it gave.
async function inflatedLength(parts) {
  const inflated = new Blob(parts).stream().pipeThrough(new DecompressionStream('deflate'));
  const reader = inflated.getReader();
  let length = 0;
  try {
    for (let part = await reader.read(); !part.done; part = await reader.read()) {
      length += part.value.length;
    }
  } catch {
    // What came before the failure is counted; a short count refuses the file.
  }
  return length;
}

// fast-png fills rows its image data is short of with zeros: the data is
// counted against what the header asks, a filter byte and the samples of
// every row of every pass, as libpng counts it.
async function checkPngData(bytes, name, { width, height, depth, channels }) {
  const interlaced = bytes[28] === 1;
  let needed = 0;
  for (const [x0, y0, dx, dy] of interlaced ? kAdam7 : [[0, 0, 1, 1]]) {
    const columns = Math.ceil((width - x0) / dx);
    const rows = Math.ceil((height - y0) / dy);
    if (columns > 0 && rows > 0) needed += rows * (1 + Math.ceil((columns * depth * channels) / 8));
  }
  const data = pngChunks(bytes).chunks.filter((chunk) => chunk.type === 'IDAT');
  if (await inflatedLength(data.map((chunk) => chunk.data)) < needed) {
    throw new ImageError(`${name}: damaged PNG file (not enough image data)`);
  }
}

function damagedPng(name, bytes, error) {
  if (pngChunks(bytes).truncated) return new ImageError(`${name}: the file is truncated`);
  const reason = error.cause ? `${error.message} ${error.cause.message}` : error.message;
  return new ImageError(`${name}: damaged PNG file (${reason})`);
}

// The size from the image header, so that an image too large is refused
// before its data is inflated. A size over the limit is believed only once
// the header's CRC holds: decoded alone, a sound header ends in a read past
// its end, a damaged one in a CRC error.
function pngSize(bytes, name) {
  if (bytes.length < 33) throw new ImageError(`${name}: the file is truncated`);
  if (String.fromCharCode(...bytes.subarray(12, 16)) !== 'IHDR') {
    throw new ImageError(`${name}: damaged PNG file (it does not start with an image header)`);
  }
  const view = new DataView(bytes.buffer, bytes.byteOffset, 33);
  const size = { width: view.getUint32(16), height: view.getUint32(20) };
  if (size.width * size.height > kMaxPixels) {
    try {
      decodePngFile(bytes.subarray(0, 33), { checkCrc: true });
    } catch (error) {
      if (!(error instanceof RangeError)) throw damagedPng(name, bytes, error);
    }
  }
  // fast-png 8.0.0 unfilters such a file's passes a pixel a byte, and fails.
  const [depth, interlace] = [bytes[24], bytes[28]];
  if (interlace === 1 && depth < 8) {
    throw new ImageError(`${name}: an interlaced PNG of ${depth} bits a sample, which the tuner ` +
                         'does not read: save it without interlacing or at 8 bits');
  }
  if (size.width === 0 || size.height === 0) {
    throw new ImageError(
        `${name}: damaged PNG file (an image of ${size.width} × ${size.height} pixels)`);
  }
  return size;
}

// Samples packed below 8 bits (grey or palette indices), each row from its
// high bit down, one a byte.
function unpack(data, width, height, depth) {
  const samples = new Uint8Array(width * height);
  const rowBytes = Math.ceil((width * depth) / 8);
  const top = (1 << depth) - 1;
  for (let y = 0, o = 0; y < height; y++) {
    for (let x = 0, bit = 0; x < width; x++, o++, bit += depth) {
      samples[o] = (data[y * rowBytes + (bit >> 3)] >> (8 - depth - (bit & 7))) & top;
    }
  }
  return samples;
}

// fast-png's channels as libpng gives them to the tool: palette indices as
// their colours (past the palette, opaque black), grey as RGB, grey below 8
// bits scaled to 8 by repeating its bits, a tRNS colour transparent (compared
// after masking it to the sample's bits, as libpng does), opaque alpha where
// the file has none.
function pngRgba({ width, height, depth, channels, data, palette, transparency }) {
  if (channels === 4) return data;
  const pixels = width * height;
  const deep = depth === 16;
  const rgba = deep ? new Uint16Array(pixels * 4) : new Uint8Array(pixels * 4);
  const top = deep ? 65535 : (1 << depth) - 1;
  const opaque = deep ? 65535 : 255;
  const key = transparency && Array.from(transparency, (value) => value & top);
  const samples = depth < 8 ? unpack(data, width, height, depth) : data;
  if (palette !== undefined) {
    const colours = new Uint8Array(256 * 4);
    for (let i = 0; i < 256; i++) colours[i * 4 + 3] = 255;
    palette.forEach((colour, i) => colours.set(colour, i * 4));
    for (let p = 0, o = 0; p < pixels; p++, o += 4) {
      const at = samples[p] * 4;
      rgba[o] = colours[at];
      rgba[o + 1] = colours[at + 1];
      rgba[o + 2] = colours[at + 2];
      rgba[o + 3] = colours[at + 3];
    }
  } else if (channels === 3) {
    for (let i = 0, o = 0; o < pixels * 4; i += 3, o += 4) {
      const r = samples[i];
      const g = samples[i + 1];
      const b = samples[i + 2];
      rgba[o] = r;
      rgba[o + 1] = g;
      rgba[o + 2] = b;
      rgba[o + 3] = key && r === key[0] && g === key[1] && b === key[2] ? 0 : opaque;
    }
  } else {
    const scale = depth < 8 ? 255 / top : 1;
    for (let i = 0, o = 0; o < pixels * 4; i += channels, o += 4) {
      const grey = samples[i];
      rgba[o] = rgba[o + 1] = rgba[o + 2] = grey * scale;
      rgba[o + 3] = channels === 2 ? samples[i + 1] : key && grey === key[0] ? 0 : opaque;
    }
  }
  return rgba;
}

// An RGBA PNG of straight samples: `depth` 8 (Uint8Array) or 16 (Uint16Array).
export function encodePng({ width, height, depth = 8, rgba }) {
  return new Blob([encodePngFile({ width, height, depth, channels: 4, data: rgba })],
                  { type: 'image/png' });
}

function checkSize(name, width, height) {
  if (width * height > kMaxPixels) {
    throw new ImageError(`${name}: image of ${width} × ${height} pixels exceeds the tuner's limit ` +
                         `of ${kMaxPixels} pixels`);
  }
}

// Returns { width, height, depth, rgba, kind }: rgba is a Uint8Array at depth
// 8, a Uint16Array (0 to 65535) for a 16-bit PNG; null when the file is
// neither PNG nor JPEG (the image codecs try it). Throws ImageError with a
// message that names the file.
export async function decodeImage(bytes, name) {
  if (hasPngSignature(bytes)) {
    const size = pngSize(bytes, name);
    checkSize(name, size.width, size.height);
    let png;
    try {
      png = decodePngFile(bytes, { checkCrc: true });
    } catch (error) {
      throw damagedPng(name, bytes, error);
    }
    await checkPngData(bytes, name, png);
    return { width: png.width, height: png.height, depth: png.depth === 16 ? 16 : 8,
             rgba: pngRgba(png), kind: 'png' };
  }
  if (isJpeg(bytes)) {
    const size = jpegSize(bytes);
    if (size === null) throw new ImageError(`${name}: a JPEG file without a frame header`);
    checkSize(name, size.width, size.height);
    try {
      const decoded = decodeJpeg(bytes, { useTArray: true, formatAsRGBA: true,
                                          tolerantDecoding: false });
      return { width: decoded.width, height: decoded.height, depth: 8, rgba: decoded.data,
               kind: 'jpeg' };
    } catch (error) {
      throw new ImageError(`${name}: damaged JPEG file (${error.message ?? error})`);
    }
  }
  return null;
}
