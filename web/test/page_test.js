// The page in the two browsers people use on Linux, Chromium and Firefox ESR
// (web/test/browsers.js), each through the same list of checks:
//   node web/test/page_test.js BUILD_WEB_FOLDER [LOGO_PPM]
// serves the folder on 127.0.0.1 and checks: the phases; the canvas's fit; the sound
// started by the click alone and never starved; the console clean at start and what the
// page transfers; the logo on screen, the right way up (against the native frame LOGO_PPM
// when given); the page never scrolls; Escape and a second start; with a picture missing,
// the dialog with the desktop's text, answered by Enter; with a fast module, a hidden tab
// while the music goes on, then the gallery, its keys tapped and held, and a second start
// that begins it afresh; a broken module reported. Then what one browser allows: Chromium
// with its main thread slowed down 4 times and on an origin without AudioWorklet, Firefox
// without a sound server. On a fast display (Chromium unlimited, Firefox at 144 Hz) and in
// Firefox at 30 callbacks a second, the show runs 60 passes a second. Last the page's loading in each browser: index.html opened from
// its folder, and served with lumivex.wasm missing or corrupt, lumivex.js or the sound
// worklet missing, each said on the page; the one-file page holding data/ byte for byte,
// and alone in a folder, from disk, with sound and the tunnel; each page's time to its
// start and its first frame. A browser that is not installed is skipped, and said so.
'use strict';
const fs = require('fs');
const path = require('path');
const {pathToFileURL} = require('url');
const {closeBrowser, diagnose, finish, launch, missing, openPage, serve, sleep} = require('./browsers');

const root = path.resolve(process.argv[2] || 'build-web');
const logoPpm = process.argv[3];
const out = path.join(root, 'obj', 'page-test');  // frames and screenshots to look at
const kTransferLimit = 4 * 1024 * 1024;
const kMissingPicture = 'tarnel.jpg';  // a title panel of the intro: the gallery stays whole

let failures = 0;

// The shipped module at speed 2 and 255 BPM (the XM header's default tempo and BPM at
// bytes 76 and 78): its orders pass in about a second each, so the gallery comes soon.
function fastModule() {
  const bytes = Buffer.from(fs.readFileSync(path.join(root, 'data', 'lumivex.xm')));
  bytes.writeUInt16LE(2, 76);
  bytes.writeUInt16LE(255, 78);
  return bytes;
}

// The canvas as RGB rows of the show's 800 x 600, top row first. Its drawing buffer
// follows the canvas's size on the screen (in fullscreen, at a phone's pixel ratio):
// other sizes are sampled to 800 x 600, nearest pixel, so that every frame compares.
async function readCanvas(page) {
  const base64 = await page.evaluate(() => {
    const gl = Module.ctx;
    const w = gl.drawingBufferWidth, h = gl.drawingBufferHeight;
    const pixels = new Uint8Array(w * h * 4);
    gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
    const [width, height] = [800, 600];
    const rgb = new Uint8Array(width * height * 3);
    for (let y = 0; y < height; ++y) {
      const sy = Math.floor((y + 0.5) * h / height);
      for (let x = 0; x < width; ++x) {
        const sx = Math.floor((x + 0.5) * w / width);
        const from = ((h - 1 - sy) * w + sx) * 4, to = (y * width + x) * 3;  // bottom row first
        rgb[to] = pixels[from];
        rgb[to + 1] = pixels[from + 1];
        rgb[to + 2] = pixels[from + 2];
      }
    }
    let text = '';
    for (let i = 0; i < rgb.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, rgb.subarray(i, i + 0x8000));
    }
    return btoa(text);
  });
  return Buffer.from(base64, 'base64');
}

function readPpm(file) {
  const data = fs.readFileSync(file);
  const header = data.toString('latin1', 0, 20).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  return {width: +header[1], height: +header[2], rgb: data.subarray(header[0].length)};
}

function writePpm(name, rgb) {
  fs.writeFileSync(path.join(out, name), Buffer.concat([Buffer.from('P6\n800 600\n255\n'), rgb]));
}

function meanDifference(a, b) {
  let total = 0;
  for (let i = 0; i < a.length; ++i) total += Math.abs(a[i] - b[i]);
  return total / a.length;
}

// The share of pixels that changed strongly (a channel more than 64 apart): a picture
// hung or taken down changes a whole area so; the stars' slow turn moves only their edges.
function strongShare(a, b) {
  let changed = 0;
  for (let i = 0; i < a.length; i += 3) {
    if (Math.max(Math.abs(a[i] - b[i]), Math.abs(a[i + 1] - b[i + 1]), Math.abs(a[i + 2] - b[i + 2])) > 64) ++changed;
  }
  return changed / (a.length / 3);
}

function flipRows(rgb, width, height) {
  const flipped = Buffer.alloc(rgb.length);
  const stride = width * 3;
  for (let y = 0; y < height; ++y) rgb.copy(flipped, (height - 1 - y) * stride, y * stride, (y + 1) * stride);
  return flipped;
}

function litPixels(rgb) {
  let lit = 0;
  for (let i = 0; i < rgb.length; i += 3) if (rgb[i] + rgb[i + 1] + rgb[i + 2] > 30) ++lit;
  return lit;
}

const percent = (share) => (100 * share).toFixed(2) + ' %';

