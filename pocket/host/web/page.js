// Lays the device screen out on the page, and starts the program where the browser can run it.
(function () {
  'use strict';
  var canvas = document.getElementById('screen');

  // The largest whole step of physical pixels that fits the window, centred.
  function fit() {
    var ratio = window.devicePixelRatio || 1;
    var w = window.innerWidth, h = window.innerHeight;
    var step = Math.floor(Math.min(w * ratio / canvas.width, h * ratio / canvas.height));
    var scale = step >= 1 ? step / ratio : Math.min(w / canvas.width, h / canvas.height);
    var cw = canvas.width * scale, ch = canvas.height * scale;
    canvas.style.width = cw + 'px';
    canvas.style.height = ch + 'px';
    canvas.style.left = Math.round((w - cw) / 2 * ratio) / ratio + 'px';
    canvas.style.top = Math.round((h - ch) / 2 * ratio) / ratio + 'px';
  }
  window.addEventListener('resize', fit);
  window.addEventListener('orientationchange', fit);
  fit();

  // A long press, a double tap or a drag is the stylus, never the browser's.
  document.addEventListener('contextmenu', function (e) { e.preventDefault(); });
  document.addEventListener('dblclick', function (e) { e.preventDefault(); });
  document.addEventListener('touchmove', function (e) { e.preventDefault(); }, {passive: false});

  function say(text) {
    var m = document.getElementById('message');
    m.textContent = text;
    m.hidden = false;
  }

  if (typeof WebAssembly !== 'object') {
    say(document.title + ' needs a browser that runs WebAssembly; please open this page in a current browser.');
    return;
  }
  // The worker copies every file: only once the game shows, not to slow its first start.
  if ('serviceWorker' in navigator) {
    var registered = false;
    var register = function () {
      if (registered) return;
      registered = true;
      navigator.serviceWorker.register('sw.js').catch(function () { /* plays on without working offline */ });
    };
    if (typeof PerformanceObserver === 'function') {
      new PerformanceObserver(function (list) {
        if (list.getEntriesByName('pocket-first-frame').length) register();
      }).observe({entryTypes: ['mark']});
    }
    // However the start went (a refused tab, a failed load), the site still works offline.
    window.addEventListener('load', function () { setTimeout(register, 3000); });
  }
  // What the program needs from the browser before it starts is asked for at once, while its
  // code loads: each answer takes trips through the browser. With ?script=NAME that is the
  // script; otherwise this profile's lock and the database of the files kept last time.
  var root = '/device';
  var script = new URLSearchParams(location.search).get('script');
  var start;
  if (script) {
    start = fetch(script, {cache: 'no-store'}).then(function (r) { return r.ok ? r.text() : null; })
      .catch(function () { return null; })
      .then(function (text) { return {script: script, text: text}; });
  } else {
    start = Promise.all([lock(), kept()]).then(function (got) {
      if (got[0]) return {root: root, kept: got[1]};
      if (got[1].db) got[1].db.close();
      say('The game is already open in another tab of this browser. ' +
          'Play it there, or close that tab and reload this page.');
      console.log('refused: the game is open in another tab');
      return new Promise(function () {});  // the program never starts here
    });
  }

  // One program per browser profile, as on the device.
  function lock() {
    if (!navigator.locks) return Promise.resolve(true);
    return new Promise(function (resolve) {
      navigator.locks.request(document.title || 'program', {ifAvailable: true}, function (held) {
        resolve(!!held);
        if (held) return new Promise(function () {});  // held while the page lives
      });
    });
  }

  // The database as it stands, opened at its own version. One that does not exist yet is not
  // made here (its creation is undone): then nothing was kept, and {none: true} says so.
  function kept() {
    return new Promise(function (resolve) {
      var none = false, request;
      try {
        request = indexedDB.open(root);
      } catch (e) {
        resolve({});
        return;
      }
      request.onupgradeneeded = function () {
        none = true;
        request.transaction.abort();
      };
      request.onsuccess = function () { resolve({db: request.result}); };
      request.onerror = function (e) {
        e.preventDefault();
        resolve(none ? {none: true} : {});
      };
    });
  }

  // The program's code is fetched and compiled while its script still loads and starts.
  var failed = function () { say('The game could not be loaded; check the connection and reload.'); };
  var whole = function () {
    return fetch('program.wasm', {credentials: 'same-origin'}).then(function (r) {
      if (!r.ok) throw new Error(r.status);
      return r.arrayBuffer();
    }).then(WebAssembly.compile);
  };
  // A server that does not send the code's type gets no streaming compile: then in one piece.
  var compiled = WebAssembly.compileStreaming ?
    WebAssembly.compileStreaming(fetch('program.wasm', {credentials: 'same-origin'})).catch(whole) : whole();
  window.Module = {
    pocketStart: start,
    instantiateWasm: function (imports, done) {
      compiled.then(function (code) {
        return WebAssembly.instantiate(code, imports).then(function (instance) { done(instance, code); });
      }).catch(failed);
      return {};
    },
  };
  var program = document.createElement('script');
  program.src = 'program.js';
  program.onerror = failed;
  document.body.appendChild(program);
})();
