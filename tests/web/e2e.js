// The browser build in one engine (--engine chromium, firefox or webkit): a script gives the
// headless device's log and pixels; then what only a browser brings: its window, taps, keys,
// sound, storage, tabs, security policy, service worker and updates.
'use strict';
const {execFile, spawnSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {ENGINES, BINARIES, launch, start, canvasRgb, idle, handed, tap} = require('./harness.js');

const arg = (name) => process.argv.includes(name) ? process.argv[process.argv.indexOf(name) + 1] : undefined;
const SITE = arg('--site'), BUILD = arg('--build'), ENGINE = arg('--engine') || 'chromium';
if (!ENGINES.includes(ENGINE)) throw new Error(`--engine is one of ${ENGINES.join(', ')}`);
// What this engine's driver cannot do, and why: the checks that need it are reported skipped.
const CDP = 'only Chromium\'s DevTools protocol does it';
const CANNOT = {
  firefox: {cdp: CDP, sound: 'Firefox finds no sound device on this machine: its audio never runs'},
  webkit: {cdp: CDP, early: 'WebDriver runs no script before the page\'s own',
           ratio: 'WebDriver sets no pixel ratio', sound: 'WebKitGTK\'s WebDriver taps with a mouse, not a finger',
           refuse: 'MiniBrowser cannot be set to refuse storage'},
}[ENGINE] || {};
const SOURCE = path.resolve(__dirname, '../..');
const WORK = fs.mkdtempSync(path.join(os.tmpdir(), 'web-e2e-'));
const failed = [];
const check = (what, ok, detail = '') => {
  console.log(`${ENGINE}: ${ok ? 'ok' : 'FAIL'}: ${what}${ok || !detail ? '' : '\n' + detail}`);
  if (!ok) failed.push([what].concat(detail ? detail.split('\n').slice(0, 8) : []).join('\n    '));
};
// A check whose `need` this engine lacks is skipped, with the reason; else `then` runs it.
const unless = (need, what, then) => {
  if (!CANNOT[need]) return then();
  console.log(`${ENGINE}: SKIPPED: ${what}: ${CANNOT[need]}`);
};

// The pixels where two screens (RGB bytes) differ, as indexes into them.
const differing = (a, b) => [...Array(a.length / 3).keys()].map((p) => p * 3)
  .filter((i) => a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2]);

// Where two screens (`width` pixels a row) differ: how many pixels, within which box, and
// the first one.
function differences(want, rgb, width = 240) {
  if (rgb.length !== want.length) return `${rgb.length} bytes against ${want.length}`;
  const at = differing(rgb, want), xs = at.map((i) => (i / 3) % width), ys = at.map((i) => Math.floor(i / 3 / width));
  const box = [xs.reduce((a, b) => Math.min(a, b), width), ys[0],
               xs.reduce((a, b) => Math.max(a, b), 0), ys[ys.length - 1]];
  return `${at.length} pixels differ, within ${box}; first (${xs[0]}, ${ys[0]}): ` +
         `${rgb.subarray(at[0], at[0] + 3).join(' ')} against ${want.subarray(at[0], at[0] + 3).join(' ')}`;
}

// A doubled device (a canvas of 480 x 640) in the script mode: the console's log and the
// canvas are the headless device's.
async function sameAsHeadless(browser, origin) {
  const file = path.join(WORK, 'doubled.fzs'), shot = path.join(WORK, 'doubled.png');
  fs.writeFileSync(file, `device 480 640 16 192\nrandom 1234\nstart\nmenu "Game" "New Game"\nscreenshot ${shot}\n`);
  const headless = spawnSync(path.join(BUILD, 'fizzorbs-headless'), ['--script', file], {encoding: 'utf8'});
  const expected = headless.stdout.replace(/\n$/, '').split('\n').concat('end of script');
  const lines = [];
  const {context, page} = await open(browser, `${origin}/?script=doubled.fzs`, (p) => p.on('console', (m) => {
    if (m.type() === 'log') lines.push(...m.text().split('\n'));
  }));
  for (const deadline = Date.now() + 60000; Date.now() < deadline && lines[lines.length - 1] !== 'end of script';)
    await new Promise((r) => setTimeout(r, 50));
  check('script: the console log is the headless log, line for line', JSON.stringify(lines) === JSON.stringify(expected),
        `headless:\n  ${expected.join('\n  ')}\nbrowser:\n  ${lines.join('\n  ')}`);
  // The screenshot's RGB bytes, read by the end-to-end scripts' PNG tool.
  const png = spawnSync(path.join(BUILD, 'tests', 'pngpixel'), ['--rgb', shot]).stdout, rgb = await canvasRgb(page);
  check('script: the canvas is the headless screenshot, byte for byte', png.equals(rgb), differences(png, rgb, 480));
  await context.close();
}

