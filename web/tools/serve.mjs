// A static file server for the built tuner, on the loopback address only.
// Usage: node serve.mjs FOLDER [PORT]   (PORT 0: any free port)
import { createReadStream } from 'node:fs';
import { stat } from 'node:fs/promises';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve } from 'node:path';

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.json': 'application/json',
};

// The two headers that make a page cross-origin isolated, so that it may
// share memory between the tuner's threads; every file the page loads is
// its own, so nothing it needs is refused.
const kIsolation = {
  'Cross-Origin-Opener-Policy': 'same-origin',
  'Cross-Origin-Embedder-Policy': 'require-corp',
};

// Serves `folder` until the returned server is closed; resolves to its URL.
// `isolated`: with the isolation headers, as a host should serve the tuner;
// without them the tuner renders on one thread.
export function serve(folder, port = 0, { isolated = true } = {}) {
  const root = resolve(folder);
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    let file = normalize(join(root, path));
    try {
      if (!file.startsWith(root)) throw new Error('outside the folder');
      if ((await stat(file)).isDirectory()) file = join(file, 'index.html');
      await stat(file);
    } catch {
      response.writeHead(404).end('not found');
      return;
    }
    response.writeHead(200, {
      'Content-Type': kTypes[extname(file)] ?? 'application/octet-stream',
      ...(isolated ? kIsolation : {}),
    });
    createReadStream(file).pipe(response);
  });
  return new Promise((done) => {
    server.listen(port, '127.0.0.1', () => {
      done({ server, url: `http://127.0.0.1:${server.address().port}/` });
    });
  });
}

if (import.meta.url === `file://${process.argv[1]}`) {
  const { url } = await serve(process.argv[2] ?? '.', Number(process.argv[3] ?? 8000));
  console.log(`Huesieve tuner at ${url}`);
}
