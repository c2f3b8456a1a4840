// Runs a page in headless Chromium for a while and prints its passes per
// second, the page's main thread's busy time per displayed frame (its tasks
// in the browser's trace, summed over each sixtieth of a second), the time
// of the animation-frame callbacks of the thread that draws (the main
// thread, or a worker) and the CPU share of all the browser's processes.
'use strict';
const fs = require('node:fs');
const puppeteer = require('puppeteer-core');

const [url, seconds, label] = [process.argv[2], Number(process.argv[3] || 20), process.argv[4] || ''];
const HZ = 100;  // clock ticks per second in /proc (USER_HZ)

function descendants(root) {
  const children = new Map();
  for (const name of fs.readdirSync('/proc')) {
    if (!/^[0-9]+$/.test(name)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${name}/stat`, 'utf8');
      const ppid = Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
      if (!children.has(ppid)) children.set(ppid, []);
      children.get(ppid).push(Number(name));
    } catch (e) { /* gone */ }
  }
  const all = [root];
  for (let i = 0; i < all.length; ++i) all.push(...(children.get(all[i]) || []));
  return all;
}
function cpuTicks(pids) {
  let total = 0;
  for (const pid of pids) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const f = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      total += Number(f[11]) + Number(f[12]);  // utime + stime
    } catch (e) { /* gone */ }
  }
  return total;
}
function quantile(sorted, q) {
  if (!sorted.length) return NaN;
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

(async () => {
  const browser = await puppeteer.launch({
    executablePath: process.env.LVX_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--hide-scrollbars', '--mute-audio'],
  });
  const page = await browser.newPage();
  await page.setViewport({ width: 1920, height: 1080 });
  await page.goto(url);
  await page.waitForFunction(() => document.documentElement.dataset.lvxReady !== undefined, { timeout: 30000 });
  await new Promise((r) => setTimeout(r, 1500));  // past the start
  const pids = descendants(browser.process().pid);
  await page.tracing.start({ categories: ['devtools.timeline', 'toplevel'] });
  const passes0 = await page.evaluate(() => window.lumvex.passes());
  const cpu0 = cpuTicks(pids);
  const t0 = Date.now();
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const passes1 = await page.evaluate(() => window.lumvex.passes());
  const cpu1 = cpuTicks(pids);
  const elapsed = (Date.now() - t0) / 1000;
  const trace = JSON.parse(Buffer.from(await page.tracing.stop()).toString('utf8'));
  const threads = new Map();
  for (const e of trace.traceEvents) {
    if (e.ph === 'M' && e.name === 'thread_name') threads.set(`${e.pid}/${e.tid}`, e.args.name);
  }
  const threadOf = (e) => threads.get(`${e.pid}/${e.tid}`) || '';
  const done = trace.traceEvents.filter((e) => e.ph === 'X' && typeof e.dur === 'number');
  // The main thread: every task's time, frame by frame (a frame with no
  // task counts as 0).
  const FRAME_US = 1e6 / 60;
  const mainTasks = done.filter((e) => threadOf(e) === 'CrRendererMain' && e.name === 'ThreadControllerImpl::RunTask');
  const from = Math.min(...done.map((e) => e.ts));
  const to = Math.max(...done.map((e) => e.ts + e.dur));
  const buckets = new Array(Math.max(1, Math.floor((to - from) / FRAME_US))).fill(0);
  for (const e of mainTasks) {
    const i = Math.floor((e.ts - from) / FRAME_US);
    if (i < buckets.length) buckets[i] += e.dur / 1000;
  }
  buckets.sort((a, b) => a - b);
  // The drawing thread's animation-frame callbacks.
  const callbacks = done.filter((e) => e.name === 'FireAnimationFrame');
  const drawer = callbacks.length ? threadOf(callbacks[0]) : '';
  const drawing = callbacks.map((e) => e.dur / 1000).sort((a, b) => a - b);
  await browser.close();
  const fmt = (x) => x.toFixed(2);
  const where = drawer === 'CrRendererMain' ? 'main thread' : 'worker';
  console.log(`${label.padEnd(10)} ${fmt((passes1 - passes0) / elapsed)} passes/s, main thread per frame median ` +
    `${fmt(quantile(buckets, 0.5))} ms, p99 ${fmt(quantile(buckets, 0.99))} ms; drawing (${where}) median ` +
    `${fmt(quantile(drawing, 0.5))} ms, p99 ${fmt(quantile(drawing, 0.99))} ms (${drawing.length} frames); ` +
    `CPU ${fmt(100 * (cpu1 - cpu0) / HZ / elapsed)}% of one core`);
})().catch((e) => { console.error(e); process.exit(1); });
