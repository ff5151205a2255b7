// PNG files to and from straight RGBA samples, without a canvas: a canvas
// stores premultiplied colour and may manage it, and the tuner must hand the
// core every stored value unchanged. Decoding gives what huesieve-render's
// libpng reader gives (expand palette, low-bit grey and tRNS; grey to RGB;
// opaque filler alpha), ignoring gamma and colour-profile chunks as it does.

const kSignature = [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a];

// Colour types and the bit depths each allows.
const kGrey = 0;
const kRgb = 2;
const kPalette = 3;
const kGreyAlpha = 4;
const kRgba = 6;
const kChannels = { [kGrey]: 1, [kRgb]: 3, [kPalette]: 1, [kGreyAlpha]: 2, [kRgba]: 4 };
const kDepths = {
  [kGrey]: [1, 2, 4, 8, 16],
  [kRgb]: [8, 16],
  [kPalette]: [1, 2, 4, 8],
  [kGreyAlpha]: [8, 16],
  [kRgba]: [8, 16],
};

// Adam7: the first column and row of each pass, and its steps.
const kAdam7 = [
  [0, 0, 8, 8],
  [4, 0, 8, 8],
  [0, 4, 4, 8],
  [2, 0, 4, 4],
  [0, 2, 2, 4],
  [1, 0, 2, 2],
  [0, 1, 1, 2],
];

export class PngError extends Error {}

const kCrcTable = (() => {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; n++) {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  return table;
})();

