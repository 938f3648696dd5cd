// Shared by the browser test and the benchmarks: the site served on 127.0.0.1, a browser of
// each engine players use (Chromium and Firefox through puppeteer-core, WebKit through its
// WebDriver), and the canvas as RGB bytes.
'use strict';
const fs = require('fs');
const path = require('path');
const puppeteer = require('puppeteer-core');
const {serve} = require('../../tools/serve.js');
const webdriver = require('../../tools/webdriver.js');

const ENGINES = ['chromium', 'firefox', 'webkit'];
const installed = (...paths) => paths.find((p) => fs.existsSync(p));
const BINARIES = {
  chromium: [installed('/usr/bin/chromium', '/usr/bin/chromium-browser'), 'chromium'],
  firefox: [installed('/usr/bin/firefox-esr', '/usr/bin/firefox'), 'firefox-esr'],
  webkit: [installed('/usr/bin/WebKitWebDriver'), 'webkit2gtk-driver'],
};

// `profile`: a folder for the browser's profile; `refuseStorage`: the browser refuses every
// site its storage, as a private window at its strictest.
async function launch(engine = 'chromium', {profile, refuseStorage} = {}) {
  const [binary, apt] = BINARIES[engine] || [];
  if (!binary) throw new Error(`${engine} is not installed (apt-get install ${apt})`);
  if (engine === 'webkit') {
    if (refuseStorage) throw new Error('WebKit cannot be set to refuse storage');
    return webdriver.launch(binary);
  }
  if (engine === 'firefox') {
    return puppeteer.launch({
      browser: 'firefox', executablePath: binary, headless: true, userDataDir: profile,
      extraPrefsFirefox: {'media.volume_scale': '0.0', ...(refuseStorage ? {'network.cookie.cookieBehavior': 2} : {})},
    });
  }
  if (refuseStorage) {
    fs.mkdirSync(path.join(profile, 'Default'), {recursive: true});
    fs.writeFileSync(path.join(profile, 'Default', 'Preferences'),
                     JSON.stringify({profile: {default_content_setting_values: {cookies: 2}}}));
  }
  return puppeteer.launch({
    executablePath: binary,
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--mute-audio'],
  });
}

// Serves the site, and `extra` beside it (scripts), on a free port.
async function start(site, extra, options) {
  const folders = [path.resolve(site)].concat(extra ? [path.resolve(extra)] : []);
  const server = await serve(folders, 0, options);
  return {server, origin: `http://127.0.0.1:${server.address().port}`};
}

// The device screen as the page shows it: RGB bytes, row by row.
async function canvasRgb(page) {
  const b64 = await page.evaluate(() => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let s = '';
    for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i + 1], d[i + 2]);
    return btoa(s);
  });
  return Buffer.from(b64, 'base64');
}

// Resolves once the program waits for input with nothing left to handle.
async function idle(page, timeout = 20000) {
  await page.waitForFunction(
    () => window.Module && Module.pocket && Module.pocket.shown && Module.pocket.wake !== null &&
          Module.pocket.events.length === 0, {timeout, polling: 50});
}

// Taps a device point with the mouse (or a finger).
async function tap(page, x, y, touch) {
  const r = await page.evaluate(() => {
    const b = document.getElementById('screen').getBoundingClientRect();
    return {left: b.left, top: b.top, sx: b.width / 240, sy: b.height / 320};
  });
  const px = r.left + (x + 0.5) * r.sx, py = r.top + (y + 0.5) * r.sy;
  if (touch) await page.touchscreen.tap(px, py);
  else await page.mouse.click(px, py);
  await idle(page);
}

module.exports = {ENGINES, launch, start, canvasRgb, idle, tap};
