// The web page's front end: the start panel, the settings panel, the canvas,
// input and the frame loop. What the saver does is the core's (web_main.cpp);
// this file only feeds it time, sizes and input and shows its frame.
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

  let M = null;
  function setValue(index, value) { M.ccall('lvx_value', null, ['number', 'string'], [index, value]); }
  // The values the saver runs with: stored ones, the address's over them.
  function loadValues(withAddress) {
    M._lvx_values_clear();
    for (const k of Object.values(K)) {
      const v = stored(KEYS[k]);
      if (v !== null && /^-?[0-9]{1,11}$/.test(v)) setValue(k, v);
    }
    if (withAddress) for (const k in address.settings) setValue(Number(k), address.settings[k]);
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
  function timeOfDay() {
    // Microseconds, finer than the millisecond clock where the browser allows.
    return BigInt(Math.floor((performance.timeOrigin + performance.now()) * 1000));
  }

  // ---- the canvas -------------------------------------------------------------

  const canvas = document.getElementById('saver');
  const panel = document.getElementById('panel');
  const ctx = canvas.getContext('2d', { alpha: false });
  let image = null;
  const regionImages = [];

  function deviceSize() {
    const dpr = window.devicePixelRatio || 1;
    return [Math.max(1, Math.min(16384, Math.round(window.innerWidth * dpr))),
      Math.max(1, Math.min(16384, Math.round(window.innerHeight * dpr)))];
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
      const size = M._lvx_picture(i, 2);
      if (size > 0) ctx.putImageData(image, 0, 0, M._lvx_picture(i, 0), M._lvx_picture(i, 1), size, size);
    }
  }

  // ---- running ------------------------------------------------------------------

  let running = false;
  let frameRequest = 0;
  let lastFrame = null;
  let budget = 0;
  let nextTick = 0;
  let wakeLock = null;
  let fullScreenEntered = false;
  let startPointerKnown = false;

  function startSaver() {
    const [w, h] = deviceSize();
    canvas.width = w;
    canvas.height = h;
    loadValues(true);
    const clock = seeded ? address.page.seed : timeOfDay();
    const [hi, lo] = clockHalves(clock);
    if (!M._lvx_start(w, h, hi, lo)) return false;
    if (address.page.pass) M._lvx_run_to(address.page.pass);
    present();
    return true;
  }

  function frame(t) {
    if (!running) return;
    frameRequest = requestAnimationFrame(frame);
    // A hidden page draws nothing (browsers mostly stop calling, too).
    if (document.hidden) { lastFrame = null; return; }
    if (lastFrame === null) { lastFrame = t; budget = 1; }
    // One pass a displayed frame, but at most 60 a second.
    budget = Math.min(budget + (t - lastFrame) * PASSES_PER_SECOND / 1000, 2);
    lastFrame = t;
    if (budget < 0.95) return;
    budget = Math.max(budget - 1, 0);
    let alive;
    if (seeded) {
      alive = M._lvx_step();
    } else {
      const [hi, lo] = clockHalves(timeOfDay());
      M._lvx_clock(hi, lo);
      if (t - nextTick > 3000) nextTick = t;  // back from a hidden page: no burst of ticks
      while (t >= nextTick) { M._lvx_tick(); nextTick += 1000; }
      alive = M._lvx_pass();
    }
    present();
    if (!alive || M._lvx_ended()) finish();
  }

  function requestWakeLock() {
    if (!navigator.wakeLock || !running) return;
    navigator.wakeLock.request('screen').then(function (lock) { wakeLock = lock; }, function () { /* refused: fine */ });
  }

  async function run() {
    if (running) return;
    panel.hidden = true;
    canvas.hidden = false;
    fullScreenEntered = false;
    if (!kiosk && document.documentElement.requestFullscreen) {
      try {
        await document.documentElement.requestFullscreen({ navigationUI: 'hide' });
        fullScreenEntered = true;
      } catch (e) { /* no full screen here: runs in the page as it is */ }
    }
    if (!startSaver()) { finish(); return; }
    running = true;
    // Where the pointer starts is the first place it is seen once the saver
    // shows: entering full screen moves the page (and its coordinates) under
    // a pointer that stands still, and the start click was before that.
    startPointerKnown = false;
    lastFrame = null;
    nextTick = performance.now() + 1000;
    requestWakeLock();
    frameRequest = requestAnimationFrame(frame);
  }

  function finish() {
    const was = running;
    running = false;
    cancelAnimationFrame(frameRequest);
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
    M._lvx_key(e.keyCode || 0);
    if (M._lvx_ended()) finish();
  });
  canvas.addEventListener('pointerdown', function (e) {
    if (!live()) return;
    const dpr = window.devicePixelRatio || 1;
    M._lvx_press(Math.floor(e.clientX * dpr), Math.floor(e.clientY * dpr));
    if (M._lvx_ended()) finish();
  });
  window.addEventListener('pointermove', function (e) {
    if (!live()) return;
    const dpr = window.devicePixelRatio || 1;
    const x = Math.floor(e.clientX * dpr), y = Math.floor(e.clientY * dpr);
    if (!startPointerKnown) {
      M._lvx_start_pointer(x, y);
      startPointerKnown = true;
    } else {
      M._lvx_pointer(x, y);
    }
  });
  document.addEventListener('fullscreenchange', function () {
    // Leaving full screen the browser's way (Esc, a gesture) ends it as a key does.
    if (!document.fullscreenElement && fullScreenEntered && live()) {
      M._lvx_key(27);
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
    if (w === canvas.width && h === canvas.height) return;
    canvas.width = w;
    canvas.height = h;
    image = null;
    startPointerKnown = false;  // the page moved under the pointer
    loadValues(true);
    M._lvx_resize(w, h);
    present();
  });

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
    loadValues(false);
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
      if (!startSaver()) console.error('lumvex-k47: the frame cannot be drawn');
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
    passes: function () { return M ? M._lvx_passes() : 0; },
    // Picture i's square in CSS pixels: left, top, size.
    picture: function (i) {
      const dpr = window.devicePixelRatio || 1;
      return M ? [0, 1, 2].map(function (part) { return M._lvx_picture(i, part) / dpr; }) : null;
    },
  };
})();