async function badInput(browser, origin) {
  fs.writeFileSync(path.join(WORK, 'bad.fzs'), 'start\nfrobnicate 3\n');
  for (const [script, want] of [['missing.fzs', 'cannot read the script missing.fzs'],
                                ['bad.fzs', 'line 2: unknown command frobnicate']]) {
    const errors = [];
    const {context, page} = await open(browser, `${origin}/?script=${script}`, (p) => p.on('console', (m) => {
      if (m.type() === 'error') errors.push(m.text());
    }));
    const shown = await message(page);
    check(`${script}: says "${want}" on the page and the console`, shown === want && errors.includes(want),
          `page: ${shown}\nconsole: ${errors.join(' | ')}`);
    await context.close();
  }
  await unless('early', 'a browser without WebAssembly is told what it needs', async () => {
    const {context, page} = await open(browser, `${origin}/`,
                                       (p) => p.evaluateOnNewDocument(() => { delete globalThis.WebAssembly; }));
    const shown = await message(page);
    check('a browser without WebAssembly is told what it needs', /needs a browser that runs WebAssembly/.test(shown), shown);
    await context.close();
  });
}

// Bubbles sit on a grid of about 18 pixels from (10, 50); a tap that changes the board
// selected a group, and a second tap there bursts it, which changes the score. The board,
// not the screen: the clock above it may turn a minute during the search.
async function burstAGroup(page) {
  const before = await canvasRgb(page);
  for (let r = 0; r < 12; ++r)
    for (let c = 0; c < 12; ++c) {
      const x = 19 + Math.round(c * 18.3), y = 59 + Math.round(r * 18.3);
      await tap(page, x, y, c % 2 === 1);
      const selected = await canvasRgb(page);
      if (board(selected).equals(board(before))) continue;
      await tap(page, x, y);
      const burst = await canvasRgb(page);
      return {burst, scored: !header(burst).equals(header(before))};
    }
  return {burst: before, scored: false};
}

async function dealAndBurst(page) {
  await tap(page, 18, 306);   // Game
  await tap(page, 35, 238);   // New Game
  return burstAGroup(page);
}

// The screen below the navigation bar, whose clock may turn a minute between two looks; the
// header (the score), and the header with the board, above the menu bar (whose Undo a new start
// does not offer).
const row = (y) => y * 240 * 3, BAR = row(26);
const belowBar = (rgb) => rgb.subarray(BAR);
const header = (rgb) => rgb.subarray(BAR, row(46));
const board = (rgb) => rgb.subarray(BAR, row(290));
// Checks that the page, once it waits for input, shows the board and score of the screen `want`.
async function showsBoard(what, page, want, ok = true) {
  const started = await idle(page).then(() => true, () => false);
  const now = started && await canvasRgb(page);
  check(what, ok && started && board(now).equals(board(want)), started ? differences(want, now) : 'it never started');
}

