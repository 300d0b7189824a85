// The loop solver against closed forms: the four-bar's rocker and the
// slider-crank's slider for a crank at 0.3 rad, and the loops' residuals.
"use strict";

const test = require("node:test");
const assert = require("node:assert");
const K = require("../src/kinematics.js");
const L = require("../src/loop_solver.js");
const Model = require("../src/model.js");
const fixtures = require("./fixtures.js");
const closed = require("./closed_forms.js");

const byModel = Object.fromEntries(fixtures.models().map((f) => [f.model, f]));

function prepared(name) {
  return Model.prepare(JSON.parse(JSON.stringify(byModel[name].data)));
}

/// A freedom by name, in the tree or in a loop closure (which joint closes a loop is the export's choice).
function dof(model, name) {
  for (const link of model.links) for (const d of link.dofs) if (d.name === name) return d;
  for (const c of model.closures) for (const d of c.dofs) if (d.name === name) return d;
  throw new Error(`no freedom ${name}`);
}

function linkIndex(model, name) {
  const i = model.links.findIndex((l) => l.name === name);
  assert.ok(i >= 0, `no body ${name}`);
  return i;
}

test("four-bar: crank at 0.3 rad closes the loop and turns the rocker as the closed form does", () => {
  const model = prepared("four_bar");
  assert.strictEqual(model.closures.length, 1);
  const crank = dof(model, "Ground--Crank");
  const q = model.home.slice();
  q[crank.offset] = 0.3;
  const result = L.solve(model, q, [crank.offset]);
  assert.ok(result.residual < 1e-9, `residual ${result.residual}`);
  assert.strictEqual(q[crank.offset], 0.3, "the held crank stays");
  const n = crank.axis;
  const geometry = { A: crank.point, B: dof(model, "Crank--Coupler").point, C: dof(model, "Coupler--Rocker").point,
    D: dof(model, "Ground--Rocker").point, n };
  const phi = closed.fourBarRocker(geometry, 0.3);
  assert.ok(Math.abs(phi) > 0.01, "the rocker moves");
  const rocker = K.forward(model, q)[linkIndex(model, "Rocker")];
  const expected = closed.rotation(n, phi);
  for (let k = 0; k < 9; ++k) assert.ok(Math.abs(rocker.R[k] - expected[k]) < 1e-9, `rocker ${rocker.R} against ${expected}`);
});

test("four-bar: the solver follows the crank round a whole turn without jumping branch", () => {
  const model = prepared("four_bar");
  const crank = dof(model, "Ground--Crank");
  const geometry = { A: crank.point, B: dof(model, "Crank--Coupler").point, C: dof(model, "Coupler--Rocker").point,
    D: dof(model, "Ground--Rocker").point, n: crank.axis };
  const q = model.home.slice();
  for (let theta = 0; theta <= 0.6; theta += 0.05) {
    q[crank.offset] = theta;
    assert.ok(L.solve(model, q, [crank.offset]).residual < 1e-9);
    const rocker = K.forward(model, q)[linkIndex(model, "Rocker")];
    const expected = closed.rotation(geometry.n, closed.fourBarRocker(geometry, theta));
    for (let k = 0; k < 9; ++k) assert.ok(Math.abs(rocker.R[k] - expected[k]) < 1e-9, `theta ${theta}`);
  }
});

test("slider-crank: crank at 0.3 rad moves the slider by the closed-form travel", () => {
  const model = prepared("slider_crank");
  assert.ok(model.closures.length >= 1);
  const find = (pred, what) => {
    for (const link of model.links) for (const d of link.dofs) if (pred(d, link)) return { d, link };
    for (const c of model.closures) for (const d of c.dofs) if (pred(d, c)) return { d, link: c };
    throw new Error(`no ${what}`);
  };
  const crank = find((d) => d.name.includes("Crank") && d.name.includes("Frame") && d.kind === "hinge", "crank hinge");
  const pin = find((d) => d.name.includes("Crank") && d.name.includes("Rod"), "crank pin");
  const wrist = find((d) => d.name.includes("Rod") && d.name.includes("Slider"), "wrist pin");
  const slide = find((d) => d.kind === "slide", "slide");
  const q = model.home.slice();
  q[crank.d.offset] = 0.3;
  const result = L.solve(model, q, [crank.d.offset]);
  assert.ok(result.residual < 1e-9, `residual ${result.residual}`);
  const s = closed.sliderTravel({ A: crank.d.point, B: pin.d.point, C: wrist.d.point, n: crank.d.axis, u: slide.d.axis }, 0.3);
  assert.ok(Math.abs(s) > 1e-3, "the slider moves");
  const i = linkIndex(model, "Slider");
  const moved = K.framePosition(model.links[i], K.forward(model, q)[i]);
  for (let k = 0; k < 3; ++k)
    assert.ok(Math.abs(moved[k] - (model.links[i].origin[k] + s * slide.d.axis[k])) < 1e-9, `slider at ${moved}, travel ${s}`);
});

test("residual: zero at home, the gap when a loop is forced open", () => {
  const model = prepared("four_bar");
  assert.ok(L.residual(model, K.forward(model, model.home)) < 1e-12);
  const q = model.home.slice();
  q[dof(model, "Ground--Crank").offset] = 0.1; // nothing follows: the coupler pin leaves the rocker
  // Nothing else moves: the closure's point, carried by the links on one side
  // (turned about the crank's pivot A or not at all), opens by the chord
  // 2 sin(0.05) |C - A| when the crank is on that side, else stays shut.
  const A = dof(model, "Ground--Crank").point, C = model.closures[0].point;
  const chord = 2 * Math.sin(0.05) * Math.hypot(C[0] - A[0], C[1] - A[1], C[2] - A[2]);
  const gap = L.residual(model, K.forward(model, q));
  assert.ok(Math.abs(gap - chord) < 1e-12, `gap ${gap} against ${chord}`);
});
