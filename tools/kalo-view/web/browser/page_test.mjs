// The kalo-view page in a real headless Chromium (software WebGL through
// SwiftShader): no errors, no network, the lists and reports equal the tools',
// poses equal MuJoCo's for the exported MJCF after setting joints through the
// page's interface and through its sliders, the loops against closed forms,
// and the pixels it draws.
import test from "node:test";
import assert from "node:assert";
import fs from "node:fs";
import path from "node:path";
import { execFileSync, spawnSync } from "node:child_process";
import { createRequire } from "node:module";
import { decodePng } from "./png.mjs";

const require = createRequire(import.meta.url);
const closed = require("../test/closed_forms.js");
const env = (name) => {
  const v = process.env[name];
  if (!v) throw new Error(`${name} is not set (ctest sets it; see tools/kalo-view/tests/CMakeLists.txt)`);
  return v;
};

let chromium;
try {
  ({ chromium } = await import("playwright-core"));
} catch (e) {
  console.error("playwright-core is missing: run 'npm ci' in tools/kalo-view/web (scripts/install-deps.sh does). " + e.message);
  process.exit(1);
}

const work = env("KALO_VIEW_WORK");
fs.mkdirSync(work, { recursive: true });
const models = env("KALO_VIEW_MODELS"), data = env("KALO_TEST_DATA");
const tool = (name, args) => execFileSync(env(name), args, { encoding: "utf8" });

/// Page, MJCF, export report and inspection of one model.
function prepare(name, modelPath, extra = [], auditExtra = extra) {
  const html = path.join(work, name + ".html"), mjcf = path.join(work, name + ".mjcf.xml");
  const report = path.join(work, name + ".report.json");
  tool("KALO_VIEW", [...extra, modelPath, html]);
  tool("KALO_EXPORT", ["--to", "mjcf", ...extra, "--report-json", report, modelPath, mjcf]);
  const inspect = JSON.parse(tool("KALO_INSPECT", ["--json", modelPath]));
  const audit = JSON.parse(tool("KALO_INSPECT", ["--audit", "--json", ...auditExtra, modelPath]));
  return { html, mjcf, report: JSON.parse(fs.readFileSync(report, "utf8")).report, inspect, audit };
}

/// MuJoCo's body poses for the MJCF at the page's joint values.
function mujocoPoses(mjcf, values) {
  let input = "";
  for (const [name, v] of Object.entries(values)) input += `${name} ${[].concat(v).map((x) => x.toPrecision(17)).join(" ")}\n`;
  const run = spawnSync(env("KALO_VIEW_MUJOCO"), ["poses", mjcf], { input: input + "end\n", encoding: "utf8" });
  assert.strictEqual(run.status, 0, run.stderr);
  const poses = {};
  for (const line of run.stdout.split("\n")) {
    const w = line.split(" ");
    if (w.length === 13) poses[w[0]] = { position: w.slice(1, 4).map(Number), rotation: w.slice(4).map(Number) };
  }
  return poses;
}

const browser = await chromium.launch({
  executablePath: env("KALO_CHROMIUM"),
  args: ["--no-sandbox", "--enable-unsafe-swiftshader", "--use-angle=swiftshader", "--ignore-gpu-blocklist"],
});
test.after(() => browser.close());

async function open(html) {
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 }, deviceScaleFactor: 1 });
  const page = await context.newPage();
  const problems = [], outside = [];
  page.on("pageerror", (e) => problems.push("page error: " + e.message));
  page.on("console", (m) => { if (m.type() === "error") problems.push("console error: " + m.text()); });
  await context.route("**/*", (route) => {
    const url = route.request().url();
    if (url.startsWith("file:")) return route.continue();
    outside.push(url);
    return route.abort();
  });
  await page.goto("file://" + html);
  await page.waitForFunction(() => document.body.hasAttribute("data-ready"), null, { timeout: 60000 });
  const renderer = await page.evaluate(() => window.kalo && window.kalo.renderer);
  if (!renderer) throw new Error("WebGL is missing in this browser: the page drew nothing (renderer string empty)");
  return { page, problems, outside, renderer, context };
}

