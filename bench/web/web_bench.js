// The page's own cost, per scene and per browser (web/test/browsers.js: Chromium headless
// on SwiftShader, Firefox ESR on Mesa under Xvfb), against each browser's floor measured
// in the same run, and what the page transfers.
//
//   node bench/web/web_bench.js BUILD_WEB_FOLDER [FRAMES_BENCH_PROGRAM] [seconds per scene]
//
// Run from the repository root (frames_bench reads data/). Per scene: the main-thread
// milliseconds the page's frame callback takes (median and 90th percentile; the show's
// JavaScript, WebAssembly and WebGL calls), the frames a second, and their ratio to the
// floor's (bench/web/floor.html: a page that only clears a canvas of the same size, so
// what the browser itself needs to show a frame). The page plays the real show with its
// music; each intro scene is held by moving the music back to it, the gallery comes after
// order 6. The native frames_bench on llvmpipe is information only: another renderer.
'use strict';
const {execFileSync} = require('child_process');
const fs = require('fs');
const path = require('path');
const {closeBrowser, diagnose, finish, launch, missing, openPage, serve, sleep} = require('../../web/test/browsers');

const root = path.resolve(process.argv[2] || 'build-web');
const framesBench = process.argv[3];
const seconds = Number(process.argv[4] || 4);
const kTransferLimit = 4 * 1024 * 1024;
const kCostTarget = 4;         // ms, 90th percentile, every scene
const kLogoFloorShare = 0.9;   // the logo's frame rate against the floor's
// Scene, the orders that show it, and the name frames_bench gives it.
const kScenes = [['logo', [0, 1]], ['tunnel', [2]], ['tunnel+panel', [3]], ['spheres', [4]],
                 ['spheres+panel', [5]], ['gallery set 1', []]];
// Firefox rounds performance.now() to the millisecond unless told otherwise.
const kFirefoxPrefs = {'privacy.reduceTimerPrecision': false};

function nativeFps() {
  if (!framesBench) return {};
  const fps = {};
  for (const line of execFileSync(framesBench, ['120'], {encoding: 'utf8'}).split('\n')) {
    const m = line.match(/^(.+?)\s+([\d.]+)\s+([\d.]+)$/);
    if (m) fps[m[1].trim()] = 1000 / Number(m[2]);
  }
  return fps;
}

// Frames a second and the frame callback's milliseconds over `seconds`, after a second
// to settle.
async function measure(page) {
  await sleep(1000);
  await page.evaluate(() => {
    lumivexPage.costs = [];
    window.benchFrom = [lumivexPage.frames, performance.now(), window.lumivexAudio ? lumivexAudio.silentBuffers : 0];
  });
  await sleep(seconds * 1000);
  return page.evaluate(() => {
    const costs = lumivexPage.costs.sort((a, b) => a - b);
    lumivexPage.costs = null;
    const fps = (lumivexPage.frames - benchFrom[0]) / ((performance.now() - benchFrom[1]) / 1000);
    const silent = window.lumivexAudio ? lumivexAudio.silentBuffers - benchFrom[2] : 0;
    return {fps, median: costs[costs.length >> 1], p90: costs[Math.floor(costs.length * 0.9)], silent};
  });
}

async function runBrowser(name, server) {
  const browser = await launch(name, {firefoxPrefs: kFirefoxPrefs});
  const opened = async (url) => {
    const page = await openPage(browser, url);
    if (!page.ready) throw new Error(`${name}: ${url} never said "ready"`);
    return page;
  };
  let page = null;
  try {
    const floorPage = (await opened(server.url() + 'floor.html')).page;
    await floorPage.click('#start-button');
    const floor = await measure(floorPage);
    await floorPage.close();

    ({page} = await opened(server.url()));
    await page.click('#start-button');
    await page.waitForFunction(() => lumivexAudio.played > 0, {timeout: 10000, polling: 100}).catch(async () => {
      const state = await page.evaluate(() => JSON.stringify([lumivexAudio.context && lumivexAudio.context.state,
                                                              lumivexAudio.path, lumivexPage.boxes]));
      throw new Error(`${name}: the page's sound did not start (${state})`);
    });
    const scenes = {};
    for (const [scene, orders] of kScenes) {
      // Held from a timer, not the frame callback, so the seeks cost the frames nothing.
      await page.evaluate((orders) => {
        clearInterval(window.benchHold);
        const hold = () => {
          if (!orders.includes(Module._lumivex_music_order())) Module._lumivex_seek(orders[0]);
        };
        if (orders.length > 0) window.benchHold = setInterval(hold, 50);
        hold();
      }, orders);
      if (orders.length === 0) {
        await page.waitForFunction(() => document.body.dataset.lumivex === 'gallery', {timeout: 60000, polling: 100});
      }
      scenes[scene] = await measure(page);
    }
    const info = await page.evaluate(() => {
      const gl = Module.ctx;
      const debug = gl.getExtension('WEBGL_debug_renderer_info');
      const a = lumivexAudio;
      return {renderer: debug ? gl.getParameter(debug.UNMASKED_RENDERER_WEBGL) : gl.getParameter(gl.RENDERER),
              silent: a.silentBuffers, audioMsPerSecond: a.renderMs / (a.played / a.rate)};
    });
    return {floor, scenes, ...info, version: await browser.version()};
  } catch (error) {
    error.loss = await diagnose(browser, page, error);
    throw error;
  } finally {
    await closeBrowser(browser);
  }
}

