// The single-file web page in the system's headless Chromium: its frames
// against `lvx frame`, its start, end and kiosk behaviour, its settings.
// Run by tests/web/run.sh (LVX_PAGE: the page, LVX_TOOL: lvx, LVX_OUT: a
// folder for screenshots and scratch files).
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const puppeteer = require('puppeteer-core');
const { PNG } = require('pngjs');

const PAGE = process.env.LVX_PAGE;
const TOOL = process.env.LVX_TOOL;
const OUT = process.env.LVX_OUT;
const SEEDS = path.join(__dirname, '..', 'fuzz', 'seeds', 'settings_reader');
const PAGE_URL = 'file://' + PAGE;

// The settings file's keys as code-page-932 bytes, for the files lvx reads.
const KEY_BYTES = {
  size: 'cbdfb8c1ac82ccbbb2bdde', sizeRandom: 'bbb2bdded7ddc0ded1', interval: '904682cc935d8ab7',
  gradation: 'b8ded7c3deb0bcaedd', backRandom: '94778c699046d7ddc0ded1', backColor: '94778c699046', shape: '8c608ff3',
};
// The same settings as address options and as a settings file.
function settingsFile(values) {
  const parts = [Buffer.from('[Section]\r\n')];
  for (const [name, value] of Object.entries(values)) {
    parts.push(Buffer.from(KEY_BYTES[name], 'hex'), Buffer.from('=' + value + '\r\n'));
  }
  return Buffer.concat(parts);
}
function addressOf(values) {
  const names = { size: 'size', sizeRandom: 'random-size', interval: 'interval', gradation: 'gradation',
    backRandom: 'random-background', shape: 'shape' };
  const q = [];
  for (const [name, value] of Object.entries(values)) {
    if (name === 'backColor') {
      const r = value & 255, g = (value >> 8) & 255, b = (value >> 16) & 255;
      q.push('background=%23' + [r, g, b].map((c) => c.toString(16).padStart(2, '0')).join(''));
    } else if (name === 'shape') {
      q.push('shape=' + (value === 1 ? 'circle' : 'square'));
    } else {
      q.push(names[name] + '=' + value);
    }
  }
  return q;
}

function lvxFrame(w, h, seed, pass, values) {
  const args = ['frame', String(w), String(h), String(seed), String(pass)];
  if (values && Object.keys(values).length) {
    const ini = path.join(OUT, `frame-${w}x${h}-${seed}-${pass}.ini`);
    fs.writeFileSync(ini, settingsFile(values));
    args.push('--ini', ini);
  }
  args.push('-');
  return PNG.sync.read(execFileSync(TOOL, args, { maxBuffer: 1 << 28 }));
}

async function canvasPng(page) {
  const url = await page.evaluate(() => document.getElementById('saver').toDataURL('image/png'));
  return PNG.sync.read(Buffer.from(url.slice(url.indexOf(',') + 1), 'base64'));
}

// Differing pixels of two RGBA images of one size (alpha left out).
function differing(a, b) {
  assert.strictEqual(`${a.width}x${a.height}`, `${b.width}x${b.height}`, 'frame size');
  let n = 0;
  for (let i = 0; i < a.data.length; i += 4) {
    if (a.data[i] !== b.data[i] || a.data[i + 1] !== b.data[i + 1] || a.data[i + 2] !== b.data[i + 2]) ++n;
  }
  return n;
}

let browser;
before(async () => {
  browser = await puppeteer.launch({
    executablePath: process.env.LVX_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--lang=en-US', '--hide-scrollbars', '--mute-audio'],
  });
});
after(async () => { if (browser) await browser.close(); });