function assertPosesEqualMujoco(pagePoses, mujoco, what) {
  const names = Object.keys(pagePoses);
  assert.ok(names.length > 0);
  for (const name of names) {
    const m = mujoco[name];
    assert.ok(m, `${what}: MuJoCo has no body ${name}`);
    for (let k = 0; k < 3; ++k)
      assert.ok(Math.abs(pagePoses[name].position[k] - m.position[k]) < 1e-9,
        `${what}: ${name} at ${pagePoses[name].position}, MuJoCo ${m.position}`);
  }
}

const poses = (page) => page.evaluate(() => Object.fromEntries(kalo.bodies().map((b) => [b.name, kalo.worldPose(b.name)])));

/// Names of the bodies below `link` (itself included), from the page's parents.
function below(bodies, link) {
  const parent = Object.fromEntries(bodies.map((b) => [b.name, b.parent]));
  return new Set(bodies.map((b) => b.name).filter((n) => {
    for (let x = n; x; x = parent[x]) if (x === link) return true;
    return false;
  }));
}

async function canvasPixels(page) {
  const png = decodePng(await page.locator("#view").screenshot());
  const rect = await page.evaluate(() => { const r = document.getElementById("view").getBoundingClientRect(); return [r.left, r.top]; });
  return { ...png, left: rect[0], top: rect[1] };
}

const arm = prepare("robot_arm", path.join(models, "robot_arm.xml"));
const armPage = await open(arm.html);
const { page } = armPage;

test("robot arm: WebGL renderer reported, no page or console errors, no request leaves the file", async () => {
  console.log("renderer: " + armPage.renderer);
  assert.match(armPage.renderer, /\S/);
  assert.match(await page.textContent("#renderer"), /^renderer: /);
  assert.deepStrictEqual(armPage.outside, []);
  assert.deepStrictEqual(armPage.problems, []);
});

function inspectTree(s) {
  return { name: s.name, bodies: (s.bodies || []).map((b) => b.name), joints: (s.joints || []).map((j) => j.name),
    subsystems: (s.subsystems || []).map((r) => inspectTree(r.subsystem || r)) };
}
function pageTree(s) {
  return { name: s.name, bodies: s.bodies.map((b) => b.name), joints: s.joints, subsystems: s.subsystems.map(pageTree) };
}

test("robot arm: the page's bodies, joints and subsystems equal kalo-inspect --json; its report equals kalo-export's", async () => {
  assert.deepStrictEqual(pageTree(await page.evaluate(() => kalo.tree())), inspectTree(arm.inspect.model.top));
  assert.deepStrictEqual(await page.evaluate(() => kalo.report()), arm.report);
  const listed = await page.$$eval("#report p.line", (ps) => ps.map((p) => p.textContent));
  assert.deepStrictEqual(listed, arm.report);
  assert.deepStrictEqual(await page.evaluate(() => kalo.audit()), arm.audit.audit);
  assert.deepStrictEqual(arm.audit.audit, [], "the shipped example raises no audit line");
});

test("robot arm: after setJoint every body stands where MuJoCo puts it; bodies upstream do not move", async () => {
  const bodies = await page.evaluate(() => kalo.bodies());
  const dofs = (await page.evaluate(() => kalo.dofs())).filter((d) => d.kind !== "ball");
  assert.ok(dofs.length >= 4, "the arm has hinges and slides");
  let value = 0.37;
  for (const d of dofs) {
    const before = await poses(page);
    await page.evaluate(([n, v]) => kalo.setJoint(n, v), [d.name, d.kind === "slide" ? value / 10 : value]);
    value = -value * 1.3;
    const after = await poses(page);
    assertPosesEqualMujoco(after, mujocoPoses(arm.mjcf, await page.evaluate(() => kalo.jointValues())), d.name);
    const moved = below(bodies, d.link);
    for (const b of bodies)
      if (!moved.has(b.name)) assert.deepStrictEqual(after[b.name], before[b.name], `${b.name} is upstream of ${d.name}`);
  }
  await page.evaluate(() => kalo.reset());
});

