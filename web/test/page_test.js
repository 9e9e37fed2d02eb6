// The page in headless Chromium (Debian's /usr/bin/chromium, driven by playwright-core):
//   node web/test/page_test.js BUILD_WEB_FOLDER [LOGO_PPM]
// serves the folder on 127.0.0.1, starts the show and checks: the phases; the logo on
// screen, the right way up (against the native frame LOGO_PPM when given); the page never
// scrolls; Escape ends the show; and, with one picture missing from the data folder, the
// dialog with the desktop's text, answered by Enter, and the line on the console; with a
// fast module, the gallery, its keys tapped and held, and a second start that begins it
// afresh.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const {chromium} = require('playwright-core');

const root = path.resolve(process.argv[2] || 'build-web');
const logoPpm = process.argv[3];
const kFlags = ['--headless', '--no-sandbox', '--enable-unsafe-swiftshader',
                '--use-angle=swiftshader', '--autoplay-policy=no-user-gesture-required'];
const kTypes = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.jpg': 'image/jpeg', '.xm': 'application/octet-stream'};

let failures = 0;
function check(ok, what) {
  console.log((ok ? 'ok   ' : 'FAIL ') + what);
  if (!ok) ++failures;
}

// The shipped module at speed 2 and 255 BPM (the XM header's default tempo and BPM at
// bytes 76 and 78): its orders pass in about a second each, so the gallery comes soon.
function fastModule() {
  const bytes = Buffer.from(fs.readFileSync(path.join(root, 'data', 'lumivex.xm')));
  bytes.writeUInt16LE(2, 76);
  bytes.writeUInt16LE(255, 78);
  return bytes;
}

// Serves `root`; a request for a file named in `hidden` is answered 404, one named in
// `replaced` with those bytes.
function serve(hidden, replaced = {}) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(root, name === '/' ? 'index.html' : name);
    if (replaced[path.basename(file)]) {
      response.writeHead(200, {'Content-Type': 'application/octet-stream'});
      return response.end(replaced[path.basename(file)]);
    }
    if (!file.startsWith(root) || hidden.has(path.basename(file)) || !fs.existsSync(file) ||
        fs.statSync(file).isDirectory()) {
      response.writeHead(404);
      return response.end();
    }
    response.writeHead(200, {'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream'});
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
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

// A tap: the key's down and up in one event turn, so both reach the show between two
// frames; only the frame pass's tap latch lets such a key act.
async function tap(page, code) {
  await page.evaluate((code) => {
    for (const type of ['keydown', 'keyup']) {
      window.dispatchEvent(new KeyboardEvent(type, {code, key: code, bubbles: true, cancelable: true}));
    }
  }, code);
}

function flipRows(rgb, width, height) {
  const out = Buffer.alloc(rgb.length);
  const stride = width * 3;
  for (let y = 0; y < height; ++y) rgb.copy(out, (height - 1 - y) * stride, y * stride, (y + 1) * stride);
  return out;
}

async function openPage(browser, server) {
  const page = await browser.newPage({viewport: {width: 800, height: 600}});
  const consoleLines = [];
  page.on('console', (message) => consoleLines.push(message.text()));
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.waitForFunction(() => document.body.dataset.lumivex === 'ready', null, {timeout: 60000});
  return {page, consoleLines};
}