// A page with its console and requests recorded; every request but the
// page file itself fails, as without a network.
async function open(url, viewport, beforeLoad) {
  const page = await browser.newPage();
  if (beforeLoad) await page.evaluateOnNewDocument(beforeLoad);
  const log = { errors: [], warnings: [], requests: [] };
  page.on('console', (m) => {
    if (m.type() === 'error') log.errors.push(m.text());
    if (m.type() === 'warn' || m.type() === 'warning') log.warnings.push(m.text());
  });
  page.on('pageerror', (e) => log.errors.push(String(e)));
  await page.setRequestInterception(true);
  page.on('request', (r) => {
    const u = r.url();
    if (u.startsWith('data:') || u.startsWith('blob:')) return r.continue();
    log.requests.push(u);
    if (u.split('?')[0] === PAGE_URL) return r.continue();
    return r.abort('internetdisconnected');
  });
  await page.setViewport(viewport || { width: 800, height: 600 });
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.lvxReady !== undefined, { timeout: 20000 });
  page.lvxLog = log;
  return page;
}
async function passes(page) { return page.evaluate(() => window.lumvex.passes()); }
async function running(page) { return page.evaluate(() => window.lumvex.running()); }
async function waitPasses(page, more) {
  const from = await passes(page);
  await page.waitForFunction((n) => window.lumvex.passes() >= n, { timeout: 10000 }, from + more);
}

// ---- the same frame as lvx -------------------------------------------------------

// Each case finds a fault of its own: the stacking of overlapping squares and
// the first timer tick (pass 61); circles' outlines, a 64-bit seed and the
// two-colour gradation; random sizes and backgrounds changing on the ticks of
// a short interval; a device-pixel ratio of 2, a size from the address and
// the gradation to white (and every channel in its place).
const FRAME_CASES = [
  { name: '1920x1080 squares, defaults', css: [1920, 1080], dpr: 1, seed: '7', pass: 61, values: {} },
  { name: '1366x768 circles, random colours', css: [1366, 768], dpr: 1, seed: '18446744073709551557', pass: 150,
    values: { shape: 1, gradation: 2, backColor: 0x336699 } },
  { name: '300x200 random size and background', css: [300, 200], dpr: 1, seed: '424242', pass: 185,
    values: { sizeRandom: 1, backRandom: 1, interval: 1, gradation: 2 } },
  { name: 'DPR 2, circles to white', css: [400, 300], dpr: 2, seed: '99', pass: 45,
    values: { shape: 1, gradation: 0, size: 150, backColor: 0x203040 } },
];

for (const c of FRAME_CASES) {
  test(`frame: ${c.name}`, async () => {
    const [cw, ch] = c.css;
    const url = `${PAGE_URL}?seed=${c.seed}&pass=${c.pass}&still=1&` + addressOf(c.values).join('&');
    const page = await open(url, { width: cw, height: ch, deviceScaleFactor: c.dpr });
    const shot = await canvasPng(page);
    const want = lvxFrame(cw * c.dpr, ch * c.dpr, c.seed, c.pass, c.values);
    const n = differing(shot, want);
    if (n) fs.writeFileSync(path.join(OUT, `frame-${cw * c.dpr}x${ch * c.dpr}-page.png`), PNG.sync.write(shot));
    assert.strictEqual(n, 0, `${n} pixels differ from lvx frame`);
    assert.deepStrictEqual(page.lvxLog.errors, []);
    await page.close();
  });
}

test('frame: a resize lays the grid anew at once', async () => {
  const page = await open(`${PAGE_URL}?seed=5&pass=20&still=1`, { width: 640, height: 480 });
  await page.setViewport({ width: 900, height: 400 });
  await page.waitForFunction(() => document.getElementById('saver').width === 900);
  assert.strictEqual(differing(await canvasPng(page), lvxFrame(900, 400, 5, 20, {})), 0);
  await page.close();
});

