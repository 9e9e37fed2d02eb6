// Frames per second of each scene of the show in headless Chromium (WebGL 1 on
// SwiftShader, the page of build-web/) against the native build on llvmpipe
// (frames_bench), measured in the same run, and what the page transfers.
//
//   node bench/web/web_bench.js BUILD_WEB_FOLDER FRAMES_BENCH_PROGRAM [seconds per scene]
//
// Run from the repository root (frames_bench reads data/). The page plays the real show
// with its music; each intro scene is held by moving the music to its order, the gallery
// comes after order 6. Chromium paces frames by requestAnimationFrame: a page that keeps
// up shows its display rate (60), not more.
'use strict';
const {execFileSync} = require('child_process');
const fs = require('fs');
const http = require('http');
const path = require('path');
const zlib = require('zlib');
const {chromium} = require(path.resolve(__dirname, '../../web/test/node_modules/playwright-core'));

const root = path.resolve(process.argv[2] || 'build-web');
const framesBench = process.argv[3];
const seconds = Number(process.argv[4] || 4);
const kFlags = ['--headless', '--no-sandbox', '--enable-unsafe-swiftshader',
                '--use-angle=swiftshader', '--autoplay-policy=no-user-gesture-required'];
const kTypes = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};
// Page scene, music order, and the name frames_bench gives the same scene.
const kScenes = [['logo', 0, 'logo'], ['tunnel', 2, 'tunnel'], ['tunnel+panel', 3, 'tunnel+panel'],
                 ['spheres', 4, 'spheres'], ['spheres+panel', 5, 'spheres+panel'],
                 ['gallery set 1', 6, 'gallery set 1']];

function nativeMsPerFrame() {
  const out = execFileSync(framesBench, ['120'], {encoding: 'utf8'});
  const ms = {};
  for (const line of out.split('\n')) {
    const m = line.match(/^(.+?)\s+([\d.]+)\s+([\d.]+)$/);
    if (m) ms[m[1].trim()] = Number(m[2]);
  }
  return ms;
}

function serve() {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(root, name === '/' ? 'index.html' : name);
    if (!file.startsWith(root) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404);
      return response.end();
    }
    response.writeHead(200, {'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream'});
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function sizes() {
  const entry = (file) => {
    const bytes = fs.readFileSync(file);
    return {bytes: bytes.length, gzip: zlib.gzipSync(bytes, {level: 9}).length};
  };
  const data = fs.readdirSync(path.join(root, 'data'))
                   .filter((f) => /\.(jpg|xm)$/.test(f))
                   .map((f) => entry(path.join(root, 'data', f)));
  const sum = (list, key) => list.reduce((total, e) => total + e[key], 0);
  return {wasm: entry(path.join(root, 'lumivex.wasm')), js: entry(path.join(root, 'lumivex.js')),
          html: entry(path.join(root, 'index.html')),
          data: {bytes: sum(data, 'bytes'), gzip: sum(data, 'gzip'), files: data.length}};
}

async function main() {
  const native = nativeMsPerFrame();
  const server = await serve();
  const browser = await chromium.launch({executablePath: '/usr/bin/chromium', args: kFlags});
  const page = await browser.newPage({viewport: {width: 800, height: 600}});
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.waitForFunction(() => document.body.dataset.lumivex === 'ready', null, {timeout: 60000});
  await page.click('#start-button');
  await page.waitForFunction(() => document.body.dataset.lumivex === 'intro');
  const webFps = {};
  for (const [scene, order] of kScenes) {
    const fps = await page.evaluate(async ([order, seconds]) => {
      const hold = () => Module._lumivex_seek(order);
      const frames = (ms) => new Promise((resolve) => {
        let count = 0;
        const start = performance.now();
        const tick = (now) => {
          // Intro scenes are held at their order; the gallery stays once it has come.
          if (order < 6) hold();
          if (now - start >= ms) return resolve(count / ((now - start) / 1000));
          ++count;
          requestAnimationFrame(tick);
        };
        requestAnimationFrame(tick);
      });
      hold();
      if (order === 6) {
        while (document.body.dataset.lumivex !== 'gallery') await frames(100);
      }
      await frames(1000);  // warm-up
      return frames(seconds * 1000);
    }, [order, seconds]);
    webFps[scene] = fps;
  }
  const renderer = await page.evaluate(() => {
    const gl = Module.ctx;
    const info = gl.getExtension('WEBGL_debug_renderer_info');
    return info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : gl.getParameter(gl.RENDERER);
  });
  await browser.close();
  server.close();

  console.log(`web: Chromium, ${renderer}; native: frames_bench on llvmpipe; ${seconds} s per scene`);
  console.log(`${'scene'.padEnd(16)} ${'native fps'.padStart(11)} ${'web fps'.padStart(9)} ${'web/native'.padStart(11)}`);
  for (const [scene, , nativeName] of kScenes) {
    const nativeFps = 1000 / native[nativeName];
    console.log(`${scene.padEnd(16)} ${nativeFps.toFixed(1).padStart(11)} ${webFps[scene].toFixed(1).padStart(9)} ` +
                `${(webFps[scene] / nativeFps).toFixed(2).padStart(11)}`);
  }
  const s = sizes();
  const kb = (n) => (n / 1024).toFixed(0) + ' KiB';
  console.log(`transfer: wasm ${kb(s.wasm.bytes)} (${kb(s.wasm.gzip)} gzipped), js ${kb(s.js.bytes)} ` +
              `(${kb(s.js.gzip)}), html ${kb(s.html.bytes)}, data ${kb(s.data.bytes)} in ${s.data.files} files ` +
              `(${kb(s.data.gzip)} gzipped)`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
