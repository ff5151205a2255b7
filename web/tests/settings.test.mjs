// The key's file and command line: the same checks and messages as the tool,
// and text the tool reads back as the same numbers.
import assert from 'node:assert/strict';
import { describe, it } from 'node:test';

import { createRequire } from 'node:module';

import { describeControls, readSettings } from '../src/core_settings.js';
import { commandLine, decimalText, shellWord, snapRange } from '../src/settings.js';

// The tuner's core built for Node: the page's settings go through it alone.
const createCore = createRequire(import.meta.url)('../../build/web-check/huesieve_core_node.js');
const core = await createCore();
const controls = describeControls(core);

function defaultSettings() {
  return structuredClone(controls.defaults);
}

function settingsWith(entries, enable = true) {
  const settings = defaultSettings();
  settings.enable = enable;
  entries.forEach((entry, k) => { settings.entries[k] = { ...settings.entries[k], ...entry }; });
  return settings;
}

// A file's text as the core reads it: the settings, or its message.
function parse(text, name = 'key.json') {
  const { text: read, error } = readSettings(core, text, name);
  if (error !== undefined) throw new Error(error);
  return JSON.parse(read);
}

describe('controls', () => {
  it('are the effect\'s: ten entries, Range from 1 to 128, Softness from 0 to 100', () => {
    assert.equal(controls.entryCount, 10);
    assert.equal(controls.defaults.entries.length, controls.entryCount);
    assert.deepEqual([controls.range.min, controls.range.max, controls.range.default], [1, 128, 0]);
    assert.deepEqual([controls.softness.min, controls.softness.max], [0, 100]);
    assert.equal(controls.defaults.enable, false);
  });
});

describe('settings file', () => {
  it('reads back what it writes, every entry', () => {
    const settings = settingsWith([
      { enabled: true, color: '#DB2924', range: 110, softness: 60 },
      { enabled: false, color: '#0A0B0C', range: 12.3, softness: 0.1 },
    ]);
    assert.deepEqual(parse(JSON.stringify(settings)), settings);
    assert.deepEqual(parse(readSettings(core, JSON.stringify(settings), 'key.json').text), settings);
  });

  it('reads back the choices, and writes them only when not at their defaults', () => {
    const settings = { ...settingsWith([{ enabled: true, color: '#DB2924', range: 110, softness: 60 }]),
                       judge: 'srgb', featheredAlpha: 'fades' };
    assert.deepEqual(parse(JSON.stringify(settings)), settings);
    const atDefaults = { ...settings, judge: 'stored', featheredAlpha: 'replaces' };
    assert.deepEqual(Object.keys(parse(JSON.stringify(atDefaults))), ['enable', 'entries']);
  });

  it('gives entries the file leaves out their defaults', () => {
    const settings = parse(
        '{"enable": false, "entries": [{"enabled": true, "color": "00ff00", "range": 0, "softness": 5}]}');
    assert.deepEqual(settings.entries[0], { enabled: true, color: '#00FF00', range: 0, softness: 5 });
    assert.deepEqual(settings.entries[9], { enabled: false, color: '#FFFFFF', range: 0, softness: 0 });
  });

  const entry = '{"enabled": true, "color": "#FFFFFF", "range": 10, "softness": 0}';
  for (const [text, message] of [
    ['{"enable": true', /^key\.json: not valid JSON: /],
    ['[]', /^key\.json: expected an object \{"enable", "entries"\}$/],
    ['{"enable": true}', /^key\.json: the member "entries" is missing$/],
    ['{"enable": true, "entries": [], "zoom": 2}', /^key\.json: unknown member "zoom"$/],
    ['{"enable": "on", "entries": []}', /^key\.json: "enable" must be true or false$/],
    ['{"enable": true, "entries": [], "judge": "linear"}', /^key\.json: "judge" must be stored or srgb$/],
    ['{"enable": true, "entries": [], "featheredAlpha": 1}',
     /^key\.json: "featheredAlpha" must be replaces or fades$/],
    [`{"enable": true, "entries": [${Array(11).fill(entry).join(',')}]}`,
     /^key\.json: entry 11: the effect has colour entries 1 to 10$/],
    ['{"enable": true, "entries": [{"enabled": true, "color": "#FFF", "range": 10, "softness": 0}]}',
     /^key\.json: entry 1: the colour must be six hexadecimal digits, RRGGBB$/],
    ['{"enable": true, "entries": [{"enabled": true, "color": "#FFFFFF", "range": 200, "softness": 0}]}',
     /^key\.json: entry 1: RANGE 200 is outside 1 to 128$/],
    ['{"enable": true, "entries": [{"enabled": true, "color": "#FFFFFF", "range": 0.5, "softness": 0}]}',
     /^key\.json: entry 1: RANGE 0.5 is outside 1 to 128$/],
    ['{"enable": true, "entries": [{"enabled": true, "color": "#FFFFFF", "range": 5, "softness": -1}]}',
     /^key\.json: entry 1: SOFTNESS -1 is outside 0 to 100$/],
    ['{"enable": true, "entries": [{"enabled": true, "color": "#FFFFFF", "range": "5", "softness": 0}]}',
     /^key\.json: entry 1: RANGE must be a decimal number$/],
    ['{"enable": true, "entries": [{"enabled": true, "color": "#FFFFFF", "range": 1e400, "softness": 0}]}',
     /^key\.json: the number 1e400 at line 1, column \d+ is too large$/],
  ]) {
    it(`refuses ${text.slice(0, 60)}`, () => {
      assert.throws(() => parse(text), (error) => message.test(error.message));
    });
  }
});