async function played(browser, origin, server) {
  // Whether the page asks the browser to keep its storage for good: headless Chromium answers
  // no, and an answer of yes would not tell that the page asked.
  const keep = 'the browser is asked once to keep the storage for good, after the first save';
  const counting = () => {
    window.keepAsked = 0;
    const persist = navigator.storage.persist.bind(navigator.storage);
    navigator.storage.persist = () => { window.keepAsked += 1; return persist(); };
  };
  const {context, page} = await firstVisit(browser, origin, (p) => CANNOT.early || p.evaluateOnNewDocument(counting));
  const asked = () => page.evaluate(() => window.keepAsked);
  const askedBefore = !CANNOT.early && await asked();
  const {burst, scored} = await dealAndBurst(page);
  check('real taps deal a new game and burst a group (the score changes)', scored);
  await unless('early', keep, async () => check(keep, askedBefore === 0 && await asked() === 1,
                                                `asked ${askedBefore} times before, ${await asked()} after`));

  await reload(page);
  await showsBoard('a reload resumes the same board and score', page, burst);

  // The site's data cleared while the game runs (the browser closes the database under it):
  // the next move is saved anew, as the desktop writes its file again when it was deleted.
  const cdp = !CANNOT.cdp && await page.createCDPSession();
  const cleared = 'with the site\'s data cleared while the game runs, its next move is saved anew';
  if (cdp) await cdp.send('Storage.clearDataForOrigin', {origin, storageTypes: 'indexeddb'});
  const again = await burstAGroup(page);
  await reload(page);
  await unless('cdp', cleared, () => {});
  await showsBoard(cdp ? cleared : 'a reload resumes the next move too', page, again.burst, again.scored);

  await page.evaluate(() => navigator.serviceWorker.ready);
  await unless('cdp', 'the browser can install the site', async () => {
    const {installabilityErrors} = await cdp.send('Page.getInstallabilityErrors');
    const manifest = await cdp.send('Page.getAppManifest');
    // Incognito is this test's own choice: a browser installs nothing from an incognito window.
    const complaints = installabilityErrors.map((e) => e.errorId).filter((id) => id !== 'in-incognito')
      .concat(manifest.errors.map((e) => e.message));
    // Each icon a PNG of the size it declares (its header's width and height), one maskable.
    const {icons, id} = JSON.parse(manifest.data);
    for (const icon of icons) {
      const png = Buffer.from(await (await fetch(new URL(icon.src, manifest.url))).arrayBuffer());
      const size = png.toString('latin1', 12, 16) === 'IHDR' ? `${png.readUInt32BE(16)}x${png.readUInt32BE(20)}` : '?';
      if (size !== icon.sizes) complaints.push(`${icon.src}: ${size}, declared ${icon.sizes}`);
    }
    if (!id || !icons.some((i) => i.purpose === 'maskable')) complaints.push('no id, or no maskable icon');
    check('the browser can install the site (its manifest, its icons of the sizes they say, its service worker)',
          complaints.length === 0, complaints.join('\n'));
  });

  // Every connection dropped at once: close alone waits for those the browser keeps open.
  const closed = new Promise((r) => server.close(r));
  server.closeAllConnections();
  await closed;
  await reload(page);
  await showsBoard('with the server stopped, a reload still loads the game and its board', page, again.burst);

  // One program per browser: a second tab waits, and takes over once the first is closed.
  const second = await context.newPage();
  await second.goto(`${origin}/`);
  const refused = await message(second);
  check('a second tab is refused while the first is open', /open in another tab/.test(refused), refused);
  await page.close();
  await showsBoard('once the first tab is closed, the second one starts the game where it was', second, again.burst);
  await context.close();
}

// Lighthouse (npm), in the local Chromium: accessibility, best practices and the page's
// description for search engines all in order. Its performance figures are left to the
// benchmarks: a test does not time. Run beside the server, which this process is.
async function audited(origin) {
  const cli = path.join(__dirname, 'node_modules', 'lighthouse', 'cli', 'index.js');
  const out = path.join(WORK, 'lighthouse.json');
  const run = await new Promise((resolve) => execFile('node', [cli, `${origin}/`, '--quiet',
                                 '--only-categories=accessibility,best-practices,seo',
                                 '--output=json', `--output-path=${out}`,
                                 '--chrome-flags=--headless=new --no-sandbox --disable-gpu'],
    {env: {...process.env, CHROME_PATH: BINARIES.chromium[0]}}, (err, stdout, stderr) => resolve({err, stderr})));
  const report = !run.err ? JSON.parse(fs.readFileSync(out, 'utf8')) : null;
  const scores = report ? Object.values(report.categories).map((c) => `${c.id} ${c.score}`) : [];
  const failed = report ? Object.values(report.audits).filter((a) => a.score !== null && a.score < 1 &&
                                                                   a.scoreDisplayMode === 'binary') : [];
  check('Lighthouse: accessibility, best practices and SEO all 1.0',
        scores.length === 3 && scores.every((s) => / 1$/.test(s)),
        report ? `${scores.join(', ')}\n${failed.map((a) => `${a.id}: ${a.title}`).join('\n')}` : run.stderr);
}

