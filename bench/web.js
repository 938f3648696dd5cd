// The browser build's figures for `make bench`, on localhost: the first frame in each engine
// (Chromium and Firefox headless, WebKit's MiniBrowser on Xvfb), the rest in Chromium; prints
// JSON for perf.py: node bench/web.js --site DIR [--runs 5] [--idle 10]
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {ENGINES, launch, start, idle, tap} = require('../tests/web/harness.js');

const arg = (name, fallback) => {
  const i = process.argv.indexOf(name);
  return i > 0 ? process.argv[i + 1] : fallback;
};
const SITE = arg('--site'), RUNS = Number(arg('--runs', 5)), IDLE = Number(arg('--idle', 10));
const median = (v) => [...v].sort((a, b) => a - b)[Math.floor(v.length / 2)];
const EMPTY = 'bench-empty.html';

// Each in a fresh browser context, as a first visit. One more goes first and is not counted:
// it measures the browser starting its first page, not ours. Then as many of an empty page
// served the same way, to its first script: the part of the time that is the browser's own.
async function firstFrames(browser, origin) {
  const at = async (url, mark) => {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.goto(url);
    await page.waitForFunction((m) => performance.getEntriesByName(m).length > 0, {polling: 10}, mark);
    const ms = await page.evaluate((m) => performance.getEntriesByName(m)[0].startTime, mark);
    await context.close();
    return ms;
  };
  const frames = [], floors = [];
  for (let i = 0; i <= RUNS; ++i) {
    const frame = await at(`${origin}/`, 'pocket-first-frame');
    if (i > 0) frames.push(frame);
  }
  for (let i = 0; i < RUNS; ++i) floors.push(await at(`${origin}/${EMPTY}`, 'first-script'));
  return {frames, floors};
}

// Deals a game, then selects and bursts groups with real taps; the page counts each input's
// work without the pauses of the burst's animation.
async function taps(browser, origin) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.goto(`${origin}/`);
  await idle(page);
  await tap(page, 18, 306);
  await tap(page, 35, 238);
  await page.evaluate(() => { Module.pocket.work.length = 0; });
  for (let r = 0; r < 12; r += 2)
    for (let c = 0; c < 12; c += 3) {
      const x = 19 + Math.round(c * 18.3), y = 59 + Math.round(r * 18.3);
      await tap(page, x, y);
      await tap(page, x, y);
    }
  const work = await page.evaluate(() => Module.pocket.work.slice());
  // Idle: the program waits for input with no timer and no frame loop. The clock in the
  // navigation bar wakes it once a minute, so the window is kept between two minutes.
  const toMinute = 60000 - (Date.now() % 60000);
  if (toMinute < IDLE * 1000 + 500) await new Promise((r) => setTimeout(r, toMinute + 500));
  const cdp = await page.createCDPSession();
  await cdp.send('Performance.enable');
  const script = async () => (await cdp.send('Performance.getMetrics')).metrics
    .filter((m) => m.name === 'ScriptDuration' || m.name === 'TaskDuration')
    .reduce((o, m) => ({...o, [m.name]: m.value}), {});
  const before = await script();
  await new Promise((r) => setTimeout(r, IDLE * 1000));
  const after = await script();
  await context.close();
  return {work, idleScriptMs: (after.ScriptDuration - before.ScriptDuration) * 1000,
          idleTaskMs: (after.TaskDuration - before.TaskDuration) * 1000};
}

(async () => {
  const extra = fs.mkdtempSync(path.join(os.tmpdir(), 'web-bench-'));
  fs.writeFileSync(path.join(extra, EMPTY),
                   '<!doctype html><title>empty</title><script>performance.mark("first-script")</script>\n');
  const served = await start(SITE, extra);
  let browser;
  try {
    // One engine at a time: Chromium's figures are taken last, with nothing else left running.
    const engines = {};
    for (const engine of ENGINES.filter((e) => e !== 'chromium')) {
      browser = await launch(engine);
      const {frames, floors} = await firstFrames(browser, served.origin);
      engines[engine] = {firstFrameMs: median(frames), emptyPageMs: median(floors)};
      await browser.close();
    }
    browser = await launch('chromium');
    const {frames, floors} = await firstFrames(browser, served.origin);
    const t = await taps(browser, served.origin);
    console.log(JSON.stringify({firstFrameMs: median(frames), emptyPageMs: median(floors), tapWorkMs: median(t.work), tapWorkMaxMs: Math.max(...t.work),
                                taps: t.work.length, idleScriptMs: t.idleScriptMs, idleTaskMs: t.idleTaskMs, engines}));
  } finally {
    if (browser) await browser.close().catch(() => {});
    served.server.close();
    fs.rmSync(extra, {recursive: true, force: true});
  }
})().catch((e) => { console.error(e.stack || String(e)); process.exit(1); });