// A tap: the key's down and up in one event turn, so both reach the show between two
// frames; only the frame pass's tap latch lets such a key act. Dispatched in the page, so
// a browser in fullscreen does not keep Escape for itself.
async function tap(page, code) {
  await page.evaluate((code) => {
    for (const type of ['keydown', 'keyup']) {
      window.dispatchEvent(new KeyboardEvent(type, {code, key: code, bubbles: true, cancelable: true}));
    }
  }, code);
}

// Whether `test` comes true within `timeout` ms. Polled from here, not by the page's own
// animation frames or timers, which a hidden page lacks or has once a second.
async function reached(page, test, timeout, arg) {
  for (const end = Date.now() + timeout; Date.now() < end; await sleep(250)) {
    if (await page.evaluate(test, arg)) return true;
  }
  return false;
}
async function until(page, test, timeout, arg) {
  if (!await reached(page, test, timeout, arg)) throw new Error(`waited ${timeout / 1000} s for ${test}`);
}
const inPhase = (page, phase, timeout) =>
  reached(page, (phase) => document.body.dataset.lumivex === phase, timeout, phase);
const waitPhase = (page, phase, timeout) =>
  until(page, (phase) => document.body.dataset.lumivex === phase, timeout, phase);
const boxShown = (page, open, timeout) =>
  reached(page, (open) => document.getElementById('box').open === open, timeout, open);
const boxOpen = (page, open, timeout) =>
  until(page, (open) => document.getElementById('box').open === open, timeout, open);
const order = (page) => page.evaluate(() => Module._lumivex_music_order());
const sound = (page) => page.evaluate(() => {
  const a = lumivexAudio;
  return {state: a.context ? a.context.state : 'closed', path: a.path, silent: a.silentBuffers,
          played: a.played, boxes: lumivexPage.boxes.map((box) => box[1].trim())};
});

// The sound once the browser has had its two seconds to start it: playing, from the
// worklet (or, without one, from the page), and no report.
async function checkSoundStarted(t, what) {
  await sleep(2500);
  const s = await sound(t.page);
  t.check(s.state === 'running' && s.played > 0 && s.path === t.soundPath && s.boxes.length === 0,
          `${what}: the click started the sound (${s.state}, ${s.played} frames played from the ` +
          `${s.path}, ${s.boxes.length} reports)`);
}

// Firefox's driver may never answer a call made while the window changes state (the
// start click's fullscreen, Escape leaving it, a tab switch): such steps wait a second.
const settle = () => sleep(1000);

// The start click, up to the intro; `box` when a report is due at start-up; `what`, the
// check that the intro came. Returns when the click was made.
async function clickStart(t, {box = false, what = null} = {}) {
  t.step('the start click');
  const clicked = Date.now();
  await t.page.click('#start-button');
  await settle();
  if (box) await boxOpen(t.page, true, 30000);
  else if (what) t.require(await inPhase(t.page, 'intro', 30000), what);
  else await waitPhase(t.page, 'intro', 30000);
  return clicked;
}

// A tapped Escape, up to the end; `what`, the check that it came.
async function escape(t, what = null) {
  t.step('Escape');
  await tap(t.page, 'Escape');
  await settle();
  if (what) t.check(await inPhase(t.page, 'ended', 10000), what);
  else await waitPhase(t.page, 'ended', 10000);
}

// The shipped show: the page's fit, the sound, the logo, the keys, Escape, a second start.
async function wholeShow(t) {
  const {page} = t;
  const box = async () => page.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return [r.left, r.top, r.width, r.height, document.documentElement.scrollWidth,
            document.documentElement.scrollHeight].map(Math.round).join(' ');
  });
  t.step('the canvas fit');
  for (const [width, height, expected, what] of [
    [800, 600, '0 0 800 600 800 600', 'an 800 x 600 page is the canvas exactly'],
    [1000, 600, '100 0 800 600 1000 600', 'a wider page letterboxes it'],
    [400, 400, '0 50 400 300 400 400', 'a smaller one scales it, 4:3 kept']]) {
    await page.setViewport({width, height});
    const got = await box();
    t.check(got === expected, `${what} (${got})`);
  }
  await page.setViewport({width: 800, height: 600});
  await clickStart(t, {what: 'the click starts the intro'});
  await checkSoundStarted(t, 'no autoplay flag');
  t.check(t.said.problems.length === 0,
          `the console stays clean at start (${t.said.problems.join('; ') || 'no error, warning or failed request'})`);
  t.check(t.server.bytes <= kTransferLimit, `the page transfers ${t.server.bytes} bytes, at most 4 MiB`);
  t.step('the logo');
  const frame = await readCanvas(page);
  const lit = litPixels(frame);
  t.check(lit > 800 * 600 / 4, `the logo is on screen (${lit} lit pixels)`);
  writePpm(`logo-${t.name}.ppm`, frame);
  if (logoPpm) {
    const native = readPpm(logoPpm);
    const straight = meanDifference(frame, native.rgb);
    const flipped = meanDifference(frame, flipRows(native.rgb, native.width, native.height));
    t.check(straight < 4 && straight * 4 < flipped,
            `the logo is the native frame, the right way up (mean difference ${straight.toFixed(2)}, flipped ${flipped.toFixed(2)})`);
  }
  t.step('the keys');
  for (const key of ['ArrowDown', 'ArrowDown', ' ', 'PageDown', 'ArrowUp']) await page.keyboard.press(key);
  const scrolled = await page.evaluate(() => window.scrollX + window.scrollY +
      document.documentElement.scrollTop + document.body.scrollTop);
  t.check(scrolled === 0, 'the keys never scroll the page');
  const [cursor, over] = await page.evaluate(() => [getComputedStyle(document.getElementById('canvas')).cursor,
                                                     getComputedStyle(document.getElementById('start')).display]);
  t.check(cursor === 'none' && over === 'none',
          `the cursor is hidden over the playing canvas, and nothing lies over it (${cursor}, start: ${over})`);
  await escape(t);
  const offered = await page.evaluate(() => getComputedStyle(document.getElementById('start')).display !== 'none');
  t.check(offered, 'a tapped Escape ends the show and offers a new start');
  await clickStart(t);
  await sleep(500);
  t.check(meanDifference(await readCanvas(page), frame) < 4, 'a second start plays the logo again');
  await checkSoundStarted(t, 'a second start');
}

