// A browser of each engine players use, for the browser test and the benchmarks: Chromium and
// Firefox through puppeteer-core (the test's npm package), WebKit through Debian's
// WebKitWebDriver driving its MiniBrowser (on an Xvfb screen of its own when there is no
// display), over W3C WebDriver, behind the few calls of puppeteer's browser, context and page
// that they use. A WebKit context is a session of its own (a browser with its own storage);
// its pages are windows.
'use strict';
const {spawn} = require('child_process');
const fs = require('fs');
const net = require('net');
const path = require('path');
const puppeteer = require(path.join(__dirname, '..', 'tests', 'web', 'node_modules', 'puppeteer-core'));

const MINIBROWSER = ['webkit2gtk-4.1', 'webkit2gtk-4.0', 'webkitgtk-6.0']
  .map((v) => `/usr/lib/x86_64-linux-gnu/${v}/MiniBrowser`).find((p) => fs.existsSync(p));
const KEYS = {Enter: '\uE007', Escape: '\uE00C', Space: ' ', Alt: '\uE00A', Control: '\uE009', F10: '\uE03A',
              ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015'};
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function freePort() {
  return new Promise((resolve) => {
    const s = net.createServer().listen(0, '127.0.0.1', () => { const {port} = s.address(); s.close(() => resolve(port)); });
  });
}

// A server process and the line it prints once ready (Xvfb: its display number).
function started(command, args, env) {
  const child = spawn(command, args, {stdio: ['ignore', 'pipe', 'ignore'], env});
  return new Promise((resolve, reject) => {
    child.once('error', reject);
    child.stdout.once('data', (d) => resolve({child, said: String(d).trim()}));
  });
}

class Page {
  constructor(session, handle) {
    this.session = session;
    this.handle = handle;
    this.listeners = [];
    this.framed = false;
    this.mouse = {click: (x, y) => this.pointer('mouse', x, y)};
    this.touchscreen = {tap: (x, y) => this.pointer('touch', x, y)};
    this.keyboard = {press: (k) => this.keys(k, 'keyDown', 'keyUp'), down: (k) => this.keys(k, 'keyDown'),
                     up: (k) => this.keys(k, 'keyUp')};
  }

  // Every command of a page runs in its own window (and frame), one at a time per session.
  run(work) { return this.session.queue(async () => { await this.session.focus(this); return work(); }); }

  // WebDriver reports no console. A page that listens to it runs in a frame of its own
  // origin filling the window: a frame's first document keeps its window when the page
  // replaces it, so its console is hooked before the page's first script runs.
  on(event, listener) {
    if (event !== 'console') throw new Error(`WebKit: no "${event}" events`);
    this.listeners.push(listener);
    if (!this.poller) this.poller = setInterval(() => this.drain().catch(() => {}), 50);
  }

  async drain() {
    if (!this.framed) return;
    const lines = await this.session.queue(async () => {
      await this.session.focus(this, false);
      return this.session.cmd('POST', 'execute/sync', {script: 'var l = window.lines || []; window.lines = []; return l;', args: []});
    });
    for (const [type, text] of lines) for (const l of this.listeners) l({type: () => type, text: () => text});
  }

  async goto(url) {
    this.url = url;
    this.framed = this.listeners.length > 0;
    if (!this.framed) return this.run(() => this.session.cmd('POST', 'url', {url}));
    await this.session.queue(async () => {
      await this.session.focus(this, false);
      await this.session.cmd('POST', 'url', {url: new URL('/webdriver-frame', url).href});
      await this.session.cmd('POST', 'execute/sync', {args: [url], script: `
        window.lines = [];
        var f = document.createElement('iframe');
        f.style.cssText = 'position: fixed; left: 0; top: 0; width: 100%; height: 100%; border: 0';
        f.src = arguments[0];
        document.body.appendChild(f);
        ['log', 'info', 'warn', 'error'].forEach(function (type) {
          f.contentWindow.console[type] = function () {
            lines.push([type === 'info' ? 'log' : type === 'warn' ? 'warning' : type, [].join.call(arguments, ' ')]);
          };
        });
        // What the browser would say on its console of a violation of the page's security policy.
        f.contentWindow.addEventListener('securitypolicyviolation', function (e) {
          lines.push(['error', 'violates the security policy: ' + e.violatedDirective + ' ' + e.blockedURI]);
        });`});
    });
    await this.waitForFunction(() => document.readyState === 'complete', {timeout: 20000});
  }

  reload() { return this.framed ? this.goto(this.url) : this.run(() => this.session.cmd('POST', 'refresh', {})); }

  // A function of the page's, with JSON arguments; a promise it returns is awaited.
  async evaluate(fn, ...args) {
    const got = await this.run(() => this.session.cmd('POST', 'execute/async', {args, script: `
      var done = arguments[arguments.length - 1];
      try {
        Promise.resolve((${fn}).apply(null, [].slice.call(arguments, 0, -1)))
          .then(function (v) { done({v: v}); }, function (e) { done({e: String(e)}); });
      } catch (e) { done({e: String(e)}); }`}));
    if (got.e !== undefined) throw new Error(got.e);
    return got.v;
  }

  $eval(selector, fn) { return this.evaluate(`function (s) { return (${fn})(document.querySelector(s)); }`, selector); }

  async waitForFunction(fn, {timeout = 30000, polling = 100} = {}, ...args) {
    for (const deadline = Date.now() + timeout; ; await sleep(polling)) {
      const v = await this.evaluate(fn, ...args).catch(() => false);
      if (v) return {jsonValue: async () => v};
      if (Date.now() > deadline) throw new Error(`waiting failed: ${timeout} ms exceeded`);
    }
  }

  pointer(type, x, y) {
    return this.run(() => this.session.cmd('POST', 'actions', {actions: [{
      type: 'pointer', id: type, parameters: {pointerType: type}, actions: [
        {type: 'pointerMove', x: Math.round(x), y: Math.round(y), origin: 'viewport', duration: 0},
        {type: 'pointerDown', button: 0}, {type: 'pointerUp', button: 0}]}]}));
  }

  keys(key, ...steps) {
    const value = KEYS[key] || key;
    return this.run(() => this.session.cmd('POST', 'actions', {actions: [{
      type: 'key', id: 'keyboard', actions: steps.map((type) => ({type, value}))}]}));
  }

  // The window's outer size: the page gets what the browser's own bar leaves.
  setViewport({width, height}) {
    return this.run(() => this.session.cmd('POST', 'window/rect', {width, height}));
  }

  evaluateOnNewDocument() { throw new Error('WebDriver runs no script before the page\'s own'); }
  createCDPSession() { throw new Error('WebKit has no DevTools protocol'); }

  async close() {
    clearInterval(this.poller);
    await this.run(() => this.session.cmd('DELETE', 'window'));
    this.session.current = null;
  }
}

class Context {
  constructor(browser, {driver, url, id}) {
    this.browser = browser;
    this.driver = driver;
    this.url = url;
    this.id = id;
    this.pages = 0;
    this.current = null;
    this.last = Promise.resolve();
  }

  async cmd(method, what, body) {
    const r = await fetch(`${this.url}/session/${this.id}/${what}`, {
      method, headers: {'Content-Type': 'application/json'}, body: body && JSON.stringify(body)});
    const {value} = await r.json();
    if (value && value.error) throw new Error(`WebKit: ${what}: ${value.error}: ${value.message}`);
    return value;
  }

  queue(work) {
    const next = this.last.then(work);
    this.last = next.catch(() => {});
    return next;
  }

  async focus(page, inFrame = true) {
    if (this.current !== page.handle) {
      await this.cmd('POST', 'window', {handle: page.handle});
      this.current = page.handle;
      this.frame = false;
    }
    const frame = inFrame && page.framed;
    if (this.frame !== frame) {
      await this.cmd('POST', 'frame', {id: frame ? 0 : null});
      this.frame = frame;
    }
  }

  async newPage() {
    const handle = this.pages++ === 0 ? await this.cmd('GET', 'window') :
      (await this.cmd('POST', 'window/new', {type: 'tab'})).handle;
    return new Page(this, handle);
  }

  async close() {
    await fetch(`${this.url}/session/${this.id}`, {method: 'DELETE'}).catch(() => {});
    this.driver.kill();
    this.browser.contexts.delete(this);
  }
}

// A driver for each context: WebKitWebDriver 2.50 may crash when a session follows another.
async function session(binary, env) {
  const port = await freePort();
  const driver = spawn(binary, [`--port=${port}`], {stdio: 'ignore', env});
  const url = `http://127.0.0.1:${port}`;
  for (let i = 0; ; ++i) {
    const ready = await fetch(`${url}/status`).then((r) => r.json(), () => null);
    if (ready && ready.value && ready.value.ready) break;
    if (i > 100) throw new Error('WebKitWebDriver did not start');
    await sleep(50);
  }
  const r = await fetch(`${url}/session`, {method: 'POST', headers: {'Content-Type': 'application/json'},
    body: JSON.stringify({capabilities: {alwaysMatch: {
      'webkitgtk:browserOptions': {binary: MINIBROWSER, args: ['--automation']}}}})});
  const {value} = await r.json();
  if (!value.sessionId) throw new Error(`WebKit: no session: ${value.message}`);
  return {driver, url, id: value.sessionId};
}

async function webkit(binary) {
  if (!MINIBROWSER) throw new Error('no MiniBrowser (apt-get install webkit2gtk-driver)');
  const env = {...process.env};
  let screen = null;
  if (!env.DISPLAY) {
    screen = await started('Xvfb', ['-displayfd', '1', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp']);
    env.DISPLAY = `:${screen.said}`;
  }
  const browser = {
    contexts: new Set(),
    async createBrowserContext() {
      const context = new Context(browser, await session(binary, env));
      browser.contexts.add(context);
      return context;
    },
    async newPage() { return (await browser.createBrowserContext()).newPage(); },
    async close() {
      for (const c of [...browser.contexts]) await c.close();
      if (screen) screen.child.kill();
    },
  };
  return browser;
}

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
    return webkit(binary);
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

module.exports = {ENGINES, BINARIES, launch};