// A browser set to refuse every site its storage (and so its lock) is a private window at
// its strictest: the game still starts and plays, and says once that it cannot save.
async function storageRefused(origin) {
  const said = [];
  const v = await ownBrowser(origin, {profile: fs.mkdtempSync(path.join(WORK, 'profile-')), refuseStorage: true}, said);
  try {
    const scored = v.started && (await dealAndBurst(v.page)).scored;
    check('with storage refused, the game plays and says once that it cannot save',
          scored && said.length === 1 && /cannot (keep|save) the game/.test(said[0]),
          v.started ? `the burst scored: ${scored}; said: ${said.join(' | ')}` : 'the game never started');
  } finally {
    await v.browser.close();
  }
}

// A browser of its own (`options` for launch) on the site, what its page says it cannot do
// added to `said`; `before` gets the page before it loads.
async function ownBrowser(origin, options, said, before = async () => {}) {
  const browser = await launch(ENGINE, options);
  const page = await browser.newPage();
  page.on('console', (m) => { if (/cannot/.test(m.text())) said.push(m.text()); });
  await before(page);
  await page.goto(`${origin}/`);
  return {browser, page, started: await idle(page).then(() => true, () => false)};
}

// A page in a browser context of its own; `before` gets it before it loads `url`.
async function open(browser, url, before = async () => {}) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await before(page);
  await page.goto(url);
  return {context, page};
}

// A first visit: the page of `open`, waiting for input.
async function firstVisit(browser, origin, before) {
  const visit = await open(browser, `${origin}/`, before);
  await idle(visit.page);
  return visit;
}

// The page's message to the player, once it shows one ('' when none shows).
async function message(page) {
  await page.waitForFunction(() => !document.getElementById('message').hidden, {timeout: 20000}).catch(() => {});
  return page.$eval('#message', (e) => (e.hidden ? '' : e.textContent));
}

async function reload(page) {
  await page.reload();
  await idle(page);
}

// Why the screen `r` (with the window's size as the page sees it: WebKit's window has the
// browser's bar in it) is not the largest whole step that fits, centred; null when it is.
function misfit(r, ratio) {
  const {w: width, h: height} = r;
  // Within half a physical pixel: the page lays out in 1/64ths of its own pixels.
  const near = (a, b) => Math.abs(a - b) < 0.5, step = Math.round((r.width * ratio) / 240);
  const whole = near(r.width * ratio, step * 240) && near(r.height * ratio, step * 320);
  const inside = step * 240 <= width * ratio + 0.5 && step * 320 <= height * ratio + 0.5;
  const largest = inside && (width * ratio < (step + 1) * 240 || height * ratio < (step + 1) * 320);
  const fits = width * ratio < 240 || height * ratio < 320 ?
    near(Math.min(width - r.width, height - r.height) * ratio, 0) : whole && largest && step >= 1;
  const centred = Math.abs(r.left - (width - r.width) / 2) <= 1 / ratio &&
                  Math.abs(r.top - (height - r.height) / 2) <= 1 / ratio;
  return fits && centred ? null : JSON.stringify(r);
}

