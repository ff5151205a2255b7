// Drives the built tuner in Debian's headless Chromium as a person would:
// through the controls' accessible names, waiting on the "Result" canvas's
// aria-busy, capturing downloads; and runs huesieve-render on the same files.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';

import { chromium } from 'playwright-core';

import { serve } from '../tools/serve.mjs';
import { kTool, readInTuner } from './png_files.mjs';

const kBuiltPage = new URL('../../build/web/', import.meta.url).pathname;

export const kChromiumFlags = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

// One browser and server for a file of tests; a fresh page for each test.
export class Tuner {
  // `isolated`: served so that the page may share memory between threads.
  static async start({ isolated = true } = {}) {
    const tuner = new Tuner();
    const { server, url } = await serve(kBuiltPage, 0, { isolated });
    tuner.server = server;
    tuner.url = url;
    tuner.profile = mkdtempSync(join(tmpdir(), 'huesieve-chromium-'));
    tuner.context = await chromium.launchPersistentContext(tuner.profile, {
      executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
      args: kChromiumFlags,
      acceptDownloads: true,
      viewport: { width: 1400, height: 900 },
    });
    tuner.directory = mkdtempSync(join(tmpdir(), 'huesieve-tuner-'));
    return tuner;
  }

  async stop() {
    await this.context.close();
    this.server.close();
    for (const folder of [this.profile, this.directory]) rmSync(folder, { recursive: true, force: true });
  }

  // A new page with the sample open and rendered; `viewport` in CSS pixels.
  async open(viewport = null) {
    const page = await this.context.newPage();
    if (viewport !== null) await page.setViewportSize(viewport);
    page.errors = [];
    page.on('pageerror', (error) => page.errors.push(error.message));
    await page.goto(this.url);
    await idle(page);
    return page;
  }

  // A scratch file path.
  path(name) {
    return join(this.directory, name);
  }
}

export function result(page) {
  return page.getByRole('img', { name: 'Result', exact: true });
}

export function alertText(page) {
  return page.getByRole('alert').textContent();
}

// Waits until the picture shows what the controls ask for.
export async function idle(page) {
  await page.waitForFunction(
      () => document.querySelector('canvas[aria-label="Result"]')?.getAttribute('aria-busy') ===
            'false',
      null, { timeout: 20000 });
}

export function label(page, name) {
  return page.getByLabel(name, { exact: true });
}

export async function openImage(page, name, bytes, mimeType = 'image/png') {
  await label(page, 'Open image').setInputFiles({ name, mimeType, buffer: Buffer.from(bytes) });
  await idle(page);
}

export async function loadSettings(page, name, text) {
  await label(page, 'Load settings').setInputFiles(
      { name, mimeType: 'application/json', buffer: Buffer.from(text) });
  await idle(page);
}

// Sets entry k (from 1) through its controls; only the fields given.
export async function setEntry(page, k, { enabled, color, range, softness }) {
  if (enabled !== undefined) await label(page, `Enable color ${k}`).setChecked(enabled);
  if (color !== undefined) await label(page, `Color ${k}`).fill(color.toLowerCase());
  if (range !== undefined) await label(page, `Range ${k}`).fill(String(range));
  if (softness !== undefined) await label(page, `Softness ${k}`).fill(String(softness));
  await idle(page);
}

async function download(page, button) {
  const [file] = await Promise.all([
    page.waitForEvent('download'),
    page.getByRole('button', { name: button, exact: true }).click(),
  ]);
  return { name: file.suggestedFilename(), bytes: readFileSync(await file.path()) };
}

// "Save result": the file's name and its RGBA samples.
export async function saveResult(page) {
  const { name, bytes } = await download(page, 'Save result');
  return { name, image: await readInTuner(bytes, name) };
}

// "Save result" for a file the tool's codecs read: its name and bytes.
export function saveResultFile(page) {
  return download(page, 'Save result');
}

export async function saveSettings(page) {
  const { name, bytes } = await download(page, 'Save settings');
  return { name, text: bytes.toString('utf8') };
}

export async function copyCommand(page) {
  await page.getByRole('button', { name: 'Copy command', exact: true }).click();
  return label(page, 'Command').inputValue();
}

// The copied command, run by the shell in `directory` with the tool on the
// PATH; returns the RGBA samples of the file it wrote.
export async function runCommand(command, directory, outputName) {
  execFileSync('bash', ['-c', command], {
    cwd: directory,
    env: { ...process.env, PATH: `${dirname(kTool)}:${process.env.PATH}` },
    stdio: ['ignore', 'pipe', 'pipe'],
  });
  return readInTuner(readFileSync(join(directory, outputName)), outputName);
}

// huesieve-render --settings on the same image and key.
export async function toolRender(directory, name, bytes, settingsText) {
  writeFileSync(join(directory, name), bytes);
  writeFileSync(join(directory, `${name}.json`), settingsText);
  const output = join(directory, `${name}-tool.png`);
  execFileSync(kTool, ['--settings', join(directory, `${name}.json`), join(directory, name), output],
               { stdio: ['ignore', 'pipe', 'pipe'] });
  return readInTuner(readFileSync(output), output);
}
