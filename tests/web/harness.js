// Shared by the browser test and the benchmarks: the site served on 127.0.0.1, headless
// Chromium through puppeteer-core, and the canvas as RGB bytes.
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const puppeteer = require('puppeteer-core');
const {serve} = require('../../tools/serve.js');

const CHROMIUM = ['/usr/bin/chromium', '/usr/bin/chromium-browser'].find((p) => fs.existsSync(p));

async function launch() {
  if (!CHROMIUM) throw new Error('chromium is not installed (apt-get install chromium)');
  return puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--mute-audio', '--autoplay-policy=no-user-gesture-required'],
  });
}

// Serves the site, and `extra` beside it (scripts), on a free port.
async function start(site, extra) {
  const folders = [path.resolve(site)].concat(extra ? [path.resolve(extra)] : []);
  const server = await serve(folders, 0);
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

// An 8-bit RGB PNG (as the headless device writes them) as RGB bytes.
function pngRgb(file) {
  const data = fs.readFileSync(file);
  let at = 8, width = 0, height = 0;
  const idat = [];
  while (at < data.length) {
    const len = data.readUInt32BE(at), type = data.toString('ascii', at + 4, at + 8);
    const body = data.subarray(at + 8, at + 8 + len);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[9] !== 2 || body[12] !== 0) throw new Error(`${file}: not an 8-bit RGB PNG`);
    } else if (type === 'IDAT') {
      idat.push(body);
    }
    at += 12 + len;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * 3, out = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    for (let x = 0; x < stride; ++x) {
      const v = raw[y * (stride + 1) + 1 + x];
      const a = x >= 3 ? out[y * stride + x - 3] : 0;
      const b = y > 0 ? out[(y - 1) * stride + x] : 0;
      const c = x >= 3 && y > 0 ? out[(y - 1) * stride + x - 3] : 0;
      let p = 0;
      if (filter === 1) p = a;
      else if (filter === 2) p = b;
      else if (filter === 3) p = (a + b) >> 1;
      else if (filter === 4) {
        const q = a + b - c, pa = Math.abs(q - a), pb = Math.abs(q - b), pc = Math.abs(q - c);
        p = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out[y * stride + x] = (v + p) & 255;
    }
  }
  return {width, height, rgb: out};
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

module.exports = {launch, start, canvasRgb, pngRgb, idle, tap};