// The screen fills the window by the largest whole step of physical pixels that fits,
// centred, and fits again when the window changes or the phone turns; a window smaller than
// the screen shows it whole, smaller.
async function fitted(browser, origin) {
  const {context, page} = await firstVisit(browser, origin);
  const wrong = [];
  const sizes = [[800, 700, 1], [390, 844, 3], [844, 390, 3], [1000, 1000, 1.25], [200, 250, 1]];
  const measure = () => page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => {
    const b = document.getElementById('screen').getBoundingClientRect();
    resolve({left: b.left, top: b.top, width: b.width, height: b.height, w: innerWidth, h: innerHeight});
  })));
  let last = await measure();
  await unless('ratio', 'the screen fits a window of another pixel ratio', () => {});
  for (const [w, h, ratio] of sizes.filter(([, , ratio]) => ratio === 1 || !CANNOT.ratio)) {
    await page.setViewport({width: w, height: h, deviceScaleFactor: ratio, isMobile: ratio > 1, hasTouch: ratio > 1});
    // A browser may answer before the page has its new size (WebKit's window is resized by
    // the X server, then the page): measured again until it fits, for a few seconds at most.
    let wrongHere = null;
    for (const deadline = Date.now() + 5000; ;) {
      const r = await measure();
      const resized = r.w !== last.w || r.h !== last.h;
      wrongHere = resized ? misfit(r, ratio) : `the window stayed ${r.w} x ${r.h}`;
      if (!wrongHere || Date.now() > deadline) { last = r; break; }
      await new Promise((r) => setTimeout(r, 100));
    }
    if (wrongHere) wrong.push(`${w} x ${h} at ${ratio}: ${wrongHere}`);
  }
  check('the screen takes the largest whole step that fits, centred, as the window changes', !wrong.length,
        wrong.join('\n'));
  await context.close();
}

// A phone's first tap is heard: the browser lets a page start its sound only in the handler
// of an input that grants it (a touch's pointerup or touchend, not its pointerdown). The page
// says itself when it waits for input: the driver's own calls into it grant that too.
async function heardAtFirstTouch(browser, origin) {
  let waiting;
  const {context, page} = await open(browser, `${origin}/`, async (p) => {
    await p.setViewport({width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true});
    await p.evaluateOnNewDocument(() => {
      addEventListener('pointerdown', (e) => { window.tapped = [e.pointerType, navigator.userActivation.hasBeenActive]; }, true);
      const wait = setInterval(() => {
        const p = window.Module && Module.pocket;
        if (!p || !p.shown || p.wake === null) return;
        clearInterval(wait);
        const b = document.getElementById('screen').getBoundingClientRect();
        console.log(`waiting ${b.left + b.width * 40 / 240} ${b.top + b.height * 36 / 320}`);  // the header
      }, 50);
    });
    waiting = new Promise((resolve) => p.on('console', (m) => {
      const at = /^waiting (\S+) (\S+)$/.exec(m.text());
      if (at) resolve([Number(at[1]), Number(at[2])]);
    }));
  });
  await page.touchscreen.tap(...await waiting);
  await page.waitForFunction(() => Module.pocket.audio?.state === 'running', {timeout: 2000}).catch(() => {});
  const [by, before, state] = await page.evaluate(() => (window.tapped || []).concat(Module.pocket.audio?.state));
  check('a first touch on a phone starts the sound', by === 'touch' && !before && state === 'running',
        `a tap by ${by}, the page active before it: ${before}, the sound: ${state}`);
  await context.close();
}

