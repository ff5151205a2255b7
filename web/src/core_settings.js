// The effect's controls and settings files as the WebAssembly core reads
// them: the page checks nothing on its own, so its messages are the tool's.

// A text the core handed over, freed.
function takeText(core, pointer) {
  const text = core.UTF8ToString(pointer);
  core._free(pointer);
  return text;
}

// `use(pointer, length)` with `text` in the core's memory as UTF-8.
function withText(core, text, use) {
  const length = core.lengthBytesUTF8(text);
  const pointer = core._malloc(length + 1);
  core.stringToUTF8(text, pointer, length + 1);
  try {
    return use(pointer, length);
  } finally {
    core._free(pointer);
  }
}

// The controls: entry count, labels, limits, defaults and the default key.
export function describeControls(core) {
  return JSON.parse(takeText(core, core._huesieve_describe()));
}

// The colour the rule sees for each sample of `depth` bits, judged as the
// judging choice's value at position `judge` says.
export function ruleBytes(core, depth, judge) {
  const count = 1 << depth;
  const pointer = core._malloc(count);
  core._huesieve_rule_bytes(depth, judge, pointer);
  const bytes = core.HEAPU8.slice(pointer, pointer + count);
  core._free(pointer);
  return bytes;
}

// A key's text checked as the tool checks a settings file named `name`:
// { text } as the tool writes it, or { error } with the tool's message.
export function readSettings(core, text, name) {
  return JSON.parse(withText(core, text, (textPointer, length) => withText(
      core, name, (namePointer) => takeText(
          core, core._huesieve_settings_read(textPointer, length, namePointer)))));
}

// The core's settings at `handle` made from the page's key, by the builder
// every host uses; a key the core refuses throws its message.
export function setEffectSettings(core, handle, settings) {
  const error = withText(core, JSON.stringify(settings), (pointer, length) =>
    core._huesieve_effect_settings_set(handle, pointer, length));
  if (error !== 0) throw new Error(takeText(core, error));
}