function transfer() {
  const files = ['index.html', 'lumivex.js', 'lumivex.wasm', 'lumivex-sound.js', 'lumivex.png'];
  const data = fs.readdirSync(path.join(root, 'data')).filter((f) => /\.(jpg|xm)$/.test(f));
  const size = (file) => fs.statSync(path.join(root, file)).size;
  const parts = files.map((f) => `${f} ${size(f)}`);
  const dataBytes = data.reduce((total, f) => total + size(path.join('data', f)), 0);
  const total = files.reduce((sum, f) => sum + size(f), 0) + dataBytes;
  return {total, text: `${parts.join(', ')}, data/ ${dataBytes} in ${data.length} files`};
}

async function main() {
  const native = nativeFps();
  const server = await serve(root, {}, {'/floor.html': fs.readFileSync(path.join(__dirname, 'floor.html'))});
  const results = {};
  for (const name of (process.env.LUMIVEX_WEB_BROWSERS || 'chromium,firefox').split(',')) {
    const why = missing(name);
    if (why) {
      console.log(`${name}: not run, ${why}`);
      continue;
    }
    // Where the driver lost a browser that still ran, the browser is measured once more,
    // afresh; a browser that died or a page that hung ends the benchmark, saying so.
    results[name] = await runBrowser(name, server).catch((error) => {
      const loss = error.loss || {retry: false, evidence: []};
      for (const line of loss.evidence) console.log(`${name}: ${line}`);
      if (!loss.retry) throw error;
      console.log(`${name}: ${error.message}; once more`);
      return runBrowser(name, server);
    });
  }
  server.close();
  finish();

  const f = (n, width, digits = 2) => (n === undefined ? '-' : n.toFixed(digits)).padStart(width);
  console.log(`Cost: main-thread ms per frame in the page's frame callback (median, 90th percentile); ` +
              `fps against the same browser's floor; ${seconds} s per scene`);
  const verdicts = [];
  for (const [name, r] of Object.entries(results)) {
    console.log(`\n${r.version}, ${r.renderer}: floor ${r.floor.fps.toFixed(1)} fps ` +
                `(cost ${r.floor.median.toFixed(2)} / ${r.floor.p90.toFixed(2)} ms)`);
    console.log(`${'scene'.padEnd(15)} ${'median ms'.padStart(9)} ${'p90 ms'.padStart(7)} ${'fps'.padStart(6)} ` +
                `${'/floor'.padStart(7)} ${'silent'.padStart(7)} ${'native fps'.padStart(11)}`);
    for (const [scene] of kScenes) {
      const s = r.scenes[scene];
      console.log(`${scene.padEnd(15)} ${f(s.median, 9)} ${f(s.p90, 7)} ${f(s.fps, 6, 1)} ` +
                  `${f(s.fps / r.floor.fps, 7)} ${f(s.silent, 7, 0)} ${f(native[scene], 11, 1)}`);
    }
    const worst = Math.max(...Object.values(r.scenes).map((s) => s.p90));
    const logo = r.scenes.logo.fps / r.floor.fps;
    console.log(`sound: ${r.silent} silent buffers in all; rendering it took ${r.audioMsPerSecond.toFixed(1)} ms ` +
                `of the main thread per second of music, outside the frame callback`);
    verdicts.push(`${name}: p90 at most ${kCostTarget} ms in every scene ${worst <= kCostTarget ? 'yes' : 'NO'} ` +
                  `(worst ${worst.toFixed(2)}), logo within 10 % of the floor ` +
                  `${logo >= kLogoFloorShare ? 'yes' : 'NO'} (${logo.toFixed(2)})`);
  }
  const t = transfer();
  console.log(`\ntargets: ${verdicts.join('; ')}`);
  console.log(`transfer: ${t.total} bytes (${(t.total / 1048576).toFixed(2)} MiB, at most 4 MiB ` +
              `${t.total <= kTransferLimit ? 'yes' : 'NO'}): ${t.text}`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
