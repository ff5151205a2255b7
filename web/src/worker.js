// The render worker: holds the open image inside the core's WebAssembly
// memory, decodes files, renders the key and maps the claims, so that the
// page never waits on a frame. Each reply carries the request's number; the
// page decides what is current.
import createCore from './huesieve_core.js';
import { decodeImage, ImageError } from './image_files.js';
import { paintClaims } from './claim_map.js';
import { describeControls, readSettings, ruleBytes16 } from './core_settings.js';

let core = null;
let controls = null;  // the core's description of the effect's controls
let coreError = null;  // why the core did not load, if it did not
// The open image and the buffers sized for it, in the core's memory.
let image = null;  // { width, height, depth, pixels, source, result, codes }
let table = 0;   // the core's colour entry table
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

function setTable(settings) {
  settings.entries.forEach((entry, k) => {
    const rgb = parseInt(entry.color.slice(1), 16);
    // The core's parameters are floats: the slider's double is narrowed as
    // the host module narrows it, to the nearest float.
    core._huesieve_table_set(table, k, entry.enabled ? 1 : 0, rgb >> 16, (rgb >> 8) & 0xff,
                             rgb & 0xff, entry.range, entry.softness);
  });
}

// The image's samples at `pointer` in the core's memory, of its depth.
function samples(pointer, count) {
  return image.depth === 16 ? new Uint16Array(heap().buffer, pointer, count) :
                              new Uint8Array(heap().buffer, pointer, count);
}

// The core's render of the open image, at its depth.
function renderImage(enable, kernel) {
  const render = image.depth === 16 ? core._huesieve_render16 : core._huesieve_render;
  render(image.source, image.result, image.width, image.height, enable, table, bounds, kernel);
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
  setTable(settings);
  renderImage(settings.enable ? 1 : 0, kernel);
  const reply = {
    type: 'rendered',
    width: image.width,
    height: image.height,
    result: samples(image.result, image.pixels * 4).slice().buffer,
  };
  if (claimMap) {
    const map = image.depth === 16 ? core._huesieve_map_claims16 : core._huesieve_map_claims;
    map(image.source, image.codes, image.width, image.height, table, bounds);
    const codes = heap().subarray(image.codes, image.codes + image.pixels);
    reply.claims = paintClaims(codes, image.width, image.height, settings,
                               controls.featheredClaim).buffer;
    reply.claimBounds = readBounds();
  }
  return reply;
}

// The core's render alone, `runs` times, for the benchmark.
function time({ settings, runs, kernel }) {
  setTable(settings);
  const times = [];
  for (let i = 0; i < runs; i++) {
    const started = performance.now();
    renderImage(settings.enable ? 1 : 0, kernel);
    times.push(performance.now() - started);
  }
  return { type: 'timed', times };
}

// The effect's controls as the core's table has them, and the colour the
// rule sees for each 16-bit sample.
function describe() {
  return { type: 'described', controls, ruleBytes16: ruleBytes16(core).buffer };
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
  const transfer = [reply.source, reply.result, reply.claims, reply.ruleBytes16]
      .filter((b) => b !== undefined);
  self.postMessage(reply, transfer);
}

// Requests run one after another, in the order they came, once the core has
// loaded; none is lost while it loads, and each fails with a message if it
// cannot load.
let queue = createCore().then((loaded) => {
  core = loaded;
  controls = describeControls(core);
  table = core._huesieve_table_new();
  bounds = core._malloc(16);
}, (error) => {
  coreError = error;
});
self.onmessage = ({ data: request }) => {
  queue = queue.then(() => handle(request));
};
