// The viewer's script: polls the session's state at the panel's frame rate,
// draws the frame enlarged with its overlays, and turns clicks, hovering and
// edits into requests.
#include "view/page_assets.h"

namespace gb::view {

const std::string_view kPageScript = R"js('use strict';
(() => {
  const FRAME_MS = 1000 / 18;
  const MAX_LOG_ROWS = 600;
  const $ = (id) => document.getElementById(id);
  const canvas = $('gauge');
  const ctx = canvas.getContext('2d');
  const view = {
    scale: Number($('zoom').value), areas: false, bounds: false, overflow: false,
    frameKey: '', logNext: 1, image: null, geom: null, data: null, hover: null, areaListKey: '',
    connected: false, running: true,
  };
  const AREA_COLOURS = ['#33c8ff', '#ffc800', '#50ff50', '#ff5050'];
  const ELEMENT_COLOURS = ['#b59cff', '#7fd4d4', '#ff9f5a', '#f06bd0', '#a0e060'];

  // ---- requests ----
  async function post(path, body) {
    let response;
    try {
      response = await fetch(path, {
        method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body || {}),
      });
    } catch (error) {
      pageNote('the viewer cannot be reached: ' + error.message);
      throw error;
    }
    const data = await response.json().catch(() => ({}));
    if (!response.ok) {
      pageNote(data.error || (response.status + ' ' + response.statusText));
      throw new Error(data.error || response.statusText);
    }
    return data;
  }
  const quietly = (promise) => promise.catch(() => {});

  async function poll() {
    const started = performance.now();
    let delay = FRAME_MS;
    try {
      const query = new URLSearchParams({
        since: String(view.logNext), have: view.frameKey, overflow: view.overflow ? '1' : '0',
      });
      const response = await fetch('/api/state?' + query, { cache: 'no-store' });
      const data = await response.json();
      if (!response.ok) throw new Error(data.error || response.statusText);
      await apply(data);
      setConnected(true);
    } catch (error) {
      setConnected(false);
      delay = 1000;
    }
    setTimeout(poll, Math.max(5, delay - (performance.now() - started)));
  }

  // ---- state from the server ----
  async function apply(data) {
    view.data = data;
    view.running = data.running;
    $('module-path').textContent = data.path;
    $('module-path').title = data.path;
    $('clock').textContent = data.time.toFixed(2) + ' s';
    const status = $('status');
    status.className = 'pill ' + (data.error ? 'error' : data.running ? 'running' : 'paused');
    status.textContent = data.error ? 'error' : data.running ? 'running' : 'paused';
    $('run').textContent = data.running ? 'Pause' : 'Run';
    $('run').setAttribute('aria-pressed', String(!data.running));
    $('step').disabled = data.running || !!data.error;

    const failed = !!data.error;
    $('error').hidden = !failed;
    $('error-text').textContent = data.error;
    canvas.hidden = failed;

    const frame = data.frame;
    if (frame.image) {
      const image = new Image();
      image.src = frame.image;
      await image.decode();
      view.image = image;
    }
    if (frame.width > 0) {
      view.geom = { originX: frame.originX, originY: frame.originY, w: frame.imageWidth, h: frame.imageHeight,
                    width: frame.width, height: frame.height };
      view.frameKey = data.frameKey;
    } else {
      view.geom = null;
      view.image = null;
      view.frameKey = '';
    }
    showAreaList(data.areas);
    showVariables(data);
    appendLog(data.log);
    view.logNext = data.logNext;
    $('counters').textContent = data.clicks + ' clicks · ' + data.keyEvents + ' key events';
    draw();
    if (view.hover) describeHover(view.hover);
  }

  function setConnected(connected) {
    if (connected === view.connected) return;
    view.connected = connected;
    if (!connected) {
      const status = $('status');
      status.className = 'pill error';
      status.textContent = 'disconnected';
    }
  }

  // ---- drawing ----
  function draw() {
    const g = view.geom;
    if (!g || !view.image) {
      ctx.clearRect(0, 0, canvas.width, canvas.height);
      return;
    }
    const s = view.scale;
    if (canvas.width !== g.w * s || canvas.height !== g.h * s) {
      canvas.width = g.w * s;
      canvas.height = g.h * s;
    }
    canvas.dataset.scale = String(s);
    canvas.dataset.originX = String(g.originX);
    canvas.dataset.originY = String(g.originY);
    ctx.imageSmoothingEnabled = false;
    ctx.clearRect(0, 0, canvas.width, canvas.height);
    ctx.drawImage(view.image, 0, 0, g.w * s, g.h * s);
    const toCanvas = (box) => [(box.x + g.originX) * s, (box.y + g.originY) * s, box.width * s, box.height * s];
    const taken = [];
    const label = (text, x, y, colour) => {
      ctx.font = '600 ' + Math.max(10, Math.min(14, 3 * s)) + 'px system-ui, sans-serif';
      const w = ctx.measureText(text).width + 6;
      // Kept inside the canvas, and stacked where labels would meet.
      x = Math.max(0, Math.min(x, canvas.width - w));
      y = Math.max(0, Math.min(y, canvas.height - 16));
      while (taken.some(([tx, ty, tw]) => x < tx + tw && tx < x + w && Math.abs(ty - y) < 16)) y -= 17;
      taken.push([x, y, w]);
      ctx.fillStyle = 'rgba(0,0,0,0.75)';
      ctx.fillRect(x, y, w, 16);
      ctx.fillStyle = colour;
      ctx.fillText(text, x + 3, y + 12);
    };
    const areas = view.data ? view.data.areas : [];
    const hovered = view.hover && view.hover.area;
    if (hovered && hovered.box.width > 0) {
      const [x, y, w, h] = toCanvas(hovered.box);
      ctx.fillStyle = 'rgba(79,179,255,0.18)';
      ctx.fillRect(x, y, w, h);
    }
    if (view.bounds && view.data) {
      ctx.setLineDash([4, 3]);
      view.data.frame.elements.forEach((element, i) => {
        const colour = ELEMENT_COLOURS[i % ELEMENT_COLOURS.length];
        const [x, y, w, h] = toCanvas(element.bounds);
        ctx.strokeStyle = colour;
        ctx.lineWidth = 1;
        ctx.strokeRect(x + 0.5, y + 0.5, w - 1, h - 1);
        label('#' + i + ' ' + element.kindName, x + 1, y + h - 17, colour);
      });
      ctx.setLineDash([]);
    }
    if (view.areas) {
      areas.forEach((area, i) => {
        if (area.box.width <= 0 || area.box.height <= 0) return;
        const colour = AREA_COLOURS[i % AREA_COLOURS.length];
        const [x, y, w, h] = toCanvas(area.box);
        ctx.strokeStyle = colour;
        ctx.lineWidth = 2;
        ctx.strokeRect(x + 1, y + 1, w - 2, h - 2);
        label(String(area.index), x + 3, y + 3, colour);
      });
    }
  }

  // ---- hovering and clicking ----
  function gaugePoint(event) {
    const g = view.geom;
    if (!g) return null;
    const rect = canvas.getBoundingClientRect();
    const px = (event.clientX - rect.left) * (canvas.width / rect.width);
    const py = (event.clientY - rect.top) * (canvas.height / rect.height);
    return { x: Math.floor(px / view.scale) - g.originX, y: Math.floor(py / view.scale) - g.originY,
             clientX: event.clientX, clientY: event.clientY };
  }
  const inside = (box, x, y) => x >= box.x && y >= box.y && x < box.x + box.width && y < box.y + box.height;

  // The host's hit test: the first area in list order whose box holds the pixel.
  function areaAt(x, y) {
    const areas = view.data ? view.data.areas : [];
    return areas.find((area) => inside(area.box, x, y)) || null;
  }

  function areaFacts(area) {
    return [
      ['area', String(area.index)],
      ['box', area.box.x + ',' + area.box.y + ' ' + area.box.width + '×' + area.box.height +
        (area.record.height !== area.box.height || area.record.width !== area.box.width
          ? '  (record ' + area.record.width + '×' + area.record.height + ')' : '')],
      ['cursor', area.cursor + ' (' + area.cursorName + ')'],
      ['help id', String(area.helpId)],
      ['handler', area.handler ? area.handler + '  ' + area.handlerName : 'none'],
    ];
  }
  function factList(facts) {
    const dl = document.createElement('dl');
    dl.className = 'kv';
    for (const [key, value] of facts) {
      const dt = document.createElement('dt');
      dt.textContent = key;
      const dd = document.createElement('dd');
      dd.textContent = value;
      dl.append(dt, dd);
    }
    return dl;
  }

  function describeHover(point) {
    const area = areaAt(point.x, point.y);
    point.area = area;
    canvas.style.cursor = area ? area.cssCursor : 'default';
    const info = $('hover-info');
    info.replaceChildren();
    const pixel = 'gauge pixel ' + point.x + ', ' + point.y;
    const tooltip = $('tooltip');
    if (!area) {
      info.textContent = pixel + ': no mouse area';
      tooltip.hidden = true;
      return;
    }
    info.append(factList([['pixel', point.x + ', ' + point.y], ...areaFacts(area)]));
    tooltip.replaceChildren();
    const title = document.createElement('b');
    title.textContent = 'Area ' + area.index;
    tooltip.append(title, factList(areaFacts(area).slice(1)));
    tooltip.hidden = false;
    const stage = $('stage').getBoundingClientRect();
    tooltip.style.left = (point.clientX - stage.left + 16) + 'px';
    tooltip.style.top = (point.clientY - stage.top + 16) + 'px';
  }

  canvas.addEventListener('mousemove', (event) => {
    const point = gaugePoint(event);
    if (!point) return;
    view.hover = point;
    describeHover(point);
    draw();
  });
  canvas.addEventListener('mouseleave', () => {
    view.hover = null;
    $('tooltip').hidden = true;
    $('hover-info').textContent = 'Move the pointer over the gauge.';
    canvas.style.cursor = 'default';
    draw();
  });
  canvas.addEventListener('click', (event) => {
    const point = gaugePoint(event);
    if (point) quietly(post('/api/click', { x: point.x, y: point.y }));
  });

  function showAreaList(areas) {
    const key = JSON.stringify(areas);
    if (key === view.areaListKey) return;
    view.areaListKey = key;
    const list = $('area-list');
    list.replaceChildren();
    if (areas.length === 0) {
      list.textContent = 'No mouse list is registered.';
      return;
    }
    for (const area of areas) {
      const button = document.createElement('button');
      button.type = 'button';
      button.dataset.area = String(area.index);
      button.disabled = area.box.width <= 0 || area.box.height <= 0;
      const idx = document.createElement('span');
      idx.className = 'idx';
      idx.textContent = String(area.index);
      const what = document.createElement('span');
      what.textContent = 'Click area ' + area.index + ' (' + area.cursorName + ')';
      const meta = document.createElement('span');
      meta.className = 'meta';
      meta.textContent = area.box.x + ',' + area.box.y + ' ' + area.box.width + '×' + area.box.height +
        (area.handler ? ' → ' + area.handlerName : '');
      button.append(idx, what, meta);
      button.setAttribute('aria-label', 'Click mouse area ' + area.index + ', ' + area.cursorName +
        ', handler ' + (area.handlerName || 'none'));
      button.addEventListener('click', () => quietly(post('/api/click-area', { index: area.index })));
      list.append(button);
    }
  }

  // ---- variables ----
  const editable = {
    318: [$('var-318'), $('var-318-number')],
    324: [$('var-324')],
    326: [$('var-326')],
  };
  function setField(input, value) {
    if (document.activeElement === input) return;  // the user is editing it
    const text = String(Math.round(value * 1000) / 1000);
    if (input.value !== text) input.value = text;
  }
  function showVariables(data) {
    for (const [token, inputs] of Object.entries(editable)) {
      const value = data.variables[token];
      if (value === undefined) continue;
      inputs.forEach((input) => setField(input, value));
    }
    setField($('target-326'), data.model.target);
    setField($('rate'), Math.round(data.model.rate * 10) / 10);
    $('moving').textContent = data.model.moving ? 'travelling' : '';
    const position = data.variables['326'] || 0;
    $('var-326-bar').firstElementChild.style.width = Math.max(0, Math.min(100, position / 16384 * 100)) + '%';
  }

  // The slider sends as it moves, one request at a time, the latest value last.
  let sending318 = false;
  let pending318 = null;
  async function send318(value) {
    pending318 = value;
    if (sending318) return;
    sending318 = true;
    while (pending318 !== null) {
      const next = pending318;
      pending318 = null;
      await quietly(post('/api/variable', { token: 318, value: next }));
    }
    sending318 = false;
  }
  $('var-318').addEventListener('input', (event) => {
    $('var-318-number').value = event.target.value;
    send318(Number(event.target.value));
  });
  function onNumber(input, send) {
    input.addEventListener('change', () => {
      const value = Number(input.value);
      if (input.value.trim() === '' || !Number.isFinite(value)) {
        pageNote('"' + input.value + '" is not a number');
        return;
      }
      send(value);
    });
    input.addEventListener('keydown', (event) => {
      if (event.key === 'Enter') input.blur();
    });
  }
  onNumber($('var-318-number'), (value) => {
    $('var-318').value = String(value);
    send318(value);
  });
  onNumber($('var-324'), (value) => quietly(post('/api/variable', { token: 324, value })));
  onNumber($('var-326'), (value) => quietly(post('/api/variable', { token: 326, value })));
  onNumber($('target-326'), (value) => quietly(post('/api/model', { target: value })));
  onNumber($('rate'), (value) => quietly(post('/api/model', { rate: value })));

  // ---- time and view controls ----
  $('run').addEventListener('click', () => quietly(post('/api/run', { running: !view.running })));
  $('step').addEventListener('click', () => quietly(post('/api/step', {})));
  $('reset').addEventListener('click', () => quietly(post('/api/reset', {})));
  $('zoom').addEventListener('change', (event) => {
    view.scale = Number(event.target.value);
    draw();
  });
  $('toggle-areas').addEventListener('change', (event) => { view.areas = event.target.checked; draw(); });
  $('toggle-bounds').addEventListener('change', (event) => { view.bounds = event.target.checked; draw(); });
  $('toggle-overflow').addEventListener('change', (event) => { view.overflow = event.target.checked; });
  $('log-clear').addEventListener('click', () => $('log').replaceChildren());

  // ---- log ----
  const KIND_LABELS = { click: 'click', handler: 'handler', 'key-event': 'key event', variable: 'variable',
                        note: 'note', system: 'viewer', page: 'page' };
  function appendLog(lines) {
    if (!lines.length) return;
    const log = $('log');
    const atBottom = log.scrollHeight - log.scrollTop - log.clientHeight < 40;
    for (const line of lines) log.append(logRow(line.time, line.kind, line.text));
    while (log.children.length > MAX_LOG_ROWS) log.firstElementChild.remove();
    if (atBottom) log.scrollTop = log.scrollHeight;
  }
  function logRow(time, kind, text) {
    const li = document.createElement('li');
    li.className = kind + (kind === 'system' && /^(fault|cannot load)/.test(text) ? ' fault' : '');
    const t = document.createElement('span');
    t.className = 't';
    t.textContent = time === null ? '' : time.toFixed(2);
    const k = document.createElement('span');
    k.className = 'k';
    k.textContent = KIND_LABELS[kind] || kind;
    const body = document.createElement('span');
    body.className = 'text';
    body.textContent = text.replace(/^\s+/, '');
    li.append(t, k, body);
    return li;
  }
  function pageNote(text) {
    const log = $('log');
    log.append(logRow(null, 'page', text));
    log.scrollTop = log.scrollHeight;
  }

  poll();
})();
)js";

}  // namespace gb::view
