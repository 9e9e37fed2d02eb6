// What the page test (web/test/page_test.js) and the benchmark (bench/web/web_bench.js)
// share: the two browsers, driven by puppeteer-core (Debian's Chromium headless over CDP,
// with SwiftShader's WebGL; Debian's Firefox ESR over WebDriver BiDi on a private Xvfb,
// with Mesa's WebGL and a private PulseAudio null sink as its sound device), and a
// loopback server for build-web/ whose data folder a test may vary.
'use strict';
const {execFileSync, spawn} = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const kPrograms = {chromium: '/usr/bin/chromium', firefox: '/usr/bin/firefox-esr'};
// lumivex.test is the loopback under a name that is no secure origin, as a page served
// over plain http from another host is: no AudioWorklet there.
const kChromiumFlags = ['--no-sandbox', '--enable-unsafe-swiftshader', '--use-angle=swiftshader',
                        '--host-resolver-rules=MAP lumivex.test 127.0.0.1'];
const kTypes = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.png': 'image/png', '.jpg': 'image/jpeg'};

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function onPath(tool) {
  try {
    execFileSync('sh', ['-c', `command -v ${tool}`], {stdio: 'ignore'});
    return true;
  } catch (e) {
    return false;
  }
}

// Why `name` cannot run here, or null when it can.
function missing(name) {
  if (!fs.existsSync(kPrograms[name])) return `${kPrograms[name]} is not installed`;
  if (name === 'firefox') {
    for (const tool of ['Xvfb', 'pulseaudio']) if (!onPath(tool)) return `${tool} is not installed`;
  }
  return null;
}

// Helpers started here (Xvfb, PulseAudio) and scratch folders: ended by finish() once a
// run is done (their open pipes would keep Node running), and on exit whatever happens.
const started = [];
const scratch = [];
function finish() {
  for (const child of started.splice(0)) child.kill();
  for (const folder of scratch.splice(0)) fs.rmSync(folder, {recursive: true, force: true});
  display = null;
  sound = null;
}
process.on('exit', finish);

function scratchFolder(name) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), `lumivex-${name}-`));
  scratch.push(folder);
  return folder;
}

let display = null;
// A private X server; it picks a free display number itself and writes it to fd 3.
function startXvfb() {
  if (display) return display;
  display = new Promise((resolve, reject) => {
    const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1024x768x24', '-nolisten', 'tcp'],
                       {stdio: ['ignore', 'ignore', 'pipe', 'pipe']});
    started.push(xvfb);
    let number = '';
    let log = '';
    xvfb.stderr.on('data', (data) => { log += data; });
    xvfb.stdio[3].on('data', (data) => {
      number += data;
      if (number.includes('\n')) resolve(':' + number.trim());
    });
    xvfb.on('exit', (code) => reject(new Error(`Xvfb ended (${code}): ${log.trim()}`)));
  });
  return display;
}

let sound = null;
// A private PulseAudio server whose only sink consumes sound in real time; its clients
// find it through PULSE_SERVER.
function startPulse() {
  if (sound) return sound;
  sound = (async () => {
    const folder = scratchFolder('pulse');
    const socket = path.join(folder, 'native');
    const pulse = spawn('pulseaudio', [
      '-n', '--daemonize=no', '--exit-idle-time=-1', '--disallow-exit', '--use-pid-file=no',
      `--load=module-native-protocol-unix auth-anonymous=1 socket=${socket}`,
      '--load=module-null-sink sink_name=lumivex_null'],
    {stdio: 'ignore', env: {...process.env, XDG_RUNTIME_DIR: folder, PULSE_RUNTIME_PATH: folder}});
    started.push(pulse);
    for (let i = 0; i < 100 && !fs.existsSync(socket); ++i) await sleep(100);
    if (!fs.existsSync(socket)) throw new Error('PulseAudio did not start');
    return {XDG_RUNTIME_DIR: folder, PULSE_SERVER: `unix:${socket}`};
  })();
  return sound;
}

