// The page: the controls, the picture and the files. Every change of a control
// or of the image marks the picture busy at once and asks the worker for a
// render; while one is in flight, later changes wait and only the latest is
// rendered. The picture is idle again when what it shows, and what "Save
// result" writes, matches every control and the open image.
import { kEntryColours } from './claim_map.js';
import { choiceValue, commandLine, decimalText, outputName, snapRange } from './settings.js';

const kSampleName = 'huesieve-sample.png';
const kKindNames = { png: 'PNG', jpeg: 'JPEG', openexr: 'OpenEXR', tiff: 'TIFF', dpx: 'DPX' };
const kSrgbEncoded = 'srgb';  // the Judge colours value for a float picture
const kSettingsName = 'huesieve-settings.json';

const $ = (id) => document.getElementById(id);
const canvas = $('result');
const context = canvas.getContext('2d');

// The effect's controls as the core describes them (labels, limits, defaults,
// the default key), and the colour the rule sees for each sample, by the
// judging choice's value and the depth.
let controls = null;
let ruleBytes = null;
// zoom: a scale, or 'fit'.
const state = { settings: null, claimMap: false, before: false, zoom: 'fit' };
// { name, kind, width, height, depth (32: float), source: its samples (not
// for float), display: 8-bit RGBA }
let image = null;
let shown = null;  // the latest current render from the worker
let picking = -1;  // the entry the eyedropper sets, or -1

// --- The worker: requests by number, replies as promises.

const worker = new Worker(new URL('./worker.js', import.meta.url), { type: 'module' });
const replies = new Map();
let nextRequest = 0;

function ask(request, transfer = []) {
  const id = nextRequest++;
  return new Promise((resolve) => {
    replies.set(id, resolve);
    worker.postMessage({ ...request, id }, transfer);
  });
}

worker.onmessage = ({ data: reply }) => {
  const resolve = replies.get(reply.id);
  replies.delete(reply.id);
  resolve?.(reply);
};

// --- Busy and idle.

let generation = 0;          // counts changes of the controls and the image
let renderedGeneration = 0;  // the generation the picture shows
let filesInHand = 1;         // files being read or decoded; the sample at first
let rendering = false;
let idleWaiters = [];

function busy() {
  return filesInHand > 0 || (image !== null && renderedGeneration !== generation);
}

function updateBusy() {
  const now = busy();
  canvas.setAttribute('aria-busy', String(now));
  if (!now) {
    for (const resolve of idleWaiters) resolve();
    idleWaiters = [];
  }
}

function idle() {
  return busy() ? new Promise((resolve) => idleWaiters.push(resolve)) : Promise.resolve();
}

// Called inside the handler of every event that changes what is rendered.
function changed() {
  generation++;
  updateBusy();
  renderLatest();
}

async function renderLatest() {
  if (rendering || image === null || renderedGeneration === generation) return;
  rendering = true;
  const asked = generation;
  const settings = structuredClone(state.settings);
  const reply = await ask({ type: 'render', settings, claimMap: state.claimMap });
  rendering = false;
  if (reply.type === 'failed') showMessage(reply.message);
  if (asked === generation) {
    if (reply.type === 'rendered') {
      const result = samplesOf(reply.result, image.depth);
      shown = { ...reply, result, display: displayOf(result, reply.display),
                claims: reply.claims && new Uint8ClampedArray(reply.claims) };
      draw();
    }
    renderedGeneration = asked;
  }
  updateBusy();
  renderLatest();
}

// --- Messages.

function showMessage(text) {
  $('message').textContent = text;
}

// --- The picture.

// Samples as the canvas takes them: 16-bit ones to the nearest 8-bit value;
// a float picture's as the worker encoded them for display (`display`). The
// canvas is for looking only; nothing is read back from it.
function displayOf(samples, display) {
  if (display !== undefined) return new Uint8ClampedArray(display);
  if (samples instanceof Uint8Array) return new Uint8ClampedArray(samples.buffer);
  return Uint8ClampedArray.from(samples, (value) => Math.round(value / 257));
}

// The largest scale up to 100 % at which the whole picture shows in its area:
// the stage's width, and the height it may grow to.
function fitZoom() {
  const stage = document.querySelector('.stage');
  const style = getComputedStyle(stage);
  const width = stage.getBoundingClientRect().width - parseFloat(style.borderLeftWidth) -
                parseFloat(style.borderRightWidth);
  const height = parseFloat(style.maxHeight);
  return Math.min(1, width / image.width, height / image.height);
}

