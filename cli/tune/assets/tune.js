// The tuning page: a live chart from the server's event stream, the gains form, the
// experiments, gain sets and the module list. Every check of a value uses the ranges
// that the server describes; the server checks again before anything is written.
'use strict';

const token = new URLSearchParams(location.search).get('token');
const client = Math.random().toString(36).slice(2) + Date.now().toString(36);
const $ = (id) => document.getElementById(id);
const COLOURS = ['#1f77b4', '#d62728', '#2ca02c', '#9467bd', '#ff7f0e', '#8c564b', '#17becf', '#e377c2', '#7f7f7f'];
const LIVE_SECONDS = 10;

// What the page has seen, for people and for tests.
const stats = { samples: 0, lost: 0, draws: 0, lastSeq: 0, events: 0, state: 'connecting' };
window.tune = { stats };

function withToken(path) {
  return token ? path + (path.includes('?') ? '&' : '?') + 'token=' + encodeURIComponent(token) : path;
}

async function api(path, body) {
  const init = body === undefined ? {} : { method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body) };
  const response = await fetch(withToken(path), init);
  const answer = await response.json().catch(() => ({}));
  if (!response.ok) {
    const error = new Error(answer.error || response.statusText);
    error.errors = answer.errors;
    throw error;
  }
  return answer;
}

function say(id, text, isError) {
  const element = $(id);
  element.textContent = text;
  element.classList.toggle('error', !!isError);
}

// ---------------------------------------------------------------- live chart
let info = null;
const live = { columns: [], t: [], values: [], dirty: false, charts: [] };

// The panel of a register: its unit. DESIRED, a position while tuning in position
// mode, shares the counts with POSITION.
function unitOf(name) {
  if (name === 'DESIRED') return 'counts';
  const found = info.pollable.find((p) => p.name === name);
  return found ? found.unit : name;
}

function width(element) { return Math.max(300, element.clientWidth - 10); }

function buildLiveCharts(columns) {
  const box = $('live-charts');
  box.innerHTML = '';
  live.columns = columns;
  live.t = [];
  live.values = columns.map(() => []);
  live.charts = [];
  const units = [...new Set(columns.map(unitOf))];
  for (const unit of units) {
    const members = columns.map((c, k) => [c, k]).filter(([c]) => unitOf(c) === unit);
    const holder = document.createElement('div');
    box.appendChild(holder);
    const series = [{ label: 's' }].concat(members.map(([c, k]) => ({ label: c, stroke: COLOURS[k % COLOURS.length], width: 1.5, spanGaps: false })));
    const chart = new uPlot({
      width: width(box), height: units.length > 3 ? 140 : 180, series,
      scales: { x: { time: false } },
      axes: [{ label: 'time [s]' }, { label: unit, size: 70 }],
      legend: { live: false },
    }, [[]].concat(members.map(() => [])), holder);
    live.charts.push({ chart, members: members.map(([, k]) => k) });
  }
}

function takeSamples(batch) {
  if (!info) return;
  if (batch.columns.join() !== live.columns.join()) buildLiveCharts(batch.columns);
  const period = Number($('period').value) || 10;
  for (let i = 0; i < batch.seq.length; ++i) {
    const seq = batch.seq[i];
    const t = batch.t[i];
    if (seq <= stats.lastSeq) continue;  // seen before the stream reconnected
    const lastT = live.t.length ? live.t[live.t.length - 1] : null;
    const missing = stats.lastSeq ? seq - stats.lastSeq - 1 : 0;
    stats.lost += missing;
    // A gap shows as a gap: a break in the line where samples are missing or late.
    if (lastT !== null && (missing > 0 || t - lastT > Math.max(0.25, 5 * period / 1000))) {
      live.t.push((lastT + t) / 2);
      for (const column of live.values) column.push(null);
    }
    live.t.push(t);
    batch.v.forEach((column, k) => live.values[k].push(column[i]));
    stats.lastSeq = seq;
    ++stats.samples;
  }
  // Trimmed a second at a time rather than on every event: a splice moves the whole array.
  const newest = live.t[live.t.length - 1];
  const from = live.t[0] < newest - LIVE_SECONDS - 1 ? live.t.findIndex((t) => t >= newest - LIVE_SECONDS) : 0;
  if (from > 0) {
    live.t.splice(0, from);
    for (const column of live.values) column.splice(0, from);
  }
  live.dirty = true;
  autotuneTake(batch);
}