test('address: bad values are left out with one warning each, the page still draws', async () => {
  const bad = ['size=big', 'interval=-5', 'gradation=9', 'background=red', 'shape=triangle', 'random-size=yes',
    'kiosk=2', 'frobnicate=1'];
  const page = await open(`${PAGE_URL}?seed=31&pass=3&still=1&shape=circle&${bad.join('&')}`, { width: 500, height: 400 });
  assert.strictEqual(page.lvxLog.warnings.length, bad.length, page.lvxLog.warnings.join('\n'));
  assert.deepStrictEqual(page.lvxLog.errors, []);
  assert.strictEqual(differing(await canvasPng(page), lvxFrame(500, 400, 31, 3, { shape: 1 })), 0);
  await page.close();
});

// ---- the page as people use it ----------------------------------------------------

test('file:// without a network: the start panel, no request, no console error', async () => {
  const page = await open(PAGE_URL + '?lang=ja', { width: 900, height: 700 });
  assert.deepStrictEqual(page.lvxLog.requests.map((u) => u.split('?')[0]), [PAGE_URL]);
  assert.deepStrictEqual(page.lvxLog.errors, []);
  assert.ok(await page.$eval('#start', (b) => b.offsetHeight > 40), 'a large start control');
  const captions = await page.$$eval('legend', (ls) => ls.map((l) => l.textContent));
  assert.deepStrictEqual(captions, ['ﾋﾟｸﾁｬｰのｻｲｽﾞ', '背景色', 'ｸﾞﾗﾃﾞｰｼｮﾝ', 'ﾋﾟｸﾁｬｰの形状', 'BGM']);
  await page.screenshot({ path: path.join(OUT, 'panel-ja.png') });
  await page.close();
  const en = await open(PAGE_URL, { width: 900, height: 700 });
  assert.strictEqual(await en.$eval('legend', (l) => l.textContent), 'Picture size');
  await en.screenshot({ path: path.join(OUT, 'panel-en.png'), fullPage: true });
  await en.close();
});

test('running: it turns; a one-axis move goes on, a two-axis move ends it', async () => {
  const page = await open(PAGE_URL, { width: 800, height: 600 });
  await page.click('#start');
  await page.waitForFunction(() => window.lumvex.running());
  // Drawn in a worker: the page's own thread stays free for input.
  assert.strictEqual(await page.evaluate(() => window.lumvex.drawing()), 'worker');
  // The first place the pointer is seen while it runs is where it starts.
  const start = [300, 200];
  await page.mouse.move(start[0], start[1]);
  await waitPasses(page, 2);
  const a = await canvasPng(page);
  await waitPasses(page, 3);
  assert.ok(differing(a, await canvasPng(page)) > 1000, 'two frames differ');
  await page.screenshot({ path: path.join(OUT, 'running.png') });
  await page.mouse.move(start[0] + 40, start[1]);
  await waitPasses(page, 3);
  assert.ok(await running(page), 'a move on one axis goes on');
  await page.mouse.move(start[0] + 40, start[1] + 30);
  await page.waitForFunction(() => !window.lumvex.running(), { timeout: 5000 });
  assert.ok(await page.$eval('#panel', (p) => !p.hidden), 'the start panel is back');

  await page.click('#start');
  await page.waitForFunction(() => window.lumvex.running());
  // A resize reaches the worker: the grid is laid anew for the new size.
  await page.setViewport({ width: 900, height: 600 });
  await page.waitForFunction(() => document.getElementById('saver').width === 900 &&
    window.lumvex.picture(3)[0] > 680, { timeout: 5000 });
  await page.keyboard.press('KeyQ');
  await page.waitForFunction(() => !window.lumvex.running(), { timeout: 5000 });
  assert.deepStrictEqual(page.lvxLog.errors, []);
  await page.close();
});

