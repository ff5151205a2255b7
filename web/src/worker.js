// The render worker: holds the open image inside the core's WebAssembly
// memory, decodes files, renders the key and maps the claims, so that the
// page never waits on a frame. Each reply carries the request's number; the
// page decides what is current.
import { decodeImage, ImageError } from './image_files.js';
import { decodeWithCodecs, encodePng, loadCodecs } from './image_codecs.js';
import { paintClaims } from './claim_map.js';
import { describeControls, readSettings, ruleBytes, setEffectSettings } from './core_settings.js';

// Where the page may share memory (cross-origin isolated), threads of the
// core's threaded build share each frame, one a processor up to the core's
// limit; otherwise this worker renders alone. The pixels are the same.
const kMaxWorkers = 16;
const workers = self.crossOriginIsolated ?
    Math.max(1, Math.min(navigator.hardwareConcurrency || 1, kMaxWorkers)) : 1;

let core = null;
let controls = null;  // the core's description of the effect's controls
let coreError = null;  // why the core did not load, if it did not
// The open image and the buffers sized for it, in the core's memory; a float
// image has a display buffer too. `coded` is the image codecs' frame of a
// PNG, OpenEXR, TIFF or DPX file, which saves the result as the tool would.
let image = null;  // { width, height, depth, premultiplied, pixels, source, result, codes,
                   //   display, coded }
let effectSettings = 0;  // the core's settings, made from the page's key
let bounds = 0;  // four int32: left, top, right, bottom of the claim map

function heap() {
  return core.HEAPU8;  // a new view after the memory grows
}

function release(buffers) {
  if (!buffers) return;
  for (const pointer of [buffers.source, buffers.result, buffers.codes, buffers.display]) {
    core._free(pointer);
  }
  buffers.coded?.release();
}

// Memory for an image of `pixels` pixels of `depth` bits a sample, or null
// when the core cannot grow that far.
function allocate(pixels, depth) {
  const bytes = pixels * depth / 2;
  const buffers = { source: core._malloc(bytes), result: core._malloc(bytes),
                    codes: core._malloc(pixels), display: depth === 32 ? core._malloc(pixels * 4) : 0 };
  if (buffers.source && buffers.result && buffers.codes && (depth !== 32 || buffers.display)) {
    return buffers;
  }
  release(buffers);
  return null;
}

const kSampleArrays = { 8: Uint8Array, 16: Uint16Array, 32: Float32Array };
const kRenders = { 8: '_huesieve_render', 16: '_huesieve_render16', 32: '_huesieve_render_float' };
const kClaimMaps = { 8: '_huesieve_map_claims', 16: '_huesieve_map_claims16',
                     32: '_huesieve_map_claims_float' };

// The image's samples at `pointer` in the core's memory, of its depth.
function samples(pointer, count) {
  return new kSampleArrays[image.depth](heap().buffer, pointer, count);
}

// A float picture's samples at `pointer` as a display shows them (sRGB-encoded
// bytes), a copy for the page.
function display(pointer) {
  core._huesieve_display_float(pointer, image.display, image.width, image.height,
                               image.premultiplied ? 1 : 0);
  return heap().slice(image.display, image.display + image.pixels * 4).buffer;
}

// The core's render of the open image, at its depth.
function renderImage(kernel, threads = workers) {
  core[kRenders[image.depth]](image.source, image.result, image.width, image.height,
                              effectSettings, image.premultiplied ? 1 : 0, bounds, kernel,
                              Math.min(threads, workers));
}

function readBounds() {
  return Array.from(new Int32Array(heap().buffer, bounds, 4));
}

// Takes the decoded picture as the open image, its samples copied into the
// core's memory by `fill(sourceBytes)`.
function take(name, { width, height, depth, kind, premultiplied = false, coded = null }, fill) {
  const pixels = width * height;
  const buffers = allocate(pixels, depth);
  if (buffers === null) {
    coded?.release();
    throw new ImageError(`${name}: not enough memory for an image of ${width} × ${height} pixels`);
  }
  release(image);
  image = { width, height, depth, premultiplied, pixels, coded, ...buffers };
  fill(heap().subarray(image.source, image.source + pixels * depth / 2));
  const reply = { type: 'opened', name, width, height, depth, kind };
  // The page reads the stored samples under the eyedropper, or for a float
  // picture the colours shown.
  if (depth === 32) {
    reply.display = display(image.source);
  } else {
    reply.source = samples(image.source, pixels * 4).slice().buffer;
  }
  return reply;
}

