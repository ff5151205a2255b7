// JPEG files to straight RGBA samples through jpeg-js, which decodes the same
// way on every browser; every other format goes to the tool's own codecs
// (image_codecs.js). No canvas: it would premultiply the colour and may
// manage it, and the core must see every stored value unchanged.
import decodeJpeg from './vendor/jpeg-decoder.js';

// 2^25 pixels (8192 × 4096): the tuner holds the source, the result and the
// claim map in WebAssembly memory and the page two more copies, about 20 bytes
// a pixel at 8 bits and 36 at 16 (24 and 44 with the codecs' frame of a PNG),
// within what a browser tab can count on.
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

// Returns { width, height, depth: 8, rgba (a Uint8Array), kind: 'jpeg' };
// null when the file is not a JPEG (the image codecs try it). Throws
// ImageError with a message that names the file.
export function decodeImage(bytes, name) {
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
