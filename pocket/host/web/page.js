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

  // Said when the game does not start here: the sentence alone, in the middle of the page.
  function say(text) {
    var m = document.getElementById('message');
    m.textContent = text;
    m.className = 'alone';
    m.hidden = false;
    canvas.hidden = true;
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
  // Asked for in the head (early.js): the program starts once it has it.
  var early = window.pocketEarly;
  var failed = function () { say('The game could not be loaded; check the connection and reload.'); };
  var start = early.start.then(function (got) {
    if (!got.refused) return got;
    if (got.kept.db) got.kept.db.close();
    say('The game is already open in another tab of this browser. ' +
        'Play it there, or close that tab: it then starts here.');
    console.log('refused: the game is open in another tab');
    // Once that tab lets go, this page starts again from the top, and takes the lock then.
    navigator.locks.request(early.lockName, function () { location.reload(); });
    return new Promise(function () {});  // the program never starts here
  });
  window.Module = {
    pocketStart: start,
    instantiateWasm: function (imports, done) {
      early.compiled.then(function (code) {
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
