// The viewer page as an author meets it, in headless Chromium: the page of
// the built-in scenario, the same page served with --watch while its sources
// change, and the page of the largest line. Screenshots are kept in
// $SCENARIO_ARTIFACTS.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import puppeteer from "puppeteer-core";

const tool = process.env.SCENARIO_TOOL;
const bench = process.env.SCENARIO_BENCH;
const artifacts = process.env.SCENARIO_ARTIFACTS || fs.mkdtempSync(path.join(os.tmpdir(), "viewer-artifacts-"));
fs.mkdirSync(artifacts, { recursive: true });
const work = fs.mkdtempSync(path.join(os.tmpdir(), "viewer-test-"));

let browser;

before(async () => {
  browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM,
    headless: true,
    userDataDir: fs.mkdtempSync(path.join(os.tmpdir(), "viewer-profile-")),
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
});

after(async () => {
  await browser?.close();
  fs.rmSync(work, { recursive: true, force: true });
});

// A page that records its console errors and every request it makes beyond
// its own file (or its own server) and inline data.
async function openPage(url, allowedOrigin) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1400, height: 900 });
  const problems = [];
  const requests = [];
  page.on("console", (m) => { if (m.type() === "error" || m.type() === "warn") problems.push(m.type() + ": " + m.text()); });
  page.on("pageerror", (e) => problems.push("page error: " + e.message));
  await page.setRequestInterception(true);
  page.on("request", (r) => {
    const u = r.url();
    const own = u.startsWith("file:") || u.startsWith("data:") || (allowedOrigin && u.startsWith(allowedOrigin));
    if (own) { r.continue(); } else { requests.push(u); r.abort(); }
  });
  const started = Date.now();
  await page.goto(url, { waitUntil: "load" });
  await page.waitForFunction(() => window.scenarioViewer !== undefined, { timeout: 30000 });
  return { page, problems, requests, loadMs: Date.now() - started };
}

function viewer(page, expression) { return page.evaluate(expression); }

// The screen position of progressive `p` inside chart `key` of the profiles.
async function chartPoint(page, p, key) {
  return page.evaluate((p, key) => {
    const canvas = document.getElementById("profiles").getBoundingClientRect();
    const chart = window.scenarioViewer.chartRows().charts.find((c) => c.key === key);
    return { x: canvas.left + window.scenarioViewer.profileX(p), y: canvas.top + (chart.top + chart.bottom) / 2 };
  }, p, key);
}

async function readout(page) {
  return page.evaluate(() => Object.fromEntries([...document.querySelectorAll("#readout dd")].map((d) => [d.dataset.value, d.textContent])));
}

function overlapping(boxes) {
  for (let i = 0; i < boxes.length; ++i) {
    for (let j = i + 1; j < boxes.length; ++j) {
      const a = boxes[i], b = boxes[j];
      if (a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h) return [a.t, b.t];
    }
  }
  return null;
}

function builtInSources(folder) {
  fs.mkdirSync(folder, { recursive: true });
  execFileSync(tool, ["sources", folder, "--force"]);
  return { line: path.join(folder, "Corvalle_Brinta_linea.txt"), train: path.join(folder, "Corvalle_Brinta_24817-.txt") };
}