function draw() {
  if (live.dirty) {
    for (const { chart, members } of live.charts) chart.setData([live.t].concat(members.map((k) => live.values[k])));
    live.dirty = false;
    ++stats.draws;
    $('live-stats').textContent = `${stats.samples} samples, ${stats.lost} missing`;
  }
  if (autotune.dirty) {
    autotune.chart.setData([autotune.t, autotune.position, autotune.desired]);
    autotune.dirty = false;
  }
  requestAnimationFrame(draw);
}

function showStatus(status) {
  stats.state = status.state;
  const element = $('status');
  element.className = 'state-' + status.state;
  const who = [status.name, status.mac].filter(Boolean).join(', ');
  element.textContent = status.state === 'connected' ? `connected to ${status.address}${who ? ' (' + who + ')' : ''}`
    : status.state === 'lost' ? `module ${status.address} gone${status.detail ? ': ' + status.detail : ''}; waiting for it`
    : status.state === 'lent' ? `${status.address}: ${status.detail}`
    : `connecting to ${status.address}…`;
}

function openStream() {
  const source = new EventSource(withToken('/api/events?client=' + client));
  source.addEventListener('hello', (e) => {
    const server = JSON.parse(e.data).server;
    if (stats.server && stats.server !== server) { stats.lastSeq = 0; live.columns = []; }
    stats.server = server;
  });
  source.addEventListener('samples', (e) => { ++stats.events; takeSamples(JSON.parse(e.data)); });
  source.addEventListener('status', (e) => showStatus(JSON.parse(e.data)));
  source.addEventListener('running', (e) => {
    const running = JSON.parse(e.data);
    $('stop').disabled = !running;
    $('autotune-stop').disabled = !running;
    if (running && running.name === 'autotune') autotuneProgress(running.progress);
  });
  source.onerror = () => { if (source.readyState === EventSource.CLOSED) setTimeout(openStream, 1000); $('status').className = 'state-lost'; $('status').textContent = 'the tool is not reachable'; };
}

function buildPollChoice() {
  const box = $('poll-registers');
  for (const p of info.pollable) {
    const label = document.createElement('label');
    const box1 = document.createElement('input');
    box1.type = 'checkbox';
    box1.value = p.name;
    box1.checked = info.polled.includes(p.name);
    box1.disabled = info.always_polled.includes(p.name);
    label.append(box1, ' ' + p.name);
    box.appendChild(label);
  }
  $('period').value = info.period_ms;
  $('period').min = info.period_range[0];
  $('period').max = info.period_range[1];
}

$('apply-poll').onclick = async () => {
  const registers = [...document.querySelectorAll('#poll-registers input:checked')].map((b) => b.value);
  try {
    await api('/api/poll', { registers, period_ms: Number($('period').value) });
    say('live-stats', 'polling ' + registers.length + ' registers');
  } catch (e) { say('live-stats', e.message, true); }
};

// ---------------------------------------------------------------- gains form
// The reason a typed value is refused, or '' when it may be sent.
function refusal(entry, text) {
  const trimmed = text.trim();
  if (trimmed === '') return 'empty';
  const number = Number(trimmed);
  if (!Number.isFinite(number)) return 'not a number';
  if (entry.kind === 'integer' && !Number.isInteger(number)) return 'a whole number';
  if (number < entry.min || number > entry.max) return 'outside ' + entry.range;
  return '';
}