test('running: a click between the circles goes on, a click on one ends it', async () => {
  const page = await open(PAGE_URL + '?shape=circle', { width: 800, height: 600 });
  // Started from the keyboard: the pointer's first position is where it starts.
  await page.focus('#start');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.lumvex.running());
  await waitPasses(page, 2);
  const pictures = await page.evaluate(() => [...Array(12).keys()].map((i) => window.lumvex.picture(i)));
  const [l0, t0, s] = pictures[0];
  // The corner of a circle's square lies between the pictures.
  const corner = [l0 + 2, t0 + 2];
  await page.mouse.move(corner[0], corner[1]);
  await page.mouse.click(corner[0], corner[1]);
  await waitPasses(page, 3);
  assert.ok(await running(page), 'a click outside the circles goes on');
  // A circle in the same row, pressed on the start's row: no two-axis move.
  const beside = pictures.find((p) => p[1] === t0 && p[0] !== l0);
  await page.mouse.click(beside[0] + s / 2, corner[1]);
  await page.waitForFunction(() => !window.lumvex.running(), { timeout: 5000 });
  assert.deepStrictEqual(page.lvxLog.errors, []);
  await page.close();
});

test('running: leaving full screen the browser\'s way shows the start panel again', async () => {
  const page = await open(PAGE_URL, { width: 800, height: 600 });
  await page.click('#start');
  await page.waitForFunction(() => window.lumvex.running() && document.fullscreenElement !== null);
  await waitPasses(page, 2);
  await page.evaluate(() => document.exitFullscreen());
  await page.waitForFunction(() => !window.lumvex.running(), { timeout: 5000 });
  assert.ok(await page.$eval('#panel', (p) => !p.hidden), 'the start panel is back');
  assert.ok(await page.$eval('#saver', (c) => c.hidden), 'the canvas is gone');
  assert.deepStrictEqual(page.lvxLog.errors, []);
  await page.close();
});

test('hidden: a hidden tab draws nothing; the frame it keeps is lvx\'s for that pass', async () => {
  const page = await open(`${PAGE_URL}?kiosk=1&seed=11&shape=circle`, { width: 500, height: 300 });
  await page.waitForFunction(() => window.lumvex.running());
  await waitPasses(page, 70);
  // Another tab in front: this one is hidden, as when the user switches tabs.
  const other = await browser.newPage();
  await other.bringToFront();
  assert.strictEqual(await page.evaluate(() => document.visibilityState), 'hidden');
  const at = await passes(page);
  await new Promise((r) => setTimeout(r, 300));
  assert.strictEqual(await passes(page), at, 'no pass while hidden');
  // Drawn pass by pass (only the pictures' squares each time), yet the same
  // pixels as the native frame of that pass.
  assert.strictEqual(differing(await canvasPng(page), lvxFrame(500, 300, 11, at, { shape: 1 })), 0);
  await page.bringToFront();
  await other.close();
  await waitPasses(page, 3);
  // A browser that still calls a hidden page's frames gets no pass either.
  await page.evaluate(() => Object.defineProperty(document, 'hidden', { configurable: true, get: () => true }));
  await new Promise((r) => setTimeout(r, 100));
  const still = await passes(page);
  await new Promise((r) => setTimeout(r, 300));
  assert.strictEqual(await passes(page), still, 'no pass while the page says it is hidden');
  assert.ok(await running(page));
  assert.deepStrictEqual(page.lvxLog.errors, []);
  await page.close();
});

test('worker: when the drawing worker fails, the page draws on and the run goes on', async () => {
  const page = await open(PAGE_URL + '?kiosk=1', { width: 640, height: 400 }, () => {
    const Made = window.Worker;
    window.Worker = function (url) { return (window.lvxWorker = new Made(url)); };
  });
  await page.waitForFunction(() => window.lumvex.running() && window.lumvex.drawing() === 'worker');
  await waitPasses(page, 3);
  await page.evaluate(() => window.lvxWorker.dispatchEvent(new ErrorEvent('error', { message: 'gone' })));
  assert.strictEqual(await page.evaluate(() => window.lumvex.drawing()), 'page');
  await waitPasses(page, 3);
  const a = await canvasPng(page);
  await waitPasses(page, 3);
  assert.ok(differing(a, await canvasPng(page)) > 1000, 'it turns');
  assert.ok(await running(page));
  assert.deepStrictEqual(page.lvxLog.errors, []);
  await page.close();
});

