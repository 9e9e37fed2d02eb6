// The live sync measurement of the page in Firefox ESR: sync_test.sh's module, recorder and
// rule (judge.sh) with the page playing into a private PulseAudio null sink. Each frame
// callback's start and end come from performance.timeOrigin + performance.now(), the
// recorder's times from CLOCK_REALTIME (Firefox's timers at full precision); the scene is
// told by the colour at the centre of the canvas read right after the show's pass. The
// callback's end is not the swap: the browser shows the frame about a frame later.
//
// Usage: node tests/sync/web_sync.js WEB_BUILD SOUND_RECORDER SYNC_MODULE [RUNS]
// (web/test's packages installed: cd web/test && npm install). Prints each run's figures;
// exits 1 where a run breaks the rule. LUMIVEX_SYNC_DEBUG=1 prints the AudioContext's
// clock figures in each run too.
'use strict';
const {execFileSync, spawn} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const webTest = path.join(__dirname, '../../web/test');
const {closeBrowser, openPage, serve, sleep} = require(path.join(webTest, 'browsers.js'));
const puppeteer = require(path.join(webTest, 'node_modules/puppeteer-core'));

const [webBuild, recorder, makeModule] = process.argv.slice(2, 5).map((p) => path.resolve(p));
const runs = Number(process.argv[5] || 5);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lumivex-web-sync-'));
const helpers = [];
process.on('exit', () => {
  for (const child of helpers) child.kill();
  fs.rmSync(work, {recursive: true, force: true});
});

// Starts `command`; resolves with what it wrote to fd 3 or its standard output once it
// has said `ready` there (or ended).
function start(command, args, env, ready) {
  const child = spawn(command, args, {env, stdio: ['ignore', 'pipe', 'pipe', 'pipe']});
  helpers.push(child);
  let said = '';
  const done = new Promise((resolve) => {
    const listen = (data) => {
      said += data;
      if (ready(said)) resolve(said);
    };
    child.stdout.on('data', listen);
    child.stdio[3].on('data', listen);
    child.on('exit', () => resolve(said));
  });
  return {child, done};
}

// One run: the page started, its frames and the recorder's onsets; true where the rule
// holds.
async function measure(browser, server, sound, run) {
  const {page, said} = await openPage(browser, server.url('sync'));
  const heard = start(recorder, ['lumivex_null.monitor', '3', '30', 'realtime'], sound,
                      (said) => said.split('\n').length > 3);
  await sleep(200);
  await page.click('#start-button');
  try {
    await page.waitForFunction(() => lumivexPage.frames > 2, {timeout: 30000});
  } catch (error) {
    console.log(`run ${run}: the show did not start (${said.problems.join('; ') || error.message})`);
    heard.child.kill();
    await page.close();
    return false;
  }
  // The stub emscripten exports replaces itself on its first call: wrapped only after.
  await page.evaluate(() => {
    const gl = document.getElementById('canvas').getContext('webgl');
    const pass = Module._lumivex_frame;
    const pixel = new Uint8Array(4);
    window.syncFrames = [];
    Module._lumivex_frame = () => {
      const begun = performance.timeOrigin + performance.now();
      const result = pass();
      gl.readPixels(400, 300, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
      const colour = (pixel[0] << 16) | (pixel[1] << 8) | pixel[2];
      syncFrames.push([begun, performance.timeOrigin + performance.now(), colour]);
      return result;
    };
  });
  if (process.env.LUMIVEX_SYNC_DEBUG) {
    console.log(await page.evaluate(() => {
      const c = lumivexAudio.context;
      const t = c.getOutputTimestamp();
      return JSON.stringify({current: c.currentTime, context: t.contextTime,
                             sincePerformance: performance.now() - t.performanceTime,
                             output: c.outputLatency, base: c.baseLatency});
    }));
  }
  const [click0, click1, note] = (await heard.done).trim().split('\n').map(Number);
  if (note === undefined || Number.isNaN(note)) {
    console.log(`run ${run}: the recorder heard no note (the page's sound did not start)`);
    await page.close();
    return false;
  }
  const frames = await page.evaluate(() => syncFrames);
  await page.close();
  // The logo's colour: a frame's 0.3 s after the second click (order 1).
  let logo = null;
  for (const [, done, colour] of frames) if (done / 1000 < click1 + 0.3) logo = colour;
  const lines = frames.map(([begun, done, colour]) =>
    `${(begun / 1000).toFixed(6)} ${(done / 1000).toFixed(6)} ${+(done / 1000 > click1 && colour !== logo)}`);
  const file = path.join(work, `swaps.${run}`);
  fs.writeFileSync(file, lines.join('\n') + '\n');
  try {
    process.stdout.write(execFileSync('bash', ['-c', 'source "$0"; judge "$@"', path.join(__dirname, 'judge.sh'),
                                               run, click0, click1, note, file],
                                      {env: {...process.env, TOLERANCE_MS: '3', ORDER_SECONDS: '0.96'}}));
  } catch (error) {
    process.stdout.write(error.stdout);
    return false;
  }
  return true;
}

async function main() {
  const xvfb = start('Xvfb', ['-displayfd', '3', '-screen', '0', '1024x768x24', '-nolisten', 'tcp'],
                     process.env, (said) => said.includes('\n'));
  const display = ':' + (await xvfb.done).trim();
  const socket = path.join(work, 'native');
  const sound = {...process.env, XDG_RUNTIME_DIR: work, PULSE_RUNTIME_PATH: work,
                 PULSE_SERVER: `unix:${socket}`};
  start('pulseaudio', ['-n', '--daemonize=no', '--exit-idle-time=-1', '--disallow-exit',
                       '--use-pid-file=no',
                       `--load=module-native-protocol-unix auth-anonymous=1 socket=${socket}`,
                       '--load=module-null-sink sink_name=lumivex_null rate=44100'],
        sound, () => false);
  for (let i = 0; i < 100 && !fs.existsSync(socket); ++i) await sleep(100);

  const module = path.join(work, 'sync.xm');
  execFileSync(makeModule, [module]);
  const server = await serve(webBuild, {sync: {replaced: {'lumivex.xm': fs.readFileSync(module)}}});
  // A browser of its own for each run: Firefox's sound does not always start again for a
  // second page.
  let failed = false;
  for (let run = 1; run <= runs; ++run) {
    const browser = await puppeteer.launch({
      browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: false,
      env: {...sound, DISPLAY: display}, extraPrefsFirefox: {'privacy.reduceTimerPrecision': false},
      protocolTimeout: 60000});
    try {
      if (!await measure(browser, server, sound, run)) failed = true;
    } catch (error) {
      // Firefox now and then stops answering for a page (DESIGN): said, and on to the next.
      console.log(`run ${run}: the browser lost the page (${error.message.split('\n')[0]})`);
      failed = true;
    } finally {
      await closeBrowser(browser);
    }
  }
  server.close();
  process.exit(failed ? 1 : 0);
}

main().catch((error) => {
  console.error(`web_sync: ${error.stack || error}`);
  process.exit(2);
});