// A picture missing and the fast module: the report, a hidden tab, the gallery and its keys.
async function missingPictureAndGallery(t) {
  const {page} = t;
  await clickStart(t, {box: true});
  const caption = await page.$eval('#box-caption', (e) => e.textContent);
  const text = await page.$eval('#box-text', (e) => e.textContent);
  const expected = `Texture ' data\\${kMissingPicture} ' Loading Error (file don't exist)`;
  t.check(caption === 'Vorlen - ERROR', `the dialog's heading is "Vorlen - ERROR" (${caption})`);
  t.check(text.includes(expected), `the dialog says ${expected} (${text.trim()})`);
  const logged = t.said.lines.filter((line) => line.includes(expected)).length;
  t.check(logged >= 2, `the log's line and the box's text both reach the console (${logged})`);
  await page.keyboard.press('Enter');
  t.require(await boxShown(page, false, 5000), 'Enter answers the dialog');
  t.require(await inPhase(page, 'intro', 10000), 'the show goes on after it');

  // Hidden while the intro plays: no frame, the music goes on; shown again at order 6, the
  // intro hands over to the gallery at once, as the music says.
  t.step('the hidden tab: another tab in front');
  const before = await order(page);
  const other = await t.browser.newPage();
  await other.bringToFront();
  await settle();
  t.step('the hidden tab: waiting for order 6');
  await until(page, () => document.visibilityState === 'hidden', 5000);
  const framesHidden = await page.evaluate(() => lumivexPage.frames);
  await until(page, () => Module._lumivex_music_order() === 6, 20000);
  t.step('the hidden tab: shown again');
  const framesLater = await page.evaluate(() => lumivexPage.frames);
  const phaseHidden = await page.evaluate(() => document.body.dataset.lumivex);
  t.check(framesLater - framesHidden <= 1 && phaseHidden === 'intro',
          `nothing is drawn while the tab is hidden (${framesLater - framesHidden} frames, still "${phaseHidden}")`);
  t.check(before < 5, `the music goes on while it is hidden (order ${before} when hidden, 6 now)`);
  await page.bringToFront();
  await settle();
  await other.close();
  t.require(await inPhase(page, 'gallery', 3000),
            'shown again, the show resumes where the music is: the gallery, at order 6');

  t.step('the gallery keys');
  // SwiftShader draws the gallery at a few frames a second here: a tap's down and up
  // both land between two frames, a held key spans several.
  const tapped = async (key) => {
    await tap(page, key);
    await sleep(700);
  };
  await sleep(500);
  const set1 = await readCanvas(page);
  await sleep(450);
  // The stars turn slowly on their own; a change of pictures moves far more than that.
  const turning = strongShare(set1, await readCanvas(page));
  await tapped('Digit2');
  const set2 = await readCanvas(page);
  await tapped('Digit3');
  const set3 = await readCanvas(page);
  console.log(`     (the stars alone change ${percent(turning)} of the pixels in 450 ms)`);
  const changed = (a, b) => strongShare(a, b) > 2 * turning + 0.003;
  t.check(changed(set1, set2), `a tapped 2 hangs the second set (${percent(strongShare(set1, set2))} changed)`);
  t.check(changed(set2, set3), `a tapped 3 takes the set down (${percent(strongShare(set2, set3))} changed)`);
  await page.keyboard.down('ArrowLeft');
  await sleep(1000);
  await page.keyboard.up('ArrowLeft');
  await sleep(300);
  const turned = await readCanvas(page);
  t.check(changed(set3, turned), `a held Left turns the room (${percent(strongShare(set3, turned))} changed)`);
  writePpm(`gallery-${t.name}.ppm`, turned);
  t.step('the screenshot');
  await page.screenshot({path: path.join(out, `page-gallery-${t.name}.png`)});
  const s = await sound(page);
  t.check(s.silent === 0, `the sound never starved, hidden tab included (${s.silent} silent buffers, ${s.played} frames)`);

  await escape(t, 'a tapped Escape ends the gallery');
  // A second start is a fresh show: the intro again, then the gallery as it first was
  // (set 1, facing the way it first faced), not as the last one was left.
  await clickStart(t, {box: true});
  await page.keyboard.press('Enter');
  t.require(await inPhase(page, 'intro', 10000), 'a second start begins with the intro');
  await waitPhase(page, 'gallery', 60000);
  await sleep(500);
  const fresh = await readCanvas(page);
  t.check(!changed(set1, fresh) && changed(turned, fresh),
          `the second gallery starts as the first did (${percent(strongShare(set1, fresh))} changed ` +
          `from the first one's start, ${percent(strongShare(turned, fresh))} from where it was left)`);
  await escape(t);
}