// (In a browser that cannot hand a worker a canvas: the page draws.)
test('kiosk: starts without a click, input never ends it', async () => {
  const page = await open(PAGE_URL + '?kiosk=1', { width: 640, height: 400 }, () => { delete window.OffscreenCanvas; });
  await page.waitForFunction(() => window.lumvex.running());
  assert.strictEqual(await page.evaluate(() => window.lumvex.drawing()), 'page');
  assert.ok(await page.$eval('#panel', (p) => p.hidden), 'no start panel');
  await page.keyboard.press('Escape');
  await page.mouse.move(10, 10);
  await page.mouse.move(300, 200);
  await page.mouse.click(320, 200);
  await waitPasses(page, 5);
  assert.ok(await running(page));
  const a = await canvasPng(page);
  await waitPasses(page, 3);
  assert.ok(differing(a, await canvasPng(page)) > 1000, 'it turns');
  await page.close();
});

// ---- settings -------------------------------------------------------------------------

async function importFile(page, file) {
  const input = await page.$('#import');
  await input.uploadFile(file);
  await page.waitForFunction(() => document.getElementById('status').textContent !== '', { timeout: 5000 });
}

test('settings: Import then Export of a file the Windows program wrote gives the same bytes', async () => {
  const page = await open(PAGE_URL, { width: 1920, height: 1080 });
  // A 1920-pixel screen, where the file's 300-pixel pictures fit the bounds.
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setDeviceMetricsOverride',
    { width: 1920, height: 1080, deviceScaleFactor: 1, mobile: false, screenWidth: 1920, screenHeight: 1080 });
  const fixture = path.join(__dirname, 'windows_written.ini');
  await importFile(page, fixture);
  assert.strictEqual(await page.$eval('input[name=size]', (e) => e.value), '300');
  const downloads = fs.mkdtempSync(path.join(OUT, 'export-'));
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.click('#export');
  const file = path.join(downloads, 'Lumvex_K47.ini');
  for (let i = 0; i < 100 && !fs.existsSync(file); ++i) await new Promise((r) => setTimeout(r, 50));
  assert.ok(Buffer.compare(fs.readFileSync(file), fs.readFileSync(fixture)) === 0, 'the same bytes');
  // Kept for the next visit, under the file's own keys.
  const kept = await page.evaluate(() => [localStorage.getItem('ﾋﾟｸﾁｬのｻｲｽﾞ'), localStorage.getItem('形状')]);
  assert.deepStrictEqual(kept, ['300', '1']);
  await page.close();
});

test('settings: hostile settings files leave a working page', async () => {
  const page = await open(PAGE_URL, { width: 800, height: 600 });
  const junk = path.join(OUT, 'junk.ini');
  fs.writeFileSync(junk, Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.alloc(3 << 20, 0x5b)]));
  const names = ['odd.ini', 'utf16.ini', 'full.ini', 'mixed.ini', 'utf8mark.ini']
    .concat(fs.readdirSync(SEEDS).filter((n) => !n.endsWith('.ini')).slice(0, 8));
  for (const name of names.map((n) => path.join(SEEDS, n)).concat([junk])) {
    await page.evaluate(() => { document.getElementById('status').textContent = ''; });
    await importFile(page, name);
    const v = await page.$eval('form', (f) => [Number(f.size.value), Number(f.size.min), Number(f.size.max),
      Number(f.interval.value)]);
    assert.ok(v[0] >= v[1] && v[0] <= v[2] && v[3] >= 5 && v[3] <= 60, `${path.basename(name)}: ${v}`);
  }
  // The oversized file was refused whole: Export still writes over the last
  // file taken, not over part of that one.
  assert.strictEqual(await page.$eval('#status', (e) => e.textContent), 'This file is too large to be a settings file.');
  await page.click('#start');
  await page.waitForFunction(() => window.lumvex.running());
  await waitPasses(page, 3);
  assert.deepStrictEqual(page.lvxLog.errors, []);
  await page.close();
});