function buildForm() {
  const body = document.querySelector('#form tbody');
  for (const entry of info.form) {
    const row = document.createElement('tr');
    row.dataset.name = entry.name;
    row.innerHTML = `<td>${entry.name}</td><td><input name="${entry.name}"></td><td class="unit">${entry.unit}</td><td class="sent"></td><td class="module"></td>`;
    const input = row.querySelector('input');
    input.placeholder = entry.range;
    input.title = entry.range;
    input.oninput = () => checkInput(entry, input);
    body.appendChild(row);
  }
}

function checkInput(entry, input) {
  const why = input.value.trim() === '' ? '' : refusal(entry, input.value);
  input.classList.toggle('invalid', why !== '');
  input.title = why || entry.range;
  return why;
}

function formRow(name) { return document.querySelector(`#form tr[data-name="${name}"]`); }

function showModuleValues(values, fill) {
  for (const [name, text] of Object.entries(values)) {
    const row = formRow(name);
    if (!row) continue;
    row.querySelector('.module').textContent = text;
    if (fill) { row.querySelector('input').value = text; row.querySelector('input').classList.remove('invalid'); }
  }
}

async function readGains() {
  try { showModuleValues((await api('/api/gains')).values, true); say('form-message', 'read from the module'); } catch (e) { say('form-message', e.message, true); }
}

// Writes `values` after checking every one; nothing goes out when any is refused.
async function writeValues(values, messageId) {
  const refused = [];
  for (const [name, text] of Object.entries(values)) {
    const entry = info.form.find((f) => f.name === name);
    const why = entry ? refusal(entry, String(text)) : 'not a register of the form';
    if (why) refused.push(`${name}: ${why}`);
  }
  if (refused.length) { say(messageId, 'not sent: ' + refused.join('; '), true); return false; }
  try {
    const answer = await api('/api/gains', { values });
    for (const [name, text] of Object.entries(answer.sent)) formRow(name).querySelector('.sent').textContent = text;
    showModuleValues(answer.read, false);
    say(messageId, 'written: ' + Object.entries(answer.sent).map(([n, t]) => `${n} ${t}`).join(', '));
    return true;
  } catch (e) {
    say(messageId, 'not sent: ' + (e.errors ? Object.entries(e.errors).map(([n, w]) => `${n}: ${w}`).join('; ') : e.message), true);
    return false;
  }
}

$('read-gains').onclick = readGains;
$('write-gains').onclick = () => {
  const values = {};
  for (const input of document.querySelectorAll('#form input')) if (input.value.trim() !== '') values[input.name] = input.value.trim();
  writeValues(values, 'form-message');
};

// ---------------------------------------------------------------- gain sets
let loadedSet = null;

$('save-set').onclick = async () => {
  try {
    const name = $('set-name').value.trim() || 'gains';
    const set = await api('/api/gainset?name=' + encodeURIComponent(name));
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([JSON.stringify(set, null, 2) + '\n'], { type: 'application/json' }));
    link.download = name.replace(/[^A-Za-z0-9_.-]+/g, '_') + '.json';
    document.body.appendChild(link);
    link.click();
    link.remove();
    window.tune.savedSet = set;
    say('set-message', `saved ${link.download}`);
  } catch (e) { say('set-message', e.message, true); }
};

async function loadSet(text) {
  try {
    const checked = await api('/api/gainset/check', { set: JSON.parse(text) });
    loadedSet = checked;
    for (const [name, value] of Object.entries(checked.values)) {
      const input = formRow(name) && formRow(name).querySelector('input');
      if (input) { input.value = value; input.classList.remove('invalid'); }
    }
    $('write-set').disabled = false;
    $('set-name').value = checked.name || $('set-name').value;
    say('set-message', `loaded "${checked.name}" (${checked.module.name || '?'} ${checked.module.mac || ''}, ${checked.time}); not written yet`);
  } catch (e) {
    loadedSet = null;
    $('write-set').disabled = true;
    say('set-message', 'not loaded: ' + (e.errors ? Object.entries(e.errors).map(([n, w]) => `${n}: ${w}`).join('; ') : e.message), true);
  }
}
window.tune.loadSet = loadSet;