test("the built-in page: offline, every station and signal, the values under the pointer, zoom and brush", async () => {
  const sources = builtInSources(path.join(work, "builtin"));
  const html = path.join(work, "builtin", "page.html");
  execFileSync(tool, ["view", sources.line, sources.train, "-o", html]);
  const { page, problems, requests, loadMs } = await openPage("file://" + html);
  console.log(`built-in page: ${fs.statSync(html).size} bytes, loaded in ${loadMs} ms`);
  await page.screenshot({ path: path.join(artifacts, "builtin-whole-line.png") });

  assert.deepEqual(await page.$$eval("#summary li", (l) => l.map((i) => [i.dataset.count, i.dataset.value]).slice(0, 2)),
                   [["stations", "13"], ["signals", "29"]]);
  assert.equal(await page.$$eval("#stations li", (l) => l.length), 13);
  // The checker's two notes on the built-in sources, and no warning or error.
  assert.deepEqual(await viewer(page, () => window.scenarioViewer.drawn()), { stations: 13, signals: 29, diagnostics: 2 });
  assert.match(await page.$eval("#stations li", (li) => li.textContent), /CORVALLE .*Corvalle_Brinta_24817-\.txt:\d+/);

  // Inside the slowdown at 10200 (50 km/h over 400 m), where the gradient is
  // 9 per mille; from progressive 1500 (km 0+000) the kilometre counts up.
  const at = await chartPoint(page, 10425, "speed");
  await page.mouse.move(at.x, at.y);
  const values = await readout(page);
  assert.equal(values.limit, "50 km/h");
  assert.equal(values.speed, "135 km/h");
  assert.equal(values.gradient, "9 \u2030");
  assert.match(values.kilometre, /^8\+9\d\d$/);
  assert.match(await page.$eval("#nearby", (n) => n.textContent), /slowdown 50 km\/h.*Corvalle_Brinta_24817-\.txt:\d+/);
  await page.screenshot({ path: path.join(artifacts, "builtin-hover.png") });

  // The wheel zooms the profiles around the pointer, the plan following.
  const whole = await viewer(page, () => window.scenarioViewer.range());
  const planBefore = await viewer(page, () => window.scenarioViewer.planScale());
  for (let i = 0; i < 4; ++i) await page.mouse.wheel({ deltaY: -100 });
  const zoomed = await viewer(page, () => window.scenarioViewer.range());
  assert.ok(zoomed.to - zoomed.from < 0.5 * (whole.to - whole.from), JSON.stringify(zoomed));
  assert.ok(zoomed.from <= 10425 && zoomed.to >= 10425);
  assert.ok((await viewer(page, () => window.scenarioViewer.planScale())) > planBefore);

  // Brushing a stretch shows just that stretch.
  await page.keyboard.press("0");
  const a = await chartPoint(page, 40000, "gradient"), b = await chartPoint(page, 50000, "gradient");
  await page.mouse.move(a.x, a.y);
  await page.mouse.down();
  await page.mouse.move(b.x, b.y, { steps: 5 });
  await page.mouse.up();
  const brushed = await viewer(page, () => window.scenarioViewer.range());
  assert.ok(Math.abs(brushed.from - 40000) < 200 && Math.abs(brushed.to - 50000) < 200, JSON.stringify(brushed));
  assert.equal(overlapping((await viewer(page, () => window.scenarioViewer.drawnLabels())).plan), null);
  await page.screenshot({ path: path.join(artifacts, "builtin-brushed.png") });

  assert.deepEqual(requests, []);
  assert.deepEqual(problems, []);
  await page.close();
});

// Runs `view --watch` and returns the process and its address.
function startWatch(args) {
  const child = spawn(tool, ["view", ...args, "--watch", "--port", "0"], { stdio: ["ignore", "pipe", "pipe"] });
  let out = "";
  const served = new Promise((resolve, reject) => {
    child.stdout.on("data", (chunk) => {
      out += chunk;
      const m = out.match(/serving (http:\/\/127\.0\.0\.1:\d+\/)/);
      if (m) resolve(m[1]);
    });
    child.on("exit", (code) => reject(new Error("view --watch ended with " + code + ": " + out)));
  });
  const ended = new Promise((resolve) => child.on("exit", (code, signal) => resolve({ code, signal, out: () => out })));
  return { child, served, ended };
}