test("robot arm: a slider moved by real mouse input moves the model as MuJoCo does", async () => {
  const d = (await page.evaluate(() => kalo.dofs())).find((x) => x.kind === "hinge");
  const slider = page.locator(`input[data-dof="${d.name}"]`);
  const box = await slider.boundingBox();
  const before = await page.evaluate((n) => kalo.jointValues()[n], d.name);
  await page.mouse.click(box.x + box.width * 0.8, box.y + box.height / 2);
  const values = await page.evaluate(() => kalo.jointValues());
  assert.ok(Math.abs(values[d.name] - before) > 0.5, `the slider moved ${d.name}: ${before} -> ${values[d.name]}`);
  assert.strictEqual(Number(await slider.inputValue()), values[d.name]);
  assertPosesEqualMujoco(await poses(page), mujocoPoses(arm.mjcf, values), "slider " + d.name);
  await page.evaluate(() => kalo.reset());
});

test("robot arm pixels: not blank; moving a joint changes pixels only where moved bodies are drawn; colours show", async () => {
  await page.evaluate(() => { kalo.reset(); kalo.draw(); });
  const first = await canvasPixels(page);
  const background = [247, 247, 250];
  let drawn = 0;
  const colours = new Set();
  for (let i = 0; i < first.data.length; i += 4) {
    const px = [first.data[i], first.data[i + 1], first.data[i + 2]];
    if (px.some((v, k) => Math.abs(v - background[k]) > 3)) ++drawn;
    colours.add(px.join());
  }
  assert.ok(drawn > 0.01 * first.width * first.height, `only ${drawn} pixels drawn`);
  assert.ok(colours.size > 20, `${colours.size} colours`);

  // Turn the elbow-side hinge: only the bodies below it may change pixels.
  const bodies = await page.evaluate(() => kalo.bodies());
  const hinges = (await page.evaluate(() => kalo.dofs())).filter((d) => d.kind === "hinge");
  const d = hinges[hinges.length - 1];
  const moved = [...below(bodies, d.link)];
  const boundsBefore = await page.evaluate((names) => names.map((n) => kalo.screen(n)).filter(Boolean), moved);
  await page.evaluate(([n]) => { kalo.setJoint(n, 0.6); kalo.draw(); }, [d.name]);
  const second = await canvasPixels(page);
  const boundsAfter = await page.evaluate((names) => names.map((n) => kalo.screen(n)).filter(Boolean), moved);
  const boxes = boundsBefore.concat(boundsAfter).map((s) => s.bounds);
  let changed = 0, stray = 0;
  for (let y = 0; y < second.height; ++y)
    for (let x = 0; x < second.width; ++x) {
      const i = 4 * (y * second.width + x);
      if (first.data[i] === second.data[i] && first.data[i + 1] === second.data[i + 1] && first.data[i + 2] === second.data[i + 2]) continue;
      ++changed;
      const cx = x + first.left + 0.5, cy = y + first.top + 0.5;
      if (!boxes.some((b) => cx >= b[0] - 2 && cx <= b[2] + 2 && cy >= b[1] - 2 && cy <= b[3] + 2)) ++stray;
    }
  assert.ok(changed > 50, `turning ${d.name} changed ${changed} pixels`);
  assert.strictEqual(stray, 0, `${stray} of ${changed} changed pixels lie outside the moved bodies ${moved}`);
  await page.evaluate(() => { kalo.reset(); kalo.draw(); });

  // A body with a material colour shows it (shaded: the channels keep their ratios).
  const pixels = await canvasPixels(page);
  let checked = 0;
  for (const b of bodies.filter((x) => x.color && Math.max(...x.color) - Math.min(...x.color) > 0.3)) {
    const s = await page.evaluate((n) => kalo.screen(n), b.name);
    if (!s || !s.center) continue;
    if ((await page.evaluate(([x, y]) => kalo.pickAt(x, y), s.center)) !== b.name) continue; // hidden there
    const x = Math.floor(s.center[0] - pixels.left), y = Math.floor(s.center[1] - pixels.top);
    const i = 4 * (y * pixels.width + x);
    const px = [pixels.data[i], pixels.data[i + 1], pixels.data[i + 2]];
    const k = px[0] / (255 * b.color[0]);
    assert.ok(k > 0.25 && k <= 1.01, `${b.name}: pixel ${px} is not its colour ${b.color} shaded`);
    px.forEach((v, c) => assert.ok(Math.abs(v - k * 255 * b.color[c]) <= 3, `${b.name}: pixel ${px} against colour ${b.color}`));
    ++checked;
  }
  assert.ok(checked > 0, "some coloured body is in view");
});