async function main() {
  const browser = await chromium.launch({executablePath: '/usr/bin/chromium', args: kFlags});
  try {
    // The whole show's data.
    let server = await serve(new Set());
    const {page} = await openPage(browser, server);
    check(true, 'the page loads and says "ready"');
    const box = async () => page.evaluate(() => {
      const r = document.getElementById('canvas').getBoundingClientRect();
      return [r.left, r.top, r.width, r.height, document.documentElement.scrollWidth,
              document.documentElement.scrollHeight].map(Math.round).join(' ');
    });
    check(await box() === '0 0 800 600 800 600', `an 800 x 600 page is the canvas exactly (${await box()})`);
    await page.setViewportSize({width: 1000, height: 600});
    check(await box() === '100 0 800 600 1000 600', `a wider page letterboxes it (${await box()})`);
    await page.setViewportSize({width: 400, height: 400});
    check(await box() === '0 50 400 300 400 400', `a smaller one scales it, 4:3 kept (${await box()})`);
    await page.setViewportSize({width: 800, height: 600});
    await page.click('#start-button');
    await page.waitForFunction(() => document.body.dataset.lumivex === 'intro', null, {timeout: 30000});
    check(true, 'the click starts the intro');
    await page.waitForTimeout(1500);
    const frame = await readCanvas(page);
    let lit = 0;
    for (let i = 0; i < frame.length; i += 3) if (frame[i] + frame[i + 1] + frame[i + 2] > 30) ++lit;
    check(lit > 800 * 600 / 4, `the logo is on screen (${lit} lit pixels)`);
    if (logoPpm) {
      const native = readPpm(logoPpm);
      const straight = meanDifference(frame, native.rgb);
      const flipped = meanDifference(frame, flipRows(native.rgb, native.width, native.height));
      check(straight < 4 && straight * 4 < flipped,
            `the logo is the native frame, the right way up (mean difference ${straight.toFixed(2)}, flipped ${flipped.toFixed(2)})`);
      fs.writeFileSync(path.join(root, 'logo-chromium.ppm'),
                       Buffer.concat([Buffer.from('P6\n800 600\n255\n'), frame]));
    }
    for (const key of ['ArrowDown', 'ArrowDown', 'Space', 'PageDown', 'ArrowUp']) await page.keyboard.press(key);
    const scrolled = await page.evaluate(() => window.scrollX + window.scrollY +
        document.documentElement.scrollTop + document.body.scrollTop);
    check(scrolled === 0, 'the keys never scroll the page');
    const cursor = await page.evaluate(() => getComputedStyle(document.getElementById('canvas')).cursor);
    check(cursor === 'none', 'the cursor is hidden over the playing canvas');
    await tap(page, 'Escape');
    await page.waitForFunction(() => document.body.dataset.lumivex === 'ended', null, {timeout: 10000});
    check(await page.isVisible('#start-button'), 'a tapped Escape ends the show and offers a new start');
    await page.click('#start-button');
    await page.waitForFunction(() => document.body.dataset.lumivex === 'intro', null, {timeout: 30000});
    await page.waitForTimeout(500);
    const again = await readCanvas(page);
    check(meanDifference(again, frame) < 4, 'a second start plays the logo again');
    await page.close();
    server.close();

    // One picture missing.
    server = await serve(new Set(['mur.jpg']));
    const second = await openPage(browser, server);
    await second.page.click('#start-button');
    await second.page.waitForSelector('#box[open]', {timeout: 30000});
    const caption = await second.page.textContent('#box-caption');
    const text = await second.page.textContent('#box-text');
    const expected = "Texture ' data\\mur.jpg ' Loading Error (file don't exist)";
    check(caption === 'Vorlen - ERROR', `the dialog's heading is "Vorlen - ERROR" (${caption})`);
    check(text.includes(expected), `the dialog says ${expected} (${text})`);
    check(second.consoleLines.some((line) => line.includes(expected)), 'the line is on the console');
    const logged = second.consoleLines.filter((line) => line.includes('qenLoadJPEGTexture')).length;
    check(logged >= 2, `the log's line and the box's text both reach the console (${logged})`);
    await second.page.keyboard.press('Enter');
    await second.page.waitForFunction(() => !document.getElementById('box').open, null, {timeout: 5000});
    check(true, 'Enter answers the dialog');
    await second.page.waitForFunction(() => document.body.dataset.lumivex === 'intro', null, {timeout: 10000});
    check(true, 'the show goes on after it');
    server.close();

    // A module that is no module: the desktop's report, and the show stays on the logo.
    server = await serve(new Set(), {'lumivex.xm': Buffer.from('not a module '.repeat(64))});
    const fourth = await openPage(browser, server);
    await fourth.page.click('#start-button');
    await fourth.page.waitForSelector('#box[open]', {timeout: 30000});
    const musicText = await fourth.page.textContent('#box-text');
    check(musicText.includes('Music File Not Found'), `a broken module is reported (${musicText.trim()})`);
    await fourth.page.keyboard.press('Enter');
    await fourth.page.waitForFunction(() => document.body.dataset.lumivex === 'intro', null, {timeout: 10000});
    check(true, 'the show goes on, silent');
    await fourth.page.close();
    server.close();

    // The fast module: the music leads to the gallery at order 6; the keys steer it.
    server = await serve(new Set(), {'lumivex.xm': fastModule()});
    const third = await openPage(browser, server);
    const gallery = third.page;
    await gallery.click('#start-button');
    const began = Date.now();
    await gallery.waitForFunction(() => document.body.dataset.lumivex === 'gallery', null, {timeout: 60000});
    check(true, `the music leads to the gallery (after ${((Date.now() - began) / 1000).toFixed(1)} s)`);
    // SwiftShader draws the gallery at a few frames a second here: a tap's down and up
    // both land between two frames, a held key spans several.
    const tapped = async (key) => {
      await tap(gallery, key);
      await gallery.waitForTimeout(700);
    };
    const hold = async (key, ms) => {
      await gallery.keyboard.down(key);
      await gallery.waitForTimeout(ms);
      await gallery.keyboard.up(key);
      await gallery.waitForTimeout(300);
    };
    await gallery.waitForTimeout(500);
    const set1 = await readCanvas(gallery);
    await gallery.waitForTimeout(450);
    // The stars turn slowly on their own; a change of pictures moves far more than that.
    const turning = strongShare(set1, await readCanvas(gallery));
    await tapped('Digit2');
    const set2 = await readCanvas(gallery);
    await tapped('Digit3');
    const set3 = await readCanvas(gallery);
    for (const [name, rgb] of [['set1', set1], ['set2', set2], ['set3', set3]]) {
      fs.writeFileSync(path.join(root, `gallery-${name}-chromium.ppm`),
                       Buffer.concat([Buffer.from('P6\n800 600\n255\n'), rgb]));
    }
    const percent = (share) => (100 * share).toFixed(2) + ' %';
    console.log(`     (the stars alone change ${percent(turning)} of the pixels in 450 ms)`);
    const changed = (a, b) => strongShare(a, b) > 2 * turning + 0.003;
    check(changed(set1, set2), `a tapped 2 hangs the second set (${percent(strongShare(set1, set2))} changed)`);
    check(changed(set2, set3), `a tapped 3 takes the set down (${percent(strongShare(set2, set3))} changed)`);
    await hold('ArrowLeft', 1000);
    const turned = await readCanvas(gallery);
    check(changed(set3, turned), `a held Left turns the room (${percent(strongShare(set3, turned))} changed)`);
    fs.writeFileSync(path.join(root, 'gallery-chromium.ppm'),
                     Buffer.concat([Buffer.from('P6\n800 600\n255\n'), turned]));
    await gallery.screenshot({path: path.join(root, 'page-gallery.png')});
    await tap(gallery, 'Escape');
    await gallery.waitForFunction(() => document.body.dataset.lumivex === 'ended', null, {timeout: 10000});
    check(true, 'a tapped Escape ends the gallery');
    // A second start is a fresh show: the intro again, then the gallery as it first was
    // (set 1, facing the way it first faced), not as the last one was left.
    await gallery.click('#start-button');
    await gallery.waitForFunction(() => document.body.dataset.lumivex === 'intro', null, {timeout: 30000});
    check(true, 'a second start begins with the intro');
    await gallery.waitForFunction(() => document.body.dataset.lumivex === 'gallery', null, {timeout: 60000});
    await gallery.waitForTimeout(500);
    const fresh = await readCanvas(gallery);
    check(!changed(set1, fresh) && changed(turned, fresh),
          `the second gallery starts as the first did (${percent(strongShare(set1, fresh))} changed ` +
          `from the first one's start, ${percent(strongShare(turned, fresh))} from where it was left)`);
    await tap(gallery, 'Escape');
    await gallery.waitForFunction(() => document.body.dataset.lumivex === 'ended', null, {timeout: 10000});
    server.close();
  } finally {
    await browser.close();
  }
  console.log(failures === 0 ? 'page test: all passed' : `page test: ${failures} failed`);
  process.exit(failures === 0 ? 0 : 1);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