$('load-set').onchange = async (event) => {
  const file = event.target.files[0];
  if (file) await loadSet(await file.text());
  event.target.value = '';
};
$('write-set').onclick = async () => { if (loadedSet && await writeValues(loadedSet.values, 'set-message')) $('write-set').disabled = true; };

// ---------------------------------------------------------------- step experiment
const runs = [];
let stepChart = null;
let overlayChart = null;

function stepChartOf(run, holder) {
  const s = run.samples;
  const t = [0].concat(s.time_s);
  const target = t.map(() => run.target);
  const band = Math.abs(run.target - run.start) * 0.02;
  holder.innerHTML = '';
  return new uPlot({
    width: width(holder), height: 260, scales: { x: { time: false } },
    series: [{ label: 's' },
      { label: 'POSITION', stroke: COLOURS[0], width: 1.5 },
      { label: 'DESIRED', stroke: COLOURS[1], width: 1 },
      { label: 'target', stroke: '#000', dash: [6, 4] },
      { label: '+2 %', stroke: '#2ca02c', dash: [2, 3] },
      { label: '−2 %', stroke: '#2ca02c', dash: [2, 3] }],
    bands: [{ series: [4, 5], fill: 'rgba(44,160,44,0.12)' }],
    axes: [{ label: 'time [s]' }, { label: 'counts', size: 70 }],
    legend: { live: false },
  }, [t, [run.start].concat(s.POSITION), [run.start].concat(s.DESIRED), target, target.map((v) => v + band), target.map((v) => v - band)], holder);
}

function drawOverlay() {
  const holder = $('overlay-chart');
  holder.innerHTML = '';
  const shown = runs.slice(-6);
  if (!shown.length) return;
  // One time axis for all runs: each run's positions at the union of their times.
  const times = [...new Set(shown.flatMap((r) => [0].concat(r.samples.time_s)))].sort((a, b) => a - b);
  const columns = shown.map((r) => {
    const at = new Map([[0, r.start]].concat(r.samples.time_s.map((t, i) => [t, r.samples.POSITION[i]])));
    return times.map((t) => (at.has(t) ? at.get(t) : null));
  });
  overlayChart = new uPlot({
    width: width(holder), height: 240, scales: { x: { time: false } },
    series: [{ label: 's' }].concat(shown.map((r, k) => ({ label: `#${r.id} ${r.label}`, stroke: COLOURS[k % COLOURS.length], width: 1.5, spanGaps: true }))),
    axes: [{ label: 'time [s]' }, { label: 'counts', size: 70 }],
    legend: { show: false },
  }, [times].concat(columns), holder);
  // Its own legend: one line per run, in the run's colour, with its gains.
  const legend = document.createElement('ul');
  legend.className = 'runs-legend';
  shown.forEach((r, k) => {
    const item = document.createElement('li');
    item.style.color = COLOURS[k % COLOURS.length];
    item.textContent = `#${r.id} ${r.label}`;
    legend.appendChild(item);
  });
  holder.appendChild(legend);
}

function addRun(run) {
  runs.push(run);
  window.tune.runs = runs;
  $('step-figures').textContent = `#${run.id}: ${run.figures_text}`;
  stepChart = stepChartOf(run, $('step-chart'));
  drawOverlay();
  const row = document.createElement('tr');
  const f = run.figures;
  row.innerHTML = `<td>${run.id}</td><td>${run.label}</td><td>rise ${f.rise_s ?? '–'} s, overshoot ${f.overshoot_percent} %, settling ${f.settling_s ?? '–'} s, error ${f.final_error}</td>` +
    `<td><a href="${withToken('/api/runs/' + run.id + '.csv')}" download>CSV</a> <a href="${withToken('/api/runs/' + run.id + '.svg')}" download>SVG</a></td>`;
  document.querySelector('#runs tbody').prepend(row);
}

