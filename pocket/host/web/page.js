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
  if ('serviceWorker' in navigator) {
    navigator.serviceWorker.register('sw.js').catch(function () { /* plays on without working offline */ });
  }
  var program = document.createElement('script');
  program.src = 'program.js';
  program.onerror = function () { say('The game could not be loaded; check the connection and reload.'); };
  document.body.appendChild(program);
})();