test("robot arm: a click on a body shows its properties; Home pose puts every joint back", async () => {
  const bodies = await page.evaluate(() => kalo.bodies());
  let clicked = null;
  for (const b of bodies) {
    const s = await page.evaluate((n) => kalo.screen(n), b.name);
    if (!s || !s.center || (await page.evaluate(([x, y]) => kalo.pickAt(x, y), s.center)) !== b.name) continue;
    await page.mouse.click(s.center[0], s.center[1]);
    clicked = b;
    break;
  }
  assert.ok(clicked, "some body is clickable");
  assert.strictEqual(await page.evaluate(() => kalo.selected()), clicked.name);
  const shown = await page.textContent("#selected");
  for (const text of [clicked.rawName, clicked.subsystem, "kg"]) assert.ok(shown.includes(text), `${text} in ${shown}`);
  const d = (await page.evaluate(() => kalo.dofs())).find((x) => x.kind === "hinge");
  await page.evaluate((n) => kalo.setJoint(n, 0.7), d.name);
  await page.click("#reset");
  const values = await page.evaluate(() => kalo.jointValues());
  for (const [name, v] of Object.entries(values)) assert.deepStrictEqual([].concat(v).map(Math.abs), [].concat(v).map(() => 0), name);
});

test("robot arm: the README's screenshot, posed, a body selected, joint axes shown", async () => {
  const hinges = (await page.evaluate(() => kalo.dofs())).filter((d) => d.kind === "hinge");
  await page.evaluate((names) => {
    names.forEach((n, i) => kalo.setJoint(n, [0.5, 0.6, -0.9, 0.4][i % 4]));
    kalo.select(kalo.bodies().find((b) => b.rawName === "UpperArm").name);
    document.getElementById("show-axes").click();
    kalo.draw();
  }, hinges.map((d) => d.name));
  const file = path.join(work, "robot_arm.png");
  await page.screenshot({ path: file });
  if (process.env.KALO_VIEW_SCREENSHOT) fs.copyFileSync(file, process.env.KALO_VIEW_SCREENSHOT);
  assert.deepStrictEqual(armPage.problems, []);
});

/// A binary STL of the box [0, size], wound outward.
function boxStl(size) {
  const c = [0, 1, 2, 3, 4, 5, 6, 7].map((i) => [i & 1 ? size[0] : 0, i & 2 ? size[1] : 0, i & 4 ? size[2] : 0]);
  const quads = [[0, 2, 3, 1], [4, 5, 7, 6], [0, 1, 5, 4], [2, 6, 7, 3], [0, 4, 6, 2], [1, 3, 7, 5]];
  const out = Buffer.alloc(84 + 12 * 50);
  out.writeUInt32LE(12, 80);
  let at = 84;
  for (const q of quads)
    for (const t of [[q[0], q[1], q[2]], [q[0], q[2], q[3]]]) {
      at += 12;
      for (const v of t) for (let k = 0; k < 3; ++k, at += 4) out.writeFloatLE(c[v][k], at);
      at += 2;
    }
  return out;
}