describe('command line', () => {
  it('names the switch, every entry with a Range, and the two files', () => {
    const settings = settingsWith([
      { enabled: true, color: '#DB2924', range: 110, softness: 60 },
      { enabled: true, color: '#00FF00', range: 0, softness: 50 },
      { enabled: false, color: '#E6731A', range: 12.3, softness: 0.1 },
    ]);
    assert.equal(commandLine(settings, controls.choices, 'shot 1.png'),
                 "huesieve-render --enable --entry 1:DB2924:110:60 --entry 3:E6731A:12.3:0.1:off " +
                 "'shot 1.png' 'shot 1-huesieve.png'");
    assert.equal(commandLine(defaultSettings(), controls.choices, 'a.png'),
                 'huesieve-render a.png a-huesieve.png');
  });

  it('writes the input\'s format where the tool writes it, else PNG', () => {
    for (const [input, output] of [
      ['plate.v2.exr', 'plate.v2-huesieve.exr'], ['scan.TIF', 'scan-huesieve.TIF'],
      ['scan.tiff', 'scan-huesieve.tiff'], ['reel/f.dpx', 'reel/f-huesieve.dpx'],
      ['photo.jpg', 'photo-huesieve.png'], ['frame', 'frame-huesieve.png'],
    ]) {
      assert.equal(commandLine(defaultSettings(), controls.choices, input),
                   `huesieve-render ${input} ${output}`);
    }
  });

  it('names each choice only when not at its default', () => {
    for (const [choices, words] of [
      [{ judge: 'stored', featheredAlpha: 'replaces' }, ''],
      [{ judge: 'srgb' }, ' --judge srgb'],
      [{ judge: 'srgb', featheredAlpha: 'fades' }, ' --judge srgb --feathered-alpha fades'],
      [{ featheredAlpha: 'fades', judge: 'stored' }, ' --feathered-alpha fades'],
    ]) {
      assert.equal(commandLine({ ...defaultSettings(), ...choices }, controls.choices, 'a.png'),
                   `huesieve-render${words} a.png a-huesieve.png`);
    }
  });

  it('writes numbers in plain decimals that read back as the same doubles', () => {
    for (const value of [0, 1, 12.3, 127.9, 100, 1e-7, 5e-324, 0.1 + 0.2, 123456789012345680000]) {
      const text = decimalText(value);
      assert.match(text, /^\d+(\.\d+)?$/);
      assert.equal(Number(text), value);
    }
  });

  it('quotes file names for the shell', () => {
    assert.equal(shellWord('plain_name-1.png'), 'plain_name-1.png');
    assert.equal(shellWord("it's.png"), "'it'\\''s.png'");
    assert.equal(shellWord('-dash.png'), './-dash.png');
    assert.equal(shellWord('$(rm).png'), "'$(rm).png'");
  });

  it('snaps a Range between the default and the smallest to the smallest', () => {
    assert.deepEqual([0, 0.1, 0.9, 1, 1.1, 128].map((value) => snapRange(value, controls.range)),
                     [0, 1, 1, 1, 1.1, 128]);
  });
});
