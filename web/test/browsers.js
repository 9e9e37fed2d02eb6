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

// Helpers started here (Xvfb, PulseAudio) and scratch folders, ended on exit.
const started = [];
const scratch = [];
process.on('exit', () => {
  for (const child of started) child.kill();
  for (const folder of scratch) fs.rmSync(folder, {recursive: true, force: true});
});

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
    return puppeteer.launch({executablePath: kPrograms.chromium, headless: true,
                             args: [...kChromiumFlags, ...chromiumFlags], protocolTimeout});
  }
  const env = {...process.env, DISPLAY: await startXvfb()};
  if (withSound) {
    Object.assign(env, await startPulse());
  } else {
    const folder = scratchFolder('silent');
    Object.assign(env, {XDG_RUNTIME_DIR: folder, PULSE_SERVER: `unix:${folder}/none`});
  }
  return puppeteer.launch({browser: 'firefox', executablePath: kPrograms.firefox, headless: false, env,
                           extraPrefsFirefox: firefoxPrefs, protocolTimeout});
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

// A page of 800 x 600 at `url`, with what its console and the network said.
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
  await page.waitForFunction(() => document.body.dataset.lumivex === 'ready', {timeout: 60000});
  return {page, said};
}

// Closes `browser`, killing it where it does not close within 10 s.
async function closeBrowser(browser) {
  if (!browser) return;
  const closed = browser.close().then(() => true, () => false);
  if (!await Promise.race([closed, sleep(10000).then(() => false)]) && browser.process()) {
    browser.process().kill('SIGKILL');
  }
}

// Firefox now and then stops answering for a page (DESIGN: about once in four runs): the
// driver then says the target closed, or a call timed out.
const lostPage = (error) => /Target ?Close|closed|disconnected|timed out/i.test(`${error.name} ${error.message}`);

module.exports = {closeBrowser, launch, lostPage, missing, openPage, serve, sleep};