async function open({ name, bytes }) {
  const decoded = decodeImage(new Uint8Array(bytes), name);
  if (decoded !== null) {
    const { rgba } = decoded;
    return take(name, decoded,
                (source) => source.set(new Uint8Array(rgba.buffer, rgba.byteOffset, rgba.byteLength)));
  }
  const coded = await decodeWithCodecs(new Uint8Array(bytes), name);
  const { width, height, depth, kind, premultiplied } = coded;
  return take(name, { width, height, depth, kind, premultiplied, coded },
              (source) => source.set(coded.samples()));
}

// The result as the tool writes it: in the open file's format, or as a PNG
// for a JPEG.
async function save() {
  const { width, height, depth, pixels, result, coded } = image;
  const samples = () => heap().subarray(result, result + pixels * depth / 2);
  const bytes = coded ? coded.save(samples()) :
                        await encodePng({ width, height, depth, rgba: samples() });
  return { type: 'saved', bytes: bytes.buffer };
}

function render({ settings, claimMap, kernel = 0 }) {
  setEffectSettings(core, effectSettings, settings);
  renderImage(kernel);
  const reply = { type: 'rendered', width: image.width, height: image.height };
  if (image.depth === 32) {
    reply.display = display(image.result);
  } else {
    reply.result = samples(image.result, image.pixels * 4).slice().buffer;
  }
  if (claimMap) {
    core[kClaimMaps[image.depth]](image.source, image.codes, image.width, image.height,
                                  effectSettings, image.premultiplied ? 1 : 0, bounds);
    const codes = heap().subarray(image.codes, image.codes + image.pixels);
    reply.claims = paintClaims(codes, image.width, image.height, settings,
                               controls.featheredClaim).buffer;
    reply.claimBounds = readBounds();
  }
  return reply;
}

// The core's render alone, `runs` times on `threads` of the workers, for the
// benchmark.
function time({ settings, runs, kernel, threads = workers }) {
  setEffectSettings(core, effectSettings, settings);
  const times = [];
  for (let i = 0; i < runs; i++) {
    const started = performance.now();
    renderImage(kernel, threads);
    times.push(performance.now() - started);
  }
  return { type: 'timed', times };
}

// The effect's controls as the core's table has them, and the colour the
// rule sees for each sample, by the judging choice's value name and depth.
function describe() {
  const judge = controls.choices.find((choice) => choice.name === controls.judge);
  const bytes = Object.fromEntries(judge.values.map(({ name }, position) => [
    name, { 8: ruleBytes(core, 8, position), 16: ruleBytes(core, 16, position) }]));
  return { type: 'described', controls, ruleBytes: bytes, workers };
}

// A key's text, checked by the core and written out as the tuner saves it.
function readKey({ text, name }) {
  const { text: settingsText, error } = readSettings(core, text, name);
  if (error !== undefined) return { type: 'failed', message: error };
  return { type: 'settings', text: settingsText };
}

const handlers = {
  describe,
  settings: readKey,
  open,
  render: (request) => {
    if (image === null) return { type: 'failed', message: 'no image is open' };
    return render(request);
  },
  save: () => {
    if (image === null) return { type: 'failed', message: 'no image is open' };
    return save();
  },
  time,
};

async function handle(request) {
  let reply;
  try {
    if (core === null) {
      throw new ImageError('the render core did not load (it needs WebAssembly with SIMD): ' +
                           `${coreError?.message ?? coreError}`);
    }
    reply = await handlers[request.type](request);
  } catch (error) {
    const message = error instanceof ImageError ? error.message :
                    `${request.name ?? 'render'}: ${error.message}`;
    reply = { type: 'failed', message };
  }
  reply.id = request.id;
  const transfer = [reply.source, reply.result, reply.display, reply.claims, reply.bytes]
      .filter((b) => b !== undefined);
  self.postMessage(reply, transfer);
}

// Requests run one after another, in the order they came, once the core has
// loaded; none is lost while it loads, and each fails with a message if it
// cannot load.
// The threaded build's pool holds a Web Worker for every thread but this one:
// a thread past the pool would wait for a Web Worker this blocked thread
// cannot start.
const coreFile = workers > 1 ? './huesieve_core_threads.js' : './huesieve_core.js';
let queue = import(coreFile)
    .then(({ default: createCore }) => createCore({ tunerWorkers: workers }))
    .then((loaded) => {
      core = loaded;
      controls = describeControls(core);
      effectSettings = core._huesieve_effect_settings_new();
      bounds = core._malloc(16);
      // A failure here is reported when a file needs the codecs.
      loadCodecs().catch(() => {});
    }, (error) => {
      coreError = error;
    });
self.onmessage = ({ data: request }) => {
  queue = queue.then(() => handle(request));
};
