// The claim map: each pixel coloured by the entry that claims it, from the
// core's own decision (one code a pixel: 0 nothing, 1 + k entry k, with the
// core's feather bit added when entry k keeps the pixel inside its feather
// band).

// Ten colours told apart at a glance, entry 1 first.
export const kEntryColours = [
  '#4E79A7', '#F28E2B', '#E15759', '#76B7B2', '#59A14F',
  '#EDC948', '#B07AA1', '#FF9DA7', '#9C755F', '#BAB0AC',
];

// Claims of a switched-off entry (which clear what they claim) are striped
// with black, in diagonal bands this many pixels wide.
const kStripe = 3;

// RGBA: the entry's colour, at half brightness in the feather band, striped
// where the entry is off; opaque black where nothing claims.
export function paintClaims(codes, width, height, settings, featheredClaim) {
  const palette = new Uint8Array(256 * 4);
  kEntryColours.forEach((hex, k) => {
    const rgb = parseInt(hex.slice(1), 16);
    for (const feather of [0, featheredClaim]) {
      const at = ((k + 1) | feather) * 4;
      const scale = feather ? 0.5 : 1;
      palette[at] = (rgb >> 16) * scale;
      palette[at + 1] = ((rgb >> 8) & 0xff) * scale;
      palette[at + 2] = (rgb & 0xff) * scale;
    }
  });
  for (let code = 0; code < 256; code++) palette[code * 4 + 3] = 255;
  const off = settings.entries.map((entry) => !entry.enabled);

  const rgba = new Uint8Array(width * height * 4);
  const words = new Uint32Array(rgba.buffer);
  const colours = new Uint32Array(palette.buffer);
  const black = colours[0];
  for (let y = 0, i = 0; y < height; y++) {
    for (let x = 0; x < width; x++, i++) {
      const code = codes[i];
      const entry = (code & ~featheredClaim) - 1;
      const striped = entry >= 0 && off[entry] && Math.floor((x + y) / kStripe) % 2 === 1;
      words[i] = striped ? black : colours[code];
    }
  }
  return rgba;
}
