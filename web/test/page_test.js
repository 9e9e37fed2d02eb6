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
// Firefox at 30 callbacks a second, the show runs 60 passes a second. A browser that is
// not installed is skipped, and said so.
'use strict';
const fs = require('fs');
const path = require('path');
const {closeBrowser, launch, lostPage, missing, openPage, serve, sleep} = require('./browsers');

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

// The canvas as RGB rows, top row first.
async function readCanvas(page) {
  const base64 = await page.evaluate(() => {
    const gl = Module.ctx;
    const w = gl.drawingBufferWidth, h = gl.drawingBufferHeight;
    const pixels = new Uint8Array(w * h * 4);
    gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
    const rgb = new Uint8Array(w * h * 3);
    for (let y = 0; y < h; ++y) {
      for (let x = 0; x < w; ++x) {
        const from = ((h - 1 - y) * w + x) * 4, to = (y * w + x) * 3;  // bottom row first
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

// Polled from here, not by the page's own animation frames or timers, which a hidden
// page lacks or has once a second.
async function until(page, test, timeout, arg) {
  for (const end = Date.now() + timeout; Date.now() < end; await sleep(250)) {
    if (await page.evaluate(test, arg)) return;
  }
  throw new Error(`waited ${timeout / 1000} s for ${test}`);
}
const waitPhase = (page, phase, timeout) =>
  until(page, (phase) => document.body.dataset.lumivex === phase, timeout, phase);
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

// The start click, up to the intro; `box` when a report is due at start-up. Returns when
// the click was made.
async function clickStart(t, {box = false} = {}) {
  t.step('the start click');
  const clicked = Date.now();
  await t.page.click('#start-button');
  await settle();
  if (box) await boxOpen(t.page, true, 30000);
  else await waitPhase(t.page, 'intro', 30000);
  return clicked;
}

// A tapped Escape, up to the end.
async function escape(t) {
  t.step('Escape');
  await tap(t.page, 'Escape');
  await settle();
  await waitPhase(t.page, 'ended', 10000);
}

// The shipped show: the page's fit, the sound, the logo, the keys, Escape, a second start.
async function wholeShow(t) {
  const {page} = t;
  t.check(true, 'the page loads and says "ready"');
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
  await clickStart(t);
  t.check(true, 'the click starts the intro');
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
  await boxOpen(page, false, 5000);
  t.check(true, 'Enter answers the dialog');
  await waitPhase(page, 'intro', 10000);
  t.check(true, 'the show goes on after it');

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
  await waitPhase(page, 'gallery', 3000);
  t.check(true, 'shown again, the show resumes where the music is: the gallery, at order 6');

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

  await escape(t);
  t.check(true, 'a tapped Escape ends the gallery');
  // A second start is a fresh show: the intro again, then the gallery as it first was
  // (set 1, facing the way it first faced), not as the last one was left.
  await clickStart(t, {box: true});
  await page.keyboard.press('Enter');
  await waitPhase(page, 'intro', 10000);
  t.check(true, 'a second start begins with the intro');
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
  await waitPhase(t.page, 'intro', 10000);
  t.check(true, 'the show goes on, silent');
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
  await until(t.page, () => Module._lumivex_music_order() >= 2, 10000);
  t.check(true, 'the music leads the intro on from the page\'s own thread');
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
  await escape(t);
  t.check(true, 'Escape ends it');
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

// Where the browser loses the page (lostPage), the unit says at which step and runs once
// more, in a fresh browser if that one went away.
async function runUnit(name, unit, server, shared) {
  for (let attempt = 1; attempt <= 2; ++attempt) {
    const before = failures;
    const t = {name, server, soundPath: unit.host ? 'page' : 'worklet', current: 'opening the page'};
    t.step = (what) => { t.current = what; };
    t.check = (ok, what) => {
      console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}: ${what}`);
      if (!ok) ++failures;
    };
    let own = null;
    try {
      t.browser = unit.withSound === false || unit.launch ?
          (own = await launch(name, {withSound: unit.withSound !== false, ...unit.launch})) :
          await shared.get();
      server.bytes = 0;
      Object.assign(t, await openPage(t.browser, server.url(unit.variant, unit.host)));
      await unit.run(t);
      return;
    } catch (error) {
      const lost = lostPage(error);
      console.log(`     ${name}: "${unit.name}" ${lost ? 'lost the page' : 'failed'} at ${t.current}: ${error.message}`);
      if (!lost || attempt === 2) {
        ++failures;
        return;
      }
      failures = before;
      console.log(`     ${name}: "${unit.name}" once more, in a fresh browser`);
      if (!own) await shared.reset();
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
  });
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
    for (const unit of kUnits) if (!unit.only || unit.only === name) await runUnit(name, unit, server, shared);
    await shared.reset();
    ran.push(`${name} ${failures === first ? 'passed' : 'FAILED'} in ${((Date.now() - began) / 1000).toFixed(0)} s`);
  }
  server.close();
  console.log(`page test: ${ran.join(', ') || 'no browser to run'}; ${failures} failed`);
  process.exit(failures === 0 && ran.length > 0 ? 0 : 1);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