test("meshes and the audit: an STL in millimetres read as metres is drawn, flagged and outlined", async () => {
  // The turret's 0.16 x 0.16 x 0.30 m box written in millimetres; the gripper's file is no mesh at all.
  const meshes = path.join(work, "meshes");
  fs.mkdirSync(meshes, { recursive: true });
  fs.writeFileSync(path.join(meshes, "turret.stl"), boxStl([160, 160, 300]));
  fs.writeFileSync(path.join(meshes, "gripper.stl"), "not a mesh");
  const m = prepare("robot_arm_meshes", path.join(models, "robot_arm.xml"), ["--mesh-dir", meshes]);
  const { page: p, problems } = await open(m.html);
  const bodies = await p.evaluate(() => kalo.bodies());
  const turret = bodies.find((b) => b.rawName === "Turret"), gripper = bodies.find((b) => b.rawName === "Gripper");
  assert.strictEqual(turret.drawnAs, "mesh");
  assert.strictEqual(gripper.drawnAs, "box");
  const audit = await p.evaluate(() => kalo.audit());
  assert.deepStrictEqual(audit, m.audit.audit);
  assert.ok(audit.some((a) => a.body === turret.name && /--mesh-scale 0\.001 would make them agree/.test(a.text)), JSON.stringify(audit));
  assert.ok(turret.flagged && !bodies.find((b) => b.rawName === "Base").flagged);
  assert.deepStrictEqual(await p.$$eval("#audit p", (ps) => ps.map((x) => x.textContent)), audit.map((a) => a.text));
  assert.deepStrictEqual(problems, []);
  // The file that is no mesh is embedded like the others, and the page says why it draws a box.
  const notDrawn = await p.$$eval("#report p.line", (ps) => ps.map((x) => x.textContent).filter((t) => t.startsWith("mesh ")));
  assert.deepStrictEqual(notDrawn, [`mesh '${path.join(meshes, "gripper.stl")}' not drawn: neither a binary STL (size does not match its triangle count) nor an ASCII STL`]);
});

test("--joints: sliders keep to the settings' ranges and start at their home values, where MuJoCo's poses are", async () => {
  const settings = path.join(env("KALO_SOURCE_DIR"), "examples/robot_arm_settings.json");
  const m = prepare("robot_arm_settings", path.join(models, "robot_arm.xml"), ["--joints", settings], []);
  const { page: p, problems } = await open(m.html);
  assert.deepStrictEqual(await p.evaluate(() => kalo.report()), m.report);
  const dofs = Object.fromEntries((await p.evaluate(() => kalo.dofs())).map((d) => [d.name, d]));
  // The ranges the settings file gives, a pattern's included.
  for (const [name, range] of [["Base--Turret", [-2.8, 2.8]], ["Shoulder.Turret--UpperArm", [-1.6, 1.6]],
    ["UpperArm--Forearm", [-2.2, 2.2]], ["Forearm--ToolPlate.slide1", [-0.02, 0.03]]]) {
    assert.deepStrictEqual(dofs[name].range, range, name);
    const slider = p.locator(`input[data-dof="${name}"]`);
    assert.deepStrictEqual([Number(await slider.getAttribute("min")), Number(await slider.getAttribute("max"))], range, name);
  }
  const home = await p.evaluate(() => kalo.jointValues());
  assert.strictEqual(home["Base--Turret"], 0.3);
  assertPosesEqualMujoco(await poses(p), mujocoPoses(m.mjcf, home), "home pose");
  await p.evaluate(() => { kalo.setJoint("Base--Turret", -1); kalo.reset(); });
  assert.strictEqual(await p.evaluate(() => kalo.jointValues()["Base--Turret"]), 0.3);
  assert.deepStrictEqual(problems, []);
});

test("the audit on the page: a model's flagged bodies are listed and outlined in red, as kalo-inspect --audit says", async () => {
  const m = prepare("welded_arm", path.join(data, "inspect/welded_arm.xml"));
  assert.strictEqual(m.audit.warnings, 2);
  const { page: p, problems } = await open(m.html);
  assert.deepStrictEqual(await p.evaluate(() => kalo.audit()), m.audit.audit);
  const flagged = (await p.evaluate(() => kalo.bodies())).filter((b) => b.flagged).map((b) => b.name);
  assert.deepStrictEqual(flagged.sort(), [...new Set(m.audit.audit.map((a) => a.body))].sort());
  assert.deepStrictEqual(await p.$$eval("#tree .flagged", (e) => e.map((x) => x.getAttribute("data-body")).sort()), flagged.sort());
  await p.evaluate(() => kalo.draw());
  const px = await canvasPixels(p);
  let red = 0;
  for (let i = 0; i < px.data.length; i += 4) if (px.data[i] > 180 && px.data[i + 1] < 60 && px.data[i + 2] < 60) ++red;
  assert.ok(red > 20, `${red} red outline pixels`);
  assert.deepStrictEqual(problems, []);
});

