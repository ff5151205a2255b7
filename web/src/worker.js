// The render worker: holds the open image inside the core's WebAssembly
// memory, decodes files, renders the key and maps the claims, so that the
// page never waits on a frame. Each reply carries the request's number; the
// page decides what is current.
import { decodeImage, ImageError } from './image_files.js';
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
// The open image and the buffers sized for it, in the core's memory.
let image = null;  // { width, height, depth, pixels, source, result, codes }
let effectSettings = 0;  // the core's settings, made from the page's key
let bounds = 0;  // four int32: left, top, right, bottom of the claim map

function heap() {
  return core.HEAPU8;  // a new view after the memory grows
}

function release(buffers) {
  if (buffers) for (const pointer of [buffers.source, buffers.result, buffers.codes]) core._free(pointer);
}

// Memory for an image of `pixels` pixels of `bytes` bytes, or null when the
// core cannot grow that far.
function allocate(pixels, bytes) {
  const source = core._malloc(pixels * bytes);
  const result = core._malloc(pixels * bytes);
  const codes = core._malloc(pixels);
  if (source && result && codes) return { source, result, codes };
  release({ source, result, codes });
  return null;
}

// The image's samples at `pointer` in the core's memory, of its depth.
function samples(pointer, count) {
  return image.depth === 16 ? new Uint16Array(heap().buffer, pointer, count) :
                              new Uint8Array(heap().buffer, pointer, count);
}

// The core's render of the open image, at its depth.
function renderImage(kernel, threads = workers) {
  const render = image.depth === 16 ? core._huesieve_render16 : core._huesieve_render;
  render(image.source, image.result, image.width, image.height, effectSettings, bounds, kernel,
         Math.min(threads, workers));
}

function readBounds() {
  return Array.from(new Int32Array(heap().buffer, bounds, 4));
}

function open({ name, bytes }) {
  return decodeImage(new Uint8Array(bytes), name).then((decoded) => {
    const pixels = decoded.width * decoded.height;
    const buffers = allocate(pixels, decoded.depth / 2);
    if (buffers === null) {
      throw new ImageError(`${name}: not enough memory for an image of ${decoded.width} × ` +
                           `${decoded.height} pixels`);
    }
    release(image);
    image = { width: decoded.width, height: decoded.height, depth: decoded.depth, pixels,
              ...buffers };
    samples(image.source, decoded.rgba.length).set(decoded.rgba);
    return { type: 'opened', name, width: image.width, height: image.height, depth: image.depth,
             source: decoded.rgba.buffer, kind: decoded.kind };
  });
}

function render({ settings, claimMap, kernel = 0 }) {
  setEffectSettings(core, effectSettings, settings);
  renderImage(kernel);
  const reply = {
    type: 'rendered',
    width: image.width,
    height: image.height,
    result: samples(image.result, image.pixels * 4).slice().buffer,
  };
  if (claimMap) {
    const map = image.depth === 16 ? core._huesieve_map_claims16 : core._huesieve_map_claims;
    map(image.source, image.codes, image.width, image.height, effectSettings, bounds);
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
  const transfer = [reply.source, reply.result, reply.claims]
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
    }, (error) => {
      coreError = error;
    });
self.onmessage = ({ data: request }) => {
  queue = queue.then(() => handle(request));
};
