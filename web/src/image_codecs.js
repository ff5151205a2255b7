// PNG, OpenEXR, TIFF and DPX through huesieve-render's own codecs (libpng,
// OpenEXR, libtiff and its DPX code), built for WebAssembly
// (huesieve_images.js, a module of its own), so that the tuner keys the
// pixels the tool reads. A file decodes into a frame that module keeps with
// what the file's header says, so that the result is saved as the tool writes
// it from that file: same format, data type, channels, attributes and alpha.
import { ImageError, kMaxPixels } from './image_files.js';

const kKinds = ['png', 'openexr', 'tiff', 'dpx', 'jpeg'];  // image::FileFormat's order
const kDepths = [8, 16, 32];  // image::SampleType's order; 32 is float

export const kFormatsRead = 'PNG, JPEG, OpenEXR, TIFF and DPX';

let codecs = null;
let loading = null;

// Loads the codecs once; the worker starts it when the core is ready, so
// that the first file does not wait for it. Node, which cannot load the
// worker's build, passes its own.
export function loadCodecs(create = () => import('./huesieve_images.js').then(
    ({ default: createCodecs }) => createCodecs())) {
  loading ??= create().then((loaded) => { codecs = loaded; });
  return loading;
}

function message(handle) {
  return codecs.UTF8ToString(codecs._huesieve_image_message(handle));
}

// A decoded file: its size, depth (8, 16 or 32 for float), whether its
// samples are premultiplied, its kind, and its samples' bytes, which the
// result's replace when it is saved.
export class CodedImage {
  constructor(handle) {
    this.handle = handle;
    this.width = codecs._huesieve_image_width(handle);
    this.height = codecs._huesieve_image_height(handle);
    this.depth = kDepths[codecs._huesieve_image_sample_type(handle)];
    this.premultiplied = codecs._huesieve_image_premultiplied(handle) !== 0;
    this.kind = kKinds[codecs._huesieve_image_format(handle)];
  }

  // The samples' bytes in the codecs' memory, valid until it grows.
  samples() {
    const pointer = codecs._huesieve_image_samples(this.handle);
    if (pointer === 0) throw new ImageError(message(this.handle));
    return new Uint8Array(codecs.HEAPU8.buffer, pointer,
                          this.width * this.height * this.depth / 2);
  }

  // The file as the tool writes it, with `result`'s bytes as its samples.
  save(result) {
    this.samples().set(result);
    const size = codecs._huesieve_image_encode(this.handle);
    if (size === 0) throw new ImageError(message(this.handle));
    const pointer = codecs._huesieve_image_encoded(this.handle);
    return codecs.HEAPU8.slice(pointer, pointer + size);
  }

  release() {
    codecs._huesieve_image_free(this.handle);
  }
}

// Decodes `bytes` of the file `name`. Throws ImageError with a message that
// names the file, and the formats the tuner reads when it is none of them.
export async function decodeWithCodecs(bytes, name) {
  await loadCodecs();
  const handle = codecs._huesieve_image_new();
  const pointer = codecs._malloc(bytes.length);
  if (handle === 0 || pointer === 0) {
    codecs._free(pointer);
    codecs._huesieve_image_free(handle);
    throw new ImageError(`${name}: not enough memory to read a file of ${bytes.length} bytes`);
  }
  codecs.HEAPU8.set(bytes, pointer);
  const read = codecs._huesieve_image_decode(handle, pointer, bytes.length, kMaxPixels);
  codecs._free(pointer);
  if (read !== 1) {
    const why = read === 0 ? message(handle) :
                `not an image the tuner reads; it reads ${kFormatsRead}`;
    codecs._huesieve_image_free(handle);
    throw new ImageError(`${name}: ${why}`);
  }
  return new CodedImage(handle);
}

// An RGBA PNG of straight samples, as the tool writes the result of a file it
// does not write (JPEG): `depth` 8 (Uint8Array) or 16 (Uint16Array).
export async function encodePng({ width, height, depth, rgba }) {
  await loadCodecs();
  const handle = codecs._huesieve_image_new();
  if (handle === 0) throw new ImageError('not enough memory to write a PNG');
  try {
    if (codecs._huesieve_image_start_png(handle, width, height, depth) !== 1) {
      throw new ImageError(message(handle));
    }
    const image = new CodedImage(handle);
    return image.save(new Uint8Array(rgba.buffer, rgba.byteOffset, rgba.byteLength));
  } finally {
    codecs._huesieve_image_free(handle);
  }
}