test("the watched page takes each build of its edited sources and keeps its view", async () => {
  const sources = builtInSources(path.join(work, "watched"));
  const { child, served, ended } = startWatch([sources.line, sources.train]);
  try {
    const url = await served;
    const { page, problems, requests } = await openPage(url, url);
    assert.match(await page.$eval("#live", (e) => e.textContent), /live/);

    const a = await chartPoint(page, 20000, "speed"), b = await chartPoint(page, 30000, "speed");
    await page.mouse.move(a.x, a.y);
    await page.mouse.down();
    await page.mouse.move(b.x, b.y, { steps: 5 });
    await page.mouse.up();
    const kept = await viewer(page, () => window.scenarioViewer.range());

    // A station renamed: the new build replaces the old, the view kept.
    const train = fs.readFileSync(sources.train, "latin1");
    const renamed = train.replace("CORVALLE", "CORVALLE NUOVA");
    fs.writeFileSync(sources.train, renamed, "latin1");
    await page.waitForFunction(() => document.querySelector("#stations li").textContent.includes("CORVALLE NUOVA"), { timeout: 15000 });
    assert.deepEqual(await viewer(page, () => window.scenarioViewer.range()), kept);

    // A half-written save keeps the good build on screen and lists the new
    // errors over it.
    fs.writeFileSync(sources.train, renamed.slice(0, Math.floor(renamed.length * 0.6)), "latin1");
    await page.waitForFunction(() => document.querySelector('#notices [data-notice="stale"]') !== null, { timeout: 15000 });
    assert.equal(await page.$$eval("#stations li", (l) => l.length), 13);
    assert.equal(await page.$eval('#summary [data-count="signals"]', (e) => e.dataset.value), "29");
    assert.equal(await page.$eval("#live", (e) => e.dataset.state), "stale");
    assert.ok((await page.$$eval("#diagnostics .severity.error", (l) => l.length)) >= 1);
    assert.deepEqual(await viewer(page, () => window.scenarioViewer.range()), kept);
    await page.screenshot({ path: path.join(artifacts, "watched-half-written-save.png") });

    // A second signal in the cell of the one at 7900: the error is listed,
    // and drawn at its signal.
    const signal = renamed.split("\r\n").find((l) => l.startsWith("segnale,    7900"));
    fs.writeFileSync(sources.train, renamed.replace(signal, signal + "\r\n" + signal.replace("7900", "7910")), "latin1");
    await page.waitForFunction(() => [...document.querySelectorAll("#diagnostics li")].some((li) => /error 16/.test(li.textContent)), { timeout: 15000 });
    assert.equal(await page.$$eval("#stations li", (l) => l.length), 13);
    const listed = await page.$$eval("#diagnostics li", (items) => items.map((li) => li.textContent));
    const error = listed.find((text) => /error 16/.test(text));
    assert.match(error, /Corvalle_Brinta_24817-\.txt:\d+.*signal's cell 159 .*already holds a signal/);
    assert.deepEqual(await viewer(page, () => window.scenarioViewer.range()), kept);
    await page.keyboard.press("0");
    // Those on the line of a placed record are drawn there: the error at its signal.
    const drawnDiagnostics = (await viewer(page, () => window.scenarioViewer.drawn())).diagnostics;
    assert.ok(drawnDiagnostics >= 1 && drawnDiagnostics <= listed.length, String(drawnDiagnostics));
    await page.screenshot({ path: path.join(artifacts, "watched-kept-good-build.png") });

    // Put right again, the error goes; the notes stay.
    fs.writeFileSync(sources.train, renamed, "latin1");
    await page.waitForFunction(
      () => ![...document.querySelectorAll("#diagnostics li")].some((li) => /error/.test(li.textContent)) && !document.querySelector("#notices .stale"),
      { timeout: 15000 });
    assert.equal(await page.$eval("#live", (e) => e.dataset.state), "live");

    assert.deepEqual(requests, []);
    assert.deepEqual(problems, []);
    await page.close();
    child.kill("SIGINT");
    const end = await ended;
    assert.equal(end.code, 0);
    assert.match(end.out(), /stopped/);
  } finally {
    // A failed step must not leave the server running: the test would never end.
    if (child.exitCode === null) child.kill("SIGKILL");
  }
});

test("a one-error pair shows a partial build, never zero where the build stops", async () => {
  const sources = builtInSources(path.join(work, "partial"));
  const train = fs.readFileSync(sources.train, "latin1");
  fs.writeFileSync(sources.train, train.replace("stazione,   30550,", "stazione,   30555,"), "latin1");
  const html = path.join(work, "partial", "page.html");
  try { execFileSync(tool, ["view", sources.line, sources.train, "-o", html]); } catch (e) { assert.equal(e.status, 1); }
  const { page, problems, requests } = await openPage("file://" + html);
  const banner = await page.$eval('#notices [data-notice="partial"]', (e) => e.textContent);
  assert.match(banner, /error 8 at Corvalle_Brinta_24817-\.txt:\d+/);
  assert.match(banner, /Never reached: .*7 of 12 stations.*29 of 29 signals/);
  const count = (key) => page.$eval(`#summary [data-count="${key}"]`, (e) => [e.dataset.value, e.dataset.sources, e.textContent]);
  assert.deepEqual(await count("stations"), ["5", "12", "5 of 12 stations"]);
  assert.deepEqual(await count("signals"), ["0", "29", "0 of 29 signals"]);
  // No nameless half-station, and past its last change read no adhesion or speed value.
  assert.ok(!(await page.$$eval("#stations li", (l) => l.map((li) => li.textContent))).some((t) => /^ \u2013|00:00:00/.test(t)));
  const at = await chartPoint(page, 102000, "speed");
  await page.mouse.move(at.x, at.y);
  const values = await readout(page);
  assert.equal(values.adhesion, "not compiled");
  assert.equal(values.speed, "not compiled");
  assert.match(values.gradient, /\u2030$/); // the line file was read whole
  await page.screenshot({ path: path.join(artifacts, "partial-build.png") });
  // The banner's link leads to the error in the list.
  await page.click('#notices [data-notice="partial"] a');
  assert.match(await page.evaluate(() => document.activeElement.textContent), /error 8/);
  assert.deepEqual(requests, []);
  assert.deepEqual(problems, []);
  await page.close();
});

test("the built-in page: every level-crossing sign names a kilometre just ahead of its own", async () => {
  const sources = builtInSources(path.join(work, "kilometres"));
  const html = path.join(work, "kilometres", "page.html");
  execFileSync(tool, ["view", sources.line, sources.train, "-o", html]);
  const { page, problems } = await openPage("file://" + html);
  const signs = await viewer(page, () => window.scenarioViewer.kilometreSigns());
  assert.equal(signs.length, 42);
  for (const s of signs) {
    const ahead = s.named - s.kilometre;
    assert.ok(ahead >= 0 && ahead <= 200, `${s.text} at ${s.p}: the page says ${s.kilometre}`);
  }
  assert.equal(await page.$('#notices [data-notice="kilometres"]'), null);
  // The axis starts at km 90 and shows it once.
  const posts = (await viewer(page, () => window.scenarioViewer.drawnLabels())).posts.map((l) => l.t);
  assert.equal(posts.filter((t) => t === "90").length, 1, posts.join(" "));
  assert.ok(!posts.some((t) => t.startsWith("-")), posts.join(" "));
  assert.match(await page.$eval("#stations li:nth-child(2)", (li) => li.textContent), /VALDIRONE \u2013 km 6\+550/);

  // Keyboard: Tab reaches both canvases and both lists.
  const reached = new Set();
  for (let i = 0; i < 60; ++i) {
    await page.keyboard.press("Tab");
    reached.add(await page.evaluate(() => {
      const e = document.activeElement;
      return e.id || (e.closest("ol") ? e.closest("ol").id : e.tagName);
    }));
  }
  for (const id of ["plan", "profiles", "diagnostics", "stations"]) assert.ok(reached.has(id), [...reached].join(" "));
  // Keys on the focused plan zoom it, and the profiles follow.
  await page.focus("#plan");
  const before = await viewer(page, () => window.scenarioViewer.range());
  for (let i = 0; i < 4; ++i) await page.keyboard.press("+");
  const after = await viewer(page, () => window.scenarioViewer.range());
  assert.ok(after.to - after.from < before.to - before.from, JSON.stringify([before, after]));
  // Enter on a station moves the view there.
  await page.focus("#stations li:nth-child(5)");
  await page.keyboard.press("Enter");
  const there = await viewer(page, () => window.scenarioViewer.range());
  assert.ok(there.from <= 25950 && there.to >= 25950, JSON.stringify(there));
  await page.screenshot({ path: path.join(artifacts, "builtin-keyboard.png") });
  assert.deepEqual(problems, []);
  await page.close();
});

test("the largest line: loads, and its labels never overlap as it is zoomed", { skip: !bench && "no SCENARIO_BENCH" }, async () => {
  const folder = path.join(work, "largest");
  fs.mkdirSync(folder, { recursive: true });
  execFileSync(bench, ["--write-largest-line", folder]);
  const html = path.join(folder, "largest.html");
  execFileSync(tool, ["view", path.join(folder, "Linea_Massima_linea.txt"), path.join(folder, "Linea_Massima_1-.txt"), "-o", html]);
  const { page, problems, requests, loadMs } = await openPage("file://" + html);
  console.log(`largest page: ${fs.statSync(html).size} bytes, loaded in ${loadMs} ms`);
  assert.deepEqual(await viewer(page, () => window.scenarioViewer.drawn()), { stations: 39, signals: 499, diagnostics: 1 });
  await page.screenshot({ path: path.join(artifacts, "largest-whole-line.png") });

  // Zoomed in at a station, more labels show, never overlapping.
  const station = await page.evaluate(() => {
    const r = document.getElementById("plan").getBoundingClientRect();
    const [x, y] = window.scenarioViewer.planScreen(512500);
    return { x: r.left + x, y: r.top + y };
  });
  await page.mouse.move(station.x, station.y);
  const labelsAtFirst = (await viewer(page, () => window.scenarioViewer.drawnLabels())).plan.length;
  for (let step = 0; step < 6; ++step) {
    const labels = await viewer(page, () => window.scenarioViewer.drawnLabels());
    assert.equal(overlapping(labels.plan), null, "plan labels at zoom step " + step);
    assert.equal(overlapping(labels.posts), null, "kilometre posts at zoom step " + step);
    for (let i = 0; i < 3; ++i) await page.mouse.wheel({ deltaY: -100 });
  }
  const zoomedLabels = (await viewer(page, () => window.scenarioViewer.drawnLabels())).plan;
  assert.ok(zoomedLabels.some((l) => l.t === "STAZIONE 21"), JSON.stringify(zoomedLabels.map((l) => l.t)));
  assert.ok(labelsAtFirst > 0);
  await page.screenshot({ path: path.join(artifacts, "largest-plan-zoomed.png") });
  const at = await chartPoint(page, 500000, "speed");
  await page.mouse.move(at.x, at.y);
  for (let i = 0; i < 8; ++i) await page.mouse.wheel({ deltaY: -100 });
  assert.equal(overlapping((await viewer(page, () => window.scenarioViewer.drawnLabels())).posts), null);
  await page.screenshot({ path: path.join(artifacts, "largest-profiles-zoomed.png") });

  // One frame per redraw at 1920x1080: the median of each kind, printed (a
  // figure, not a timed assertion).
  await page.setViewport({ width: 1920, height: 1080 });
  await page.keyboard.press("0");
  const median = (t) => { const v = [...t].sort((a, b) => a - b); return v[v.length >> 1]; };
  const figures = {};
  for (const kind of ["zoom", "drag", "pointer"]) {
    figures[kind] = median(await page.evaluate((k) => window.scenarioViewer.timeRedraws(k, 40), kind)).toFixed(1);
  }
  console.log(`largest line at 1920x1080, median redraw: zoom ${figures.zoom} ms, drag ${figures.drag} ms, pointer move ${figures.pointer} ms`);
  assert.deepEqual(requests, []);
  assert.deepEqual(problems, []);
  await page.close();
});