// A module that is no module: the desktop's report, and the show goes on, silent.
async function brokenModule(t) {
  await clickStart(t, {box: true});
  const text = await t.page.$eval('#box-text', (e) => e.textContent);
  t.check(text.includes('Music File Not Found'), `a broken module is reported (${text.trim()})`);
  await t.page.keyboard.press('Enter');
  t.check(await inPhase(t.page, 'intro', 10000), 'the show goes on, silent');
}

// The normal module with the main thread slowed down 4 times (CDP): 20 s of the intro.
async function slowMainThread(t) {
  await clickStart(t);
  await checkSoundStarted(t, 'before slowing down');
  const cdp = await t.page.createCDPSession();
  await cdp.send('Emulation.setCPUThrottlingRate', {rate: 4});
  const before = await t.page.evaluate(() => [lumivexPage.frames, lumivexAudio.silentBuffers]);
  await sleep(20000);
  const after = await t.page.evaluate(() => [lumivexPage.frames, lumivexAudio.silentBuffers]);
  await cdp.send('Emulation.setCPUThrottlingRate', {rate: 1});
  const s = await sound(t.page);
  t.check(after[1] === 0 && s.state === 'running' && s.boxes.length === 0,
          `20 s of the intro with the main thread slowed 4 times: ${after[1]} silent buffers ` +
          `(${((after[0] - before[0]) / 20).toFixed(1)} frames a second, order ${await order(t.page)})`);
}

// Served from a name that is no secure origin: no AudioWorklet; the page plays the same
// queue from a ScriptProcessorNode, and the intro still follows the music.
async function noAudioWorklet(t) {
  t.check(await t.page.evaluate(() => !('audioWorklet' in BaseAudioContext.prototype)),
          'this origin has no AudioWorklet');
  await clickStart(t);
  await checkSoundStarted(t, 'without AudioWorklet');
  t.check(await reached(t.page, () => Module._lumivex_music_order() >= 2, 10000),
          'the music leads the intro on from the page\'s own thread');
}

// No sound server: the context stays suspended after the click. Two seconds later the
// desktop's report for a missing device; then the show stays on the logo until Escape,
// although the fast module would be at order 3 by then.
async function noSoundServer(t) {
  const clicked = await clickStart(t);
  await boxOpen(t.page, true, 10000);
  const waited = (Date.now() - clicked) / 1000;
  const text = await t.page.$eval('#box-text', (e) => e.textContent);
  const expected = "Quenra3D_Music -> Can't initialize device   [0]";
  t.check(text.trim() === expected && waited >= 2,
          `the sound that never started is reported after ${waited.toFixed(1)} s (${text.trim()})`);
  t.check(t.said.lines.some((line) => line === expected), 'the log\'s line reaches the console');
  await t.page.keyboard.press('Enter');
  await boxOpen(t.page, false, 5000);
  await sleep(3000);
  const frame = await readCanvas(t.page);
  const phase = await t.page.evaluate(() => document.body.dataset.lumivex);
  t.check(phase === 'intro' && await order(t.page) === 0 && litPixels(frame) > 800 * 600 / 4,
          `the show stays on the logo, silent (${phase}, order ${await order(t.page)})`);
  await escape(t, 'Escape ends it');
}

// The page's loading: what does not load is said in place of the start button; the
// one-file page (lumivex.html) plays from disk. Each case has its own page in the
// units' browser.
const kLoadVariants = {
  nowasm: {hidden: new Set(['lumivex.wasm'])},
  badwasm: {replaced: {'lumivex.wasm': Buffer.from('\0asm\x01\0\0\0' + 'damaged '.repeat(64))}},
  nojs: {hidden: new Set(['lumivex.js'])},
  nosound: {hidden: new Set(['lumivex-sound.js'])},
};
const kSaidWithin = 5000;  // ms from opening a page that cannot load to its message

// A page that cannot load: the message within kSaidWithin, the start button no longer
// "Loading", the console saying it once and nothing thrown.
async function loadFailure(t, url, expected, link) {
  const page = t.page = await t.browser.newPage();
  const ours = [], thrown = [];
  page.on('console', (message) => { if (/^Lumivex could not load/.test(message.text())) ours.push(message.text()); });
  page.on('pageerror', (error) => thrown.push(String(error)));
  await page.setViewport({width: 800, height: 600});
  const opened = Date.now();
  await page.goto(url);
  await until(page, () => !document.getElementById('load-error').hidden, kSaidWithin - (Date.now() - opened));
  const waited = Date.now() - opened;
  await sleep(1000);  // anything said again comes now
  const [text, button, disabled, href] = await page.evaluate(() => {
    const a = document.querySelector('#load-error a');
    return [document.getElementById('load-error').textContent, document.getElementById('start-button').textContent,
            document.getElementById('start-button').disabled, a ? a.href : null];
  });
  t.check(expected.test(text) && button !== 'Loading' && disabled,
          `the page says it within ${waited} ms of opening (at most ${kSaidWithin}): "${text}" (button "${button}")`);
  t.check(ours.length === 1 && thrown.length === 0,
          `the console says it once (${ours.length} times) and nothing is thrown (${thrown.join('; ') || 'nothing'})`);
  if (link) {
    t.check(/make serve-web/.test(text) && /python3 -m http\.server/.test(text) && href === link,
            `it says how to serve it, and links the one-file page (${href})`);
  }
  return page;
}

