// The key the tuner edits: the master switch and ten colour entries, with the
// host module's defaults and limits, the settings file that huesieve-render
// --settings reads, and the command line that renders the same key.

export const kEntryCount = 10;
// The module registers Range 1 to 128 and Softness 0 to 100; Range keeps its
// initial 0, which claims nothing.
export const kRangeLimits = { min: 1, max: 128 };
export const kSoftnessLimits = { min: 0, max: 100 };

export class SettingsError extends Error {}

export function defaultEntry() {
  return { enabled: false, color: '#FFFFFF', range: 0, softness: 0 };
}

export function defaultSettings() {
  return { enable: false, entries: Array.from({ length: kEntryCount }, defaultEntry) };
}

// A slider between 0 and 1 means the smallest Range the host allows.
export function snapRange(value) {
  return value > 0 && value < kRangeLimits.min ? kRangeLimits.min : value;
}

// `value` as the tool prints it in its messages (C++ stream default).
function show(value) {
  return String(value);
}

function checkMembers(object, names, where, form) {
  if (object === null || typeof object !== 'object' || Array.isArray(object)) {
    throw new SettingsError(`${where}: expected an object ${form}`);
  }
  for (const key of Object.keys(object)) {
    if (!names.includes(key)) throw new SettingsError(`${where}: unknown member "${key}"`);
  }
  for (const name of names) {
    if (!(name in object)) throw new SettingsError(`${where}: the member "${name}" is missing`);
  }
}

function readEntry(object, number, name) {
  const where = `${name}: entry ${number}`;
  checkMembers(object, ['enabled', 'color', 'range', 'softness'], where,
               '{"enabled", "color", "range", "softness"}');
  if (typeof object.enabled !== 'boolean') {
    throw new SettingsError(`${where}: "enabled" must be true or false`);
  }
  const hex = typeof object.color === 'string' && /^#?[0-9A-Fa-f]{6}$/.test(object.color);
  if (!hex) throw new SettingsError(`${where}: the colour must be six hexadecimal digits, RRGGBB`);
  if (typeof object.range !== 'number') {
    throw new SettingsError(`${where}: RANGE must be a decimal number`);
  }
  if (typeof object.softness !== 'number') {
    throw new SettingsError(`${where}: SOFTNESS must be a decimal number`);
  }
  const { range, softness } = object;
  if (range !== 0 && !(range >= kRangeLimits.min && range <= kRangeLimits.max)) {
    throw new SettingsError(`${where}: RANGE ${show(range)} is outside ${kRangeLimits.min} to ` +
                            `${kRangeLimits.max}`);
  }
  if (!(softness >= kSoftnessLimits.min && softness <= kSoftnessLimits.max)) {
    throw new SettingsError(`${where}: SOFTNESS ${show(softness)} is outside ` +
                            `${kSoftnessLimits.min} to ${kSoftnessLimits.max}`);
  }
  const color = '#' + object.color.replace('#', '').toUpperCase();
  return { enabled: object.enabled, color, range, softness };
}

// The settings file's text to settings, with huesieve-render's checks and
// messages. Entries the file does not list keep their defaults.
export function parseSettings(text, name) {
  let root;
  try {
    root = JSON.parse(text);
  } catch (error) {
    throw new SettingsError(`${name}: not valid JSON: ${error.message}`);
  }
  checkMembers(root, ['enable', 'entries'], name, '{"enable", "entries"}');
  if (typeof root.enable !== 'boolean') {
    throw new SettingsError(`${name}: "enable" must be true or false`);
  }
  if (!Array.isArray(root.entries)) {
    throw new SettingsError(`${name}: "entries" must be an array of colour entries`);
  }
  if (root.entries.length > kEntryCount) {
    throw new SettingsError(`${name}: entry ${kEntryCount + 1}: the module has colour entries 1 ` +
                            `to ${kEntryCount}`);
  }
  const settings = defaultSettings();
  settings.enable = root.enable;
  root.entries.forEach((object, i) => { settings.entries[i] = readEntry(object, i + 1, name); });
  return settings;
}

export function formatSettings(settings) {
  const entries = settings.entries.map((e) => JSON.stringify(
      { enabled: e.enabled, color: e.color.toUpperCase(), range: e.range, softness: e.softness }));
  return `{"enable": ${settings.enable},\n "entries": [\n  ${entries.join(',\n  ')}]}\n`;
}

// A number as plain decimal text that reads back as the same double: the
// shortest form JavaScript gives, with any exponent written out, since the
// tool's --entry takes digits and a point only.
export function decimalText(value) {
  const text = String(value);
  const match = /^(-?)(\d)(?:\.(\d+))?e([+-]\d+)$/.exec(text);
  if (!match) return text;
  const [, sign, lead, rest = '', exponentText] = match;
  const digits = lead + rest;
  const point = 1 + Number(exponentText);
  if (point <= 0) return `${sign}0.${'0'.repeat(-point)}${digits}`;
  if (point >= digits.length) return sign + digits + '0'.repeat(point - digits.length);
  return `${sign}${digits.slice(0, point)}.${digits.slice(point)}`;
}

// A file name as one shell word.
export function shellWord(name) {
  const word = name.startsWith('-') ? `./${name}` : name;
  if (/^[A-Za-z0-9_.,:+=@%\/-]+$/.test(word)) return word;
  return `'${word.replaceAll("'", "'\\''")}'`;
}

// The output name the tuner suggests for an input: the same stem, keyed.
export function outputName(inputName) {
  const stem = inputName.replace(/\.[^./]*$/, '');
  return `${stem || 'image'}-huesieve.png`;
}

// The huesieve-render command that renders the same key: every entry whose
// Range is not 0, since such an entry claims nothing, as the module's default.
export function commandLine(settings, inputName) {
  const words = ['huesieve-render'];
  if (settings.enable) words.push('--enable');
  settings.entries.forEach((e, i) => {
    if (e.range === 0) return;
    const colour = e.color.replace('#', '').toUpperCase();
    words.push('--entry', `${i + 1}:${colour}:${decimalText(e.range)}:${decimalText(e.softness)}` +
                          (e.enabled ? '' : ':off'));
  });
  words.push(shellWord(inputName), shellWord(outputName(inputName)));
  return words.join(' ');
}
