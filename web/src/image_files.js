// Image files to straight RGBA samples: PNG through our own reader, which
// keeps every stored value, and JPEG through jpeg-js, which decodes the same
// way on every browser.
import decodeJpeg from './vendor/jpeg-decoder.js';
import { decodePng, isPng, readPngSize, PngError } from './png.js';

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
  if (isPng(bytes)) {
    try {
      const { width, height } = readPngSize(bytes);
      checkSize(name, width, height);
      const decoded = await decodePng(bytes, { allowDeep: true });
      return { ...decoded, kind: 'png' };
    } catch (error) {
      if (error instanceof PngError) throw new ImageError(`${name}: ${error.message}`);
      throw error;
    }
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