async function runExperiment(name, parameters, messageId) {
  say(messageId, 'running…');
  try {
    const result = await api('/api/experiments/' + name, Object.assign({ client }, parameters));
    say(messageId, 'done');
    return result;
  } catch (e) { say(messageId, e.message, true); return null; }
}

// A further experiment's panel runs it the same way: runExperiment(name, parameters, messageId).
window.tune.runExperiment = runExperiment;

$('step-run').onclick = async () => {
  const target = Number($('step-target').value);
  const duration = Number($('step-duration').value);
  if (!Number.isInteger(target)) { say('step-message', 'the target is a whole number of counts', true); return; }
  const run = await runExperiment('step', { target, duration_s: duration }, 'step-message');
  if (run) addRun(run);
};
$('stop').onclick = async () => { try { await api('/api/stop', {}); } catch (e) { say('step-message', e.message, true); } };
$('hold').onclick = async () => { try { await api('/api/hold', {}); say('step-message', 'holding where it stands'); } catch (e) { say('step-message', e.message, true); } };

// ---------------------------------------------------------------- autotune
// The experiment runs with the module's connection to itself; its samples come in the
// stream as the poll's would and are drawn here too. The proposal is only shown: Apply
// writes it through the form's checks.
const autotune = { live: false, t: [], position: [], desired: [], dirty: false, chart: null, proposed: null };
window.tune.autotune = autotune;

function autotuneChart() {
  const holder = $('autotune-chart');
  holder.innerHTML = '';
  autotune.chart = new uPlot({
    width: width(holder), height: 220, scales: { x: { time: false } },
    series: [{ label: 's' }, { label: 'POSITION', stroke: COLOURS[0], width: 1.5 }, { label: 'DESIRED', stroke: COLOURS[1], width: 1 }],
    axes: [{ label: 'time [s]' }, { label: 'counts', size: 70 }],
    legend: { live: false },
  }, [[], [], []], holder);
}

function autotuneTake(batch) {
  if (!autotune.live) return;
  const p = batch.columns.indexOf('POSITION');
  const d = batch.columns.indexOf('DESIRED');
  if (p < 0 || d < 0) return;
  for (let i = 0; i < batch.t.length; ++i) {
    if (autotune.origin === undefined) autotune.origin = batch.t[i];
    autotune.t.push(batch.t[i] - autotune.origin);
    autotune.position.push(batch.v[p][i]);
    autotune.desired.push(batch.v[d][i]);
  }
  autotune.dirty = true;
}

function autotuneProgress(progress) {
  if (!progress || !autotune.live) return;
  $('autotune-phase').textContent = progress.phase + '…';
  if (progress.proposal) showProposal(progress.proposal, null, null);
}

const secondsText = (s) => (s === null || s === undefined ? 'not reached' : `${s} s`);

function showProposal(proposal, foundStep, proposedStep) {
  const rows = ['KP', 'KI', 'KD', 'ANTIRESETWINDUP'].filter((name) => name in proposal.proposed)
    .map((name) => [name, proposal.found[name], proposal.proposed[name]]);
  if (foundStep && proposedStep) {
    const a = foundStep.figures;
    const b = proposedStep.figures;
    rows.push([`step to ${foundStep.target}`, `from ${foundStep.start}`, `from ${proposedStep.start}`],
      ['rise time', secondsText(a.rise_s), secondsText(b.rise_s)],
      ['overshoot', `${a.overshoot_percent} %`, `${b.overshoot_percent} %`],
      ['settling time', secondsText(a.settling_s), secondsText(b.settling_s)],
      ['final error', String(a.final_error), String(b.final_error)]);
  }
  const body = document.querySelector('#autotune-proposal tbody');
  body.innerHTML = '';
  for (const cells of rows) {
    const row = document.createElement('tr');
    for (const text of cells) {
      const cell = document.createElement('td');
      cell.textContent = text;
      row.appendChild(cell);
    }
    body.appendChild(row);
  }
}