async function crankAt(name, modelPath, crankName, check) {
  const m = prepare(name, modelPath);
  const { page: p, problems } = await open(m.html);
  const residual = await p.evaluate((n) => kalo.setJoint(n, 0.3), crankName);
  assert.ok(residual < 1e-9 && (await p.evaluate(() => kalo.loopResidual())) < 1e-9, `residual ${residual}`);
  assert.match(await p.textContent("#residual"), /^loop residual \d\.\d\de[-+]\d+ m/);
  const values = await p.evaluate(() => kalo.jointValues());
  assert.strictEqual(values[crankName], 0.3);
  assertPosesEqualMujoco(await poses(p), mujocoPoses(m.mjcf, values), name);
  const fixture = JSON.parse(fs.readFileSync(path.join(env("KALO_VIEW_FIXTURES"), name + ".fixture.json"), "utf8")).data;
  await check(p, fixture);
  assert.deepStrictEqual(problems, []);
  assert.deepStrictEqual(await p.evaluate(() => kalo.audit()), m.audit.audit);
  assert.deepStrictEqual(m.audit.audit, [], "the shipped example raises no audit line");
}

const dofOf = (data, name) => {
  for (const l of data.links) for (const d of l.dofs) if (d.name === name) return d;
  for (const c of data.closures) for (const d of c.dofs) if (d.name === name) return d;
  throw new Error("no freedom " + name);
};

test("four-bar: crank at 0.3 rad, loop closed below 1e-9 m, rocker as the closed form", async () => {
  await crankAt("four_bar", path.join(data, "export/four_bar.xml"), "Ground--Crank", async (p, fx) => {
    const crank = dofOf(fx, "Ground--Crank");
    const phi = closed.fourBarRocker({ A: crank.point, B: dofOf(fx, "Crank--Coupler").point, C: dofOf(fx, "Coupler--Rocker").point,
      D: dofOf(fx, "Ground--Rocker").point, n: crank.axis }, 0.3);
    const R = (await p.evaluate(() => kalo.worldPose("Rocker"))).rotation, expected = closed.rotation(crank.axis, phi);
    R.forEach((v, k) => assert.ok(Math.abs(v - expected[k]) < 1e-9, `rocker ${R} against ${expected}`));
  });
});

test("slider-crank: crank at 0.3 rad, loop closed below 1e-9 m, slider as the closed form", async () => {
  const fx = JSON.parse(fs.readFileSync(path.join(env("KALO_VIEW_FIXTURES"), "slider_crank.fixture.json"), "utf8")).data;
  const all = fx.links.flatMap((l) => l.dofs).concat(fx.closures.flatMap((c) => c.dofs));
  const find = (pred) => all.find(pred);
  const crank = find((d) => d.name.includes("Crank") && d.name.includes("Frame") && d.kind === "hinge");
  await crankAt("slider_crank", path.join(models, "slider_crank.xml"), crank.name, async (p) => {
    const pin = find((d) => d.name.includes("Crank") && d.name.includes("Rod"));
    const wrist = find((d) => d.name.includes("Rod") && d.name.includes("Slider"));
    const slide = find((d) => d.kind === "slide");
    const s = closed.sliderTravel({ A: crank.point, B: pin.point, C: wrist.point, n: crank.axis, u: slide.axis }, 0.3);
    const home = fx.links.find((l) => l.name.endsWith("Slider")).origin;
    const at = (await p.evaluate(() => kalo.worldPose(kalo.bodies().find((b) => b.rawName === "Slider").name))).position;
    at.forEach((v, k) => assert.ok(Math.abs(v - (home[k] + s * slide.axis[k])) < 1e-9, `slider at ${at}, travel ${s}`));
  });
});