// The keyboard, as in the window: F10 and Enter deal, an arrow shows the stylus cursor over
// the board, Space selects and bursts the group under it, Ctrl+Z undoes, Alt alone opens the
// menus. All under the page's security policy, which lets in only the site's own files and
// its WebAssembly.
async function keyboard(browser, origin) {
  const said = [];
  const {context, page} = await firstVisit(browser, origin, async (p) => {
    p.on('console', (m) => { if (/security policy|violat|refused to/i.test(m.text())) said.push(m.text()); });
    if (CANNOT.early) return;
    await p.evaluateOnNewDocument(() => addEventListener('securitypolicyviolation', (e) => {
      console.error(`violates the security policy: ${e.violatedDirective} ${e.blockedURI}`);
    }));
  });
  const press = (key, modifier) => handed(page, modifier ? 2 : 1, async () => {
    if (modifier) await page.keyboard.down(modifier);
    await page.keyboard.press(key);
    if (modifier) await page.keyboard.up(modifier);
  });
  // Whether the screen `a` differs from `b` below the bar and is orange wherever it does: the
  // cursor's outline.
  const same = (a, b) => belowBar(a).equals(belowBar(b));
  const outlined = (a, b) => {
    const [x, at] = [belowBar(a), differing(belowBar(a), belowBar(b))];
    return at.length > 0 && at.every((i) => x[i] === 255 && x[i + 1] === 127 && x[i + 2] === 0);
  };

  await press('F10');
  await press('Enter');
  const dealt = await canvasRgb(page);
  await press('ArrowDown');
  let here = await canvasRgb(page);
  check('keyboard: an arrow shows the cursor over the board, and changes nothing else', outlined(here, dealt));

  // Cell by cell, row after row, until Space selects a group.
  let burst = null;
  for (let i = 0; i < 144 && !burst; ++i) {
    await press(' ');
    if (same(await canvasRgb(page), here)) {
      await press(i % 12 === 11 ? 'ArrowDown' : Math.floor(i / 12) % 2 ? 'ArrowLeft' : 'ArrowRight');
      here = await canvasRgb(page);
      continue;
    }
    await press(' ');
    burst = await canvasRgb(page);
  }
  check('keyboard: Space selects the group under the cursor, and again bursts it (the score changes)',
        burst !== null && !header(burst).equals(header(here)));
  await press('z', 'Control');
  const undone = await canvasRgb(page);
  // Keys during the burst's pauses wait their turn: this Ctrl+Z undoes the burst once it is over.
  await press(' ');
  await page.keyboard.press(' ');
  await press('z', 'Control');
  const kept = await canvasRgb(page);
  check('keyboard: Ctrl+Z undoes a burst, pressed after it or during its pauses',
        burst !== null && same(undone, here) && same(kept, here), differences(here, same(undone, here) ? kept : undone));

  await press('Alt');
  check('keyboard: Alt alone opens the menus', !same(await canvasRgb(page), undone));

  await page.evaluate(() => navigator.serviceWorker.ready);
  await reload(page);
  // An inline script of the test's own, which the policy names by no hash: refused, and said.
  const before = said.length;
  const ran = await page.evaluate(() => new Promise((resolve) => {
    const s = document.createElement('script');
    s.textContent = 'window.inlineRan = true;';
    document.head.appendChild(s);
    setTimeout(() => resolve(!!window.inlineRan), 500);
  }));
  // WebKit's console reaches us by polling: a moment for the refusal to arrive.
  for (const deadline = Date.now() + 2000; said.length === before && Date.now() < deadline;)
    await new Promise((r) => setTimeout(r, 50));
  check('under its security policy the page plays, saves and reloads, with no violation said', before === 0,
        said.join('\n'));
  check('the security policy refuses a script it does not name, and the browser says so',
        !ran && said.length > before, `ran: ${ran}; said: ${said.slice(before).join(' | ')}`);
  await context.close();
}

// Storage that filled up while the game was closed: the browser's own quota, set below what the
// site already holds, fails every save as it commits. The game plays on and says so once, and
// the next visit finds the game saved before the storage filled up.
async function storageFull(origin) {
  const profile = fs.mkdtempSync(path.join(WORK, 'profile-'));
  const said = [];
  // The quota is set before the page opens its storage: the browser heeds it only from then on.
  const visit = (quota) => ownBrowser(origin, {profile}, said, async (page) => quota === undefined ||
    (await page.createCDPSession()).send('Storage.overrideQuotaForOrigin', {origin, quotaSize: quota}));
  let v = await visit();
  try {
    const kept = (await dealAndBurst(v.page)).burst;
    await v.browser.close();
    v = await visit(1000);
    const resumed = v.started && board(await canvasRgb(v.page)).equals(board(kept));
    // A program that waits for ever on a save never comes back to idle: that is a failure here.
    const plays = () => burstAGroup(v.page).then((b) => b.scored, () => false);
    const played = resumed && await plays() && await plays();
    check('with storage full, the game plays on and says once that it cannot save',
          played && said.length === 1 && /storage is full/.test(said[0]),
          v.started ? `resumed: ${resumed}\n${said.join('\n')}` : 'the game never started');
    await v.browser.close();
    v = await visit();
    await showsBoard('with storage full, the game saved before it filled up is kept', v.page, kept);
  } finally {
    await v.browser.close();
  }
}

