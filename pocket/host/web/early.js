// Runs first, in the page's head: what the page asks of the browser takes trips through it,
// so it is all asked for at once, while the rest of the page and the program's script load.
// The program's compiled code, and what the program needs before it starts: with
// ?script=NAME the script; otherwise this profile's lock and the files kept last time.
// page.js takes the answers from window.pocketEarly.
(function () {
  'use strict';
  if (typeof WebAssembly !== 'object') return;  // page.js says what is missing
  var root = '/device';

  // A server that does not send the code's type gets no streaming compile: then in one piece.
  function whole() {
    return fetch('program.wasm', {credentials: 'same-origin'}).then(function (r) {
      if (!r.ok) throw new Error(r.status);
      return r.arrayBuffer();
    }).then(WebAssembly.compile);
  }

  // One program per browser profile, as on the device. A browser that refuses the site its
  // storage refuses the lock too: then there are no files to share, and the game plays.
  var lockName = document.title || 'program';
  function lock() {
    if (!navigator.locks) return Promise.resolve(true);
    return new Promise(function (resolve) {
      navigator.locks.request(lockName, {ifAvailable: true}, function (held) {
        resolve(!!held);
        if (held) return new Promise(function () {});  // held while the page lives
      }).catch(function () { resolve(true); });
    });
  }

  // The database as it stands, opened at its own version. One that does not exist yet is not
  // made here (its creation is undone): then nothing was kept, and {none: true} says so at once.
  function kept() {
    return new Promise(function (resolve) {
      var request;
      try {
        request = indexedDB.open(root);
      } catch (e) {
        resolve({});
        return;
      }
      request.onupgradeneeded = function () {
        resolve({none: true});
        request.transaction.abort();
      };
      request.onsuccess = function () { resolve({db: request.result}); };
      request.onerror = function (e) {
        e.preventDefault();
        resolve({});  // refused storage: the program finds out for itself, and says so
      };
    });
  }

  var script = new URLSearchParams(location.search).get('script');
  window.pocketEarly = {
    lockName: lockName,
    compiled: WebAssembly.compileStreaming ?
      WebAssembly.compileStreaming(fetch('program.wasm', {credentials: 'same-origin'})).catch(whole) : whole(),
    start: script ?
      fetch(script, {cache: 'no-store'}).then(function (r) { return r.ok ? r.text() : null; })
        .catch(function () { return null; })
        .then(function (text) { return {script: script, text: text}; }) :
      Promise.all([lock(), kept()]).then(function (got) {
        return {root: root, kept: got[1], refused: !got[0]};
      }),
  };
})();
