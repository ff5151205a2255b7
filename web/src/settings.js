// The key as the command line gives it: huesieve-render's words for the
// settings the tuner holds, which the core has checked.

// A slider between the default Range (0, which claims nothing) and the
// smallest Range the host allows means that smallest Range.
export function snapRange(value, range) {
  return value > range.default && value < range.min ? range.min : value;
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

// A choice's value name in the key: its default when the key has none, as
// in a settings file saved before the choice existed.
export function choiceValue(settings, choice) {
  return settings[choice.name] ?? choice.default;
}

// A file name as one shell word.
export function shellWord(name) {
  const word = name.startsWith('-') ? `./${name}` : name;
  if (/^[A-Za-z0-9_.,:+=@%\/-]+$/.test(word)) return word;
  return `'${word.replaceAll("'", "'\\''")}'`;
}

// The output name the tuner suggests for an input: the same stem, keyed, in
// the input's format where the tool writes it (OpenEXR, TIFF, DPX), else PNG.
export function outputName(inputName) {
  const [, stem, extension = ''] = /^(.*?)(\.[^./]*)?$/.exec(inputName);
  const kept = /^\.(exr|tiff?|dpx)$/i.test(extension) ? extension : '.png';
  return `${stem || 'image'}-huesieve${kept}`;
}

// The huesieve-render command that renders the same key: every entry whose
// Range is not 0, since such an entry claims nothing, as the module's default;
// each of the core's `choices` not at its default, as the settings file has it.
export function commandLine(settings, choices, inputName) {
  const words = ['huesieve-render'];
  if (settings.enable) words.push('--enable');
  settings.entries.forEach((e, i) => {
    if (e.range === 0) return;
    const colour = e.color.replace('#', '').toUpperCase();
    words.push('--entry', `${i + 1}:${colour}:${decimalText(e.range)}:${decimalText(e.softness)}` +
                          (e.enabled ? '' : ':off'));
  });
  for (const choice of choices) {
    const value = choiceValue(settings, choice);
    if (value !== choice.default) words.push(choice.option, value);
  }
  words.push(shellWord(inputName), shellWord(outputName(inputName)));
  return words.join(' ');
}
