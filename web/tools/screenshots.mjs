// Takes the tuner's pictures in docs/: the sample keyed for its reds and
// greens with an orange entry switched off, as the result and as the claim
// map. Run after scripts/build-web.sh: node web/tools/screenshots.mjs
import { idle, label, loadSettings, Tuner } from '../tests/tuner_page.mjs';

const docs = new URL('../../docs/', import.meta.url).pathname;
const key = {
  enable: true,
  entries: [
    { enabled: false, color: '#E6731A', range: 50, softness: 0 },
    { enabled: true, color: '#DB2924', range: 110, softness: 60 },
    { enabled: true, color: '#29B33D', range: 100, softness: 50 },
  ],
};

const tuner = await Tuner.start();
const page = await tuner.open();
await page.setViewportSize({ width: 1240, height: 640 });
await loadSettings(page, 'reds-and-greens.json', JSON.stringify(key));
await page.getByRole('button', { name: 'Copy command', exact: true }).click();
await page.screenshot({ path: `${docs}tuner-result.png` });
await label(page, 'Claim map').check();
await idle(page);
await page.screenshot({ path: `${docs}tuner-claim-map.png` });
await tuner.stop();
