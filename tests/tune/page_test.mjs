// The tuning page in headless Chromium against kravent-sim, as a user drives it:
// live samples, the gains form (and a refused value that never reaches the module),
// a step beside `kravent step`, a gain set saved and written back, autotune's proposal
// written only by Apply, the module gone and back. Runs inside a private network namespace (run-page-test.sh).
//   node page_test.mjs KRAVENT KRAVENT_SIM SCREENSHOT_DIR
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import { mkdtempSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import test from 'node:test';
import assert from 'node:assert/strict';

const [kravent, simulator, shots] = process.argv.slice(2);
const require = createRequire(resolve(process.env.KRAVENT_NODE_MODULES, 'x'));
const puppeteer = require('puppeteer-core');
const work = mkdtempSync(join(tmpdir(), 'kravent-tune-'));

// A child whose output lines are kept; `line(re)` waits for the first that matches
// (of those from line `from` on).
function start(program, args) {
  const child = spawn(program, args, { stdio: ['ignore', 'pipe', 'pipe'] });
  const lines = [];
  const waiters = [];
  let rest = '';
  child.stdout.on('data', (chunk) => {
    rest += chunk;
    for (let end; (end = rest.indexOf('\n')) >= 0; rest = rest.slice(end + 1)) {
      lines.push(rest.slice(0, end));
      for (const w of [...waiters]) if (w.re.test(lines[lines.length - 1])) { waiters.splice(waiters.indexOf(w), 1); w.resolve(lines[lines.length - 1]); }
    }
  });
  child.stderr.on('data', () => {});
  const line = (re, ms = 10000, from = 0) => new Promise((resolve, reject) => {
    const found = lines.slice(from).find((l) => re.test(l));
    if (found) return resolve(found);
    const w = { re, resolve };
    waiters.push(w);
    setTimeout(() => reject(new Error(`no line ${re} from ${program}`)), ms);
  });
  const exited = new Promise((resolve) => child.on('exit', resolve));
  return { child, lines, line, exited };
}

// Runs a program to its end without blocking this loop, which reads the simulator's trace.
function run(program, args) {
  const child = spawn(program, args, { stdio: ['ignore', 'pipe', 'pipe'] });
  let stdout = '';
  let stderr = '';
  child.stdout.on('data', (c) => { stdout += c; });
  child.stderr.on('data', (c) => { stderr += c; });
  return new Promise((resolve) => child.on('exit', (status) => resolve({ status, stdout, stderr })));
}

const startSimulator = async () => {
  // Two modules of one motor: the page tunes the first, `kravent step` steps the second.
  const sim = start(simulator, ['--bind', '127.0.0.1', '--modules', '2', '--trace']);
  await sim.line(/^ready$/);
  return sim;
};
const writesIn = (sim) => sim.lines.filter((l) => / module 0 <- tcp .*write request:/.test(l));

test('the tuning page', { timeout: 90000 }, async (t) => {
  let sim = await startSimulator();
  const tune = start(kravent, ['tune', '127.0.0.1', '--period', '5']);
  const url = (await tune.line(/^tuning page of /)).split(': ').pop();
  const browser = await puppeteer.launch({
    executablePath: process.env.KRAVENT_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
  });
  t.after(async () => {
    await browser.close();
    tune.child.kill('SIGINT');
    sim.child.kill('SIGTERM');
    await Promise.all([tune.exited, sim.exited]);
  });
  const page = await browser.newPage();
  await page.setViewport({ width: 1400, height: 1000 });
  const stat = (name) => page.evaluate((n) => window.tune.stats[n], name);
  const text = (selector) => page.$eval(selector, (e) => e.textContent);
  const moduleValue = (name) => text(`#form tr[data-name="${name}"] .module`);

  await t.test('loads, and live samples arrive and are drawn', async () => {
    await page.goto(url);
    await page.waitForFunction(() => window.tune.stats.samples > 50 && window.tune.stats.state === 'connected');
    const first = await page.screenshot();
    const [samples, draws] = [await stat('samples'), await stat('draws')];
    await page.waitForFunction((s, d) => window.tune.stats.samples > s + 100 && window.tune.stats.draws > d + 5, {}, samples, draws);
    assert.notDeepEqual(await page.screenshot(), first, 'the chart moves');
    assert.equal(await stat('lost'), 0);
    assert.match(await text('#status'), /connected to 127\.0\.0\.1 \(KRAVENT-SIM, 02:4b:52:00:00:01\)/);
  });

  await t.test('the form writes what it checked, and the module reads it back', async () => {
    await page.waitForFunction(() => document.querySelector('#form tr[data-name="KP"] .module').textContent !== '');
    const values = { KP: '0.75', KD: '0.015625', ACCELERATION: '20000', DECELERATION: '20000', TOPSPEED: '5000' };
    for (const [name, value] of Object.entries(values)) {
      await page.$eval(`#form input[name="${name}"]`, (e, v) => { e.value = v; e.dispatchEvent(new Event('input')); }, value);
    }
    await page.click('#write-gains');
    await page.waitForFunction(() => /^written/.test(document.getElementById('form-message').textContent));
    for (const [name, value] of Object.entries(values)) assert.equal(await moduleValue(name), value, name);
    assert.ok(writesIn(sim).some((l) => l.includes('KP=0.75')), 'the write went out');
  });

  await t.test('an out-of-range gain is refused in the page and never reaches the module', async () => {
    const before = writesIn(sim).length;
    await page.$eval('#form input[name="KI"]', (e) => { e.value = '40000'; e.dispatchEvent(new Event('input')); });
    assert.ok(await page.$eval('#form input[name="KI"]', (e) => e.classList.contains('invalid')));
    await page.click('#write-gains');
    await page.waitForFunction(() => /^not sent: KI/.test(document.getElementById('form-message').textContent));
    // The server refuses it too, when asked past the page.
    const status = await page.evaluate(async () => (await fetch('/api/gains', { method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify({ values: { KI: '40000' } }) })).status);
    assert.equal(status, 400);
    await page.$eval('#form input[name="KI"]', (e) => { e.value = ''; e.dispatchEvent(new Event('input')); });
    await page.evaluate(() => fetch('/api/gains').then((r) => r.json()));  // one exchange after the refusals
    assert.equal(writesIn(sim).length, before, 'no write reached the module');
  });

  await t.test('a step shows the figures that kravent step gives for the same motor', async () => {
    const runStep = async (target) => {
      const count = await page.evaluate(() => (window.tune.runs || []).length);
      await page.$eval('#step-target', (e, v) => { e.value = v; }, String(target));
      await page.$eval('#step-duration', (e) => { e.value = '1'; });
      await page.click('#step-run');
      await page.waitForFunction((c) => (window.tune.runs || []).length > c, { timeout: 10000 }, count);
      return page.evaluate(() => window.tune.runs[window.tune.runs.length - 1]);
    };
    const pageRun = await runStep(1000);
    const profile = Object.entries(await page.evaluate(() => fetch('/api/gains').then((r) => r.json()).then((a) => a.values)))
      .filter(([name]) => name !== 'REGULATIONMODE').map(([name, value]) => `${name}=${value}`);
    assert.equal((await run(kravent, ['write', '127.0.0.2', ...profile])).status, 0);
    const cli = await run(kravent, ['step', '127.0.0.2', '--target', '1000', '--period', '5', '--duration', '1',
      '--csv', join(work, 'step.csv'), '--json']);
    assert.equal(cli.status, 0, cli.stderr);
    const step = JSON.parse(cli.stdout);
    const sampling = 0.005 * 3;
    assert.ok(pageRun.figures.rise_s !== null && step.rise_s !== null);
    assert.ok(Math.abs(pageRun.figures.rise_s - step.rise_s) <= sampling + 0.1 * step.rise_s, `rise ${pageRun.figures.rise_s} vs ${step.rise_s}`);
    assert.ok(Math.abs(pageRun.figures.overshoot_percent - step.overshoot_percent) <= 2, 'overshoot');
    assert.ok(Math.abs(pageRun.figures.settling_s - step.settling_s) <= sampling + 0.1 * step.settling_s, 'settling');
    assert.ok(Math.abs(pageRun.figures.final_error - step.final_error) <= 0.02 * 1000, 'final error');
    assert.match(await text('#step-figures'), /rise time .* overshoot .* settling time .* final error/);
    const csv = await page.evaluate(async (id) => (await fetch(`/api/runs/${id}.csv`)).text(), pageRun.id);
    assert.equal(csv.split('\n')[0], 'time_s,POSITION,DESIRED,SPEED');
    const svg = await page.evaluate(async (id) => (await fetch(`/api/runs/${id}.svg`)).text(), pageRun.id);
    assert.match(svg, /data-level="target 1000"/);
    assert.match(svg, /data-band="2 % band"/);
    await runStep(0);
    assert.equal(await page.$$eval('#overlay-chart .runs-legend li', (s) => s.length), 2, 'both runs overlaid');
  });

  await t.test('a saved gain set reloads and writes', async () => {
    await page.$eval('#set-name', (e) => { e.value = 'soft'; });
    await page.click('#save-set');
    await page.waitForFunction(() => window.tune.savedSet);
    const saved = await page.evaluate(() => window.tune.savedSet);
    assert.equal(saved.gains.KP, 0.75);
    assert.equal(saved.module.mac, '02:4b:52:00:00:01');
    const file = join(work, 'soft.json');
    writeFileSync(file, JSON.stringify(saved));
    await page.$eval('#form input[name="KP"]', (e) => { e.value = '2'; e.dispatchEvent(new Event('input')); });
    await page.click('#write-gains');
    await page.waitForFunction(() => document.querySelector('#form tr[data-name="KP"] .module').textContent === '2');
    const input = await page.$('#load-set');
    await input.uploadFile(file);
    await page.waitForFunction(() => !document.getElementById('write-set').disabled);
    assert.equal(await moduleValue('KP'), '2', 'loading writes nothing');
    await page.click('#write-set');
    await page.waitForFunction(() => document.querySelector('#form tr[data-name="KP"] .module').textContent === '0.75');
  });

  await t.test('autotune shows its proposal beside the gains, and only Apply writes it', async () => {
    const gains = ['KP', 'KI', 'KD', 'ANTIRESETWINDUP'];
    const readBack = async () => JSON.parse((await run(kravent, ['read', '127.0.0.1', ...gains, '--json'])).stdout).registers;
    const before = await readBack();
    const message = (id) => page.$eval(id, (e) => e.textContent);
    await page.$eval('#autotune-excursion', (e) => { e.value = '10'; });
    await page.click('#autotune-run');
    assert.match(await message('#autotune-message'), /20 or more/, 'refused in the page');
    await page.$eval('#autotune-excursion', (e) => { e.value = '200'; });
    await page.click('#autotune-run');
    // Live: its phase and its samples while it runs.
    await page.waitForFunction(() => window.tune.autotune.live && window.tune.autotune.t.length > 50 &&
      /(probing|checking).*…$/.test(document.getElementById('autotune-phase').textContent), { polling: 20, timeout: 15000 });
    await page.waitForFunction(() => !window.tune.autotune.live, { timeout: 30000 });
    const result = await page.evaluate(() => window.tune.autotuneResult);
    assert.ok(result && result.error === '' && result.restored, JSON.stringify(result && result.error));
    assert.deepEqual(await readBack(), before, 'nothing written before Apply');
    const rows = await page.$$eval('#autotune-proposal tbody tr', (r) => r.map((row) => [...row.children].map((c) => c.textContent)));
    assert.deepEqual(rows[0], ['KP', result.proposal.found.KP, result.proposal.proposed.KP]);
    assert.ok(rows.some(([what]) => what === 'settling time'), 'both steps\' figures');
    await page.click('#autotune-apply');
    await page.waitForFunction(() => /^written/.test(document.getElementById('autotune-apply-message').textContent));
    const after = await readBack();
    for (const name of gains) assert.equal(after[name], Number(result.proposal.proposed[name]), name);
  });

  await t.test('a step whose page is closed leaves the motor holding where it stood', async () => {
    const other = await browser.newPage();
    await other.goto(url);
    await other.waitForFunction(() => window.tune.stats.samples > 0);
    await other.$eval('#step-target', (e) => { e.value = '60000'; });
    await other.$eval('#step-duration', (e) => { e.value = '20'; });
    const from = sim.lines.length;
    await other.click('#step-run');
    // Closed once the motor is on its way, so that where it holds is on the step.
    await sim.line(/module 0 -> tcp .*read answer:.* POSITION=[1-9]\d\d/, 10000, from);
    // The first page is in the background now, where Chromium draws no frames: poll on a timer.
    await page.waitForFunction(() => !document.getElementById('stop').disabled, { polling: 50 });
    await other.close();
    await page.bringToFront();
    await page.waitForFunction(() => document.getElementById('stop').disabled, { timeout: 10000, polling: 50 });
    const last = writesIn(sim).filter((l) => l.includes('INPUT=')).pop();
    const held = Number(/INPUT=(-?\d+)/.exec(last)[1]);
    assert.ok(held > 0 && held < 60000, last);
    const read = await run(kravent, ['read', '127.0.0.1', 'INPUT', 'REGULATIONMODE', '--json']);
    assert.deepEqual(JSON.parse(read.stdout).registers, { INPUT: held, REGULATIONMODE: 1 });
  });

  await t.test('a scan lists the modules to choose from', async () => {
    await page.click('#scan');
    await page.waitForFunction(() => /found/.test(document.getElementById('scan-message').textContent));
    assert.deepEqual(await page.$$eval('#modules tr td:first-child', (cells) => cells.map((c) => c.textContent).sort()),
      ['127.0.0.1', '127.0.0.2']);
  });

  await t.test('the module stopped and restarted: gone, then live again, with nothing written', async () => {
    await page.evaluate(() => window.scrollTo(0, 0));
    await page.screenshot({ path: join(shots, 'tune-page.png'), fullPage: true });
    sim.child.kill('SIGTERM');
    await sim.exited;
    await page.waitForFunction(() => window.tune.stats.state === 'lost', { timeout: 15000 });
    assert.match(await text('#status'), /gone/);
    sim = await startSimulator();
    const samples = await stat('samples');
    await page.waitForFunction((s) => window.tune.stats.state === 'connected' && window.tune.stats.samples > s + 50, { timeout: 15000 }, samples);
    assert.deepEqual(writesIn(sim), []);
  });
});
