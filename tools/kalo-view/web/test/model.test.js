// The equivalent-inertia box: a solid box's own tensor gives back the box.
"use strict";

const test = require("node:test");
const assert = require("node:assert");
const Model = require("../src/model.js");
const K = require("../src/kinematics.js");

test("a turned solid box's tensor gives back its sizes, axes and centre", () => {
  const m = 2.7, a = 0.3, b = 0.1, c = 0.05;
  const local = [(m * (b * b + c * c)) / 12, 0, 0, 0, (m * (a * a + c * c)) / 12, 0, 0, 0, (m * (a * a + b * b)) / 12];
  const R = K.axisAngle([0.6, 0, 0.8], 0.7);
  const world = K.mulMat(K.mulMat(R, local), K.transpose(R));
  const box = Model.equivalentBox({ mass: m, inertia: world, com: [1, 2, 3] });
  const sizes = box.half.map((h) => 2 * h);
  // Jacobi orders nothing: match each size with its axis.
  const expected = [[a, [R[0], R[3], R[6]]], [b, [R[1], R[4], R[7]]], [c, [R[2], R[5], R[8]]]];
  for (const [size, axis] of expected) {
    const k = sizes.findIndex((s) => Math.abs(s - size) < 1e-12);
    assert.ok(k >= 0, `size ${size} in ${sizes}`);
    const column = [box.axes[k], box.axes[3 + k], box.axes[6 + k]];
    assert.ok(Math.abs(Math.abs(column[0] * axis[0] + column[1] * axis[1] + column[2] * axis[2]) - 1) < 1e-12);
  }
  assert.deepStrictEqual(box.center, [1, 2, 3]);
});

test("no box for a body without mass or with moments no solid has", () => {
  assert.strictEqual(Model.equivalentBox({ mass: 0, inertia: [1, 0, 0, 0, 1, 0, 0, 0, 1], com: [0, 0, 0] }), null);
  assert.strictEqual(Model.equivalentBox({ mass: 1, inertia: [1, 0, 0, 0, 1, 0, 0, 0, 5], com: [0, 0, 0] }), null);
});
