// The page's side of the browser host, linked into the program's JavaScript. Calls that
// wait (pk_web_wait, _sleep, _persist, _halt) suspend the
// program with its stack (Asyncify) and resume it when the page has something for it.
mergeInto(LibraryManager.library, {
  $PK__postset: 'PK.attach();',
  $PK: {
    events: [],      // [kind, x, y]: the host's input event kinds, in order
    wake: null,      // resumes a program waiting for input
    down: null,      // the pointer that is the stylus while it touches
    last: [0, 0],
    audio: null,
    playing: null,
    shown: false,
    saveWarned: false,
    keepAsked: false,
    sleptSince: 0,   // pauses since the last input was taken, for the work figure
    takenAt: -1,
    work: [],        // milliseconds of work per input, pauses excluded (bench)
    root: null,      // where the browser's storage holds the device's files
    scriptName: null,
    script: null,

    canvas: function() { return document.getElementById('screen'); },

    message: function(text) {
      var m = document.getElementById('message');
      if (m) { m.textContent = text; m.hidden = false; }
    },

    push: function(kind, x, y) {
      PK.events.push([kind, x, y]);
      if (PK.wake) PK.wake(1);
    },

    // Page point -> device point; null off the screen unless clamped.
    toDevice: function(e, clamp) {
      var c = PK.canvas(), r = c.getBoundingClientRect();
      if (r.width <= 0 || r.height <= 0) return null;
      var x = Math.floor((e.clientX - r.left) * c.width / r.width);
      var y = Math.floor((e.clientY - r.top) * c.height / r.height);
      if (clamp) return [Math.min(Math.max(x, 0), c.width - 1), Math.min(Math.max(y, 0), c.height - 1)];
      return x < 0 || y < 0 || x >= c.width || y >= c.height ? null : [x, y];
    },

    KEY: 100,  // a key, its number in x (web.cpp)

    // The number of the layer's Key a key event is (web.cpp checks them), or -1. The
    // browser keeps Ctrl+Q and F11 (quitting, full screen) for itself.
    key: function(e) {
      if (e.altKey || e.metaKey) return -1;
      if (e.ctrlKey) return /^[nN]$/.test(e.key) ? 9 : /^[zZ]$/.test(e.key) ? 10 : -1;
      // Quoted: the names are the browser's, which the closure compiler must not shorten.
      var keys = {'Escape': 0, 'Enter': 1, 'F1': 2, 'ArrowUp': 3, 'ArrowDown': 4, 'ArrowLeft': 5, 'ArrowRight': 6,
                  ' ': 7, 'Clear': 7, 'F10': 8};
      if (e.code === 'Numpad5') return 7;  // the keypad's 5, as Space
      return keys.hasOwnProperty(e.key) ? keys[e.key] : -1;
    },

    // Browsers play nothing before a gesture, and start sound only in the handlers of the
    // inputs that grant it: a key, a mouse button, a touch or pen let go (not put down).
    startAudio: function() {
      if (PK.audio) { if (PK.audio.state === 'suspended') PK.audio.resume(); return; }
      var Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return;
      try { PK.audio = new Context(); } catch (e) { PK.audio = null; }
    },

    attach: function() {
      Module['pocket'] = PK;  // for the browser test and the benchmarks
      var c = PK.canvas();
      if (!c) return;
      ['keydown', 'mousedown', 'pointerup', 'touchend'].forEach(function(type) {
        window.addEventListener(type, PK.startAudio, true);
      });
      c.addEventListener('pointerdown', function(e) {
        if (PK.down !== null || !e.isPrimary || (e.pointerType === 'mouse' && e.button !== 0)) return;
        var p = PK.toDevice(e, false);
        if (!p) return;
        e.preventDefault();
        PK.down = e.pointerId;
        try { c.setPointerCapture(e.pointerId); } catch (err) {}
        PK.last = p;
        PK.push(0, p[0], p[1]);
      });
      c.addEventListener('pointermove', function(e) {
        if (e.pointerId !== PK.down) return;
        var p = PK.toDevice(e, true);
        if (p[0] === PK.last[0] && p[1] === PK.last[1]) return;
        PK.last = p;
        PK.push(2, p[0], p[1]);
      });
      var up = function(e) {
        if (e.pointerId !== PK.down) return;
        PK.down = null;
        var p = e.type === 'pointerup' ? PK.toDevice(e, true) : PK.last;
        PK.push(1, p[0], p[1]);
      };
      c.addEventListener('pointerup', up);
      c.addEventListener('pointercancel', up);
      var altAlone = false;
      window.addEventListener('keydown', function(e) {
        altAlone = e.key === 'Alt' && !e.repeat;
        var key = PK.key(e);
        if (key < 0) return;
        e.preventDefault();
        if (!e.repeat || (key >= 3 && key <= 6)) PK.push(PK.KEY, key, 0);  // only the arrows repeat
      });
      // Alt pressed and let go alone opens the menus, as F10 does.
      window.addEventListener('keyup', function(e) {
        if (e.key !== 'Alt' || !altAlone) return;
        altAlone = false;
        e.preventDefault();
        PK.push(PK.KEY, 8, 0);
      });
      window.addEventListener('blur', function() { altAlone = false; });
    },
  },

  // Before the program starts: the script to run, or the files kept from the last visit,
  // from what the page asked the browser for (Module.pocketStart) while the program loaded.
  // IDBFS, made to answer every save and to outlive its database:
  // - it hears of a failed save only from an error event. A save that fails as it commits
  //   (the storage is full) aborts without one, IDBFS never answers, and the program would
  //   wait for ever: the abort answers instead. The aborted save changed nothing stored;
  // - a database the browser closed (the site's data cleared while the game runs) is
  //   forgotten, so the next save makes a new one with every file, as the desktop writes
  //   its file anew when it was deleted.
  $PK_mendIdbfs__deps: ['$IDBFS'],
  $PK_mendIdbfs: function() {
    var getDB = IDBFS.getDB, watched = new WeakSet();
    IDBFS.getDB = function(name, callback) {
      getDB(name, function(err, db) {
        if (db && !watched.has(db)) {
          watched.add(db);
          db.addEventListener('close', function() { if (IDBFS.dbs[name] === db) delete IDBFS.dbs[name]; });
        }
        callback(err, db);
      });
    };
    var reconcile = IDBFS.reconcile;
    IDBFS.reconcile = function(src, dst, callback) {
      var db = src.type === 'remote' ? src.db : dst.db, open = db.transaction, answered = false;
      var answer = function(err) {
        if (answered) return;
        answered = true;
        callback(err);
      };
      db.transaction = function(stores, mode) {
        var t = open.call(db, stores, mode);
        t.addEventListener('abort', function() { answer(t.error || new Error('the save was abandoned')); });
        return t;
      };
      try {
        reconcile(src, dst, answer);
      } finally {
        delete db.transaction;
      }
    };
  },

  // Only once the program's memory exists (just before it runs): the kept files are written
  // into it, and a browser whose database answers before the code is ready (Firefox) would
  // otherwise find no memory to write them to, and start a new game.
  $PK_setup__deps: ['$PK', '$FS', '$IDBFS', '$PK_mendIdbfs'],
  $PK_setup__postset:
    'addOnPreRun(function() { addRunDependency("pk-setup"); Module["pocketStart"].then(PK_setup); });',
  $PK_setup: function(start) {
    if (start.script) {
      PK.scriptName = start.script;
      PK.script = start.text;
      removeRunDependency('pk-setup');
      return;
    }
    PK.root = start.root;
    PK_mendIdbfs();
    var kept = start.kept;
    // The page opened the database as it stood; the file system takes it only if it is its own.
    if (kept.db) {
      if (kept.db.version === IDBFS.DB_VERSION && kept.db.objectStoreNames.contains(IDBFS.DB_STORE_NAME))
        IDBFS.dbs[PK.root] = kept.db;
      else
        kept.db.close();
    }
    try {
      FS.mkdir(PK.root);
      FS.mount(IDBFS, {}, PK.root);
    } catch (e) {
      removeRunDependency('pk-setup');
      return;
    }
    if (kept.none) {  // nothing kept: nothing to read
      removeRunDependency('pk-setup');
      return;
    }
    FS.syncfs(true, function(err) {
      if (err) {
        PK.saveWarned = true;
        console.warn('cannot keep the game in this browser (its storage is refused): playing on without saving');
      }
      removeRunDependency('pk-setup');
    });
  },

  pk_web_script__deps: ['$PK', '$PK_setup', 'malloc'],
  pk_web_script: function(name, size) {
    if (!PK.scriptName) return -1;
    stringToUTF8(PK.scriptName, name, size);
    if (PK.script === null) return 0;
    var n = lengthBytesUTF8(PK.script) + 1, p = _malloc(n);
    stringToUTF8(PK.script, p, n);
    return p;
  },

  pk_web_root__deps: ['$PK', '$PK_setup'],
  pk_web_root: function(buf, size) { stringToUTF8(PK.root, buf, size); },

  pk_web_persist__deps: ['$PK', '$FS'],
  pk_web_persist: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      FS.syncfs(false, function(err) {
        if (err && !PK.saveWarned) {
          PK.saveWarned = true;
          var why = err.name === 'QuotaExceededError' ? 'its storage is full' : err.message || err.name || err;
          console.warn('cannot save the game in this browser (' + why + '): playing on; the last saved game is kept');
        }
        // Once a game is kept, the browser is asked not to clear it when its disk runs low.
        // Some browsers ask the player first; none says why it refuses, and the game plays on.
        if (!err && !PK.keepAsked && navigator.storage && navigator.storage.persist) {
          PK.keepAsked = true;
          navigator.storage.persist().catch(function() {});
        }
        wakeUp();
      });
    });
  },

  pk_web_wait__deps: ['$PK'],
  // Always through handleSleep, even when it answers at once: resuming the program passes
  // through here again and must end there.
  pk_web_wait: function(timeoutMs) {
    return Asyncify.handleSleep(function(wakeUp) {
      if (PK.takenAt >= 0) {
        PK.work.push(performance.now() - PK.takenAt - PK.sleptSince);
        if (PK.work.length > 100) PK.work.shift();
        PK.takenAt = -1;
      }
      if (PK.events.length || timeoutMs === 0) { wakeUp(PK.events.length ? 1 : 0); return; }
      var timer = null;
      PK.wake = function(got) {
        PK.wake = null;
        if (timer !== null) clearTimeout(timer);
        wakeUp(got);
      };
      // Waiting for ever sets no timer: an idle program costs nothing.
      if (timeoutMs > 0) timer = setTimeout(function() { timer = null; PK.wake(0); }, timeoutMs);
    });
  },

  pk_web_take__deps: ['$PK'],
  pk_web_take: function(out) {
    var e = PK.events.shift();
    if (!e) return 0;
    HEAP32[out >> 2] = e[0];
    HEAP32[(out >> 2) + 1] = e[1];
    HEAP32[(out >> 2) + 2] = e[2];
    if (PK.takenAt < 0) { PK.takenAt = performance.now(); PK.sleptSince = 0; }
    return 1;
  },

  pk_web_sleep__deps: ['$PK'],
  pk_web_sleep: function(ms) {
    var start = performance.now();
    return Asyncify.handleSleep(function(wakeUp) {
      setTimeout(function() { PK.sleptSince += performance.now() - start; wakeUp(); }, ms);
    });
  },

  pk_web_halt: function() {
    return Asyncify.handleSleep(function() {});
  },

  pk_web_now: function() { return performance.now(); },

  pk_web_clock: function() {
    var d = new Date();
    return d.getHours() * 60 + d.getMinutes();
  },

  pk_web_minute_left: function() {
    var d = new Date();
    return 60000 - (d.getSeconds() * 1000 + d.getMilliseconds());
  },

  pk_web_random: function() {
    var v = new Uint32Array(1);
    crypto.getRandomValues(v);
    return v[0] | 0;
  },

  pk_web_present__deps: ['$PK'],
  pk_web_present: function(rgba, width, height, top, rows) {
    var c = PK.canvas();
    if (!c) return;
    if (c.width !== width || c.height !== height) {
      c.width = width;
      c.height = height;
      window.dispatchEvent(new Event('resize'));
    }
    // A view of the program's memory, made anew each time: the memory may have grown.
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * rows * 4);
    c.getContext('2d').putImageData(new ImageData(bytes, width, rows), 0, top);
    if (top + rows === height && !PK.shown) {
      PK.shown = true;
      performance.mark('pocket-first-frame');
    }
  },

  pk_web_play__deps: ['$PK'],
  pk_web_play: function(samples, count, rate) {
    var a = PK.audio;
    if (!a || count <= 0) return;
    try {
      var buffer = a.createBuffer(1, count, rate), data = buffer.getChannelData(0), from = samples >> 1;
      for (var i = 0; i < count; ++i) data[i] = HEAP16[from + i] / 32768;
      if (PK.playing) PK.playing.stop();
      var s = a.createBufferSource();
      s.buffer = buffer;
      s.connect(a.destination);
      s.start();
      PK.playing = s;
    } catch (e) {
      PK.playing = null;  // no sound this time; the game goes on
    }
  },

  pk_web_stop__deps: ['$PK'],
  pk_web_stop: function() {
    if (PK.playing) { try { PK.playing.stop(); } catch (e) {} PK.playing = null; }
  },

  pk_web_open: function(name) {
    return window.open(UTF8ToString(name), '_blank') ? 1 : 0;
  },

  pk_web_log: function(line) { console.log(UTF8ToString(line)); },

  pk_web_show__deps: ['$PK'],
  pk_web_show: function(text) { PK.message(UTF8ToString(text)); },

  pk_web_fail__deps: ['$PK'],
  pk_web_fail: function(message) {
    var text = UTF8ToString(message);
    console.error(text);
    PK.message(text);
  },
});