// The served page, then the one-file page from a folder of its own, in the same browser:
// each one's time to the start offered and from the click to the first frame; the one-file
// page's click starting the show with sound, and the music sought to the tunnel.
async function oneFilePage(t, servedUrl, oneFileUrl) {
  const times = [];
  for (const [which, url] of [['served page', servedUrl], ['one-file page', oneFileUrl]]) {
    t.step(`opening the ${which}`);
    Object.assign(t, await openPage(t.browser, url));
    t.require(t.ready, `the ${which} loads and says "ready"`);
    await watchStalls(t.page);
    await t.page.evaluate(() => {
      const frame = Module._lumivex_frame;
      Module._lumivex_frame = () => {
        if (window.firstFrameAt === undefined) window.firstFrameAt = performance.now();
        return frame();
      };
      document.getElementById('start-button').addEventListener('click', () => {
        window.clickAt = performance.now();
      }, {capture: true});
    });
    await clickStart(t);
    const [ready, click, first] = await t.page.evaluate(() => [lumivexLoad.readyAt, clickAt, firstFrameAt]);
    times.push(`${which}: start offered ${ready.toFixed(0)} ms after opening, first frame ` +
               `${(first - click).toFixed(0)} ms after the click`);
    if (which === 'served page') await t.page.close();
  }
  console.log(`     (${t.name}: ${times.join('; ')})`);
  await checkSoundStarted(t, 'from disk');
  t.check(t.said.problems.length === 0,
          `its console stays clean, nothing read beside it (${t.said.problems.join('; ') || 'no error, warning or failed request'})`);
  t.step('the one-file page: seeking the tunnel');
  const logo = await readCanvas(t.page);
  await t.page.evaluate(() => {
    window.holdTunnel = setInterval(() => { if (Module._lumivex_music_order() !== 2) Module._lumivex_seek(2); }, 50);
  });
  await until(t.page, () => Module._lumivex_music_order() === 2, 10000);
  await sleep(1500);
  const tunnel = await readCanvas(t.page);
  await t.page.evaluate(() => clearInterval(window.holdTunnel));
  writePpm(`one-file-tunnel-${t.name}.ppm`, tunnel);
  t.check(strongShare(logo, tunnel) > 0.25 && litPixels(tunnel) > 800 * 600 / 4,
          `sought to order 2, it plays the tunnel (${percent(strongShare(logo, tunnel))} of the logo changed, ` +
          `${litPixels(tunnel)} lit pixels)`);
  await escape(t);
}

// The one-file page holds exactly the bytes of data/ as they are now: one written before
// the data folder last changed is stale (make web writes it again).
function oneFileData() {
  const page = fs.readFileSync(path.join(root, 'lumivex.html'), 'latin1');
  const held = new Map([...page.matchAll(/<script type="application\/octet-stream" data-file="data\/([^"]+)">([^<]*)</g)]
    .map(([, file, base64]) => [file.replace(/&quot;/g, '"').replace(/&amp;/g, '&'), Buffer.from(base64, 'base64')]));
  const files = fs.readdirSync(path.join(root, 'data'));
  const differ = files.filter((file) => !held.has(file) || !held.get(file).equals(fs.readFileSync(path.join(root, 'data', file))));
  const ok = differ.length === 0 && held.size === files.length;
  console.log(`${ok ? 'ok  ' : 'FAIL'} lumivex.html holds the ${files.length} files of data/ byte for byte ` +
              `(${held.size} held${differ.length ? ', differing or missing: ' + differ.join(', ') : ''})`);
  if (!ok) ++failures;
}

