'use strict';
(function () {
  const RENDER_CAP = 500;        // rows kept in the DOM; a phone chokes on thousands
  const OFFSET_SAMPLES = 8;
  const BACKOFF_MIN = 500, BACKOFF_MAX = 5000;
  const PRESS_GUARD_MS = 80;     // same button again this soon is a bounce, not a lap
  const THEME_KEY = 'vantel.board.theme';
  const root = document.documentElement;
  const params = new URLSearchParams(location.search);
  const kiosk = params.get('kiosk') === '1';

  // ---- look: decided before the first paint, so no flash of the wrong theme ----
  const storedTheme = () => { try { return localStorage.getItem(THEME_KEY); } catch (e) { return null; } };
  const darkQuery = window.matchMedia('(prefers-color-scheme: dark)');
  function chosenTheme() {
    const forced = params.get('theme');
    if (forced === 'dark' || forced === 'light') return forced;
    const stored = storedTheme();
    if (stored === 'dark' || stored === 'light') return stored;
    return darkQuery.matches ? 'dark' : 'light';
  }
  root.dataset.theme = chosenTheme();
  if (kiosk) root.classList.add('kiosk');
  darkQuery.addEventListener('change', () => { root.dataset.theme = chosenTheme(); });

  // ---- program clock and its text ----
  const clientNow = () => performance.timeOrigin + performance.now();

  // Same text as the program writes, so the board and the window never disagree.
  function timeText(ms) {
    const milli = ms % 1000;
    const u = Math.trunc(ms / 1000) >>> 0;
    const two = (n) => String(n).padStart(2, '0');
    const m = (milli < 0 ? '-' : '') + String(Math.abs(milli)).padStart(3, '0');
    return two(Math.floor(u / 3600)) + ':' + two(Math.floor(u / 60) % 60) + ':' + two(u % 60) + ':' + m;
  }
  const trimText = (s) => (typeof s === 'string' ? s.trim() : s == null ? '' : String(s));

  let roughOffset = null;        // from the snapshot's "now", until a pong arrives
  let samples = [];              // {rtt, offset} of the latest pongs
  const best = () => samples.reduce((b, s) => (!b || s.rtt < b.rtt ? s : b), null);
  const currentOffset = () => { const b = best(); return b ? b.offset : roughOffset; };
  const tickAt = (clientMs) => Math.floor(clientMs + currentOffset()) >>> 0;

  // ---- run state ----
  let clock = null, figures = {}, prevTotal = 0;
  let rows = [];                 // all rows in grid order
  let seq = null, snapshots = 0, connected = false;

  const ticking = () => !!(clock && clock.running && currentOffset() !== null);
  function elapsedNow() {
    if (!ticking()) return clock ? clock.elapsed | 0 : 0;
    return ((tickAt(clientNow()) - (clock.origin >>> 0)) >>> 0) | 0;
  }

  const $ = (id) => document.getElementById(id);
  const el = {};
  const setText = (node, text) => { if (node.textContent !== text) node.textContent = text; };

  function renderFigures() {
    for (const k of ['lap', 'fast', 'fastLap', 'average', 'lapCount', 'diff', 'lapKmh', 'aveKmh', 'distance']) {
      setText(el[k], trimText(figures[k]));
    }
    const d = parseInt(trimText(figures.diff), 10);
    el.diff.classList.toggle('pos', d > 0 && !/^\+/.test(trimText(figures.diff)));
    el.diff.classList.toggle('neg', d < 0);
    renderClock();
  }

  function renderClock() {
    if (ticking()) {
      const e = elapsedNow();
      setText(el.total, timeText(e));
      setText(el.lapReal, timeText((e - (prevTotal | 0)) | 0));
    } else {
      setText(el.total, trimText(figures.total) || timeText(clock ? clock.elapsed | 0 : 0));
      setText(el.lapReal, trimText(figures.lapReal));
    }
  }
  function frame() { renderClock(); requestAnimationFrame(frame); }

  // ---- lap table: only rows from the changed one on are touched ----
  let newestFirst = true;
  let rowEls = [];               // rendered <tr>, grid order; rowEls[i] shows rows[shownFrom + i]
  let shownFrom = 0;
  const TITLES = {
    short: 'Short lap: may be a double press',
    long: 'Long lap: may be a missed pass',
  };

  function makeRow(r) {
    const tr = document.createElement('tr');
    tr.dataset.row = r.row;
    tr.dataset.press = r.press | 0;
    if (r.mark === 'short' || r.mark === 'long') { tr.classList.add('mark-' + r.mark); tr.title = TITLES[r.mark]; }
    if (r.inserted) {
      tr.classList.add('inserted');
      tr.title = (tr.title ? tr.title + '; ' : '') + 'Inserted afterwards by the operator';
    }
    if (r.button >= 1 && r.button <= 3) tr.classList.add('b' + r.button);
    for (const c of r.cells || []) {
      const td = document.createElement('td');
      td.textContent = trimText(c);
      tr.appendChild(td);
    }
    return tr;
  }
  // "New" end is where later grid rows go, "old" end where earlier ones go.
  function placeNew(tr) { if (newestFirst) el.laps.prepend(tr); else el.laps.append(tr); }
  function placeOld(tr) { if (newestFirst) el.laps.append(tr); else el.laps.prepend(tr); }

  function syncWindow() {
    const start = Math.max(0, rows.length - RENDER_CAP);
    while (shownFrom < start && rowEls.length) { rowEls.shift().remove(); shownFrom++; }
    if (!rowEls.length) shownFrom = start;
    while (shownFrom > start) { shownFrom--; const tr = makeRow(rows[shownFrom]); rowEls.unshift(tr); placeOld(tr); }
    for (let i = shownFrom + rowEls.length; i < rows.length; i++) {
      const tr = makeRow(rows[i]); rowEls.push(tr); placeNew(tr);
    }
    el.tableNote.hidden = rows.length <= RENDER_CAP;
    el.tableNote.textContent = 'Showing the newest ' + RENDER_CAP + ' of ' + rows.length + ' rows.';
  }

  function renderAllRows() { el.laps.textContent = ''; rowEls = []; shownFrom = 0; syncWindow(); }

  function applyTable(table) {
    if (typeof table.from !== 'number' || !Array.isArray(table.rows)) throw new Error('bad table');
    let cut = rows.length;
    while (cut > 0 && rows[cut - 1].row >= table.from) cut--;
    rows.length = cut;
    for (const r of table.rows) if (r.press) rows.push(r);
    const keep = Math.max(0, Math.min(rowEls.length, cut - shownFrom));
    while (rowEls.length > keep) rowEls.pop().remove();
    syncWindow();
  }

  function renderColumns(columns) {
    el.columns.textContent = '';
    for (const c of columns || []) {
      const th = document.createElement('th');
      th.scope = 'col';
      th.textContent = c;
      el.columns.appendChild(th);
    }
  }

  function renderCorrections(list) {
    el.corrections.textContent = '';
    for (const c of list || []) {
      const li = document.createElement('li');
      li.className = 'kind-' + c.kind;
      li.textContent = c.text;
      el.corrections.appendChild(li);
    }
    el.correctionsBox.hidden = !(list && list.length);
  }

  function setRemote(on) { el.lapButtons.hidden = !on || kiosk; }

  // ---- socket ----
  let ws = null, backoff = BACKOFF_MIN, reconnectTimer = 0, pingTimer = 0, nextId = 1;
  let held = false;              // a test keeps the page away, to see it catch up
  const pending = new Map();     // press id -> action, for the reply's feedback

  function setStatus(text, on) {
    connected = on;
    setText(el.status, text);
    el.status.classList.toggle('on', on);
  }

  const isOpen = () => !!ws && ws.readyState === WebSocket.OPEN;
  const send = (obj) => { if (isOpen()) ws.send(JSON.stringify(obj)); };
  const ping = () => send({ type: 'ping', id: nextId++, t: clientNow() });

  function connect() {
    reconnectTimer = 0;
    const sock = new WebSocket((location.protocol === 'https:' ? 'wss://' : 'ws://') + location.host + '/events');
    ws = sock;
    sock.onopen = () => {
      if (ws !== sock) return;
      // A quick burst finds a low-rtt sample early; later pings follow drift.
      let burst = 0;
      const tick = () => {
        ping();
        pingTimer = setTimeout(tick, ++burst < 5 ? 200 : 2000);
      };
      tick();
    };
    sock.onmessage = (ev) => { if (ws === sock) onMessage(ev.data); };
    sock.onclose = () => { if (ws === sock) dropped(); };
    sock.onerror = () => { if (ws === sock) { sock.close(); dropped(); } };
  }

  function dropped() {
    ws = null;
    clearTimeout(pingTimer);
    pending.clear(); // replies to these went with the old socket
    setStatus('reconnecting…', false);
    if (reconnectTimer || held) return;
    reconnectTimer = setTimeout(connect, backoff);
    backoff = Math.min(backoff * 2, BACKOFF_MAX);
  }

  // Whatever went wrong, a fresh snapshot puts everything right again.
  function resync() {
    const sock = ws;
    dropped();
    if (sock) sock.close();
  }

  function onSnapshot(m) {
    if (typeof m.seq !== 'number' || !m.clock) throw new Error('bad snapshot');
    samples = [];
    roughOffset = typeof m.now === 'number' ? m.now - clientNow() : null;
    clock = m.clock; figures = m.figures || {}; prevTotal = m.prevTotal | 0;
    // Rows that show no press (the operator's instructions) mean nothing here.
    rows = Array.isArray(m.rows) ? m.rows.filter((r) => r.press) : [];
    renderColumns(m.columns);
    renderAllRows();
    renderCorrections(m.corrections);
    setRemote(m.remote);
    seq = m.seq;
    snapshots++;
    backoff = BACKOFF_MIN;
    setStatus('connected', true);
    renderFigures();
  }

  function onEvent(m) {
    if (m.seq <= seq) return;
    if (m.seq !== seq + 1) { resync(); return; }
    if (m.table) applyTable(m.table);
    if (m.clock) clock = m.clock;
    if (m.figures) figures = m.figures;
    if ('prevTotal' in m) prevTotal = m.prevTotal | 0;
    if (m.corrections) renderCorrections(m.corrections);
    if ('remote' in m) setRemote(m.remote);
    seq = m.seq;
    renderFigures();
  }

  function onPong(m) {
    const t1 = clientNow();
    if (typeof m.t !== 'number' || typeof m.now !== 'number') return;
    samples.push({ rtt: t1 - m.t, offset: m.now - (m.t + t1) / 2 });
    if (samples.length > OFFSET_SAMPLES) samples.shift();
  }

  function onMessage(data) {
    let m;
    try {
      m = JSON.parse(data);
      if (!m || typeof m !== 'object') throw new Error('not an object');
      if (m.type === 'pong') return onPong(m);
      if (m.type === 'pressed') return onPressed(m);
      if (m.type === 'run') return onSnapshot(m);
      if (seq === null || typeof m.seq !== 'number') throw new Error('event without snapshot or seq');
      onEvent(m);
    } catch (e) {
      console.warn('live board: resync after', e && e.message);
      resync();
    }
  }

  // ---- lap buttons ----
  const LABELS = { lap: 'LAP', lap2: 'LAP2', lap3: 'LAP3' };
  const lastPress = {};
  let infoTimer = 0;

  function feedback(action, ok, text) {
    el.pressInfo.textContent = text;
    el.pressInfo.className = 'press-info ' + (ok ? 'ok' : 'bad');
    const b = $('press-' + action);
    if (b) {
      b.classList.remove('sent', 'ok', 'bad');
      b.classList.add(ok === null ? 'sent' : ok ? 'ok' : 'bad');
      clearTimeout(b.flashTimer);
      b.flashTimer = setTimeout(() => b.classList.remove('sent', 'ok', 'bad'), 700);
    }
    clearTimeout(infoTimer);
    infoTimer = setTimeout(() => { el.pressInfo.textContent = ''; }, 2500);
  }

  // clientMs is the moment of the touch, not of this code running.
  function press(action, clientMs) {
    if (!LABELS[action]) throw new Error('unknown action ' + action);
    if (currentOffset() === null || !isOpen()) {
      feedback(action, false, LABELS[action] + ': not connected');
      return null;
    }
    const id = nextId++;
    pending.set(id, action);
    send({ type: 'press', action, id, tick: tickAt(clientMs) });
    feedback(action, null, LABELS[action] + '…');
    return id;
  }

  function onPressed(m) {
    const action = pending.get(m.id);
    if (!action) return;
    pending.delete(m.id);
    if (m.ok) feedback(action, true, LABELS[action] + ' ✓');
    else feedback(action, false, LABELS[action] + ': ' + (m.why || 'not taken'));
  }

  function onButton(ev) {
    const b = ev.currentTarget;
    const at = performance.timeOrigin + ev.timeStamp;
    const last = lastPress[b.id];
    if (last !== undefined && at - last < PRESS_GUARD_MS) return;
    lastPress[b.id] = at;
    press(b.dataset.action, at);
  }

  function wireButtons() {
    for (const b of el.lapButtons.querySelectorAll('button.press')) {
      b.addEventListener('pointerdown', (ev) => {
        if (ev.pointerType === 'mouse' && ev.button !== 0) return;
        ev.preventDefault(); // no focus shift, no emulated mouse events after the touch
        onButton(ev);
      });
      b.addEventListener('keydown', (ev) => {
        if ((ev.key === 'Enter' || ev.key === ' ') && !ev.repeat) { ev.preventDefault(); onButton(ev); }
      });
      b.addEventListener('contextmenu', (ev) => ev.preventDefault());
    }
  }

  // ---- start ----
  function start() {
    for (const id of ['total', 'lap', 'lapReal', 'fast', 'fastLap', 'average', 'lapCount', 'diff', 'lapKmh',
      'aveKmh', 'distance', 'status', 'laps', 'corrections', 'correctionsBox', 'lapButtons', 'pressInfo',
      'tableNote', 'columns', 'theme']) el[id] = $(id);
    el.theme.addEventListener('click', () => {
      const next = root.dataset.theme === 'dark' ? 'light' : 'dark';
      root.dataset.theme = next;
      try { localStorage.setItem(THEME_KEY, next); } catch (e) { /* private mode: just not remembered */ }
    });
    const order = window.matchMedia('(max-width: 700px), (orientation: portrait)');
    newestFirst = order.matches;
    order.addEventListener('change', () => { newestFirst = order.matches; renderAllRows(); });
    wireButtons();
    connect();
    requestAnimationFrame(frame);
  }

  Object.defineProperty(window, 'vantelBoard', {
    value: Object.freeze({
      get connected() { return connected; },
      get seq() { return seq; },
      get offset() { return currentOffset(); },
      get rtt() { const b = best(); return b ? b.rtt : null; },
      get rows() { return rows.length; },
      get snapshots() { return snapshots; },
      totalMs() { return elapsedNow(); },
      press(action) { return press(action, clientNow()); },
      // Drops the connection and stays away until released.
      hold(on) {
        held = !!on;
        if (held) { const sock = ws; dropped(); if (sock) sock.close(); }
        else if (!ws && !reconnectTimer) connect();
      },
    }),
  });

  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
  else start();
})();
