// The tuning page's goals, measured (not part of the suite): kravent tune polling every
// 1 ms for SECONDS with the page open in headless Chromium. Prints the samples the
// library delivered and the page received (sequence numbers), the page's frame and
// redraw rates, and the CPU of kravent tune beside that of `kravent poll` of the same
// registers at the same period (the library's share). Run inside a private namespace:
//   KRAVENT_NODE_MODULES=... tests/netns/run-in-netns.sh node tests/tune/measure_goals.mjs KRAVENT KRAVENT_SIM [SECONDS]
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import { readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';

const [kravent, simulator, secondsText] = process.argv.slice(2);
const seconds = Number(secondsText || 60);
const puppeteer = createRequire(resolve(process.env.KRAVENT_NODE_MODULES, 'x'))('puppeteer-core');
const ticks = 100;  // USER_HZ
const cpuSeconds = (pid) => {
  const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
  return (Number(fields[11]) + Number(fields[12])) / ticks;
};
// The first line of the child's output that matches `re`.
const lineOf = (child, re) => new Promise((done) => {
  let text = '';
  child.stdout.on('data', (c) => { text += c; const found = text.split('\n').find((l) => re.test(l)); if (found) done(found); });
});
const ended = (child) => new Promise((resolve) => child.on('exit', resolve));

const sim = spawn(simulator, ['--bind', '127.0.0.1', '--modules', '2'], { stdio: ['ignore', 'pipe', 'inherit'] });
await lineOf(sim, /^ready$/);

// The library alone: kravent poll of the page's four registers on the second module.
const poll = spawn(kravent, ['poll', '127.0.0.2', 'POSITION', 'SPEED', 'DESIRED', 'COMMAND', '--period', '1',
  '--duration', String(seconds + 30)], { stdio: ['ignore', 'ignore', 'inherit'] });

const tune = spawn(kravent, ['tune', '127.0.0.1', '--period', '1'], { stdio: ['ignore', 'pipe', 'inherit'] });
const url = (await lineOf(tune, /^tuning page of /)).split(': ').pop();
const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'] });
const page = await browser.newPage();
await page.setViewport({ width: 1400, height: 1000 });
await page.goto(url);
await page.evaluate(() => {
  window.frames = 0;
  const count = () => { ++window.frames; requestAnimationFrame(count); };
  requestAnimationFrame(count);
});
await page.waitForFunction(() => window.tune.stats.samples > 0);
const before = await page.evaluate(() => ({ ...window.tune.stats, frames: window.frames }));
const tuneCpu0 = cpuSeconds(tune.pid);
const pollCpu0 = cpuSeconds(poll.pid);
await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
const after = await page.evaluate(() => ({ ...window.tune.stats, frames: window.frames }));
const tuneCpu = (cpuSeconds(tune.pid) - tuneCpu0) / seconds;
const pollCpu = (cpuSeconds(poll.pid) - pollCpu0) / seconds;

const delivered = after.lastSeq - before.lastSeq;
const received = after.samples - before.samples;
console.log(JSON.stringify({
  seconds,
  delivered_by_library: delivered,
  received_by_page: received,
  missing: after.lost - before.lost,
  page_frames_per_s: (after.frames - before.frames) / seconds,
  chart_redraws_per_s: (after.draws - before.draws) / seconds,
  tune_cpu_percent_of_a_core: +(100 * tuneCpu).toFixed(1),
  poll_cpu_percent_of_a_core: +(100 * pollCpu).toFixed(1),
  server_beyond_library_percent: +(100 * (tuneCpu - pollCpu)).toFixed(1),
}, null, 1));
await browser.close();
tune.kill('SIGINT');
poll.kill('SIGINT');
sim.kill('SIGTERM');
await Promise.all([ended(tune), ended(sim)]);