// Launches `name`; with `withSound` false, Firefox finds no sound server (nothing to play
// into, as on a machine without a sound device); `firefoxPrefs` are set in its profile,
// `chromiumFlags` added to Chromium's.
async function launch(name, {withSound = true, firefoxPrefs = {}, chromiumFlags = []} = {}) {
  // A call the browser has not answered in a minute will not be answered.
  const protocolTimeout = 60000;
  if (name === 'chromium') {
    return watch(await puppeteer.launch({executablePath: kPrograms.chromium, headless: true,
                                         args: [...kChromiumFlags, ...chromiumFlags], protocolTimeout,
                                         userDataDir: scratchFolder('chromium')}));
  }
  const env = {...process.env, DISPLAY: await startXvfb()};
  if (withSound) {
    Object.assign(env, await startPulse());
  } else {
    const folder = scratchFolder('silent');
    Object.assign(env, {XDG_RUNTIME_DIR: folder, PULSE_SERVER: `unix:${folder}/none`});
  }
  return watch(await puppeteer.launch({browser: 'firefox', executablePath: kPrograms.firefox, headless: false,
                                       env, extraPrefsFirefox: firefoxPrefs, protocolTimeout,
                                       userDataDir: scratchFolder('firefox')}));
}

// What a browser leaves to tell about itself: the last lines of its standard error (which
// puppeteer reads anyway), its exit, when the driver lost it, and its profile folder (a
// scratch folder of ours, so that it outlives the browser), where its crash reports go.
function watch(browser) {
  const child = browser.process();
  const seen = {stderr: [], exit: null, disconnected: null, launched: Date.now()};
  seen.profile = child.spawnargs.find((arg, i, all) => all[i - 1] === '--profile') ||
    (child.spawnargs.find((arg) => arg.startsWith('--user-data-dir=')) || '').slice('--user-data-dir='.length) || null;
  let partial = '';
  child.stderr.on('data', (data) => {
    const lines = (partial + data).split('\n');
    partial = lines.pop();
    seen.stderr.push(...lines.filter((line) => line.trim()));
    seen.stderr.splice(0, Math.max(0, seen.stderr.length - 30));
  });
  seen.exited = new Promise((resolve) => child.once('exit', (code, signal) => {
    seen.exit = {code, signal, at: Date.now()};
    resolve();
  }));
  browser.on('disconnected', () => { seen.disconnected = Date.now(); });
  browser.seen = seen;
  return browser;
}

const kCrashFolders = ['minidumps', 'Crashpad/pending', 'Crashpad/completed', 'Crash Reports'];

// After a call on `page` failed with `error`: what became of the browser. `retry` only
// where the driver lost a browser that still runs and a page that still answers; a browser
// that exited, a page that is gone or whose main thread stood still (`stall`, in seconds,
// from the page's own clock) is a fault of its own. `evidence` is what to print.
async function diagnose(browser, page, error, stall = () => page.evaluate(() => null)) {
  const seen = browser && browser.seen;
  if (!seen) return {retry: false, what: 'failed', evidence: []};
  // A browser that went away takes a moment to say so, whatever the error was (a killed
  // one may first show as a detached frame).
  await Promise.race([seen.exited, sleep(browser.connected ? 1000 : 3000)]);
  if (!seen.exit && browser.connected && !lostPage(error)) return {retry: false, what: 'failed', evidence: []};
  const evidence = [];
  let what;
  let retry = false;
  if (seen.exit) {
    const how = seen.exit.signal ? `was killed by ${seen.exit.signal}` : `exited with code ${seen.exit.code}`;
    what = `the browser process ${how}`;
  } else if (!browser.connected) {
    what = 'the driver lost its connection to a browser that still runs';
    retry = true;
  } else if (!page || page.isClosed()) {
    what = 'the page is gone while the browser runs';
  } else {
    const answer = await Promise.race([stall().then((s) => ({s}), (e) => ({e})), sleep(10000).then(() => null)]);
    if (!answer || answer.e) {
      what = `the page stopped answering (${answer ? answer.e.message : 'nothing in 10 s'}) while the browser runs`;
    } else if (answer.s !== null && answer.s >= 5) {
      what = `the page's main thread stood still for ${answer.s.toFixed(1)} s`;
    } else {
      what = answer.s === null ? 'a call went unanswered; the page answers again' :
        `a call went unanswered while the page ran on (its main thread stood still at most ${answer.s.toFixed(1)} s)`;
      retry = true;
    }
  }
  evidence.push(what);
  if (seen.disconnected) evidence.push(`the driver lost the browser ${((seen.disconnected - seen.launched) / 1000).toFixed(1)} s after its launch`);
  const crashes = [];
  for (const folder of seen.profile ? kCrashFolders : []) {
    const full = path.join(seen.profile, folder);
    if (fs.existsSync(full)) crashes.push(...fs.readdirSync(full).map((file) => path.join(full, file)));
  }
  evidence.push(crashes.length ? `crash reports: ${crashes.join(', ')}` : 'no crash report in its profile');
  // A line may quote a whole data: URL (the page hands its sound worklet over as one): cut.
  const cut = (line) => (line.length > 300 ? `${line.slice(0, 300)}... (${line.length} characters)` : line);
  if (seen.stderr.length) evidence.push('its standard error ended:', ...seen.stderr.slice(-15).map((line) => `  ${cut(line)}`));
  return {retry, what, evidence};
}