// Stored samples from the worker, of an 8 or 16-bit picture.
function samplesOf(buffer, depth) {
  if (buffer === undefined) return undefined;
  return depth === 16 ? new Uint16Array(buffer) : new Uint8Array(buffer);
}

function draw() {
  if (image === null) return;
  if (canvas.width !== image.width || canvas.height !== image.height) {
    canvas.width = image.width;
    canvas.height = image.height;
  }
  const claimsShown = state.claimMap && !state.before && shown?.claims;
  const pixels = state.before || shown === null ? image.display : claimsShown ? shown.claims :
                                                  shown.display;
  context.putImageData(new ImageData(pixels, image.width, image.height), 0, 0);
  place();
  drawLegend();
}

// The picture and the claims' outline at the zoom, without drawing again.
function place() {
  if (image === null) return;
  const zoom = state.zoom === 'fit' ? fitZoom() : state.zoom;
  canvas.style.width = `${image.width * zoom}px`;
  canvas.style.height = `${image.height * zoom}px`;

  const claimsShown = state.claimMap && !state.before && shown?.claims;
  const outline = $('bounds');
  outline.hidden = !claimsShown;
  if (claimsShown) {
    const [left, top, right, bottom] = shown.claimBounds;
    Object.assign(outline.style, {
      left: `${left * zoom}px`, top: `${top * zoom}px`,
      width: `${(right - left) * zoom}px`, height: `${(bottom - top) * zoom}px`,
    });
  }
}

function drawLegend() {
  const legend = $('legend');
  legend.hidden = !state.claimMap || state.before;
  // Only entries with a Range can claim.
  const items = state.settings.entries.flatMap((entry, k) => {
    if (entry.range === 0) return [];
    const off = entry.enabled ? '' : ' (off: striped, clears)';
    return [[kEntryColours[k], `Entry ${k + 1}${off}`]];
  });
  items.push(['#000000', 'Nothing claims'], ['', 'Darker: feather band']);
  legend.replaceChildren(...items.map(([colour, text]) => {
    const item = document.createElement('li');
    if (colour) {
      const swatch = document.createElement('span');
      swatch.className = 'swatch';
      swatch.style.background = colour;
      item.append(swatch);
    }
    item.append(text);
    return item;
  }));
}

// --- Files.

function download(blob, name) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

// Reads and decodes a file in the worker; the open image changes only when
// it succeeds. `filesInHand` was counted by the caller, inside its event.
async function openImage(name, bytes) {
  const reply = await ask({ type: 'open', name, bytes }, [bytes]);
  filesInHand--;
  if (reply.type === 'opened') {
    const source = samplesOf(reply.source, reply.depth);
    image = { name, kind: reply.kind, width: reply.width, height: reply.height,
              depth: reply.depth, source, display: displayOf(source, reply.display) };
    shown = null;
    // Each picture opens whole in its area.
    state.zoom = 'fit';
    $('zoom').value = 'fit';
    showMessage('');
    $('image-info').textContent = `${name}: ${image.width} × ${image.height} pixels, ` +
                                  `${kKindNames[reply.kind]}, ` +
                                  (image.depth === 32 ? 'float' : `${image.depth}-bit`);
    // A float picture is linear light: keyed as it is shown, until the user
    // says otherwise.
    if (image.depth === 32) {
      state.settings[controls.judge] = kSrgbEncoded;
      showSettings();
    }
    changed();
  } else {
    showMessage(reply.message);
    updateBusy();
  }
}

// The core checks the file; the key changes only when it is sound.
async function loadSettings(file) {
  const reply = await ask({ type: 'settings', text: await file.text(), name: file.name });
  filesInHand--;
  if (reply.type === 'failed') {
    showMessage(reply.message);
    updateBusy();
    return;
  }
  state.settings = JSON.parse(reply.text);
  showMessage('');
  showSettings();
  changed();
}

async function saveSettings() {
  const reply = await ask({ type: 'settings', text: JSON.stringify(state.settings),
                            name: kSettingsName });
  if (reply.type === 'failed') {
    showMessage(reply.message);
    return;
  }
  download(new Blob([reply.text], { type: 'application/json' }), kSettingsName);
}

// --- Controls.

