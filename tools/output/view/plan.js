// The interactive view of a plan. The plate travels as one PNG whose red
// channel is the terrain height and whose green channel is the shade each
// pixel is drawn in; the page colours it itself, so switching a layer only
// repaints, and the height under the cursor is read from the same pixels.
// Screen = plate * scale + offset. Lines are stroked in screen coordinates so
// their width never depends on the zoom; overlays are repeated a plate height
// apart, as rows wrap.
(function () {
  'use strict';
  const plan = JSON.parse(document.getElementById('plan-data').textContent);
  const view = document.getElementById('view');
  const canvas = document.getElementById('canvas');
  const context = canvas.getContext('2d');
  const shown = {};
  for (const box of document.querySelectorAll('input[data-layer]')) {
    shown[box.dataset.layer] = box.checked;
    box.addEventListener('change', () => {
      shown[box.dataset.layer] = box.checked;
      paint();
      draw();
    });
  }
  const widths = { found: 1.5, shifted: 2, cut: 3 };
  let scale = 1, offsetX = 0, offsetY = 0;

  // The plate's pixels as the PNG holds them, and the plate as shown.
  let codes = null;
  const painted = document.createElement('canvas');
  painted.width = plan.columns;
  painted.height = plan.rows;

  function readCodes() {
    const image = document.getElementById('plate-codes');
    const reader = document.createElement('canvas');
    reader.width = plan.columns;
    reader.height = plan.rows;
    const readerContext = reader.getContext('2d', { willReadFrequently: true });
    readerContext.drawImage(image, 0, 0);
    codes = readerContext.getImageData(0, 0, plan.columns, plan.rows).data;
    paint();
    draw();
  }

  // One pass over the plate: each shade's colour, or paper where its layer is off.
  function paint() {
    if (!codes) return;
    const colours = new Uint32Array(256).fill(0xffffffff);
    const bytes = new Uint8Array(4);
    plan.shades.forEach(([hex, layer], shade) => {
      if (layer !== null && !shown[layer]) return;
      bytes.set([parseInt(hex.slice(1, 3), 16), parseInt(hex.slice(3, 5), 16), parseInt(hex.slice(5, 7), 16), 255]);
      colours[shade] = new Uint32Array(bytes.buffer)[0];
    });
    const out = new ImageData(plan.columns, plan.rows);
    const pixels = new Uint32Array(out.data.buffer);
    for (let i = 0, at = 1; i < pixels.length; ++i, at += 4) pixels[i] = colours[codes[at]];
    painted.getContext('2d').putImageData(out, 0, 0);
  }

  function copies() {
    let low = 0, high = 0;
    const include = (row) => {
      const copy = Math.floor(row / plan.rows);
      low = Math.min(low, copy); high = Math.max(high, copy);
    };
    for (const name of ['found', 'shifted', 'cut']) for (const p of plan[name]) include(p[1]);
    for (const r of plan.rooms) { include(r[2]); include(r[3]); }
    return [low, high];
  }
  const copyRange = copies();

  function toScreen(x, y) { return [x * scale + offsetX, y * scale + offsetY]; }

  function strokeLine(points, colour, width, shift) {
    if (points.length === 0) return;
    context.beginPath();
    points.forEach((p, i) => {
      const [sx, sy] = toScreen(p[0] + 0.5, p[1] + 0.5 + shift);
      if (i === 0) context.moveTo(sx, sy); else context.lineTo(sx, sy);
    });
    if (points.length === 1) context.lineTo(...toScreen(points[0][0] + 0.5, points[0][1] + 0.5 + shift));
    context.strokeStyle = colour;
    context.lineWidth = width;
    context.lineJoin = context.lineCap = 'round';
    context.stroke();
  }

  function strokeRooms(shift) {
    context.lineWidth = 1;
    for (const [x0, x1, y0, y1, kind] of plan.rooms) {
      const [sx, sy] = toScreen(x0, y0 + shift);
      context.strokeStyle = plan.colours[kind];
      context.strokeRect(sx, sy, (x1 - x0 + 1) * scale, (y1 - y0 + 1) * scale);
    }
  }

  function draw() {
    context.setTransform(1, 0, 0, 1, 0, 0);
    context.clearRect(0, 0, canvas.width, canvas.height);
    const [left, top] = toScreen(0, 0);
    context.fillStyle = '#ffffff';
    context.fillRect(left, top, plan.columns * scale, plan.rows * scale);
    context.save();
    context.beginPath();
    context.rect(left, top, plan.columns * scale, plan.rows * scale);
    context.clip();
    context.imageSmoothingEnabled = false;
    if (codes) {
      context.setTransform(scale, 0, 0, scale, offsetX, offsetY);
      context.drawImage(painted, 0, 0);
      context.setTransform(1, 0, 0, 1, 0, 0);
    }
    for (let copy = copyRange[0]; copy <= copyRange[1]; ++copy) {
      const shift = -copy * plan.rows;
      if (shown.rooms) strokeRooms(shift);
      for (const name of ['found', 'shifted', 'cut']) {
        if (shown[name]) strokeLine(plan[name], plan.colours[name], widths[name], shift);
      }
    }
    context.restore();
    context.strokeStyle = '#909090';
    context.lineWidth = 1;
    context.strokeRect(left - 0.5, top - 0.5, plan.columns * scale + 1, plan.rows * scale + 1);
  }

  function resize() {
    canvas.width = view.clientWidth;
    canvas.height = view.clientHeight;
    draw();
  }

  function fit() {
    scale = Math.min(view.clientWidth / plan.columns, view.clientHeight / plan.rows) * 0.96;
    offsetX = (view.clientWidth - plan.columns * scale) / 2;
    offsetY = (view.clientHeight - plan.rows * scale) / 2;
    draw();
  }

  function zoomAt(factor, sx, sy) {
    scale *= factor;
    offsetX = sx - (sx - offsetX) * factor;
    offsetY = sy - (sy - offsetY) * factor;
    draw();
  }

  function meaning(height) {
    if (height === 0) return 'free';
    if (height <= plan.heights.highestRamp) return 'cost ramp';
    if (height === plan.heights.corridor) return 'corridor';
    if (height === plan.heights.crossable) return 'margin of crossable content';
    return 'blocked';
  }

  function showCursor(event) {
    const rect = canvas.getBoundingClientRect();
    const x = Math.floor((event.clientX - rect.left - offsetX) / scale);
    const y = Math.floor((event.clientY - rect.top - offsetY) / scale);
    const readout = document.getElementById('readout');
    if (x < 0 || y < 0 || x >= plan.columns || y >= plan.rows) { readout.textContent = 'outside the plate'; return; }
    const height = codes ? codes[4 * (y * plan.columns + x)] : '?';
    readout.textContent = 'pixel (' + x + ', ' + y + ')\nheight ' + height + ' (' + meaning(height) + ')';
  }

  let drag = null;
  view.addEventListener('pointerdown', (event) => {
    drag = { x: event.clientX, y: event.clientY };
    view.setPointerCapture(event.pointerId);
    view.style.cursor = 'grabbing';
  });
  view.addEventListener('pointermove', (event) => {
    showCursor(event);
    if (!drag) return;
    offsetX += event.clientX - drag.x;
    offsetY += event.clientY - drag.y;
    drag = { x: event.clientX, y: event.clientY };
    draw();
  });
  view.addEventListener('pointerup', () => { drag = null; view.style.cursor = 'grab'; });
  view.addEventListener('wheel', (event) => {
    event.preventDefault();
    const rect = canvas.getBoundingClientRect();
    zoomAt(Math.exp(-event.deltaY * 0.0015), event.clientX - rect.left, event.clientY - rect.top);
  }, { passive: false });
  document.getElementById('zoom-in').onclick = () => zoomAt(1.5, view.clientWidth / 2, view.clientHeight / 2);
  document.getElementById('zoom-out').onclick = () => zoomAt(1 / 1.5, view.clientWidth / 2, view.clientHeight / 2);
  document.getElementById('fit').onclick = fit;

  const list = document.getElementById('corners');
  for (const [x, y] of plan.cut) {
    const item = document.createElement('li');
    item.textContent = '(' + x + ', ' + y + ')';
    item.title = 'centre the view here';
    item.onclick = () => {
      offsetX = view.clientWidth / 2 - (x + 0.5) * scale;
      offsetY = view.clientHeight / 2 - (y + 0.5) * scale;
      draw();
    };
    list.appendChild(item);
  }
  document.getElementById('corner-count').textContent = plan.cut.length;
  document.getElementById('status').textContent =
    plan.status === 'ok' ? plan.columns + ' x ' + plan.rows + ' pixels' : 'no-path: ' + plan.reason;
  window.addEventListener('resize', () => { resize(); });
  canvas.width = view.clientWidth;
  canvas.height = view.clientHeight;
  fit();
  const image = document.getElementById('plate-codes');
  if (image.complete) readCodes(); else image.onload = readCodes;
})();
