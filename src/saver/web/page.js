// The web page's front end: the start panel, the settings panel, the canvas,
// input and the frame loop, and the drawing, in the page or in a worker. What
// the saver does is the core's (web_main.cpp); this file only feeds it time,
// sizes and input and shows its frame.
(function () {
  'use strict';

  // The settings file's keys in file order, as the page keeps them in local
  // storage; the page keeps the ones it shows (3 to 9).
  const KEYS = ['BGM区分', 'BGMﾘﾋﾟｰﾄ', 'BGMﾌｧｲﾙ', 'ﾋﾟｸﾁｬのｻｲｽﾞ', 'ｻｲｽﾞﾗﾝﾀﾞﾑ', '色の転換', 'ｸﾞﾗﾃﾞｰｼｮﾝ',
    '背景色ﾗﾝﾀﾞﾑ', '背景色', '形状'];
  const K = { size: 3, sizeRandom: 4, interval: 5, gradation: 6, backRandom: 7, backColor: 8, shape: 9 };
  // The imported file itself (base64), so that Export keeps what the page
  // does not show: the music and anything else the file holds.
  const FILE_KEY = 'Lumvex_K47.ini';
  const PASSES_PER_SECOND = 60;
  const MAX_PASS = 1000000;
  const MAX_IMPORT_BYTES = 1 << 20;

  // ---- drawing: the core's frame on a 2D canvas --------------------------------
  //
  // The same script runs in the page and, where the browser lets a worker draw
  // on a canvas (OffscreenCanvas), in a worker: there the passes and the
  // putting of the pictures leave the page's thread free for input. The page
  // paces and forwards input either way; the drawing side answers each
  // message with where the saver stands.

  let M = null;
  function setValue(index, value) { M.ccall('lvx_value', null, ['number', 'string'], [index, value]); }
  // values: [key index, text] pairs, the address's last.
  function useValues(values) {
    M._lvx_values_clear();
    for (const kv of values) setValue(kv[0], kv[1]);
  }

  // canvas: an HTML canvas or an OffscreenCanvas.
  function makeDrawer(canvas) {
    const ctx = canvas.getContext('2d', { alpha: false });
    let image = null;
    const regionImages = [];
    function size(w, h) {
      canvas.width = w;
      canvas.height = h;
      image = null;
    }
    function present() {
      const whole = M._lvx_present();
      if (whole < 0) return;
      const w = canvas.width, h = canvas.height;
      const regions = M._lvx_regions();
      if (regions > 0) {
        // Each picture from rows of its own; the background around them is
        // filled here, when the layout changed.
        if (whole === 1) {
          const back = M._lvx_background();
          ctx.fillStyle = 'rgb(' + (back & 255) + ',' + ((back >>> 8) & 255) + ',' + ((back >>> 16) & 255) + ')';
          ctx.fillRect(0, 0, w, h);
        }
        for (let i = 0; i < regions; ++i) {
          const rw = M._lvx_region(i, 2), rh = M._lvx_region(i, 3), from = M._lvx_region(i, 4);
          let r = regionImages[i];
          if (!r || r.data.buffer !== HEAPU8.buffer || r.data.byteOffset !== from || r.width !== rw || r.height !== rh) {
            r = regionImages[i] = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, from, rw * rh * 4), rw, rh);
          }
          ctx.putImageData(r, M._lvx_region(i, 0), M._lvx_region(i, 1));
        }
        return;
      }
      const at = M._lvx_rgba();
      // A view on the core's memory: no copy; made anew when that memory moved.
      if (!image || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== at || image.width !== w || image.height !== h) {
        image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, at, w * h * 4), w, h);
      }
      if (whole === 1) {
        ctx.putImageData(image, 0, 0);
        return;
      }
      // Only the pictures changed: their squares of the same image (the
      // browser clips a square that reaches past the canvas).
      for (let i = 0; i < 12; ++i) {
        const side = M._lvx_picture(i, 2);
        if (side > 0) ctx.putImageData(image, 0, 0, M._lvx_picture(i, 0), M._lvx_picture(i, 1), side, side);
      }
    }
    // One message of the page; false when the saver could not start.
    function apply(m) {
      switch (m.op) {
        case 'start':
          size(m.w, m.h);
          useValues(m.values);
          if (!M._lvx_start(m.w, m.h, m.clock[0], m.clock[1])) return false;
          if (m.pass) M._lvx_run_to(m.pass);
          present();
          return true;
        case 'pass':
          // clock null: a pass on virtual time (a seeded run).
          if (m.clock === null) {
            M._lvx_step();
          } else {
            M._lvx_clock(m.clock[0], m.clock[1]);
            for (let i = 0; i < m.ticks; ++i) M._lvx_tick();
            M._lvx_pass();
          }
          present();
          return true;
        case 'resize':
          size(m.w, m.h);
          useValues(m.values);
          M._lvx_resize(m.w, m.h);
          present();
          return true;
        case 'key': M._lvx_key(m.code); return true;
        case 'press': M._lvx_press(m.x, m.y); return true;
        case 'pointer':
          if (m.first) M._lvx_start_pointer(m.x, m.y); else M._lvx_pointer(m.x, m.y);
          return true;
        default: return true;
      }
    }
    return apply;
  }

  // The time of day in microseconds as two 32-bit halves (exact: it stays
  // below 2^53), finer than the millisecond clock where the browser allows.
  function timeOfDay() {
    const us = Math.floor((performance.timeOrigin + performance.now()) * 1000);
    const high = Math.floor(us / 4294967296);
    return [high, us - high * 4294967296];
  }

  // The passes' pace, for the loop of either side: one pass a displayed
  // frame (t: its time in ms) but at most 60 a second, and the one-second
  // timer's ticks served before the pass. Returns the pass's message, or
  // null for a frame without one.
  function makePacer(seeded) {
    let lastFrame = null;
    let budget = 0;
    let nextTick = performance.now() + 1000;
    return function (t, hidden) {
      // A hidden page draws nothing (browsers mostly stop calling, too).
      if (hidden) { lastFrame = null; return null; }
      if (lastFrame === null) { lastFrame = t; budget = 1; }
      budget = Math.min(budget + (t - lastFrame) * PASSES_PER_SECOND / 1000, 2);
      lastFrame = t;
      if (budget < 0.95) return null;
      budget = Math.max(budget - 1, 0);
      // A seeded run is on virtual time.
      if (seeded) return { op: 'pass', clock: null, ticks: 0 };
      if (t - nextTick > 3000) nextTick = t;  // back from a hidden page: no burst of ticks
      let ticks = 0;
      while (t >= nextTick) { ++ticks; nextTick += 1000; }
      return { op: 'pass', clock: timeOfDay(), ticks: ticks };
    };
  }

  // Where the saver stands after a message: its passes, whether it ended or
  // could not start, and the pictures' squares (left, top, size each).
  function report(run, ok) {
    const pictures = [];
    for (let i = 0; i < 12; ++i) for (let part = 0; part < 3; ++part) pictures.push(M._lvx_picture(i, part));
    return { run: run, failed: !ok, ended: M._lvx_ended() === 1, passes: M._lvx_passes(), pictures: pictures };
  }

  if (typeof document === 'undefined') {
    // In the worker: the canvas comes with each run's first message; the
    // worker keeps the pace with its own animation frames.
    let apply = null;
    let run = 0;
    let pace = null;
    let hidden = false;
    let request = 0;
    const waiting = [];
    const loop = function (t) {
      request = self.requestAnimationFrame(loop);
      const m = pace(t, hidden);
      if (!m) return;
      const r = report(run, apply(m));
      if (r.ended) self.cancelAnimationFrame(request);
      self.postMessage(r);
    };
    const serve = function (m) {
      if (m.op === 'stop') {
        self.cancelAnimationFrame(request);
        apply = null;  // lets the canvas go
        return;
      }
      if (m.op === 'hidden') {
        hidden = m.hidden;
        return;
      }
      if (m.op === 'start') {
        self.cancelAnimationFrame(request);
        run = m.run;
        hidden = m.hidden;
        apply = makeDrawer(m.canvas);
        pace = makePacer(m.seeded);
      }
      if (!apply || m.run !== run) return;
      const r = report(run, apply(m));
      self.postMessage(r);
      if (m.op === 'start' && !r.failed) request = self.requestAnimationFrame(loop);
    };
    self.onmessage = function (e) { if (M) serve(e.data); else waiting.push(e.data); };
    Module.onRuntimeInitialized = function () {
      M = Module;
      self.postMessage({ op: 'ready', frames: typeof self.requestAnimationFrame === 'function' });
      for (const m of waiting) serve(m);
    };
    return;
  }
  // This script's own text, for the worker (only while it first runs).
  const scriptText = document.currentScript ? document.currentScript.textContent : '';

  // ---- address options ------------------------------------------------------

  function whole(lo, hi) {
    return function (v) {
      if (!/^[0-9]{1,10}$/.test(v)) return null;
      const n = Number(v);
      return n >= lo && n <= hi ? String(n) : null;
    };
  }
  function flag(v) { return v === '0' || v === '1' ? v : null; }
  function colour(v) {
    const m = /^#([0-9a-fA-F]{2})([0-9a-fA-F]{2})([0-9a-fA-F]{2})$/.exec(v);
    if (!m) return null;
    return String(parseInt(m[1], 16) + parseInt(m[2], 16) * 256 + parseInt(m[3], 16) * 65536);
  }
  const SETTING_OPTIONS = {
    'size': [K.size, whole(1, 32767), 'a whole number of pixels from 1 to 32767'],
    'random-size': [K.sizeRandom, flag, '0 or 1'],
    'interval': [K.interval, whole(1, 32767), 'a whole number of seconds from 1 to 32767'],
    'gradation': [K.gradation, whole(0, 3), '0, 1, 2 or 3'],
    'background': [K.backColor, colour, 'a colour #RRGGBB (write # as %23)'],
    'random-background': [K.backRandom, flag, '0 or 1'],
    'shape': [K.shape, function (v) { return v === 'square' ? '0' : v === 'circle' ? '1' : null; }, 'square or circle'],
  };
  const PAGE_OPTIONS = {
    'seed': [function (v) { return /^[0-9]{1,20}$/.test(v) && BigInt(v) <= BigInt('18446744073709551615') ? BigInt(v) : null; },
      'a whole number from 0 to 18446744073709551615'],
    'pass': [function (v) { const n = whole(0, MAX_PASS)(v); return n === null ? null : Number(n); },
      'a whole number from 0 to ' + MAX_PASS],
    'still': [function (v) { const f = flag(v); return f === null ? null : f === '1'; }, '0 or 1'],
    'kiosk': [function (v) { const f = flag(v); return f === null ? null : f === '1'; }, '0 or 1'],
    'lang': [function (v) { return v === 'ja' || v === 'en' ? v : null; }, 'ja or en'],
  };

  // Every option of the address, checked; a bad one is left out with one
  // warning on the console.
  function readAddress() {
    const settings = {};
    const page = {};
    const params = new URLSearchParams(location.search);
    // (No destructuring in loop heads: the build's script minifier loses it.)
    params.forEach(function (value, name) {
      const known = SETTING_OPTIONS[name] || PAGE_OPTIONS[name];
      if (!known) {
        console.warn('lumvex-k47: unknown address option "' + name + '" ignored');
        return;
      }
      const rule = SETTING_OPTIONS[name] ? known[1] : known[0];
      const why = SETTING_OPTIONS[name] ? known[2] : known[1];
      const parsed = rule(value);
      if (parsed === null) {
        console.warn('lumvex-k47: address option ' + name + '=' + JSON.stringify(value) + ' ignored: it takes ' + why);
        return;
      }
      if (SETTING_OPTIONS[name]) settings[known[0]] = parsed; else page[name] = parsed;
    });
    return { settings: settings, page: page };
  }

  const address = readAddress();
  const kiosk = address.page.kiosk === true;
  const still = address.page.still === true;
  const seeded = address.page.seed !== undefined;

  // ---- texts ----------------------------------------------------------------

  function pickLanguage() {
    if (address.page.lang) return address.page.lang;
    const wanted = (navigator.languages && navigator.languages.length) ? navigator.languages : [navigator.language || 'en'];
    for (const l of wanted) {
      const base = String(l).toLowerCase().split('-')[0];
      if (base === 'ja') return 'ja';
      if (base === 'en') return 'en';
    }
    return 'en';
  }
  const lang = pickLanguage();
  function text(key) {
    const row = LVX_TEXTS[key];
    return row ? row[lang === 'ja' ? 0 : 1] : key;
  }

  // ---- storage --------------------------------------------------------------

  function stored(key) {
    try { return window.localStorage.getItem(key); } catch (e) { return null; }
  }
  function store(key, value) {
    try { window.localStorage.setItem(key, value); return true; } catch (e) { return false; }
  }
  function fileBytes() {
    const b64 = stored(FILE_KEY);
    if (!b64) return new Uint8Array(0);
    try {
      const bin = atob(b64);
      const out = new Uint8Array(bin.length);
      for (let i = 0; i < bin.length; ++i) out[i] = bin.charCodeAt(i);
      return out;
    } catch (e) { return new Uint8Array(0); }
  }
  function toBase64(bytes) {
    let bin = '';
    for (let i = 0; i < bytes.length; i += 0x8000) bin += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(bin);
  }

  // ---- the core ---------------------------------------------------------------

  // The values the saver runs with: stored ones, the address's over them.
  function valuesFor(withAddress) {
    const values = [];
    for (const k of Object.values(K)) {
      const v = stored(KEYS[k]);
      if (v !== null && /^-?[0-9]{1,11}$/.test(v)) values.push([k, v]);
    }
    if (withAddress) for (const k in address.settings) values.push([Number(k), address.settings[k]]);
    return values;
  }
  function giveBytes(bytes) {
    const at = M._lvx_input(bytes.length);
    HEAPU8.set(bytes, at);
  }
  function results() {
    const r = [];
    for (let i = 0; i < 7; ++i) r.push(M._lvx_result(i));
    return { size: r[0], sizeRandom: r[1], interval: r[2], gradation: r[3], backRandom: r[4], backColor: r[5], shape: r[6] };
  }
  function clockHalves(big) {
    // (No BigInt literals: the build's script minifier cannot print them.)
    const word = BigInt(4294967296);
    return [Number((big / word) % word), Number(big % word)];
  }

  // ---- the canvas and who draws on it -------------------------------------------

  let canvas = document.getElementById('saver');
  const panel = document.getElementById('panel');
  let canvasSize = [0, 0];

  function deviceSize() {
    const dpr = window.devicePixelRatio || 1;
    return [Math.max(1, Math.min(16384, Math.round(window.innerWidth * dpr))),
      Math.max(1, Math.min(16384, Math.round(window.innerHeight * dpr)))];
  }

  // The drawing side of a run: send(message) and, at once or later,
  // onReport(report). The page's own side runs the loop here; a worker
  // runs it there.
  function localSide(onReport) {
    if (canvasGiven) freshCanvas();
    const apply = makeDrawer(canvas);
    return {
      loopHere: true,
      send: function (m) { onReport(report(m.run, apply(m))); },
      stop: function () {},
    };
  }

  // A worker that draws, made as the page loads so that a start does not wait
  // for it; none where the browser cannot hand a worker a canvas.
  let worker = null;
  let workerReady = Promise.resolve(false);
  let onWorkerReport = null;
  function startWorker() {
    if (!scriptText || typeof Worker !== 'function' || typeof OffscreenCanvas !== 'function' ||
        typeof HTMLCanvasElement.prototype.transferControlToOffscreen !== 'function') return;
    let url;
    try {
      url = URL.createObjectURL(new Blob([scriptText], { type: 'text/javascript' }));
      worker = new Worker(url);
    } catch (e) {
      worker = null;
      return;
    }
    let answered = false;
    workerReady = new Promise(function (resolve) {
      worker.onmessage = function (e) {
        if (e.data.op === 'ready') {
          answered = true;
          URL.revokeObjectURL(url);
          // Without animation frames of its own it could not keep the pace.
          if (!e.data.frames) {
            worker.terminate();
            worker = null;
          }
          resolve(e.data.frames === true);
        } else if (onWorkerReport) {
          onWorkerReport(e.data);
        }
      };
      // Refused (a policy, a browser without workers from blobs) or broken:
      // the page draws from now on, a run going on included.
      worker.onerror = function (e) {
        e.preventDefault();
        worker.terminate();
        worker = null;
        resolve(false);
        if (running && side && !side.loopHere) {
          side.stop();
          startOnPage();
        }
      };
      // A worker that has not answered in 5 s is not waited for.
      setTimeout(function () {
        if (answered || !worker) return;
        worker.terminate();
        worker = null;
        resolve(false);
      }, 5000);
    });
  }

  // A canvas hands its drawing over to a worker once, and cannot be drawn
  // on here after that: each run takes a new one.
  let canvasGiven = false;
  function freshCanvas() {
    const fresh = canvas.cloneNode(false);
    canvas.replaceWith(fresh);
    canvas = fresh;
    canvas.addEventListener('pointerdown', onPress);
    canvasGiven = false;
  }

  function workerSide(onReport) {
    freshCanvas();
    const offscreen = canvas.transferControlToOffscreen();
    canvasGiven = true;
    let first = true;
    let hidden = document.hidden;
    // The worker cannot see the page: it hears when it is hidden, here and
    // from its own reports (a browser may hide a page without telling).
    const tellHidden = function () {
      if (document.hidden === hidden || !worker) return;
      hidden = document.hidden;
      worker.postMessage({ op: 'hidden', hidden: hidden });
    };
    document.addEventListener('visibilitychange', tellHidden);
    onWorkerReport = function (r) {
      onReport(r);
      tellHidden();
    };
    return {
      loopHere: false,
      send: function (m) {
        if (!worker) return;
        if (first) {
          first = false;
          m.canvas = offscreen;
          m.hidden = hidden;
          worker.postMessage(m, [offscreen]);
        } else {
          worker.postMessage(m);
        }
      },
      stop: function () {
        onWorkerReport = null;
        document.removeEventListener('visibilitychange', tellHidden);
        if (worker) worker.postMessage({ op: 'stop' });
      },
    };
  }

  // ---- running ------------------------------------------------------------------

  let running = false;
  let side = null;
  let runNumber = 0;
  let startFailed = false;
  let passesDone = 0;
  let pictures = [];
  let pace = null;
  let frameRequest = 0;
  let wakeLock = null;
  let fullScreenEntered = false;
  let startPointerKnown = false;

  function onReport(r) {
    if (r.run !== runNumber) return;
    if (r.failed) startFailed = true;
    passesDone = r.passes;
    pictures = r.pictures;
    if (running && (r.failed || r.ended)) finish();
  }
  function send(m) {
    m.run = runNumber;
    side.send(m);
  }

  // Starts the saver in the page or in the worker.
  function startSaver(inWorker) {
    ++runNumber;
    startFailed = false;
    side = inWorker ? workerSide(onReport) : localSide(onReport);
    canvasSize = deviceSize();
    send({ op: 'start', w: canvasSize[0], h: canvasSize[1], values: valuesFor(true),
      clock: seeded ? clockHalves(address.page.seed) : timeOfDay(), seeded: seeded, pass: address.page.pass || 0 });
  }

  // The loop when the page draws.
  function frame(t) {
    if (!running) return;
    frameRequest = requestAnimationFrame(frame);
    const m = pace(t, document.hidden);
    if (m) send(m);
  }

  function requestWakeLock() {
    if (!navigator.wakeLock || !running) return;
    navigator.wakeLock.request('screen').then(function (lock) { wakeLock = lock; }, function () { /* refused: fine */ });
  }

  let starting = false;
  async function run() {
    if (running || starting) return;
    starting = true;
    panel.hidden = true;
    canvas.hidden = false;
    fullScreenEntered = false;
    if (!kiosk && document.documentElement.requestFullscreen) {
      try {
        await document.documentElement.requestFullscreen({ navigationUI: 'hide' });
        fullScreenEntered = true;
      } catch (e) { /* no full screen here: runs in the page as it is */ }
    }
    // The worker draws where it can keep a pace of its own.
    const inWorker = (await workerReady) === true && worker !== null;
    starting = false;
    running = true;
    // Where the pointer starts is the first place it is seen once the saver
    // shows: entering full screen moves the page (and its coordinates) under
    // a pointer that stands still, and the start click was before that.
    startPointerKnown = false;
    if (inWorker) {
      startSaver(true);
    } else {
      startOnPage();
    }
    if (running) requestWakeLock();  // (not when it could not start)
  }

  function startOnPage() {
    startSaver(false);
    if (!running) return;
    pace = makePacer(seeded);
    frameRequest = requestAnimationFrame(frame);
  }

  function finish() {
    const was = running;
    running = false;
    cancelAnimationFrame(frameRequest);
    if (side) side.stop();
    if (wakeLock) { wakeLock.release().catch(function () {}); wakeLock = null; }
    if (document.fullscreenElement && document.exitFullscreen) document.exitFullscreen().catch(function () {});
    canvas.hidden = true;
    panel.hidden = false;
    if (was) document.getElementById('start').focus();
  }

  // Input ends the saver as the saver's own rules say, except in kiosk mode.
  function live() { return running && !kiosk && !still; }
  window.addEventListener('keydown', function (e) {
    if (!live()) return;
    e.preventDefault();
    send({ op: 'key', code: e.keyCode || 0 });
  });
  function onPress(e) {
    if (!live()) return;
    const dpr = window.devicePixelRatio || 1;
    send({ op: 'press', x: Math.floor(e.clientX * dpr), y: Math.floor(e.clientY * dpr) });
  }
  canvas.addEventListener('pointerdown', onPress);
  window.addEventListener('pointermove', function (e) {
    if (!live()) return;
    const dpr = window.devicePixelRatio || 1;
    send({ op: 'pointer', x: Math.floor(e.clientX * dpr), y: Math.floor(e.clientY * dpr), first: !startPointerKnown });
    startPointerKnown = true;
  });
  document.addEventListener('fullscreenchange', function () {
    // Leaving full screen the browser's way (Esc, a gesture) ends it as a key does.
    if (!document.fullscreenElement && fullScreenEntered && live()) {
      send({ op: 'key', code: 27 });
      finish();
    }
  });
  document.addEventListener('visibilitychange', function () {
    if (!document.hidden && running && !wakeLock) requestWakeLock();
    if (document.hidden && wakeLock) wakeLock = null;  // the browser let it go
  });
  window.addEventListener('resize', function () {
    if (!M || (!running && !still)) return;
    const [w, h] = deviceSize();
    if (w === canvasSize[0] && h === canvasSize[1]) return;
    canvasSize = [w, h];
    startPointerKnown = false;  // the page moved under the pointer
    send({ op: 'resize', w: w, h: h, values: valuesFor(true) });
  });

  if (!still) startWorker();

  // ---- the settings panel -----------------------------------------------------------

  const form = document.getElementById('settings');
  const status = document.getElementById('status');
  function screenWidth() {
    return Math.max(1, Math.round(window.screen.width * (window.devicePixelRatio || 1)));
  }
  function hex(bgr) {
    const r = bgr & 255, g = (bgr >> 8) & 255, b = (bgr >> 16) & 255;
    return '#' + [r, g, b].map(function (c) { return c.toString(16).padStart(2, '0'); }).join('');
  }
  function showPanelValues(v) {
    const sw = screenWidth();
    form.size.min = Math.floor(sw / 8);
    form.size.max = Math.floor(sw / 4);
    form.size.value = v.size;
    form.sizeRandom.checked = v.sizeRandom === 1;
    form.interval.value = v.interval;
    form.gradation.value = String(v.gradation);
    form.backRandom.checked = v.backRandom === 1;
    form.backColor.value = hex(v.backColor);
    form.shape.value = String(v.shape);
    shownNumbers();
  }
  function shownNumbers() {
    form.sizeShown.value = form.size.value;
    form.intervalShown.value = text('web.EveryN').replace('{n}', form.interval.value);
  }
  function panelValues() {
    const c = form.backColor.value;
    return {
      size: Number(form.size.value), sizeRandom: form.sizeRandom.checked ? 1 : 0,
      interval: Number(form.interval.value), gradation: Number(form.gradation.value),
      backRandom: form.backRandom.checked ? 1 : 0,
      backColor: parseInt(c.slice(1, 3), 16) + parseInt(c.slice(3, 5), 16) * 256 + parseInt(c.slice(5, 7), 16) * 65536,
      shape: Number(form.shape.value),
    };
  }
  function fillPanel() {
    useValues(valuesFor(false));
    M._lvx_panel(screenWidth());
    showPanelValues(results());
  }
  function keep(v) {
    let ok = true;
    for (const name in K) ok = store(KEYS[K[name]], String(v[name])) && ok;
    return ok;
  }
  form.addEventListener('input', shownNumbers);
  form.addEventListener('submit', function (e) {
    e.preventDefault();
    status.textContent = keep(panelValues()) ? text('web.Saved') : text('web.NotStored');
  });
  document.getElementById('cancel').addEventListener('click', function () {
    fillPanel();
    status.textContent = '';
  });
  document.getElementById('import').addEventListener('change', async function (e) {
    const file = e.target.files && e.target.files[0];
    e.target.value = '';
    if (!file) return;
    // The reader takes any bytes, but a file far beyond any settings file is
    // refused whole: read in part, its Export would lose the rest.
    if (file.size > MAX_IMPORT_BYTES) {
      status.textContent = text('web.TooLarge');
      return;
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    giveBytes(bytes);
    M._lvx_import(screenWidth());
    const v = results();
    showPanelValues(v);
    // Export writes over this file from now on, or over none when it cannot
    // be kept: never over an older one.
    try { window.localStorage.removeItem(FILE_KEY); } catch (e) { /* no storage */ }
    const ok = keep(v) && store(FILE_KEY, toBase64(bytes));
    status.textContent = ok ? text('web.Imported') : text('web.NotStored');
  });
  document.getElementById('export').addEventListener('click', function () {
    const v = panelValues();
    giveBytes(fileBytes());
    const n = M._lvx_export(v.size, v.sizeRandom, v.interval, v.gradation, v.backRandom, v.backColor, v.shape);
    const bytes = HEAPU8.slice(M._lvx_output(), M._lvx_output() + n);
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    link.download = 'Lumvex_K47.ini';
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 10000);
  });

  function showTexts() {
    document.documentElement.lang = lang;
    for (const el of document.querySelectorAll('[data-t]')) el.textContent = text(el.getAttribute('data-t'));
    document.getElementById('start').textContent = '▶ ' + text('web.Start');
  }

  // ---- start-up ---------------------------------------------------------------------

  Module.onRuntimeInitialized = function () {
    M = Module;
    showTexts();
    if (still) {
      // The frame after `pass` passes, over the whole page, and nothing else.
      canvas.hidden = false;
      canvas.style.cursor = 'default';
      startSaver(false);
      if (startFailed) console.error('lumvex-k47: the frame cannot be drawn');
      document.documentElement.dataset.lvxReady = 'still';
      return;
    }
    if (kiosk) {
      run();
      document.documentElement.dataset.lvxReady = 'kiosk';
      return;
    }
    fillPanel();
    panel.hidden = false;
    document.getElementById('start').addEventListener('click', function () { run(); });
    document.getElementById('start').focus();
    document.documentElement.dataset.lvxReady = 'panel';
  };

  // For tests and wrappers: where the saver stands.
  window.lumvex = {
    running: function () { return running; },
    // Who draws the running saver: 'worker' or 'page'.
    drawing: function () { return side && !side.loopHere ? 'worker' : 'page'; },
    passes: function () { return passesDone; },
    // Picture i's square in CSS pixels: left, top, size.
    picture: function (i) {
      const dpr = window.devicePixelRatio || 1;
      return pictures.length ? [0, 1, 2].map(function (part) { return pictures[3 * i + part] / dpr; }) : null;
    },
  };
})();