const rows = [];  // per entry: its controls
const choiceMenus = [];  // per choice of the effect: { choice, menu }

function showSettings() {
  $('enable-effect').checked = state.settings.enable;
  for (const { choice, menu } of choiceMenus) menu.value = choiceValue(state.settings, choice);
  state.settings.entries.forEach((entry, k) => {
    const row = rows[k];
    row.enabled.checked = entry.enabled;
    row.color.value = entry.color.toLowerCase();
    // The slider shows the nearest step; the entry keeps the exact value.
    row.range.value = String(entry.range);
    row.rangeValue.value = decimalText(entry.range);
    row.softness.value = String(entry.softness);
    row.softnessValue.value = decimalText(entry.softness);
  });
}

function stopPicking() {
  picking = -1;
  for (const row of rows) row.pick.setAttribute('aria-pressed', 'false');
  canvas.classList.remove('picking');
  $('picking').hidden = true;
}

// A menu for each of the effect's choices, its values by their labels.
function buildChoices() {
  for (const choice of controls.choices) {
    const item = document.createElement('div');
    const label = document.createElement('label');
    const menu = document.createElement('select');
    menu.id = `choice-${choice.name}`;
    label.htmlFor = menu.id;
    label.textContent = choice.label;
    menu.title = choice.help;
    menu.append(...choice.values.map(({ name, label: text }) => new Option(text, name)));
    menu.addEventListener('input', () => {
      state.settings[choice.name] = menu.value;
      changed();
    });
    item.append(label, ' ', menu);
    $('choices').append(item);
    choiceMenus.push({ choice, menu });
  }
}

function buildEntryRows() {
  const template = $('entry-row');
  for (let k = 0; k < controls.entryCount; k++) {
    const number = k + 1;
    const fragment = template.content.cloneNode(true);
    const find = (name) => fragment.querySelector(`.${name}`);
    const row = {
      enabled: find('enabled'), color: find('color'), pick: find('pick'), range: find('range'),
      rangeValue: find('range-value'), softness: find('softness'),
      softnessValue: find('softness-value'),
    };
    find('number').textContent = String(number);
    row.enabled.setAttribute('aria-label', `${controls.enabled.label} ${number}`);
    row.color.setAttribute('aria-label', `${controls.color.label} ${number}`);
    row.pick.setAttribute('aria-label', `Pick ${controls.color.label.toLowerCase()} ${number}`);
    row.pick.setAttribute('aria-pressed', 'false');
    row.range.setAttribute('aria-label', `${controls.range.label} ${number}`);
    row.softness.setAttribute('aria-label', `${controls.softness.label} ${number}`);
    // A Range slider reaches down to the default, which claims nothing.
    row.range.min = String(Math.min(controls.range.default, controls.range.min));
    row.range.max = String(controls.range.max);
    row.softness.min = String(controls.softness.min);
    row.softness.max = String(controls.softness.max);
    row.range.id = `range-${number}`;
    row.rangeValue.htmlFor = row.range.id;
    row.softness.id = `softness-${number}`;
    row.softnessValue.htmlFor = row.softness.id;

    const entry = () => state.settings.entries[k];
    row.enabled.addEventListener('input', () => {
      entry().enabled = row.enabled.checked;
      changed();
    });
    row.color.addEventListener('input', () => {
      entry().color = row.color.value.toUpperCase();
      changed();
    });
    row.range.addEventListener('input', () => {
      const value = snapRange(row.range.valueAsNumber, controls.range);
      if (value !== row.range.valueAsNumber) row.range.value = String(value);
      entry().range = value;
      row.rangeValue.value = decimalText(value);
      changed();
    });
    row.softness.addEventListener('input', () => {
      entry().softness = row.softness.valueAsNumber;
      row.softnessValue.value = decimalText(entry().softness);
      changed();
    });
    row.pick.addEventListener('click', () => {
      const again = picking === k;
      stopPicking();
      if (again || image === null) return;
      picking = k;
      row.pick.setAttribute('aria-pressed', 'true');
      canvas.classList.add('picking');
      $('picking').textContent = `Click the picture to pick color ${number}; Esc cancels.`;
      $('picking').hidden = false;
    });
    rows.push(row);
    $('entries').append(fragment);
  }
}

// A stored sample as the colour the rule sees, as the core converts it, judged
// as the key says.
function ruleByte(sample) {
  const judge = controls.choices.find((choice) => choice.name === controls.judge);
  return ruleBytes[choiceValue(state.settings, judge)][image.depth][sample];
}