function crc32(bytes, start, end) {
  let c = 0xffffffff;
  for (let i = start; i < end; i++) c = kCrcTable[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

export function isPng(bytes) {
  return bytes.length >= 8 && kSignature.every((b, i) => bytes[i] === b);
}

async function transform(bytes, stream) {
  const output = new Blob([bytes]).stream().pipeThrough(stream);
  return new Uint8Array(await new Response(output).arrayBuffer());
}

// The chunks up to IEND, their CRCs checked. Ancillary chunks with a bad CRC
// are dropped, as libpng drops them; a bad critical chunk is an error.
function readChunks(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const chunks = [];
  for (let at = 8; ; ) {
    if (at + 12 > bytes.length) throw new PngError('the file is truncated');
    const length = view.getUint32(at);
    const type = String.fromCharCode(...bytes.subarray(at + 4, at + 8));
    if (length > 0x7fffffff) throw new PngError(`${type}: chunk length too large`);
    const end = at + 8 + length;
    if (end + 4 > bytes.length) throw new PngError('the file is truncated');
    const critical = (bytes[at + 4] & 0x20) === 0;
    if (crc32(bytes, at + 4, end) !== view.getUint32(end)) {
      if (critical) throw new PngError(`${type}: CRC error`);
    } else {
      chunks.push({ type, data: bytes.subarray(at + 8, end) });
    }
    at = end + 4;
    if (type === 'IEND') return chunks;
  }
}

function readHeader(chunk) {
  if (chunk === undefined || chunk.type !== 'IHDR' || chunk.data.length !== 13) {
    throw new PngError('the file does not start with an image header (IHDR)');
  }
  const view = new DataView(chunk.data.buffer, chunk.data.byteOffset, 13);
  const header = {
    width: view.getUint32(0),
    height: view.getUint32(4),
    depth: chunk.data[8],
    colourType: chunk.data[9],
    interlaced: chunk.data[12] === 1,
  };
  if (header.width === 0 || header.height === 0 || header.width > 0x7fffffff ||
      header.height > 0x7fffffff) {
    throw new PngError(`IHDR: invalid image size ${header.width} × ${header.height}`);
  }
  if (!(kDepths[header.colourType] ?? []).includes(header.depth)) {
    throw new PngError(
        `IHDR: invalid bit depth ${header.depth} for colour type ${header.colourType}`);
  }
  if (chunk.data[10] !== 0 || chunk.data[11] !== 0 || chunk.data[12] > 1) {
    throw new PngError('IHDR: unknown compression, filter or interlace method');
  }
  return header;
}

function paethPredictor(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a);
  const pb = Math.abs(p - b);
  const pc = Math.abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Undoes the row filters of one pass in place; returns the offset past it.
// One loop a filter type: the image's bytes run through here once each.
function unfilterPass(data, at, rows, rowBytes, bytesPerPixel) {
  const bpp = bytesPerPixel;
  let previous = -1;
  for (let y = 0; y < rows; y++) {
    if (at + 1 + rowBytes > data.length) throw new PngError('not enough image data');
    const filter = data[at];
    const row = at + 1;
    const end = row + rowBytes;
    const up = previous;
    switch (filter) {
      case 0:
        break;
      case 1:
        for (let i = row + bpp; i < end; i++) data[i] += data[i - bpp];
        break;
      case 2:
        if (up >= 0) for (let i = row, j = up; i < end; i++, j++) data[i] += data[j];
        break;
      case 3:
        for (let i = row, j = up; i < end; i++, j++) {
          const left = i - row >= bpp ? data[i - bpp] : 0;
          data[i] += (left + (up >= 0 ? data[j] : 0)) >> 1;
        }
        break;
      case 4:
        for (let i = row, j = up; i < end; i++, j++) {
          const hasLeft = i - row >= bpp;
          const left = hasLeft ? data[i - bpp] : 0;
          const above = up >= 0 ? data[j] : 0;
          const aboveLeft = up >= 0 && hasLeft ? data[j - bpp] : 0;
          data[i] += paethPredictor(left, above, aboveLeft);
        }
        break;
      default:
        throw new PngError(`bad filter type ${filter}`);
    }
    previous = row;
    at = end;
  }
  return at;
}

// How one stored pixel becomes RGBA: palette, low-bit grey scaled to 8 bits by
// repeating its bits, a tRNS colour made transparent (compared, as libpng
// does, after masking it to the sample's bits).
function makeExpander(header, palette, transparency) {
  const { depth, colourType } = header;
  const samples = kChannels[colourType];
  const maximum = (1 << Math.min(depth, 8)) - 1;
  const scale = depth < 8 ? 255 / maximum : 1;
  const sample = (row, x, c) => {
    if (depth === 8) return row[x * samples + c];
    const bit = x * depth;
    return (row[bit >> 3] >> (8 - depth - (bit & 7))) & maximum;
  };
  if (colourType === kPalette) {
    const colours = new Uint8Array(256 * 4);
    for (let i = 0; i < 256; i++) colours[i * 4 + 3] = 255;
    for (let i = 0; i < palette.length / 3; i++) colours.set(palette.subarray(i * 3, i * 3 + 3), i * 4);
    if (transparency) for (let i = 0; i < transparency.length; i++) colours[i * 4 + 3] = transparency[i];
    return (row, x, out, o) => {
      const index = sample(row, x, 0) * 4;
      out[o] = colours[index];
      out[o + 1] = colours[index + 1];
      out[o + 2] = colours[index + 2];
      out[o + 3] = colours[index + 3];
    };
  }
  const key = transparency && transparency.length >= (colourType === kGrey ? 2 : 6) ?
      Array.from({ length: colourType === kGrey ? 1 : 3 },
                 (_, c) => ((transparency[c * 2] << 8) | transparency[c * 2 + 1]) & maximum) :
      null;
  switch (colourType) {
    case kGrey:
      return (row, x, out, o) => {
        const grey = sample(row, x, 0);
        out[o] = out[o + 1] = out[o + 2] = grey * scale;
        out[o + 3] = key && grey === key[0] ? 0 : 255;
      };
    case kGreyAlpha:
      return (row, x, out, o) => {
        out[o] = out[o + 1] = out[o + 2] = row[x * 2];
        out[o + 3] = row[x * 2 + 1];
      };
    case kRgb:
      return (row, x, out, o) => {
        const r = row[x * 3], g = row[x * 3 + 1], b = row[x * 3 + 2];
        out[o] = r;
        out[o + 1] = g;
        out[o + 2] = b;
        out[o + 3] = key && r === key[0] && g === key[1] && b === key[2] ? 0 : 255;
      };
    default:
      return (row, x, out, o) => {
        out[o] = row[x * 4];
        out[o + 1] = row[x * 4 + 1];
        out[o + 2] = row[x * 4 + 2];
        out[o + 3] = row[x * 4 + 3];
      };
  }
}

// Reads the header alone, its CRC checked, so that an image too large is
// refused before its data is inflated.
export function readPngSize(bytes) {
  if (!isPng(bytes)) throw new PngError('not a PNG file');
  if (bytes.length < 33) throw new PngError('the file is truncated');
  const header = { type: String.fromCharCode(...bytes.subarray(12, 16)),
                   data: bytes.subarray(16, 29) };
  const crc = new DataView(bytes.buffer, bytes.byteOffset + 29, 4).getUint32(0);
  if (header.type === 'IHDR' && crc32(bytes, 12, 29) !== crc) {
    throw new PngError('IHDR: CRC error');
  }
  return readHeader(header);
}

// Returns { width, height, depth, rgba }: 8-bit straight RGBA for 8-bit and
// lower depths. A 16-bit file is refused (PngError) unless `allowDeep`, in
// which case the samples stay 16-bit (Uint16Array, 0 to 65535).
export async function decodePng(bytes, { allowDeep = false } = {}) {
  if (!isPng(bytes)) throw new PngError('not a PNG file');
  const chunks = readChunks(bytes);
  const header = readHeader(chunks[0]);
  if (header.depth === 16 && !allowDeep) {
    throw new PngError('16-bit PNG: the tuner takes images of up to 8 bits per channel');
  }
  const palette = chunks.find((c) => c.type === 'PLTE')?.data;
  if (header.colourType === kPalette && palette === undefined) {
    throw new PngError('a palette image without a palette (PLTE)');
  }
  if (palette !== undefined && (palette.length % 3 !== 0 || palette.length === 0 ||
      palette.length > 768)) {
    throw new PngError('PLTE: invalid palette length');
  }
  const transparency = chunks.find((c) => c.type === 'tRNS')?.data;
  const compressed = chunks.filter((c) => c.type === 'IDAT').map((c) => c.data);
  if (compressed.length === 0) throw new PngError('no image data (IDAT)');

  let data;
  try {
    data = await transform(new Blob(compressed), new DecompressionStream('deflate'));
  } catch {
    throw new PngError('the image data is damaged or truncated');
  }

  const { width, height, depth, colourType } = header;
  const bitsPerPixel = depth * kChannels[colourType];
  const bytesPerPixel = Math.max(1, bitsPerPixel >> 3);
  const passes = header.interlaced ? kAdam7 : [[0, 0, 1, 1]];

  if (depth === 16) return expandDeep(header, passes, data, bytesPerPixel, transparency);

  const rgba = new Uint8Array(width * height * 4);
  if (depth === 8 && !header.interlaced && (colourType === kRgba ||
      (colourType === kRgb && transparency === undefined))) {
    return { width, height, depth: 8, rgba: copyTrueColour(data, width, height, colourType, rgba) };
  }
  const expand = makeExpander(header, palette, transparency);
  let at = 0;
  for (const [x0, y0, dx, dy] of passes) {
    const columns = Math.ceil((width - x0) / dx);
    const rows = Math.ceil((height - y0) / dy);
    if (columns <= 0 || rows <= 0) continue;
    const rowBytes = Math.ceil((columns * bitsPerPixel) / 8);
    const start = at;
    at = unfilterPass(data, at, rows, rowBytes, bytesPerPixel);
    for (let r = 0; r < rows; r++) {
      const row = data.subarray(start + r * (rowBytes + 1) + 1, start + (r + 1) * (rowBytes + 1));
      const y = y0 + r * dy;
      for (let c = 0; c < columns; c++) expand(row, c, rgba, (y * width + x0 + c * dx) * 4);
    }
  }
  return { width, height, depth: 8, rgba };
}

// 8-bit RGB without a tRNS colour, or RGBA, the common case, without the
// per-pixel expander.
function copyTrueColour(data, width, height, colourType, rgba) {
  const channels = colourType === kRgba ? 4 : 3;
  const rowBytes = width * channels;
  unfilterPass(data, 0, height, rowBytes, channels);
  for (let y = 0; y < height; y++) {
    const row = data.subarray(y * (rowBytes + 1) + 1, (y + 1) * (rowBytes + 1));
    if (channels === 4) {
      rgba.set(row, y * width * 4);
      continue;
    }
    for (let x = 0, from = 0, to = y * width * 4; x < width; x++, from += 3, to += 4) {
      rgba[to] = row[from];
      rgba[to + 1] = row[from + 1];
      rgba[to + 2] = row[from + 2];
      rgba[to + 3] = 255;
    }
  }
  return rgba;
}

// 16-bit samples as they are stored (grey to RGB, tRNS and filler alpha as at
// 8 bits), for the tuner's 16-bit path.
function expandDeep(header, passes, data, bytesPerPixel, transparency) {
  const { width, height, colourType } = header;
  const samples = kChannels[colourType];
  const rgba = new Uint16Array(width * height * 4);
  const keyLength = colourType === kGrey ? 1 : colourType === kRgb ? 3 : 0;
  const key = transparency && keyLength > 0 && transparency.length >= keyLength * 2 ?
      Array.from({ length: keyLength }, (_, c) => (transparency[c * 2] << 8) | transparency[c * 2 + 1]) :
      null;
  let at = 0;
  for (const [x0, y0, dx, dy] of passes) {
    const columns = Math.ceil((width - x0) / dx);
    const rows = Math.ceil((height - y0) / dy);
    if (columns <= 0 || rows <= 0) continue;
    const rowBytes = columns * samples * 2;
    const start = at;
    at = unfilterPass(data, at, rows, rowBytes, bytesPerPixel);
    for (let r = 0; r < rows; r++) {
      const row = start + r * (rowBytes + 1) + 1;
      const y = y0 + r * dy;
      for (let c = 0; c < columns; c++) {
        const s = Array.from({ length: samples },
                             (_, k) => (data[row + (c * samples + k) * 2] << 8) |
                                       data[row + (c * samples + k) * 2 + 1]);
        const o = (y * width + x0 + c * dx) * 4;
        const colour = samples >= 3 ? s.slice(0, 3) : [s[0], s[0], s[0]];
        rgba.set(colour, o);
        const keyed = key && key.every((v, k) => v === s[k]);
        rgba[o + 3] = samples === 2 || samples === 4 ? s[samples - 1] : keyed ? 0 : 65535;
      }
    }
  }
  return { width, height, depth: 16, rgba };
}

function chunk(type, data) {
  const bytes = new Uint8Array(12 + data.length);
  const view = new DataView(bytes.buffer);
  view.setUint32(0, data.length);
  for (let i = 0; i < 4; i++) bytes[4 + i] = type.charCodeAt(i);
  bytes.set(data, 8);
  view.setUint32(8 + data.length, crc32(bytes, 4, 8 + data.length));
  return bytes;
}

// An RGBA PNG of straight samples: `depth` 8 (Uint8Array) or 16 (Uint16Array).
// Every row unfiltered: the file is written once per save, and simple beats
// small here.
export async function encodePng({ width, height, depth = 8, rgba }) {
  const rowBytes = width * 4 * (depth / 8);
  const raw = new Uint8Array((rowBytes + 1) * height);
  for (let y = 0; y < height; y++) {
    const at = y * (rowBytes + 1) + 1;
    if (depth === 8) {
      raw.set(rgba.subarray(y * width * 4, (y + 1) * width * 4), at);
    } else {
      for (let i = 0; i < width * 4; i++) {
        const v = rgba[y * width * 4 + i];
        raw[at + i * 2] = v >> 8;
        raw[at + i * 2 + 1] = v & 0xff;
      }
    }
  }
  const header = new Uint8Array(13);
  const view = new DataView(header.buffer);
  view.setUint32(0, width);
  view.setUint32(4, height);
  header[8] = depth;
  header[9] = kRgba;
  const compressed = await transform(raw, new CompressionStream('deflate'));
  return new Blob([new Uint8Array(kSignature), chunk('IHDR', header), chunk('IDAT', compressed),
                   chunk('IEND', new Uint8Array(0))], { type: 'image/png' });
}
