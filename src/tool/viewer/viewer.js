// The route viewer: the plan of a line and its profiles on one axis of
// progressives, drawn on two canvases from the scenario data in the page. The
// tool decides every layout (which label shows from which scale, the value
// axes, the plan's levels of detail); this script transforms and draws, and
// answers the mouse and the keys.
"use strict";

(function () {
  const FONT = '"DejaVu Sans", "Liberation Sans", Arial, sans-serif';
  const CURVE_COLOURS = ["#9ecae1", "#6baed6", "#4292c6", "#e6550d", "#d62728", "#7f0000"];
  const LEFT = 74; // the profiles' margin for their titles and value ticks
  const RIGHT = 18;

  let data = null; // the scenario, decoded
  let range = { from: 0, to: 1 }; // the progressives the profiles show
  let plan = { cx: 0, cy: 0, scale: 1 }; // the plan's centre (metres) and pixels per metre
  let hover = null; // the progressive under the pointer
  let drawn = { stations: 0, signals: 0, diagnostics: 0 };
  let drawnLabels = { plan: [], posts: [] }; // the boxes of the labels drawn, as the browser measures them

  const planCanvas = document.getElementById("plan");
  const profileCanvas = document.getElementById("profiles");
  // The canvases' sizes in CSS pixels, measured once per redraw: reading
  // them from the layout for every point drawn costs more than the drawing.
  const size = { plan: { w: 1, h: 1 }, profiles: { w: 1, h: 1 } };
  // The pointer's marks are drawn on a transparent canvas over each one, so
  // that a pointer move repaints no more than them.
  const overlays = new Map();
  for (const canvas of [planCanvas, profileCanvas]) {
    const overlay = document.createElement("canvas");
    overlay.className = "overlay";
    overlay.setAttribute("aria-hidden", "true");
    canvas.after(overlay);
    overlays.set(canvas, overlay);
  }

  function measure() {
    size.plan = { w: planCanvas.clientWidth, h: planCanvas.clientHeight };
    size.profiles = { w: profileCanvas.clientWidth, h: profileCanvas.clientHeight };
    for (const [canvas, overlay] of overlays) {
      overlay.style.left = canvas.offsetLeft + "px";
      overlay.style.top = canvas.offsetTop + "px";
      overlay.style.width = canvas.clientWidth + "px";
      overlay.style.height = canvas.clientHeight + "px";
    }
  }

  // --- data ------------------------------------------------------------------

  function decode(raw) {
    const d = raw;
    if (d.plan) {
      d.plan.levels = d.plan.levels.map((level) => {
        const n = level.p.length;
        const P = new Float64Array(n), X = new Float64Array(n), Y = new Float64Array(n);
        let p = 0, x = 0, y = 0;
        for (let i = 0; i < n; ++i) {
          p += level.p[i]; x += level.x[i]; y += level.y[i];
          P[i] = p; X[i] = x / 100; Y[i] = y / 100;
        }
        return { tolerance: level.tolerance, P, X, Y };
      });
    }
    d.end = Math.max(d.profileEnd, d.length, 1);
    d.build = d.build || { complete: true, stop: null, counts: [], reached: {}, failedStation: null };
    // The station the stopping record left half-filled is no station of the build.
    if (d.build.failedStation !== null) d.stations = d.stations.filter((s) => s.entry !== d.build.failedStation);
    // Where each source line placed something, to find a diagnostic's place.
    d.placeOfLine = new Map();
    for (const [f, line, p] of d.records || []) d.placeOfLine.set(f + ":" + line, p);
    return d;
  }

  // The last item whose key is at or before `p`, by binary search.
  function lastAtOrBefore(items, p, key) {
    let lo = 0, hi = items.length - 1, found = -1;
    while (lo <= hi) {
      const mid = (lo + hi) >> 1;
      if (key(items[mid]) <= p) { found = mid; lo = mid + 1; } else { hi = mid - 1; }
    }
    return found;
  }

  // Where the build stopped carrying a profile lane: a progressive, or
  // Infinity where it carries the whole line.
  function reachedOf(key) {
    const r = data.build.reached[key];
    return r === undefined || r === null ? Infinity : r;
  }

  function stepAt(steps, p) {
    const i = lastAtOrBefore(steps, p, (s) => s[0]);
    return i < 0 ? null : steps[i];
  }

  function heightAt(p) {
    const h = data.profiles.height;
    const i = lastAtOrBefore(h, p, (s) => s[0]);
    if (i < 0) return h.length ? h[0][1] : 0;
    if (i + 1 >= h.length) return h[i][1];
    const [p0, h0] = h[i], [p1, h1] = h[i + 1];
    return h0 + (h1 - h0) * (p - p0) / (p1 - p0);
  }

  function curveAt(p) {
    const i = lastAtOrBefore(data.curves, p, (c) => c.start);
    if (i < 0) return null;
    const c = data.curves[i];
    return p > c.start && p <= c.start + c.length ? c : null;
  }

  function curvatureAt(p) {
    const c = curveAt(p);
    return c ? (c.left ? -1 : 1) * [0.1, 0.2, 0.4, 1, 2, 3][c.class - 1] : 0; // per km
  }

  // Whether the axis counts kilometres: the tool gives the kilometre sections
  // only where the references agree with the line's kilometre signs.
  function kilometresAgree() { return !data.kilometres || data.kilometres.agrees; }

  // The kilometre at `p` within the sections the tool worked out.
  function kilometreAt(p) {
    const s = data.sections;
    if (!s.length) return p;
    let holding = s[0];
    for (const section of s) if (section.from <= p) holding = section;
    const run = p - holding.from;
    return holding.kilometre + (holding.descending ? -run : run);
  }

  function kilometreText(m) {
    const size = Math.abs(Math.round(m));
    return (m < 0 ? "-" : "") + Math.floor(size / 1000) + "+" + String(size % 1000).padStart(3, "0");
  }

  function metres(p) { return Math.round(p).toLocaleString("en-US") + " m"; }

  // A source line as "name.txt:12": the file's own name, the path being in
  // the Sources panel.
  function sourceText(src) {
    if (!src || !data.files.length) return "";
    return baseName(data.files[src[0]]) + ":" + src[1];
  }

  function baseName(file) { return file.split(/[\\/]/).pop(); }

  // The plan level fine enough for `scale` pixels per metre.
  function planLevel(scale) {
    const levels = data.plan.levels;
    for (let i = levels.length - 1; i >= 0; --i) if (levels[i].tolerance * scale <= 0.5) return levels[i];
    return levels[0];
  }

  // The point of the plan at progressive `p`, between the finest level's points.
  function planPointAt(p) {
    const { P, X, Y } = data.plan.levels[0];
    let lo = 0, hi = P.length - 1;
    if (p <= P[0]) return [X[0], Y[0]];
    if (p >= P[hi]) return [X[hi], Y[hi]];
    while (hi - lo > 1) {
      const mid = (lo + hi) >> 1;
      if (P[mid] <= p) lo = mid; else hi = mid;
    }
    const t = (p - P[lo]) / (P[hi] - P[lo]);
    return [X[lo] + (X[hi] - X[lo]) * t, Y[lo] + (Y[hi] - Y[lo]) * t];
  }

  // --- the plan ----------------------------------------------------------------

  function sizeCanvas(canvas) {
    const ratio = window.devicePixelRatio || 1;
    const w = canvas.clientWidth, h = canvas.clientHeight;
    if (canvas.width !== Math.round(w * ratio) || canvas.height !== Math.round(h * ratio)) {
      canvas.width = Math.round(w * ratio);
      canvas.height = Math.round(h * ratio);
    }
    const ctx = canvas.getContext("2d");
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    return { ctx, w, h };
  }

  function planX(x) { return size.plan.w / 2 + (x - plan.cx) * plan.scale; }
  function planY(y) { return size.plan.h / 2 - (y - plan.cy) * plan.scale; }

  // Fits the plan around the stretch of progressives [from, to].
  function fitPlan(from, to) {
    if (!data.plan) return;
    const { P, X, Y } = planLevel(0.001);
    let minX = Infinity, minY = Infinity, maxX = -Infinity, maxY = -Infinity;
    const take = (x, y) => { minX = Math.min(minX, x); maxX = Math.max(maxX, x); minY = Math.min(minY, y); maxY = Math.max(maxY, y); };
    for (const p of [from, to]) { const [x, y] = planPointAt(p); take(x, y); }
    for (let i = 0; i < P.length; ++i) if (P[i] > from && P[i] < to) take(X[i], Y[i]);
    const w = planCanvas.clientWidth, h = planCanvas.clientHeight;
    plan.cx = (minX + maxX) / 2;
    plan.cy = (minY + maxY) / 2;
    plan.scale = Math.min(data.scale.most, 0.9 * Math.min(w / Math.max(maxX - minX, 1), h / Math.max(maxY - minY, 1)));
  }

  // Strokes the plan between progressives `from` and `to`, shifted `offset`
  // pixels to the right of the direction of travel.
  function tracePlan(ctx, level, from, to, offset) {
    const { P, X, Y } = level;
    const points = [planPointAt(from)];
    let i = Math.max(0, lastAtOrBefore(P, from, (v) => v) + 1);
    for (; i < P.length && P[i] < to; ++i) points.push([X[i], Y[i]]);
    points.push(planPointAt(to));
    // Only segments that can cross the canvas are drawn: one whose ends lie
    // beyond the same edge cannot.
    const w = size.plan.w, h = size.plan.h, m = 20;
    const outside = (x, y) => (x < -m ? 1 : 0) | (x > w + m ? 2 : 0) | (y < -m ? 4 : 0) | (y > h + m ? 8 : 0);
    ctx.beginPath();
    let before = -1;
    for (let k = 0; k < points.length; ++k) {
      let sx = planX(points[k][0]), sy = planY(points[k][1]);
      if (offset) {
        const a = points[Math.max(0, k - 1)], b = points[Math.min(points.length - 1, k + 1)];
        const dx = b[0] - a[0], dy = b[1] - a[1], n = Math.hypot(dx, dy) || 1;
        sx += (dy / n) * offset; sy += (dx / n) * offset;
      }
      const side = outside(sx, sy);
      if (k === 0 || (before & side) !== 0) ctx.moveTo(sx, sy); else ctx.lineTo(sx, sy);
      before = side;
    }
    ctx.stroke();
  }

  // The stretch of progressives whose plan lies on the canvas, as a test for
  // a point of the plan.
  function onPlan(x, y, margin) {
    const sx = planX(x), sy = planY(y);
    return sx > -margin && sy > -margin && sx < size.plan.w + margin && sy < size.plan.h + margin;
  }

  function drawPlan() {
    const { ctx, w, h } = sizeCanvas(planCanvas);
    ctx.clearRect(0, 0, w, h);
    drawn = { stations: 0, signals: 0, diagnostics: 0 };
    drawnLabels.plan = [];
    if (!data.plan) {
      ctx.fillStyle = "#777";
      ctx.font = "14px " + FONT;
      ctx.textAlign = "center";
      ctx.fillText("no plan (compiled without one)", w / 2, h / 2);
      return;
    }
    const level = planLevel(plan.scale);
    const along = (from, to, style, width, offset, dash) => {
      ctx.strokeStyle = style; ctx.lineWidth = width; ctx.setLineDash(dash || []);
      tracePlan(ctx, level, from, to, offset || 0);
      ctx.setLineDash([]);
    };
    ctx.lineCap = "butt";
    ctx.lineJoin = "round";
    for (const m of data.mountains) along(m.from, m.to, "rgba(140, 86, 75, 0.28)", 16);
    for (const s of data.stations) along(s.from, s.to, "rgba(90, 102, 114, 0.35)", 11);
    for (const s of data.slowdowns) along(s.start, Math.max(s.end, s.start + 50), "rgba(255, 127, 14, 0.55)", 9);
    const last = level.P[level.P.length - 1];
    along(0, Math.min(data.length, last), "#1f4e79", 2.5);
    if (data.length < last) along(data.length, last, "#1f4e79", 1.5, 0, [6, 4]);
    for (const c of data.curves) {
      along(c.start, c.start + c.length, CURVE_COLOURS[c.class - 1], 3, c.left ? -5 : 5);
    }

    const mark = (p, draw) => {
      const [x, y] = planPointAt(p);
      if (!onPlan(x, y, 20)) return false;
      draw(planX(x), planY(y));
      return true;
    };
    ctx.lineWidth = 1;
    for (const post of data.posts) {
      mark(post[0], (x, y) => { ctx.fillStyle = "#5a6672"; ctx.fillRect(x - 1.5, y - 1.5, 3, 3); });
    }
    for (const a of data.abatements) {
      mark(a.p, (x, y) => {
        ctx.strokeStyle = "#7b3294"; ctx.fillStyle = a.finishing ? "#fff" : "#7b3294";
        ctx.beginPath(); ctx.rect(x - 2.5, y - 2.5, 5, 5); ctx.fill(); ctx.stroke();
      });
    }
    for (const b of data.boards) {
      mark(b.p, (x, y) => { ctx.fillStyle = "#fff"; ctx.strokeStyle = "#000"; ctx.fillRect(x - 4, y - 4, 8, 8); ctx.strokeRect(x - 4, y - 4, 8, 8); });
    }
    for (const s of data.signs) {
      mark(s.p, (x, y) => {
        ctx.fillStyle = "#2ca02c";
        ctx.beginPath(); ctx.moveTo(x, y - 4); ctx.lineTo(x + 4, y); ctx.lineTo(x, y + 4); ctx.lineTo(x - 4, y); ctx.fill();
      });
    }
    for (const s of data.slowdowns) {
      if (s.warning === null) continue;
      mark(s.warning, (x, y) => triangle(ctx, x, y, 6, "#ff7f0e", "#a04a00"));
    }
    for (const s of data.signals) {
      if (mark(s.p, (x, y) => signalMark(ctx, x, y, s))) ++drawn.signals;
    }
    for (const s of data.stations) {
      if (mark(s.p, (x, y) => { ctx.fillStyle = "#fff"; ctx.strokeStyle = "#000"; ctx.lineWidth = 2; ctx.beginPath(); ctx.arc(x, y, 6, 0, 2 * Math.PI); ctx.fill(); ctx.stroke(); ctx.lineWidth = 1; })) ++drawn.stations;
      if (s.stop !== null) mark(s.stop, (x, y) => { ctx.fillStyle = "#000"; ctx.fillRect(x - 2, y - 2, 4, 4); });
    }
    mark(0, (x, y) => flag(ctx, x, y, "start", "#2ca02c"));
    mark(data.length, (x, y) => flag(ctx, x, y, "end", "#1d2630"));
    for (const d of diagnosticPlaces()) if (mark(d.p, (x, y) => warningMark(ctx, x, y, d.severity))) ++drawn.diagnostics;

    // Labels, as laid out by the tool for this scale.
    for (const label of data.labels.plan) {
      if (label.from > plan.scale) continue;
      if (!onPlan(label.x, label.y, 300)) continue;
      drawLabel(ctx, planX(label.x), planY(label.y), label);
      ctx.font = (label.bold ? "bold " : "") + label.font + "px " + FONT;
      const width = ctx.measureText(label.t).width;
      drawnLabels.plan.push({ t: label.t, x: planX(label.x) + label.dx, y: planY(label.y) + label.dy - label.font / 2, w: width, h: label.font });
    }
    scaleBar(ctx, w, h);
    legend(ctx);
  }

  // What the marks mean, in the plan's top left corner.
  function legend(ctx) {
    const items = [
      ["station", (x, y) => { ctx.fillStyle = "#fff"; ctx.strokeStyle = "#000"; ctx.lineWidth = 2; ctx.beginPath(); ctx.arc(x, y, 5, 0, 2 * Math.PI); ctx.fill(); ctx.stroke(); ctx.lineWidth = 1; }],
      ["stop cell", (x, y) => { ctx.fillStyle = "#000"; ctx.fillRect(x - 2, y - 2, 4, 4); }],
      ["signal sx 1", (x, y) => signalMark(ctx, x, y, { sx: 1, dx: 0 })],
      ["signal sx 2", (x, y) => signalMark(ctx, x, y, { sx: 2, dx: 0 })],
      ["with a d kind", (x, y) => signalMark(ctx, x, y, { sx: 1, dx: 1 })],
      ["speed board", (x, y) => { ctx.fillStyle = "#fff"; ctx.strokeStyle = "#000"; ctx.fillRect(x - 4, y - 4, 8, 8); ctx.strokeRect(x - 4, y - 4, 8, 8); }],
      ["sign", (x, y) => { ctx.fillStyle = "#2ca02c"; ctx.beginPath(); ctx.moveTo(x, y - 4); ctx.lineTo(x + 4, y); ctx.lineTo(x, y + 4); ctx.lineTo(x - 4, y); ctx.fill(); }],
      ["slowdown, its warning board", (x, y) => { ctx.fillStyle = "rgba(255, 127, 14, 0.55)"; ctx.fillRect(x - 9, y - 3, 9, 6); triangle(ctx, x + 4, y, 5, "#ff7f0e", "#a04a00"); }],
      ["abatement point (hollow: finishing pass)", (x, y) => { ctx.strokeStyle = "#7b3294"; ctx.fillStyle = "#7b3294"; ctx.fillRect(x - 6, y - 2.5, 5, 5); ctx.fillStyle = "#fff"; ctx.fillRect(x + 1, y - 2.5, 5, 5); ctx.strokeRect(x + 1, y - 2.5, 5, 5); }],
      ["mountain", (x, y) => { ctx.fillStyle = "rgba(140, 86, 75, 0.45)"; ctx.fillRect(x - 8, y - 5, 16, 10); }],
      ["curve class 1 \u2192 6, on its inner side", (x, y) => { CURVE_COLOURS.forEach((c, i) => { ctx.fillStyle = c; ctx.fillRect(x - 9 + i * 3, y - 3, 3, 6); }); }],
    ];
    ctx.font = "10px " + FONT; ctx.textBaseline = "middle"; ctx.textAlign = "left";
    const width = 16 + Math.max(...items.map(([t]) => ctx.measureText(t).width)) + 14;
    ctx.fillStyle = "rgba(255, 255, 255, 0.85)"; ctx.strokeStyle = "#c8d0d8";
    ctx.fillRect(8, 8, width, items.length * 14 + 8); ctx.strokeRect(8, 8, width, items.length * 14 + 8);
    items.forEach(([text, draw], i) => {
      const y = 19 + i * 14;
      draw(22, y);
      ctx.fillStyle = "#1d2630"; ctx.font = "10px " + FONT; ctx.textBaseline = "middle"; ctx.textAlign = "left";
      ctx.fillText(text, 36, y);
    });
  }

  function triangle(ctx, x, y, r, fill, stroke) {
    ctx.fillStyle = fill; ctx.strokeStyle = stroke;
    ctx.beginPath(); ctx.moveTo(x, y - r); ctx.lineTo(x + r * 0.9, y + r * 0.6); ctx.lineTo(x - r * 0.9, y + r * 0.6); ctx.closePath();
    ctx.fill(); ctx.stroke();
  }

  // A signal: its head coloured by its s kind, ringed when it has a d kind.
  function signalMark(ctx, x, y, s) {
    ctx.fillStyle = s.sx === 2 ? "#1f77b4" : "#d62728";
    ctx.strokeStyle = "#000";
    ctx.lineWidth = 1;
    ctx.beginPath(); ctx.arc(x, y, 4, 0, 2 * Math.PI); ctx.fill(); ctx.stroke();
    if (s.dx !== 0) { ctx.strokeStyle = "#e6b800"; ctx.lineWidth = 2; ctx.beginPath(); ctx.arc(x, y, 6.5, 0, 2 * Math.PI); ctx.stroke(); ctx.lineWidth = 1; }
  }

  function flag(ctx, x, y, text, colour) {
    ctx.strokeStyle = colour; ctx.fillStyle = colour; ctx.lineWidth = 2;
    ctx.beginPath(); ctx.moveTo(x, y); ctx.lineTo(x, y - 22); ctx.stroke();
    ctx.fillRect(x, y - 22, 30, 12);
    ctx.fillStyle = "#fff"; ctx.font = "bold 9px " + FONT; ctx.textAlign = "left"; ctx.textBaseline = "middle";
    ctx.fillText(text, x + 3, y - 16);
    ctx.lineWidth = 1;
  }

  function warningMark(ctx, x, y, severity) {
    ctx.fillStyle = severity === "error" ? "#d62728" : severity === "warning" ? "#e08a00" : "#5a6672";
    ctx.beginPath(); ctx.arc(x, y - 14, 7, 0, 2 * Math.PI); ctx.fill();
    ctx.fillStyle = "#fff"; ctx.font = "bold 11px " + FONT; ctx.textAlign = "center"; ctx.textBaseline = "middle";
    ctx.fillText("!", x, y - 14);
  }

  function drawLabel(ctx, x, y, label) {
    ctx.save();
    ctx.font = (label.bold ? "bold " : "") + label.font + "px " + FONT;
    ctx.textBaseline = "middle";
    ctx.textAlign = "left";
    ctx.translate(x + label.dx, y + label.dy);
    if (label.angle) ctx.rotate(-label.angle * Math.PI / 180);
    const colour = ["#000", "#a04a00", "#5a6672", "#333", "#1e6b1e"][label.kind] || "#000";
    ctx.lineWidth = 3; ctx.strokeStyle = "rgba(255, 255, 255, 0.85)"; ctx.lineJoin = "round";
    ctx.strokeText(label.t, 0, 0);
    ctx.fillStyle = colour;
    ctx.fillText(label.t, 0, 0);
    ctx.restore();
  }

  function scaleBar(ctx, w, h) {
    const step = niceMetres(120 / plan.scale);
    const px = step * plan.scale;
    ctx.strokeStyle = "#333"; ctx.lineWidth = 3;
    ctx.beginPath(); ctx.moveTo(16, h - 16); ctx.lineTo(16 + px, h - 16); ctx.stroke();
    ctx.fillStyle = "#333"; ctx.font = "11px " + FONT; ctx.textAlign = "left"; ctx.textBaseline = "alphabetic";
    ctx.fillText(step >= 1000 ? step / 1000 + " km" : step + " m", 16, h - 22);
    ctx.lineWidth = 1;
  }

  // A round length (1, 2 or 5 times a power of ten) of about `m` metres.
  function niceMetres(m) {
    const power = Math.pow(10, Math.floor(Math.log10(m)));
    for (const f of [1, 2, 5]) if (f * power >= m * 0.7) return f * power;
    return 10 * power;
  }

  // --- the profiles ------------------------------------------------------------

  // The rows under the plan, from the top: slanted station names, the objects
  // along the line, the five profiles, the kilometre posts.
  function profileRows(h) {
    const names = 78, track = 72, axis = 34;
    const rest = Math.max(h - names - track - axis - 10, 200);
    const share = [0.27, 0.19, 0.2, 0.17, 0.17];
    const keys = ["speed", "gradient", "height", "curvature", "adhesion"];
    const titles = ["speed limit (km/h): profile, slowdowns, boards", "gradient (\u2030)", "height (m)", "curvature (1/km): left < 0 < right", "adhesion"];
    const rows = { names: { top: 0, bottom: names }, track: { top: names, bottom: names + track }, charts: [] };
    let top = names + track + 4;
    keys.forEach((key, i) => {
      const height = rest * share[i];
      rows.charts.push({ key, title: titles[i], top: top + 16, bottom: top + height - 4, axis: data.axes[key] });
      top += height;
    });
    rows.axis = { top: top + 2, bottom: top + axis };
    return rows;
  }

  function profileX(p) {
    const width = size.profiles.w - LEFT - RIGHT;
    return LEFT + ((p - range.from) / (range.to - range.from)) * width;
  }

  function progressiveAt(x) {
    const width = size.profiles.w - LEFT - RIGHT;
    return range.from + ((x - LEFT) / width) * (range.to - range.from);
  }

  function axisScale() { return (size.profiles.w - LEFT - RIGHT) / (range.to - range.from); }

  function chartY(chart, v) {
    const { low, high } = chart.axis;
    return chart.bottom - ((v - low) / (high - low)) * (chart.bottom - chart.top);
  }

  // Draws steps [[p, v], ...] as a stepped line over the visible range.
  function stepped(ctx, chart, steps, end) {
    end = Math.min(end, reachedOf(chart.key));
    const upTo = Math.min(range.to, end);
    const first = Math.max(0, lastAtOrBefore(steps, range.from, (s) => s[0]));
    ctx.beginPath();
    for (let i = first; i < steps.length && steps[i][0] <= upTo; ++i) {
      const x0 = profileX(Math.max(steps[i][0], range.from));
      const x1 = profileX(Math.min(i + 1 < steps.length ? steps[i + 1][0] : end, upTo));
      const y = chartY(chart, steps[i][1]);
      if (i === first) ctx.moveTo(x0, y); else ctx.lineTo(x0, y);
      ctx.lineTo(x1, y);
    }
    ctx.stroke();
  }

  function drawProfiles() {
    const { ctx, w, h } = sizeCanvas(profileCanvas);
    ctx.clearRect(0, 0, w, h);
    const rows = profileRows(h);
    const right = w - RIGHT;
    const visible = (p) => p >= range.from && p <= range.to;
    const clip = (top, bottom) => { ctx.save(); ctx.beginPath(); ctx.rect(LEFT, top, right - LEFT, bottom - top); ctx.clip(); };

    // Station names, as laid out by the tool.
    clip(0, rows.names.bottom);
    const scale = axisScale();
    for (const label of data.labels.stations) {
      if (label.from > scale || !visible(label.x)) continue;
      drawLabel(ctx, profileX(label.x) + 2, rows.names.bottom - 6, { ...label, dx: 0, dy: 0 });
    }
    ctx.restore();

    // Station lines through every row.
    ctx.strokeStyle = "#b8c0c8"; ctx.setLineDash([3, 3]);
    for (const s of data.stations) {
      if (!visible(s.p)) continue;
      ctx.beginPath(); ctx.moveTo(profileX(s.p), rows.names.bottom - 4); ctx.lineTo(profileX(s.p), rows.axis.top); ctx.stroke();
    }
    ctx.setLineDash([]);

    drawTrack(ctx, rows.track, right);
    for (const chart of rows.charts) drawChart(ctx, chart, right);

    // Kilometre posts.
    const axisY = rows.axis.top;
    ctx.strokeStyle = "#5a6672"; ctx.beginPath(); ctx.moveTo(LEFT, axisY); ctx.lineTo(right, axisY); ctx.stroke();
    ctx.fillStyle = "#5a6672"; ctx.font = "10px " + FONT; ctx.textAlign = "right"; ctx.textBaseline = "top";
    ctx.fillText(kilometresAgree() ? "km" : "progr. km", LEFT - 8, axisY + 4);
    ctx.save(); ctx.beginPath(); ctx.rect(LEFT - 20, axisY, right - LEFT + 40, h - axisY); ctx.clip();
    drawnLabels.posts = [];
    for (const label of data.labels.posts) {
      if (label.from > scale || !visible(label.x)) continue;
      const x = profileX(label.x);
      ctx.beginPath(); ctx.moveTo(x, axisY); ctx.lineTo(x, axisY + 5); ctx.stroke();
      ctx.textAlign = "center"; ctx.fillText(label.t, x, axisY + 7);
      const width = ctx.measureText(label.t).width;
      drawnLabels.posts.push({ t: label.t, x: x - width / 2, y: axisY + 7, w: width, h: label.font });
    }
    // Where the references do not agree with the signs, each reference as
    // a marker with its values.
    if (!kilometresAgree()) {
      ctx.fillStyle = "#d62728"; ctx.textAlign = "left";
      for (const r of data.kilometres.references) {
        if (!visible(r.start)) continue;
        const x = profileX(r.start);
        triangle(ctx, x, axisY + 22, 5, "#d62728", "#7f0000");
        ctx.fillStyle = "#7f0000";
        ctx.fillText("ref " + r.start + ", " + r.kilometre + ", " + r.direction, x + 6, axisY + 18);
      }
    }
    ctx.restore();
    document.getElementById("range").textContent =
      "progressive " + metres(range.from) + " \u2013 " + metres(range.to) +
      (kilometresAgree() ? " (km " + kilometreText(kilometreAt(range.from)) + " \u2013 " + kilometreText(kilometreAt(range.to)) + ")" : "");
  }

  // The objects along the line, in lanes: curves (left above, right below),
  // mountains, station areas and stops, slowdowns, and the point objects.
  function drawTrack(ctx, row, right) {
    const mid = row.top + 22;
    ctx.save(); ctx.beginPath(); ctx.rect(LEFT, row.top, right - LEFT, row.bottom - row.top); ctx.clip();
    const span = (from, to, y, height, colour) => {
      if (to < range.from || from > range.to) return;
      const x0 = profileX(Math.max(from, range.from)), x1 = profileX(Math.min(to, range.to));
      ctx.fillStyle = colour; ctx.fillRect(x0, y, Math.max(x1 - x0, 1), height);
    };
    for (const c of data.curves) span(c.start, c.start + c.length, c.left ? mid - 14 : mid + 2, 12, CURVE_COLOURS[c.class - 1]);
    ctx.strokeStyle = "#1f4e79"; ctx.lineWidth = 2;
    ctx.beginPath(); ctx.moveTo(profileX(Math.max(0, range.from)), mid + 1); ctx.lineTo(profileX(Math.min(data.length, range.to)), mid + 1); ctx.stroke();
    ctx.lineWidth = 1;
    const lane = row.top + 40;
    for (const m of data.mountains) span(m.from, m.to, lane, 8, "rgba(140, 86, 75, 0.55)");
    for (const s of data.stations) span(s.from, s.to, lane + 10, 8, "rgba(90, 102, 114, 0.55)");
    for (const s of data.slowdowns) span(s.start, Math.max(s.end, s.start + 50), lane + 20, 8, "#ff7f0e");
    const at = (p, draw) => { if (p >= range.from && p <= range.to) draw(profileX(p)); };
    for (const s of data.stations) if (s.stop !== null) at(s.stop, (x) => { ctx.fillStyle = "#000"; ctx.fillRect(x - 2, lane + 10, 4, 8); });
    for (const s of data.slowdowns) if (s.warning !== null) at(s.warning, (x) => triangle(ctx, x, lane + 24, 5, "#ff7f0e", "#a04a00"));
    for (const a of data.abatements) at(a.p, (x) => { ctx.fillStyle = "#7b3294"; ctx.fillRect(x - 1, lane + 19, 2, 10); });
    for (const b of data.boards) at(b.p, (x) => { ctx.fillStyle = "#fff"; ctx.strokeStyle = "#000"; ctx.fillRect(x - 3.5, mid - 4, 7, 7); ctx.strokeRect(x - 3.5, mid - 4, 7, 7); });
    for (const s of data.signs) at(s.p, (x) => { ctx.fillStyle = "#2ca02c"; ctx.fillRect(x - 1, row.top + 2, 2, 6); });
    for (const s of data.signals) at(s.p, (x) => signalMark(ctx, x, mid + 1, s));
    for (const d of diagnosticPlaces()) at(d.p, (x) => warningMark(ctx, x, row.top + 16, d.severity));
    ctx.restore();
    ctx.fillStyle = "#5a6672"; ctx.font = "10px " + FONT; ctx.textAlign = "right"; ctx.textBaseline = "middle";
    ctx.fillText("curves L/R", LEFT - 8, mid);
    ctx.fillText("areas", LEFT - 8, lane + 14);
  }

  function drawChart(ctx, chart, right) {
    ctx.strokeStyle = "#c8d0d8"; ctx.strokeRect(LEFT, chart.top, right - LEFT, chart.bottom - chart.top);
    ctx.font = "10px " + FONT; ctx.fillStyle = "#5a6672"; ctx.textAlign = "right"; ctx.textBaseline = "middle";
    const { low, high, step } = chart.axis;
    for (let v = low; v <= high + 1e-9; v += step) {
      const y = chartY(chart, v);
      ctx.strokeStyle = v === 0 ? "#a8b0b8" : "#eceff2";
      ctx.beginPath(); ctx.moveTo(LEFT, y); ctx.lineTo(right, y); ctx.stroke();
      ctx.fillText(String(Math.round(v * 100) / 100), LEFT - 4, y);
    }
    ctx.save(); ctx.beginPath(); ctx.rect(LEFT, chart.top - 2, right - LEFT, chart.bottom - chart.top + 4); ctx.clip();
    const p = data.profiles;
    ctx.lineWidth = 2;
    if (chart.key === "speed") {
      for (const s of data.slowdowns) {
        const x0 = profileX(s.start), x1 = profileX(Math.max(s.end, s.start + 50));
        ctx.fillStyle = "rgba(255, 127, 14, 0.15)"; ctx.fillRect(x0, chart.top, x1 - x0, chart.bottom - chart.top);
      }
      ctx.strokeStyle = "#98c998"; ctx.lineWidth = 1; ctx.setLineDash([4, 3]);
      stepped(ctx, chart, p.speed, data.profileEnd);
      ctx.setLineDash([]); ctx.lineWidth = 2; ctx.strokeStyle = "#2ca02c";
      stepped(ctx, chart, p.limit, data.profileEnd);
      if (data.run) drawRunSpeed(ctx, chart);
      for (const b of data.boards) {
        if (b.p < range.from || b.p > range.to) continue;
        const x = profileX(b.p);
        ctx.fillStyle = "#fff"; ctx.strokeStyle = "#000"; ctx.lineWidth = 1;
        for (const v of b.s) { const y = chartY(chart, v); ctx.fillRect(x - 3, y - 3, 6, 6); ctx.strokeRect(x - 3, y - 3, 6, 6); }
      }
    } else if (chart.key === "height") {
      ctx.strokeStyle = "#6a3d9a";
      ctx.beginPath();
      const hp = p.height;
      const first = Math.max(0, lastAtOrBefore(hp, range.from, (s) => s[0]));
      const heightEnd = reachedOf("height");
      for (let i = first; i < hp.length && hp[i][0] <= heightEnd; ++i) {
        const x = profileX(hp[i][0]), y = chartY(chart, hp[i][1]);
        if (i === first) ctx.moveTo(x, y); else ctx.lineTo(x, y);
        if (hp[i][0] > range.to) break;
      }
      ctx.stroke();
    } else if (chart.key === "curvature") {
      const steps = [[0, 0]];
      const first = Math.max(0, lastAtOrBefore(data.curves, range.from, (c) => c.start));
      for (let i = first; i < data.curves.length && data.curves[i].start <= range.to; ++i) {
        const c = data.curves[i];
        steps.push([c.start, (c.left ? -1 : 1) * [0.1, 0.2, 0.4, 1, 2, 3][c.class - 1]], [c.start + c.length, 0]);
      }
      ctx.strokeStyle = "#d62728";
      stepped(ctx, chart, steps, data.profileEnd);
    } else {
      ctx.strokeStyle = chart.key === "gradient" ? "#8c564b" : "#17becf";
      stepped(ctx, chart, p[chart.key], data.profileEnd);
    }
    notCompiled(ctx, chart.top, chart.bottom, reachedOf(chart.key), right);
    ctx.restore();
    ctx.lineWidth = 1;
    ctx.font = "bold 11px " + FONT; ctx.textAlign = "left"; ctx.textBaseline = "bottom";
    ctx.fillStyle = "#1d2630"; ctx.fillText(chart.title, LEFT, chart.top - 2);
    laneLegend(ctx, chart, right);
  }

  // What each mark of a profile lane means, at the right of its title.
  const LANE_LEGENDS = {
    speed: [["line", "#2ca02c", "limit obeyed"], ["dash", "#98c998", "speed profile"], ["fill", "rgba(255, 127, 14, 0.35)", "slowdown"], ["box", "#000", "board speeds"]],
    gradient: [["line", "#8c564b", "per mille, + climbs"]],
    height: [["line", "#6a3d9a", "metres above the origin"]],
    curvature: [["line", "#d62728", "1 / radius (km)"]],
    adhesion: [["line", "#17becf", "adhesion value"]],
  };

  function laneLegend(ctx, chart, right) {
    const items = LANE_LEGENDS[chart.key] || [];
    ctx.font = "10px " + FONT; ctx.textBaseline = "middle"; ctx.textAlign = "left";
    let x = right;
    const y = chart.top - 8;
    for (let i = items.length - 1; i >= 0; --i) {
      const [kind, colour, text] = items[i];
      x -= ctx.measureText(text).width + 26;
      ctx.strokeStyle = colour; ctx.fillStyle = colour; ctx.lineWidth = 2;
      if (kind === "line" || kind === "dash") {
        ctx.setLineDash(kind === "dash" ? [4, 3] : []);
        ctx.beginPath(); ctx.moveTo(x, y); ctx.lineTo(x + 16, y); ctx.stroke(); ctx.setLineDash([]);
      } else if (kind === "fill") {
        ctx.fillRect(x, y - 5, 16, 10);
      } else {
        ctx.lineWidth = 1; ctx.fillStyle = "#fff"; ctx.fillRect(x + 5, y - 3, 6, 6); ctx.strokeRect(x + 5, y - 3, 6, 6);
      }
      ctx.lineWidth = 1;
      ctx.fillStyle = "#5a6672"; ctx.fillText(text, x + 20, y);
    }
  }

  // The stretch from `from` on that the build does not carry: hatched, and
  // said so, never drawn as a value.
  function notCompiled(ctx, top, bottom, from, right) {
    if (from >= range.to) return;
    const x0 = Math.max(LEFT, profileX(Math.max(from, range.from)));
    ctx.save();
    ctx.beginPath(); ctx.rect(x0, top, right - x0, bottom - top); ctx.clip();
    ctx.fillStyle = "rgba(214, 39, 40, 0.06)"; ctx.fillRect(x0, top, right - x0, bottom - top);
    ctx.strokeStyle = "rgba(214, 39, 40, 0.35)"; ctx.lineWidth = 1;
    ctx.beginPath();
    for (let x = x0 - (bottom - top); x < right; x += 8) { ctx.moveTo(x, bottom); ctx.lineTo(x + (bottom - top), top); }
    ctx.stroke();
    ctx.restore();
    if (right - x0 > 120) {
      ctx.font = "11px " + FONT; ctx.textAlign = "left"; ctx.textBaseline = "middle";
      const text = "not compiled: the build stopped before this";
      const width = ctx.measureText(text).width;
      ctx.fillStyle = "rgba(255, 255, 255, 0.9)"; ctx.fillRect(x0 + 6, (top + bottom) / 2 - 8, width + 8, 16);
      ctx.fillStyle = "#a01c1d"; ctx.fillText(text, x0 + 10, (top + bottom) / 2);
    }
  }

  // --- what is here ------------------------------------------------------------

  // The diagnostics that have a place on the line: the progressive of the
  // record on their line.
  function diagnosticPlaces() {
    const places = [];
    for (const d of data.diagnostics) {
      const f = data.files.indexOf(d.file);
      const p = data.placeOfLine.get(f + ":" + d.line);
      if (p !== undefined) places.push({ p, severity: d.severity });
    }
    return places;
  }

  // Every object within `reach` metres of `p`, nearest first.
  function objectsNear(p, reach) {
    const found = [];
    const take = (q, text, src) => { if (Math.abs(q - p) <= reach) found.push({ d: Math.abs(q - p), text, src }); };
    for (const s of data.stations) take(s.p, "station " + s.name + " (type " + s.type + ", " + s.time + ", area " + metres(s.from) + " \u2013 " + metres(s.to) + (s.stop !== null ? ", stop cell at " + metres(s.stop) : "") + ")", s.src);
    for (const s of data.signals) take(s.p, "signal sx " + s.sx + " dx " + s.dx + ": s " + s.s.join(" ") + ", d " + s.d.join(" ") + ", rapp " + s.rapp + (s.tempo ? ", tempo " + s.tempo : ""), s.src);
    for (const b of data.boards) take(b.p, "speed board " + b.s.join("/") + " km/h" + (b.d.some((v) => v) ? ", d " + b.d.join("/") : "") + (b.stripes[0] || b.stripes[1] ? ", stripes " + b.stripes.join("/") : ""), b.src);
    for (const s of data.signs) take(s.p, "sign \u201c" + s.text + "\u201d", s.src);
    for (const s of data.slowdowns) {
      take(s.start, "slowdown " + s.speed + " km/h" + (s.second ? " (second " + s.second + ")" : "") + " from " + metres(s.start) + " to " + metres(s.end), s.src);
      if (s.warning !== null) take(s.warning, "slowdown warning board, " + s.speed + " km/h", s.src);
    }
    for (const a of data.abatements) take(a.p, "speed abatement point" + (a.value !== null ? " " + a.value : "") + (a.finishing ? " (finishing pass)" : ""), a.src);
    for (const m of data.mountains) take(m.from, "mountain type " + m.type + " to " + metres(m.to) + (m.markers ? ", " + m.markers + " markers" : ""), m.src);
    for (const c of data.curves) take(c.start, "curve class " + c.class + " " + (c.left ? "left" : "right") + ", " + c.length + " m", c.src);
    found.sort((a, b) => a.d - b.d);
    return found.slice(0, 8);
  }

  function showReadout(p) {
    const dl = document.getElementById("readout");
    const nearby = document.getElementById("nearby");
    dl.replaceChildren();
    nearby.replaceChildren();
    if (p === null) return;
    const row = (key, name, value) => {
      const dt = document.createElement("dt"); dt.textContent = name;
      const dd = document.createElement("dd"); dd.textContent = value; dd.dataset.value = key;
      dl.append(dt, dd);
    };
    const cellValue = (steps, key) => {
      if (p >= reachedOf(key)) return "not compiled";
      const s = stepAt(steps, p); return s ? s[1] : null;
    };
    const withUnit = (v, unit) => (v === "not compiled" ? v : v + unit);
    const slowdown = data.slowdowns.find((s) => p >= s.start && p < Math.max(s.end, s.start + 50));
    const board = data.boards[lastAtOrBefore(data.boards, p, (b) => b.p)];
    const curve = curveAt(p);
    const station = data.stations.find((s) => p >= s.from && p <= s.to);
    row("kilometre", "km", kilometresAgree() ? kilometreText(kilometreAt(p)) : "unknown: see the kilometre note");
    row("progressive", "progressive", metres(p));
    row("limit", "speed limit", withUnit(cellValue(data.profiles.limit, "limit"), " km/h"));
    row("speed", "speed profile", withUnit(cellValue(data.profiles.speed, "speed"), " km/h"));
    row("slowdown", "slowdown", slowdown ? slowdown.speed + " km/h" : "none");
    row("board", "last board", board ? board.s.join("/") + " km/h at " + metres(board.p) : "none");
    row("gradient", "gradient", withUnit(cellValue(data.profiles.gradient, "gradient"), " \u2030"));
    row("height", "height", p >= reachedOf("height") ? "not compiled" : heightAt(p).toFixed(1) + " m");
    row("curvature", "curvature", curve ? "class " + curve.class + " " + (curve.left ? "left" : "right") + ", radius " + Math.round(1000 / Math.abs(curvatureAt(p))) + " m" : "straight");
    row("adhesion", "adhesion", String(cellValue(data.profiles.adhesion, "adhesion")));
    row("station", "station", station ? station.name : "none");
    if (data.run) runReadout(p, row);
    const sourceOf = (steps) => { const s = stepAt(steps, p); return s && s.length > 2 ? sourceText([s[2], s[3]]) : ""; };
    for (const [name, steps] of [["speed", data.profiles.speed], ["gradient", data.profiles.gradient], ["adhesion", data.profiles.adhesion]]) {
      const src = sourceOf(steps);
      if (src) row(name + "-source", name + " from", src);
    }
    const reach = Math.max(25, 8 / axisScale());
    for (const o of objectsNear(p, reach)) {
      const li = document.createElement("li");
      li.textContent = o.text + " ";
      if (o.src) { const span = document.createElement("span"); span.className = "src"; span.textContent = sourceText(o.src); li.append(span); }
      nearby.append(li);
    }
  }

  // --- the train's fastest run ----------------------------------------------------

  // The run's points are [progressive, km/h, seconds, part]; the parts are
  // told apart by colour, on the speed chart and on the time-distance graph.
  const RUN_COLOURS = { traction: "#1f77b4", "speed-limit": "#2b2b2b", braking: "#d62728", stop: "#7f7f7f" };
  const runCanvas = document.getElementById("runtime");

  function runPartName(point) { return data.run.parts[point[3]]; }

  // The run's point at or before `p` (the last one of a stop's pair).
  function runAt(p) {
    const points = data.run.points;
    const i = lastAtOrBefore(points, p, (q) => q[0]);
    return i < 0 ? null : points[i];
  }

  function runTimeText(seconds) {
    const s = Math.round(seconds);
    return Math.floor(s / 60) + ":" + String(s % 60).padStart(2, "0");
  }

  // Draws the run's points as a line, each step in the colour of its part.
  function runLine(ctx, x, y) {
    const points = data.run.points;
    const first = Math.max(0, lastAtOrBefore(points, range.from, (q) => q[0]));
    ctx.lineWidth = 1.5;
    for (let i = first + 1; i < points.length && points[i - 1][0] <= range.to; ++i) {
      ctx.strokeStyle = RUN_COLOURS[runPartName(points[i])] || "#000";
      ctx.beginPath(); ctx.moveTo(x(points[i - 1]), y(points[i - 1])); ctx.lineTo(x(points[i]), y(points[i])); ctx.stroke();
    }
    ctx.lineWidth = 1;
  }

  function drawRunSpeed(ctx, chart) {
    runLine(ctx, (q) => profileX(q[0]), (q) => chartY(chart, q[1]));
  }

  // Time against distance: the run, the timetable's points and each leg's
  // margin at its arriving station (red where it cannot be kept, orange where
  // it is under the allowance).
  function drawRunTimes() {
    const { ctx, w, h } = sizeCanvas(runCanvas);
    ctx.clearRect(0, 0, w, h);
    const right = w - RIGHT, top = 20, bottom = h - 18;
    const run = data.run;
    const last = run.points.length ? run.points[run.points.length - 1][2] : 0;
    const end = Math.max(last, ...run.timetable.map((t) => t[1]), 60);
    const y = (t) => bottom - (t / end) * (bottom - top);
    ctx.strokeStyle = "#c8d0d8"; ctx.strokeRect(LEFT, top, right - LEFT, bottom - top);
    ctx.font = "10px " + FONT; ctx.fillStyle = "#5a6672"; ctx.textAlign = "right"; ctx.textBaseline = "middle";
    const step = Math.max(60, Math.ceil(end / 6 / 300) * 300);
    for (let t = 0; t <= end; t += step) {
      ctx.strokeStyle = "#eceff2"; ctx.beginPath(); ctx.moveTo(LEFT, y(t)); ctx.lineTo(right, y(t)); ctx.stroke();
      ctx.fillText(runTimeText(t), LEFT - 4, y(t));
    }
    ctx.save(); ctx.beginPath(); ctx.rect(LEFT, top - 2, right - LEFT, bottom - top + 4); ctx.clip();
    runLine(ctx, (q) => profileX(q[0]), (q) => y(q[2]));
    ctx.textAlign = "center"; ctx.textBaseline = "bottom";
    for (const [p, t] of run.timetable) {
      const x = profileX(p);
      ctx.fillStyle = "#fff"; ctx.strokeStyle = "#000";
      ctx.beginPath(); ctx.arc(x, y(t), 3.5, 0, 2 * Math.PI); ctx.fill(); ctx.stroke();
    }
    for (const leg of run.legs) {
      const x = profileX(leg.to);
      const text = leg.margin === null ? "cannot run" : (leg.margin >= 0 ? "+" : "") + leg.margin.toFixed(1) + " %";
      ctx.fillStyle = leg.margin === null || leg.margin < 0 ? "#d62728" : leg.margin < run.allowance ? "#e6550d" : "#2c7a2c";
      ctx.fillText(text, x, y(run.timetable.find((t) => t[0] === leg.to)[1]) - 5);
    }
    if (hover !== null && hover >= range.from && hover <= range.to) {
      ctx.strokeStyle = "rgba(0, 0, 0, 0.35)"; ctx.beginPath(); ctx.moveTo(profileX(hover), top); ctx.lineTo(profileX(hover), bottom); ctx.stroke();
    }
    ctx.restore();
    ctx.font = "bold 11px " + FONT; ctx.textAlign = "left"; ctx.textBaseline = "bottom"; ctx.fillStyle = "#1d2630";
    ctx.fillText("fastest run, " + run.stock + ": time from the first departure (min:s); \u25cb timetable, margin per leg", LEFT, top - 4);
    ctx.font = "10px " + FONT; ctx.textAlign = "right";
    let x = right;
    for (const part of ["stop", "braking", "speed-limit", "traction"]) {
      ctx.fillStyle = RUN_COLOURS[part]; ctx.fillText(part, x, top - 4); x -= ctx.measureText(part).width + 10;
    }
  }

  function runReadout(p, row) {
    const point = runAt(p);
    if (!point) return;
    row("run-speed", "run speed", point[1].toFixed(1) + " km/h");
    row("run-time", "run time", runTimeText(point[2]));
    row("run-part", "run part", runPartName(point));
  }

  function startRun() {
    if (!data.run || !data.run.points.length) { data.run = null; return; }
    runCanvas.hidden = false;
    runCanvas.addEventListener("mousemove", (e) => {
      const rect = runCanvas.getBoundingClientRect();
      hover = progressiveAt(e.clientX - rect.left);
      showReadout(hover); paintCursor(); drawRunTimes();
    });
    runCanvas.addEventListener("wheel", (e) => {
      e.preventDefault();
      const rect = runCanvas.getBoundingClientRect();
      zoomRange(e.deltaY < 0 ? 0.8 : 1.25, progressiveAt(e.clientX - rect.left));
    }, { passive: false });
  }

  // --- drawing the cursor over both canvases -------------------------------------

  function redraw() {
    measure();
    drawPlan();
    drawProfiles();
    if (data.run) drawRunTimes();
    paintCursor();
  }

  // Clears an overlay, sized as its canvas, for the pointer's marks.
  function overlayContext(canvas) {
    const overlay = overlays.get(canvas);
    const ratio = window.devicePixelRatio || 1;
    const css = canvas === planCanvas ? size.plan : size.profiles;
    const w = Math.round(css.w * ratio), h = Math.round(css.h * ratio);
    if (overlay.width !== w || overlay.height !== h) { overlay.width = w; overlay.height = h; }
    const ctx = overlay.getContext("2d");
    ctx.setTransform(1, 0, 0, 1, 0, 0);
    ctx.clearRect(0, 0, overlay.width, overlay.height);
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    return ctx;
  }

  function paintCursor() {
    const pctx = overlayContext(profileCanvas);
    const lctx = overlayContext(planCanvas);
    if (hover === null) return;
    if (hover >= range.from && hover <= range.to) {
      const x = profileX(hover);
      pctx.strokeStyle = "rgba(0, 0, 0, 0.6)"; pctx.lineWidth = 1;
      pctx.beginPath(); pctx.moveTo(x, 0); pctx.lineTo(x, size.profiles.h); pctx.stroke();
    }
    if (brush) {
      pctx.fillStyle = "rgba(31, 78, 121, 0.15)";
      pctx.fillRect(Math.min(brush.x0, brush.x1), 0, Math.abs(brush.x1 - brush.x0), size.profiles.h);
    }
    if (data.plan) {
      const [x, y] = planPointAt(hover);
      lctx.strokeStyle = "#d62728"; lctx.lineWidth = 2;
      lctx.beginPath(); lctx.arc(planX(x), planY(y), 9, 0, 2 * Math.PI); lctx.stroke();
      lctx.lineWidth = 1;
    }
  }

  // --- interaction ---------------------------------------------------------------

  // The profiles' range, kept within the line and at least 200 m long.
  function clampRange(from, to) {
    const most = data.end;
    const least = Math.min(200, most);
    let span = Math.max(to - from, least);
    span = Math.min(span, most);
    from = Math.max(0, Math.min(from, most - span));
    range = { from, to: from + span };
  }

  function setRange(from, to, fit) {
    clampRange(from, to);
    if (fit !== false) fitPlan(range.from, range.to);
    redraw();
  }

  function showAll() {
    setRange(0, data.end, false);
    if (data.plan) {
      const [minX, minY, maxX, maxY] = data.plan.bounds;
      const w = planCanvas.clientWidth, h = planCanvas.clientHeight;
      plan = { cx: (minX + maxX) / 2, cy: (minY + maxY) / 2, scale: 0.92 * Math.min(w / Math.max(maxX - minX, 1), h / Math.max(maxY - minY, 1)) };
    }
    redraw();
  }

  function zoomRange(factor, at) {
    const p = at === undefined ? (range.from + range.to) / 2 : at;
    setRange(p - (p - range.from) * factor, p + (range.to - p) * factor);
  }

  function panRange(fraction) {
    const span = range.to - range.from;
    setRange(range.from + span * fraction, range.to + span * fraction);
  }

  let brush = null, dragPlan = null, panProfiles = null;

  profileCanvas.addEventListener("wheel", (e) => {
    e.preventDefault();
    zoomRange(e.deltaY > 0 ? 1.25 : 0.8, progressiveAt(e.offsetX));
  }, { passive: false });
  profileCanvas.addEventListener("mousedown", (e) => {
    profileCanvas.focus();
    if (e.shiftKey) panProfiles = { x: e.offsetX, from: range.from, to: range.to };
    else brush = { x0: e.offsetX, x1: e.offsetX };
  });
  profileCanvas.addEventListener("mousemove", (e) => {
    if (panProfiles) {
      const shift = progressiveAt(panProfiles.x) - progressiveAt(e.offsetX);
      range = { from: panProfiles.from, to: panProfiles.to };
      setRange(panProfiles.from + shift, panProfiles.to + shift);
    } else if (brush) {
      brush.x1 = e.offsetX;
    }
    hover = Math.max(0, Math.min(data.end, progressiveAt(e.offsetX)));
    showReadout(hover);
    paintCursor();
  });
  window.addEventListener("mouseup", () => {
    if (brush) {
      const a = progressiveAt(Math.min(brush.x0, brush.x1)), b = progressiveAt(Math.max(brush.x0, brush.x1));
      const wide = Math.abs(brush.x1 - brush.x0) > 4;
      brush = null;
      if (wide) setRange(a, b); else paintCursor();
    }
    panProfiles = null;
    if (dragPlan) { dragPlan = null; planCanvas.style.cursor = ""; followPlan(); redraw(); }
  });
  profileCanvas.addEventListener("mouseleave", () => { if (!brush) { hover = null; paintCursor(); } });
  profileCanvas.addEventListener("dblclick", showAll);

  planCanvas.addEventListener("wheel", (e) => {
    e.preventDefault();
    const factor = e.deltaY > 0 ? 0.8 : 1.25;
    const x = plan.cx + (e.offsetX - size.plan.w / 2) / plan.scale;
    const y = plan.cy - (e.offsetY - size.plan.h / 2) / plan.scale;
    const scale = Math.min(data.scale.most, plan.scale * factor);
    plan.cx = x - (e.offsetX - size.plan.w / 2) / scale;
    plan.cy = y + (e.offsetY - size.plan.h / 2) / scale;
    plan.scale = scale;
    followPlan();
    redraw();
  }, { passive: false });
  planCanvas.addEventListener("mousedown", (e) => {
    planCanvas.focus();
    dragPlan = { x: e.offsetX, y: e.offsetY, cx: plan.cx, cy: plan.cy };
    planCanvas.style.cursor = "grabbing";
  });
  planCanvas.addEventListener("mousemove", (e) => {
    if (dragPlan) {
      plan.cx = dragPlan.cx - (e.offsetX - dragPlan.x) / plan.scale;
      plan.cy = dragPlan.cy + (e.offsetY - dragPlan.y) / plan.scale;
      // The profiles follow when the drag ends.
      drawPlan();
      paintCursor();
      return;
    }
    if (!data.plan) return;
    // The point of the plan nearest the pointer, if it is near.
    const { P, X, Y } = planLevel(plan.scale);
    let best = null, bestDistance = 15;
    for (let i = 0; i < P.length; ++i) {
      const d = Math.hypot(planX(X[i]) - e.offsetX, planY(Y[i]) - e.offsetY);
      if (d < bestDistance) { bestDistance = d; best = P[i]; }
    }
    hover = best;
    showReadout(hover);
    paintCursor();
  });
  planCanvas.addEventListener("dblclick", showAll);

  // The plan's stretch of line, for the profiles to follow a zoom or pan of
  // the plan: the progressives of the points on the canvas.
  function followPlan() {
    if (!data.plan) return;
    const { P, X, Y } = planLevel(plan.scale);
    let from = Infinity, to = -Infinity;
    for (let i = 0; i < P.length; ++i) {
      if (onPlan(X[i], Y[i], 0)) { from = Math.min(from, P[i]); to = Math.max(to, P[i]); }
    }
    if (from < to) clampRange(from, to);
  }

  function zoomPlan(factor) {
    plan.scale = Math.min(data.scale.most, plan.scale * factor);
    followPlan();
    redraw();
  }

  function panPlan(dx, dy) {
    plan.cx += (dx * size.plan.w) / plan.scale;
    plan.cy += (dy * size.plan.h) / plan.scale;
    followPlan();
    redraw();
  }

  document.addEventListener("keydown", (e) => {
    if (e.target instanceof HTMLInputElement || e.ctrlKey || e.metaKey || e.altKey) return;
    // A list item is chosen with Enter or the space bar.
    if (e.target instanceof HTMLLIElement && (e.key === "Enter" || e.key === " ")) { e.preventDefault(); e.target.click(); return; }
    const onThePlan = document.activeElement === planCanvas;
    const keys = onThePlan
      ? { "+": () => zoomPlan(1.25), "=": () => zoomPlan(1.25), "-": () => zoomPlan(0.8), ArrowLeft: () => panPlan(-0.2, 0), ArrowRight: () => panPlan(0.2, 0), ArrowUp: () => panPlan(0, 0.2), ArrowDown: () => panPlan(0, -0.2), "0": showAll, Home: showAll }
      : { "+": () => zoomRange(0.8), "=": () => zoomRange(0.8), "-": () => zoomRange(1.25), ArrowLeft: () => panRange(-0.2), ArrowRight: () => panRange(0.2), "0": showAll, Home: showAll };
    if (e.target instanceof HTMLLIElement && e.key.startsWith("Arrow")) return;
    const act = keys[e.key];
    if (act) { e.preventDefault(); act(); }
  });
  window.addEventListener("resize", () => redraw());

  // --- panels --------------------------------------------------------------------

  function fillPanels() {
    document.getElementById("title").textContent = "Line " + data.line + ", train " + data.train + ": " + (data.length / 1000).toLocaleString("en-US") + " km";
    const summary = document.getElementById("summary");
    summary.replaceChildren();
    const counted = [["stations", "station"], ["signals", "signal"], ["boards", "speed board"], ["signs", "sign"], ["slowdowns", "slowdown"], ["curves", "curve"], ["mountains", "mountain"]];
    const held = new Map(data.build.counts.map((c) => [c.key, c.sources]));
    for (const [key, name] of counted) {
      const n = data[key].length;
      const inSources = held.has(key) ? held.get(key) : n;
      const li = document.createElement("li");
      li.dataset.count = key; li.dataset.value = n; li.dataset.sources = inSources;
      const plural = (k) => name + (k === 1 ? "" : "s");
      if (inSources > n) {
        li.className = "short";
        li.textContent = n + " of " + inSources + " " + plural(inSources);
        li.title = n + " compiled, " + inSources + " in the sources";
      } else {
        li.textContent = n + " " + plural(n);
      }
      summary.append(li);
    }
    showNotices();
    const list = document.getElementById("diagnostics");
    list.replaceChildren();
    document.getElementById("diagnostic-count").textContent = "(" + data.diagnostics.length + ")";
    if (!data.diagnostics.length) {
      const li = document.createElement("li"); li.className = "none";
      li.textContent = data.files.length ? "none: the sources compile cleanly" : "none known: give the source files to see them";
      list.append(li);
    }
    for (const d of data.diagnostics) {
      const li = document.createElement("li");
      li.dataset.file = d.file; li.dataset.line = d.line; li.tabIndex = 0;
      const badge = document.createElement("span"); badge.className = "severity " + d.severity; badge.textContent = d.severity + " " + d.code;
      const where = document.createElement("span"); where.className = "src"; where.textContent = " " + baseName(d.file) + (d.line ? ":" + d.line : "") + " "; where.title = d.file;
      const message = document.createElement("div"); message.textContent = d.message;
      li.append(badge, where, message);
      if (d.hint) { const hint = document.createElement("div"); hint.className = "hint"; hint.textContent = d.hint; li.append(hint); }
      const p = data.placeOfLine.get(data.files.indexOf(d.file) + ":" + d.line);
      if (p !== undefined) li.addEventListener("click", () => { setRange(p - 1500, p + 1500); hover = p; showReadout(p); paintCursor(); });
      list.append(li);
    }
    const stations = document.getElementById("stations");
    stations.replaceChildren();
    for (const s of data.stations) {
      const li = document.createElement("li");
      li.textContent = s.name + " \u2013 " + (kilometresAgree() ? "km " + kilometreText(kilometreAt(s.p)) : "progressive " + metres(s.p)) + ", " + s.time + " ";
      if (s.src) { const span = document.createElement("span"); span.className = "src"; span.textContent = sourceText(s.src); li.append(span); }
      li.tabIndex = 0;
      li.addEventListener("click", () => { setRange(s.from - 1000, s.to + 1000); hover = s.p; showReadout(s.p); paintCursor(); });
      stations.append(li);
    }
    const files = document.getElementById("files");
    files.replaceChildren();
    if (!data.files.length) { const li = document.createElement("li"); li.className = "none"; li.textContent = "compiled files only"; files.append(li); }
    for (const f of data.files) { const li = document.createElement("li"); li.className = "src"; li.textContent = f; files.append(li); }
  }

  // What the page must say before anything else: a build that stopped, the
  // last good build kept on screen, kilometres that disagree with the signs.
  function showNotices() {
    const notices = document.getElementById("notices");
    notices.replaceChildren();
    const notice = (kind, title) => {
      const div = document.createElement("div"); div.className = "notice " + kind; div.dataset.notice = kind;
      const strong = document.createElement("strong"); strong.textContent = title + " ";
      div.append(strong);
      notices.append(div);
      return div;
    };
    const stale = data.stale;
    if (stale) {
      const div = notice("stale", "The sources do not compile now.");
      div.append("Shown: build " + stale.shown + ", the last that compiled; the " + stale.errors + " error" + (stale.errors === 1 ? "" : "s") + " of build " + stale.version + " are listed under Diagnostics.");
    }
    const b = data.build;
    if (!b.complete && b.stop) {
      const div = notice("partial", "Partial build: the compile stopped at its first error.");
      const link = document.createElement("a");
      link.href = "#diagnostics"; link.className = "src"; link.title = b.stop.file;
      link.textContent = baseName(b.stop.file) + ":" + b.stop.line;
      link.addEventListener("click", (e) => { e.preventDefault(); goToDiagnostic(b.stop.file, b.stop.line); });
      div.append("error " + b.stop.code + " at ", link, ": " + b.stop.message + ". ");
      const missing = b.counts.filter((c) => c.sources > c.compiled).map((c) => (c.sources - c.compiled) + " of " + c.sources + " " + c.key);
      const lanes = Object.entries(b.reached).filter(([, r]) => r !== null).map(([k, r]) => k + " after " + metres(r));
      const never = document.createElement("div");
      never.textContent = "Never reached: " + (missing.length ? missing.join(", ") : "no object") + (lanes.length ? "; the profiles " + lanes.join(", ") + " (hatched)" : "") + ".";
      div.append(never);
    }
    if (!kilometresAgree()) {
      const div = notice("kilometres", "Kilometres unknown: the axis counts progressives.");
      div.append(data.kilometres.why + ". The references are marked on the axis with their values.");
    }
    notices.hidden = !notices.childElementCount;
  }

  // Shows the diagnostic of file:line in the list and moves the view to its place.
  function goToDiagnostic(file, line) {
    const items = [...document.querySelectorAll("#diagnostics li")];
    const item = items.find((li) => li.dataset.file === file && Number(li.dataset.line) === line);
    if (item) { item.scrollIntoView({ block: "nearest" }); item.focus(); item.click(); }
  }

  // --- a page served by scenario_tool view --watch takes each new build --------------

  // The page asks its server for the build's version every second, waiting
  // at most 2 s for an answer; the mark says what it last heard, and a
  // server that comes back (restarted, say) is taken up again at once.
  function watch() {
    if (!location.protocol.startsWith("http")) return;
    const live = document.getElementById("live");
    live.hidden = false;
    let lastHeard = Date.now();
    const ask = async (what, answer) => {
      const controller = new AbortController();
      const timer = setTimeout(() => controller.abort(), 2000);
      try {
        const response = await fetch(what, { cache: "no-store", signal: controller.signal });
        if (!response.ok) throw new Error("status " + response.status);
        return await answer(response);
      } finally {
        clearTimeout(timer);
      }
    };
    const mark = () => {
      const stale = data.stale;
      const errors = data.diagnostics.filter((d) => d.severity === "error").length;
      live.className = stale ? "stale" : errors ? "failed" : "";
      live.dataset.state = stale ? "stale" : "live";
      live.textContent = "live: build " + (stale ? stale.shown + " shown, build " + stale.version + " does not compile" : data.version + (errors ? ", " + errors + " error" + (errors === 1 ? "" : "s") : ""));
    };
    const poll = async () => {
      try {
        const [version, server] = (await ask("version", (r) => r.text())).trim().split(" ");
        lastHeard = Date.now();
        if (Number(version) !== data.version || (server || "") !== (data.server || "")) {
          const next = decode(await ask("data", (r) => r.json()));
          const kept = { range, plan: { ...plan } };
          data = next;
          fillPanels();
          range = kept.range;
          plan = kept.plan;
          setRange(range.from, range.to, false);
          if (hover !== null) showReadout(hover);
        }
        mark();
      } catch (failure) {
        const since = Math.round((Date.now() - lastHeard) / 1000);
        live.className = "failed";
        live.dataset.state = "unreachable";
        live.textContent = "no answer from the server for " + since + " s: showing build " + data.version + ", still asking";
      }
      setTimeout(poll, 1000);
    };
    mark();
    setTimeout(poll, 1000);
  }

  // The current view, plan over profiles, as one PNG file.
  function exportPng() {
    const ratio = window.devicePixelRatio || 1;
    const image = document.createElement("canvas");
    image.width = planCanvas.width;
    image.height = planCanvas.height + profileCanvas.height;
    const ctx = image.getContext("2d");
    ctx.fillStyle = "#fff"; ctx.fillRect(0, 0, image.width, image.height);
    ctx.drawImage(planCanvas, 0, 0);
    ctx.drawImage(profileCanvas, 0, planCanvas.height);
    ctx.fillStyle = "#1d2630"; ctx.font = Math.round(12 * ratio) + "px " + FONT; ctx.textBaseline = "top";
    ctx.fillText(document.getElementById("title").textContent + " \u2013 " + document.getElementById("range").textContent, 8 * ratio, 8 * ratio);
    image.toBlob((blob) => {
      const link = document.createElement("a");
      link.href = URL.createObjectURL(blob);
      link.download = data.line + "_" + data.train + ".png";
      link.click();
      setTimeout(() => URL.revokeObjectURL(link.href), 1000);
    }, "image/png");
  }

  function start() {
    data = decode(JSON.parse(document.getElementById("scenario-data").textContent));
    // Shown inside another site's frame, the page shows nothing.
    if (window.top !== window.self) { document.body.textContent = "This page is not shown inside a frame."; return; }
    fillPanels();
    startRun();
    showAll();
    showReadout(null);
    watch();
    document.getElementById("export-png").addEventListener("click", exportPng);
    // What a test or a curious author can ask the page.
    window.scenarioViewer = {
      range: () => ({ ...range }),
      planScale: () => plan.scale,
      drawn: () => ({ ...drawn }),
      drawnLabels: () => JSON.parse(JSON.stringify(drawnLabels)),
      version: () => data.version,
      profileX,
      planScreen: (p) => { const [x, y] = planPointAt(p); return [planX(x), planY(y)]; },
      chartRows: () => profileRows(size.profiles.h),
      // The signs that name a kilometre, with the page's kilometre at each.
      kilometreSigns: () => data.signs.filter((s) => s.named !== null).map((s) => ({ p: s.p, text: s.text, named: s.named, kilometre: kilometreAt(s.p) })),
      // Times `steps` redraws of one kind, in ms each: "zoom", "drag" or "pointer".
      timeRedraws: (kind, steps) => {
        const times = [];
        const r = profileCanvas.getBoundingClientRect(), q = planCanvas.getBoundingClientRect();
        for (let i = 0; i < steps; ++i) {
          const started = performance.now();
          if (kind === "zoom") planCanvas.dispatchEvent(new WheelEvent("wheel", { deltaY: i % 2 ? 100 : -100, clientX: q.left + q.width / 2, clientY: q.top + q.height / 2, bubbles: true, cancelable: true }));
          else if (kind === "drag") {
            const x = q.left + q.width / 2, y = q.top + q.height / 2;
            planCanvas.dispatchEvent(new MouseEvent("mousedown", { clientX: x, clientY: y, bubbles: true }));
            planCanvas.dispatchEvent(new MouseEvent("mousemove", { clientX: x + (i % 2 ? 5 : -5), clientY: y, bubbles: true }));
            dragPlan = null;
          }
          else profileCanvas.dispatchEvent(new MouseEvent("mousemove", { clientX: r.left + LEFT + (i * 37) % (r.width - LEFT - RIGHT), clientY: r.top + r.height / 2, bubbles: true }));
          times.push(performance.now() - started);
        }
        return times;
      },
    };
  }

  start();
})();