// The eyedropper reads the stored source sample under the pointer, at any
// zoom, never a canvas pixel. It acts on the pointer going down, whose
// position has the fractions of a pixel that a click's lacks; a click alone
// (from the keyboard or a script) picks too.
function pickAt(event) {
  if (picking < 0 || image === null || event.button !== 0) return;
  const box = canvas.getBoundingClientRect();
  const column = Math.floor(((event.clientX - box.left) / box.width) * image.width);
  const line = Math.floor(((event.clientY - box.top) / box.height) * image.height);
  const x = Math.min(image.width - 1, Math.max(0, column));
  const y = Math.min(image.height - 1, Math.max(0, line));
  const at = (y * image.width + x) * 4;
  // A float picture's colour as shown; otherwise the stored sample's.
  const rgb = image.depth === 32 ? image.display.subarray(at, at + 3) :
                                   Array.from(image.source.subarray(at, at + 3), ruleByte);
  const hex = Array.from(rgb, (v) => v.toString(16).padStart(2, '0')).join('');
  const k = picking;
  state.settings.entries[k].color = `#${hex.toUpperCase()}`;
  rows[k].color.value = `#${hex}`;
  stopPicking();
  changed();
}

function wireControls() {
  $('enable-effect').addEventListener('input', (event) => {
    state.settings.enable = event.target.checked;
    changed();
  });
  $('claim-map').addEventListener('input', (event) => {
    state.claimMap = event.target.checked;
    changed();
  });
  $('before').addEventListener('input', (event) => {
    state.before = event.target.checked;
    draw();
  });
  $('zoom').addEventListener('input', (event) => {
    const { value } = event.target;
    state.zoom = value === 'fit' ? value : Number(value);
    place();
  });
  window.addEventListener('resize', () => {
    if (state.zoom === 'fit') place();
  });
  canvas.addEventListener('pointerdown', pickAt);
  canvas.addEventListener('click', pickAt);
  document.addEventListener('keydown', (event) => {
    if (event.key === 'Escape') stopPicking();
  });

  $('open-image').addEventListener('change', (event) => {
    const file = event.target.files[0];
    if (file === undefined) return;
    filesInHand++;
    updateBusy();
    event.target.value = '';
    file.arrayBuffer().then((bytes) => openImage(file.name, bytes));
  });
  $('load-settings').addEventListener('change', (event) => {
    const file = event.target.files[0];
    if (file === undefined) return;
    filesInHand++;
    updateBusy();
    event.target.value = '';
    loadSettings(file);
  });
  $('save-settings').addEventListener('click', saveSettings);
  $('copy-command').addEventListener('click', () => {
    const text = commandLine(state.settings, controls.choices, image?.name ?? kSampleName);
    $('command').value = text;
    $('command').select();
    navigator.clipboard?.writeText(text).catch(() => {});
  });
  $('save-result').addEventListener('click', async () => {
    await idle();
    if (image === null || shown === null) return;
    const { name, kind } = image;
    const reply = await ask({ type: 'save' });
    if (reply.type === 'failed') {
      showMessage(reply.message);
      return;
    }
    const type = kind === 'png' || kind === 'jpeg' ? 'image/png' : 'application/octet-stream';
    download(new Blob([reply.bytes], { type }), outputName(name));
  });
}

function openSample() {
  fetch(kSampleName)
      .then((response) => {
        if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
        return response.arrayBuffer();
      })
      .then((bytes) => openImage(kSampleName, bytes))
      .catch((error) => {
        filesInHand--;
        showMessage(`${kSampleName}: ${error.message}`);
        updateBusy();
      });
}

// The controls are built from the core's table once it has loaded; without
// the core there is nothing to tune, and the message says why.
ask({ type: 'describe' }).then((reply) => {
  if (reply.type === 'failed') {
    filesInHand--;
    showMessage(reply.message);
    updateBusy();
    return;
  }
  controls = reply.controls;
  ruleBytes = reply.ruleBytes;
  // How many threads share a frame, for whoever inspects the page.
  canvas.dataset.workers = String(reply.workers);
  state.settings = structuredClone(controls.defaults);
  $('enable-effect').labels[0].textContent = controls.enableEffect.label;
  buildChoices();
  buildEntryRows();
  wireControls();
  showSettings();
  openSample();
});