$('autotune-run').onclick = async () => {
  const excursion = Number($('autotune-excursion').value);
  if (!Number.isInteger(excursion) || excursion < 20) { say('autotune-message', 'the excursion is a whole number of counts, 20 or more', true); return; }
  autotune.proposed = null;
  $('autotune-apply').disabled = $('autotune-apply-save').disabled = true;
  say('autotune-apply-message', 'nothing is written until Apply');
  document.querySelector('#autotune-proposal tbody').innerHTML = '';
  Object.assign(autotune, { live: true, t: [], position: [], desired: [], origin: undefined, dirty: true });
  if (!autotune.chart) autotuneChart();
  $('autotune-run').disabled = true;
  const result = await runExperiment('autotune', { mode: $('autotune-mode').value, excursion, rule: $('autotune-rule').value }, 'autotune-message');
  autotune.live = false;
  $('autotune-run').disabled = false;
  window.tune.autotuneResult = result;
  if (!result) return;
  // The experiment's own record, a gap in it shown as a gap.
  const s = result.samples;
  Object.assign(autotune, { t: [], position: [], desired: [], dirty: true });
  s.time_s.forEach((t, i) => {
    if (i && t - s.time_s[i - 1] > 0.25) { autotune.t.push((t + s.time_s[i - 1]) / 2); autotune.position.push(null); autotune.desired.push(null); }
    autotune.t.push(t);
    autotune.position.push(s.POSITION[i]);
    autotune.desired.push(s.DESIRED[i]);
  });
  const back = result.restored ? '; the gains found are back' : '; the gains found could not be put back';
  if (result.error) {
    say('autotune-message', (result.interrupted ? 'stopped' : 'ended: ' + result.error) + back, !result.interrupted);
    $('autotune-phase').textContent = '';
    return;
  }
  $('autotune-phase').textContent = `${result.mode} mode, rule ${result.rule}: experiment ${result.seconds.toFixed(1)} s`;
  say('autotune-message', 'done; the module keeps the gains it had');
  showProposal(result.proposal, result.found_step, result.proposed_step);
  autotune.proposed = result.proposal.proposed;
  $('autotune-apply').disabled = $('autotune-apply-save').disabled = false;
  readGains();
};

async function applyProposal(save) {
  if (!autotune.proposed) return;
  if (!await writeValues(autotune.proposed, 'autotune-apply-message')) return;
  if (save) {
    try { await api('/api/save', {}); say('autotune-apply-message', 'written and saved (SAVEUSERPARAMETERS)'); } catch (e) { say('autotune-apply-message', 'written, not saved: ' + e.message, true); return; }
  }
  for (const [name, text] of Object.entries(autotune.proposed)) formRow(name).querySelector('input').value = text;
  $('autotune-apply').disabled = $('autotune-apply-save').disabled = true;
}
$('autotune-apply').onclick = () => applyProposal(false);
$('autotune-apply-save').onclick = () => applyProposal(true);
$('autotune-stop').onclick = async () => { try { await api('/api/stop', {}); } catch (e) { say('autotune-message', e.message, true); } };

// ---------------------------------------------------------------- modules
$('scan').onclick = async () => {
  say('scan-message', 'scanning…');
  try {
    const answer = await api('/api/scan');
    const body = document.querySelector('#modules tbody');
    body.innerHTML = '';
    for (const m of answer.modules) {
      const row = document.createElement('tr');
      row.innerHTML = `<td>${m.ip}</td><td>${m.mac}</td><td></td><td><button>Use</button></td>`;
      row.children[2].textContent = m.name;
      row.querySelector('button').onclick = () => api('/api/connect', { ip: m.ip }).catch((e) => say('scan-message', e.message, true));
      body.appendChild(row);
    }
    say('scan-message', `${answer.found} found`);
  } catch (e) { say('scan-message', e.message, true); }
};

// ---------------------------------------------------------------- start
(async () => {
  info = await api('/api/info');
  window.tune.info = info;
  showStatus(info.status);
  buildPollChoice();
  buildForm();
  openStream();
  requestAnimationFrame(draw);
  if (info.status.state === 'connected') readGains();
})();
