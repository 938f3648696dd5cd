// Shared by the browser test and the benchmarks: the site served on 127.0.0.1, a browser of
// each engine (tools/browsers.js), and the canvas as RGB bytes.
'use strict';
const path = require('path');
const {serve} = require('../../tools/serve.js');
const {ENGINES, BINARIES, launch} = require('../../tools/browsers.js');

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

// Sends `input` (which lets go of `count` keys or pointers), and resolves once the page has
// them all and the program is idle again: an idle program says nothing of input the driver
// sent and the page has not had yet.
async function handed(page, count, input) {
  const before = await page.evaluate(() => {
    if (window.handed === undefined) {
      window.handed = 0;
      for (const type of ['pointerup', 'keyup']) addEventListener(type, () => { window.handed += 1; }, true);
    }
    return window.handed;
  });
  await input();
  await page.waitForFunction((n) => window.handed >= n, {timeout: 20000, polling: 20}, before + count);
  await idle(page);
}

// Taps a device point with the mouse (or a finger).
async function tap(page, x, y, touch) {
  const r = await page.evaluate(() => {
    const b = document.getElementById('screen').getBoundingClientRect();
    return {left: b.left, top: b.top, sx: b.width / 240, sy: b.height / 320};
  });
  const px = r.left + (x + 0.5) * r.sx, py = r.top + (y + 0.5) * r.sy;
  await handed(page, 1, () => (touch ? page.touchscreen.tap(px, py) : page.mouse.click(px, py)));
}

module.exports = {ENGINES, BINARIES, launch, start, canvasRgb, idle, handed, tap};