// The loading units open their own pages (opens: true): the page from a folder, the
// served page missing or with a damaged part of the program, and the one-file page copied
// alone into a folder of its own.
function loadingUnits(server, alone) {
  fs.copyFileSync(path.join(root, 'lumivex.html'), path.join(alone, 'lumivex.html'));
  const oneFile = pathToFileURL(path.join(alone, 'lumivex.html')).href;
  const fromFolder = async (t) => {
    await loadFailure(t, pathToFileURL(path.join(root, 'index.html')).href, /opened from a file/,
                      pathToFileURL(path.join(root, 'lumivex.html')).href);
    await t.page.screenshot({path: path.join(out, `page-from-a-folder-${t.name}.png`)});
  };
  return [
    {name: 'index.html from a folder', opens: true, run: fromFolder},
    {name: 'lumivex.wasm missing', opens: true,
     run: (t) => loadFailure(t, server.url('nowasm'), /lumivex\.wasm did not load \(404/)},
    {name: 'a corrupt lumivex.wasm', opens: true,
     run: (t) => loadFailure(t, server.url('badwasm'), /lumivex\.wasm is damaged \(CompileError/)},
    {name: 'lumivex.js missing', opens: true,
     run: (t) => loadFailure(t, server.url('nojs'), /lumivex\.js did not load \(404/)},
    {name: 'the sound worklet missing', opens: true,
     run: (t) => loadFailure(t, server.url('nosound'), /lumivex-sound\.js did not load \(404/)},
    {name: 'the one-file page from disk', opens: true, run: (t) => oneFilePage(t, server.url(), oneFile)},
  ];
}

// The show's speed on fast and slow displays: 60 passes a second whatever rate the browser
// calls back at, counted over 5 s; the callbacks' own rate shows that the display really
// was that fast (or slow).
function sixtyPasses(low, high) {
  return async (t) => {
    await clickStart(t);
    await sleep(2000);
    const count = () => t.page.evaluate(() => [lumivexPage.frames, lumivexPage.callbacks, performance.now()]);
    const before = await count();
    await sleep(5000);
    const after = await count();
    const seconds = (after[2] - before[2]) / 1000;
    const passes = (after[0] - before[0]) / seconds;
    const callbacks = (after[1] - before[1]) / seconds;
    t.check(callbacks >= low && callbacks <= high,
            `the browser calls back ${callbacks.toFixed(1)} times a second (${low} to ${high} expected)`);
    t.check(passes >= 58 && passes <= 62,
            `${passes.toFixed(1)} passes a second, 60 +- 2 (counted over 5 s; a loaded machine may miss it)`);
    await escape(t);
  };
}
const kFastDisplay = {
  chromiumFlags: ['--disable-frame-rate-limit', '--disable-gpu-vsync'],  // as fast as it can
  firefoxPrefs: {'layout.frame_rate': 144},
};

// Each unit has its own page (and, with withSound false or launch options, its own
// browser).
const kUnits = [
  {name: 'the whole show', variant: '', run: wholeShow},
  {name: 'a missing picture and a fast module', variant: 'fast', run: missingPictureAndGallery},
  {name: 'a broken module', variant: 'broken', run: brokenModule},
  {name: 'a slow main thread', variant: '', only: 'chromium', run: slowMainThread},
  {name: 'no AudioWorklet', variant: 'quick', host: 'lumivex.test', only: 'chromium', run: noAudioWorklet},
  {name: 'no sound server', variant: 'quick', only: 'firefox', withSound: false, run: noSoundServer},
  // The shipped module: the logo, the cheapest scene, for the whole count.
  {name: 'a fast display', variant: '', launch: kFastDisplay, run: sixtyPasses(100, 1000)},
  {name: '30 callbacks a second', variant: '', only: 'firefox', launch: {firefoxPrefs: {'layout.frame_rate': 30}},
   run: sixtyPasses(27, 33)},
];

// ---- Touch screens and gamepads -------------------------------------------------------
// Chromium's phone emulation (touch on, through puppeteer's touchscreen) and a scripted
// navigator.getGamepads, each with the fast module. What a browser does with a real
// finger or pad (Safari on iOS, a real pad) cannot be tried here.

// A phone's screen, landscape; portrait swaps the sides.
const kPhone = {width: 844, height: 390, deviceScaleFactor: 2, isMobile: true, hasTouch: true};

// Before the page's own script: a Screen Wake Lock that logs what the page asks of it.
function scriptWakeLock() {
  const log = [];
  window.wakeLockLog = log;
  Object.defineProperty(navigator, 'wakeLock', {configurable: true, value: {
    request: async (type) => {
      log.push(`request ${type}`);
      const listeners = [];
      const sentinel = {type, released: false, addEventListener: (name, f) => listeners.push(f),
        release: async () => {
          if (sentinel.released) return;
          sentinel.released = true;
          log.push('release');
          for (const f of listeners) f();
        }};
      return sentinel;
    }}});
}

// Before the page's own script: one pad in the "standard" layout, steered from the test.
function scriptGamepad() {
  const pad = {id: 'scripted pad', index: 0, connected: true, mapping: 'standard', timestamp: 0,
               axes: [0, 0, 0, 0], buttons: Array.from({length: 17}, () => ({pressed: false, touched: false, value: 0}))};
  window.scriptedPad = (button, down) => {
    Object.assign(pad.buttons[button], {pressed: down, touched: down, value: down ? 1 : 0});
    pad.timestamp = performance.now();
  };
  Object.defineProperty(navigator, 'getGamepads', {configurable: true, value: () => [pad, null, null, null]});
}

const rectOf = (page, selector) => page.$eval(selector, (e) => {
  const r = e.getBoundingClientRect();
  return {left: r.left, top: r.top, width: r.width, height: r.height, display: getComputedStyle(e).display};
});
const centre = (r) => [r.left + r.width / 2, r.top + r.height / 2];

// The canvas at 4:3, as large as the screen allows and centred, its drawing buffer at the
// device's pixel ratio once a frame has passed.
async function checkFit(t, viewport, what) {
  const {page} = t;
  await sleep(700);
  const r = await rectOf(page, '#canvas');
  const buffer = await page.$eval('#canvas', (c) => [c.width, c.height]);
  const width = Math.min(viewport.width, viewport.height * 4 / 3);
  const fits = Math.abs(r.width - width) < 1 && Math.abs(r.height - width * 3 / 4) < 1 &&
      Math.abs(r.left - (viewport.width - r.width) / 2) < 1 && Math.abs(r.top - (viewport.height - r.height) / 2) < 1;
  const sharp = buffer[0] === Math.round(r.width * viewport.deviceScaleFactor) &&
      buffer[1] === Math.round(r.height * viewport.deviceScaleFactor);
  t.check(fits && sharp, `${what}: the canvas fills the screen at 4:3, ${r.width.toFixed(1)} x ` +
          `${r.height.toFixed(1)} at ${r.left.toFixed(1)}, ${r.top.toFixed(1)}, drawn at ${buffer.join(' x ')}`);
}

// The frames of the gallery before and after `act`, and how much the stars alone change
// meanwhile: `moved` says whether `act` changed far more than that.
async function galleryChange(page, act) {
  const before = await readCanvas(page);
  await sleep(450);
  const turning = strongShare(before, await readCanvas(page));
  const start = await readCanvas(page);
  await act();
  const after = await readCanvas(page);
  const share = strongShare(start, after);
  return {moved: share > 2 * turning + 0.003, text: `${percent(share)} changed, the stars alone ${percent(turning)}`};
}

async function phone(t) {
  const {page} = t;
  t.step('the phone');
  await page.evaluateOnNewDocument(scriptWakeLock);
  await page.setViewport(kPhone);  // touch and mobile: puppeteer reloads the page
  await waitPhase(page, 'ready', 60000);
  const start = await rectOf(page, '#start-button');
  const layout = await page.evaluate(() => document.documentElement.clientWidth);
  t.check(layout === kPhone.width && start.height >= 44,
          `laid out at the phone's width (${layout} px), the Start button a thumb's size (${start.width.toFixed(0)} x ${start.height.toFixed(0)})`);
  t.step('the start tap');
  await page.touchscreen.tap(...centre(start));
  t.require(await inPhase(page, 'intro', 30000), 'the start tap starts the show');
  await checkFit(t, kPhone, 'landscape');
  const portrait = {...kPhone, width: kPhone.height, height: kPhone.width};
  await page.setViewport(portrait);
  await checkFit(t, portrait, 'portrait');
  await page.setViewport(kPhone);
  await checkFit(t, kPhone, 'landscape again');

  t.step('the touch buttons');
  const canvas = await rectOf(page, '#canvas');
  const buttons = {};
  for (const name of ['1', '2', '3', 'end']) buttons[name] = await rectOf(page, `#touch-key-${name}`);
  const small = Object.entries(buttons).filter(([, r]) => r.display === 'none' || r.width < 44 || r.height < 44);
  const [cx, cy] = centre(canvas);
  const middle = Object.entries(buttons).filter(([, r]) =>
    Math.abs(r.left + r.width / 2 - cx) < canvas.width / 4 && Math.abs(r.top + r.height / 2 - cy) < canvas.height / 4);
  t.check(small.length === 0 && middle.length === 0,
          `four buttons shown while playing, each a thumb's size, none over the canvas's middle ` +
          `(${Object.entries(buttons).map(([n, r]) => `${n}: ${r.width}x${r.height} at ${r.left.toFixed(0)},${r.top.toFixed(0)}`).join('; ')})`);
  t.check(await page.evaluate(() => lumivexWakeLock.sentinel !== null && wakeLockLog.join() === 'request screen'),
          `the screen wake lock is held while the show plays (${await page.evaluate(() => wakeLockLog.join())})`);

  t.step('the gallery by touch');
  await waitPhase(page, 'gallery', 60000);
  await sleep(500);
  const tapButton = async (name) => {
    await page.touchscreen.tap(...centre(buttons[name]));
    await sleep(700);
  };
  const set2 = await galleryChange(page, () => tapButton('2'));
  t.check(set2.moved, `the 2 button hangs the second set (${set2.text})`);
  const set3 = await galleryChange(page, () => tapButton('3'));
  t.check(set3.moved, `the 3 button takes the set down (${set3.text})`);
  // Off to the left of where it went down, for a second: a held Left.
  const turned = await galleryChange(page, async () => {
    await page.touchscreen.touchStart(cx, cy);
    for (let x = 1; x <= 4; ++x) await page.touchscreen.touchMove(cx - 30 * x, cy + 5);
    await sleep(1000);
    await page.touchscreen.touchEnd();
    await sleep(300);
  });
  t.check(turned.moved, `a drag to the left turns the room (${turned.text})`);
  const still = await page.evaluate(() => [window.scrollX, window.scrollY, visualViewport.scale,
                                           visualViewport.offsetLeft, visualViewport.offsetTop]);
  t.check(still.join() === '0,0,1,0,0', `the drag neither scrolls nor zooms the page (${still.join(', ')})`);
  await page.screenshot({path: path.join(out, `page-phone-${t.name}.png`)});

  t.step('the end button');
  await tapButton('end');
  await waitPhase(page, 'ended', 10000);
  const hidden = await page.$eval('#touch-keys', (e) => getComputedStyle(e).display === 'none');
  t.check(hidden, 'the end button ends the show, and the buttons go with it');
  t.check(await page.evaluate(() => lumivexWakeLock.sentinel === null && wakeLockLog.join() === 'request screen,release'),
          `the wake lock is released at the end (${await page.evaluate(() => wakeLockLog.join())})`);
  t.check(t.said.problems.length === 0, `the console stays clean: fullscreen and the landscape lock ` +
          `asked, granted or refused quietly (${t.said.problems.join('; ') || 'no error or warning'})`);
}

async function gamepadWithoutTouch(t) {
  const {page} = t;
  await page.evaluateOnNewDocument(scriptGamepad);
  await page.reload();
  await waitPhase(page, 'ready', 60000);
  await clickStart(t);
  const shown = await page.evaluate(() => ['#touch-keys', '#touch-surface'].map(
    (s) => getComputedStyle(document.querySelector(s)).display).join() + ` ${navigator.maxTouchPoints}`);
  t.check(shown === 'none,none 0', `a desktop without a touch screen shows no touch buttons (${shown})`);
  t.step('the gallery by pad');
  await waitPhase(page, 'gallery', 60000);
  await sleep(500);
  // The API keeps no events: a press must last over a frame to be seen.
  const hold = async (button, ms) => {
    await page.evaluate((b) => scriptedPad(b, true), button);
    await sleep(ms);
    await page.evaluate((b) => scriptedPad(b, false), button);
    await sleep(300);
  };
  const set2 = await galleryChange(page, () => hold(1, 500));
  t.check(set2.moved, `B hangs the second set (${set2.text})`);
  const set3 = await galleryChange(page, () => hold(2, 500));
  t.check(set3.moved, `X takes the set down (${set3.text})`);
  const turned = await galleryChange(page, () => hold(15, 1000));
  t.check(turned.moved, `d-pad Right turns the room (${turned.text})`);
  t.step('Start');
  await hold(9, 500);
  t.check(await inPhase(page, 'ended', 10000), 'Start ends the show');
}
kUnits.push({name: 'a phone', variant: 'quick', only: 'chromium', run: phone},
            {name: 'a gamepad without a touch screen', variant: 'quick', only: 'chromium', run: gamepadWithoutTouch});

// The page's main thread, watched from a timer of its own: the longest it stood still, in
// seconds (a hidden page's timers run once a second).
const watchStalls = (page) => page.evaluate(() => {
  let last = performance.now();
  window.lumivexStall = 0;
  setInterval(() => {
    const now = performance.now();
    window.lumivexStall = Math.max(window.lumivexStall, (now - last) / 1000);
    last = now;
  }, 100);
});

// A unit that fails says at which step. Where the driver loses the page, the browser is
// asked what became of it (browsers.js, diagnose): a browser that died or a page that hung
// is a failure, with that evidence; only a driver that lost a live browser and page runs the
// unit once more, in a fresh browser, and what failed before still counts.
async function runUnit(name, unit, server, shared) {
  for (let attempt = 1; attempt <= 2; ++attempt) {
    const t = {name, server, soundPath: unit.host ? 'page' : 'worklet', current: 'opening the page'};
    t.step = (what) => { t.current = what; };
    // A unit that opens its own page names itself on each line: its checks read alike.
    const label = unit.opens ? `${name}: ${unit.name}` : name;
    t.check = (ok, what) => {
      console.log(`${ok ? 'ok  ' : 'FAIL'} ${label}: ${what}`);
      if (!ok) ++failures;
      return ok;
    };
    // A check the unit cannot go on without.
    t.require = (ok, what) => {
      if (!t.check(ok, what)) throw Object.assign(new Error(`stopped: ${what}`), {counted: true});
    };
    let own = null;
    try {
      t.browser = unit.withSound === false || unit.launch ?
          (own = await launch(name, {withSound: unit.withSound !== false, ...unit.launch})) :
          await shared.get();
      server.bytes = 0;
      if (!unit.opens) {
        Object.assign(t, await openPage(t.browser, server.url(unit.variant, unit.host)));
        t.require(t.ready, 'the page loads and says "ready"');
        await watchStalls(t.page);
      }
      await unit.run(t);
      return;
    } catch (error) {
      const loss = error.counted ? {retry: false, evidence: []} : await diagnose(t.browser, t.page, error,
          () => t.page.evaluate(() => window.lumivexStall === undefined ? null : lumivexStall));
      const final = !loss.retry || attempt === 2;
      if (!error.counted) {
        console.log(`${final ? 'FAIL' : '    '} ${name}: "${unit.name}" ${loss.evidence.length ? 'lost the page' : 'failed'} ` +
                    `at ${t.current}: ${error.message}`);
      }
      for (const line of loss.evidence) console.log(`     ${name}: ${line}`);
      // The units after a lost page start in a fresh browser.
      if (loss.evidence.length && !own) await shared.reset();
      if (final) {
        if (!error.counted) ++failures;
        return;
      }
      console.log(`     ${name}: "${unit.name}" once more, in a fresh browser (this attempt's failures stand)`);
    } finally {
      if (t.page && !own) await t.page.close().catch(() => {});
      await closeBrowser(own);
    }
  }
}

async function main() {
  fs.mkdirSync(out, {recursive: true});
  const server = await serve(root, {
    fast: {hidden: new Set([kMissingPicture]), replaced: {'lumivex.xm': fastModule()}},
    quick: {replaced: {'lumivex.xm': fastModule()}},
    broken: {replaced: {'lumivex.xm': Buffer.from('not a module '.repeat(64))}},
    ...kLoadVariants,
  });
  oneFileData();
  const ran = [];
  // LUMIVEX_WEB_BROWSERS=firefox runs one of them.
  for (const name of (process.env.LUMIVEX_WEB_BROWSERS || 'chromium,firefox').split(',')) {
    const why = missing(name);
    if (why) {
      console.log(`SKIP ${name}: ${why} (scripts/install-web-deps)`);
      continue;
    }
    const began = Date.now();
    const first = failures;
    // The units' browser, launched when first asked for and again after a lost page.
    let browser = null;
    const shared = {
      get: async () => browser || (browser = await launch(name)),
      reset: async () => {
        await closeBrowser(browser);
        browser = null;
      },
    };
    const alone = fs.mkdtempSync(path.join(require('os').tmpdir(), 'lumivex-one-file-'));
    for (const unit of [...kUnits, ...loadingUnits(server, alone)]) {
      if (!unit.only || unit.only === name) await runUnit(name, unit, server, shared);
    }
    fs.rmSync(alone, {recursive: true, force: true});
    await shared.reset();
    ran.push(`${name} ${failures === first ? 'passed' : 'FAILED'} in ${((Date.now() - began) / 1000).toFixed(0)} s`);
  }
  server.close();
  finish();
  console.log(`page test: ${ran.join(', ') || 'no browser to run'}; ${failures} failed`);
  process.exit(failures === 0 && ran.length > 0 ? 0 : 1);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