// A static host may let browsers keep its files for an hour. When the site is updated, the
// service worker must take the new version's files from the host, not the old ones the
// browser still keeps: a page of one version with the program of another does not start.
async function updated(browser) {
  const live = fs.mkdtempSync(path.join(WORK, 'live-'));
  fs.cpSync(SITE, live, {recursive: true});
  const served = await start(live, null, {cacheSeconds: 3600});
  const {context, page} = await firstVisit(browser, served.origin);
  try {
    await page.evaluate(() => navigator.serviceWorker.ready);

    // The next version: another program, and so another worker.
    fs.appendFileSync(path.join(live, 'program.js'), '\n// the next version\n');
    const made = spawnSync('cmake', [`-DSITE=${live}`, `-DTEMPLATE=${SOURCE}/pocket/host/web/sw.js.in`, '-P',
                                     `${SOURCE}/pocket/host/web/worker.cmake`], {encoding: 'utf8'});
    if (made.status !== 0) throw new Error(`cannot write the next version's worker: ${made.stderr}`);
    const version = fs.readFileSync(path.join(live, 'sw.js'), 'utf8').match(/var CACHE = '([^']+)'/)[1];

    await reload(page);  // the last version, from the worker; the browser finds the new worker
    const kept = await page.waitForFunction(async (name) => {
      if (!(await caches.keys()).includes(name)) return false;
      const hit = await (await caches.open(name)).match('program.js');
      return hit ? (await hit.text()).includes('the next version') ? 'new' : 'old' : false;
    }, {timeout: 20000, polling: 100}, version).then((h) => h.jsonValue(), () => 'none');
    check('after an update, the worker keeps the new version, not the files the browser kept',
          kept === 'new', `program.js in the new version's cache: ${kept}`);
  } finally {
    await context.close();
    served.server.close();
  }
}

(async () => {
  let browser, served;
  try {
    browser = await launch(ENGINE);
    served = await start(SITE, WORK);
    // --only a,b runs just those steps (for chasing one check).
    const only = arg('--only') && arg('--only').split(',');
    const steps = {
      script: () => sameAsHeadless(browser, served.origin),
      badInput: () => badInput(browser, served.origin),
      fitted: () => fitted(browser, served.origin),
      sound: () => unless('sound', 'a first touch on a phone starts the sound', () => heardAtFirstTouch(browser, served.origin)),
      keyboard: () => keyboard(browser, served.origin),
      lighthouse: () => unless('cdp', 'Lighthouse\'s audit', () => audited(served.origin)),
      refused: () => unless('refuse', 'with storage refused, the game plays', () => storageRefused(served.origin)),
      full: () => unless('cdp', 'with storage full, the game plays on', () => storageFull(served.origin)),
      updated: () => updated(browser),
      played: () => played(browser, served.origin, served.server),
    };
    if (only && only.some((n) => !steps[n])) throw new Error(`--only takes ${Object.keys(steps).join(', ')}`);
    for (const [name, step] of Object.entries(steps)) if (!only || only.includes(name)) await step();
  } catch (e) {
    check('the browser test ran', false, e.stack || String(e));
  } finally {
    if (browser) await browser.close();
    if (served) served.server.close();
    fs.rmSync(WORK, {recursive: true, force: true});
  }
  // The failed checks again, last, and in --report's file for whoever runs every engine: a
  // log cut to its tail still names them, with what they saw.
  const summary = `${ENGINE}: ${failed.length ? `${failed.length} failed:\n  ${failed.join('\n  ')}` : 'all passed'}`;
  console.log(summary);
  if (arg('--report')) fs.appendFileSync(arg('--report'), `${summary}\n`);
  process.exit(failed.length ? 1 : 0);
})();