// Serves `root` on 127.0.0.1. A path under /VARIANT/ is served from `variants[VARIANT]`:
// {hidden: names answered 404, replaced: {name: bytes}}; `extra` maps paths to pages of
// the caller's own. `bytes` counts what has been sent.
function serve(root, variants = {}, extra = {}) {
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    if (extra[name] !== undefined) {
      response.writeHead(200, {'Content-Type': 'text/html'});
      return response.end(extra[name]);
    }
    const variant = variants[name.split('/')[1]] || {};
    if (variants[name.split('/')[1]]) name = name.slice(name.indexOf('/', 1));
    const file = path.join(root, name === '/' ? 'index.html' : name);
    const base = path.basename(file);
    const send = (bytes, type) => {
      server.bytes += bytes.length;
      response.writeHead(200, {'Content-Type': type});
      response.end(bytes);
    };
    if (variant.replaced && variant.replaced[base]) return send(variant.replaced[base], 'application/octet-stream');
    if (!file.startsWith(root) || (variant.hidden && variant.hidden.has(base)) || !fs.existsSync(file) ||
        fs.statSync(file).isDirectory()) {
      response.writeHead(404);
      return response.end();
    }
    send(fs.readFileSync(file), kTypes[path.extname(file)] || 'application/octet-stream');
  });
  server.bytes = 0;
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => {
    server.url = (variant = '', host = '127.0.0.1') =>
      `http://${host}:${server.address().port}/${variant ? variant + '/' : ''}`;
    resolve(server);
  }));
}

// A page of 800 x 600 at `url`, with what its console and the network said, and whether it
// said "ready" within a minute.
async function openPage(browser, url) {
  const page = await browser.newPage();
  const said = {lines: [], problems: []};
  page.on('console', (message) => {
    said.lines.push(message.text());
    if (message.type() === 'error' || message.type() === 'warn') said.problems.push(message.text());
  });
  page.on('pageerror', (error) => said.problems.push(String(error)));
  page.on('response', (response) => {
    if (response.status() >= 400) said.problems.push(`${response.status()} ${response.url()}`);
  });
  await page.setViewport({width: 800, height: 600});
  await page.goto(url);
  const ready = await page.waitForFunction(() => document.body.dataset.lumivex === 'ready', {timeout: 60000})
      .then(() => true, (error) => { if (error.name === 'TimeoutError') return false; throw error; });
  return {page, said, ready};
}

// Closes `browser`, killing it where it does not close within 10 s.
async function closeBrowser(browser) {
  if (!browser) return;
  const closed = browser.close().then(() => true, () => false);
  if (!await Promise.race([closed, sleep(10000).then(() => false)]) && browser.process()) {
    browser.process().kill('SIGKILL');
  }
}

// What the driver says when it lost the page: the target closed, the connection went, or a
// call was not answered. Only diagnose() tells which of them a retry may pass over.
const lostPage = (error) => /Target ?Close|closed|disconnected|timed out/i.test(`${error.name} ${error.message}`);

module.exports = {closeBrowser, diagnose, finish, launch, lostPage, missing, openPage, serve, sleep};
