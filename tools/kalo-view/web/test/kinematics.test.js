// The page's forward kinematics against MuJoCo's body poses for the exported
// MJCF, at seeded random joint values, for every fixture model.
"use strict";

const test = require("node:test");
const assert = require("node:assert");
const K = require("../src/kinematics.js");
const Model = require("../src/model.js");
const fixtures = require("./fixtures.js");

function valuesVector(model, values) {
  const q = new Array(model.valueCount).fill(0);
  for (const link of model.links)
    for (const d of link.dofs) {
      const v = values[d.name];
      assert.ok(v !== undefined, `no value for freedom ${d.name}`);
      if (d.kind === "ball") v.forEach((x, k) => (q[d.offset + k] = x));
      else q[d.offset] = v;
    }
  return q;
}

const all = fixtures.models();

test("fixtures cover loops, a free body, nested subsystems and several freedoms per body", () => {
  const names = all.map((f) => f.model);
  for (const expected of ["four_bar", "robot_arm", "slider_crank"]) assert.ok(names.includes(expected), names.join());
  const links = all.flatMap((f) => f.data.links);
  assert.ok(links.some((l) => l.free), "a free body");
  assert.ok(links.some((l) => l.dofs.length > 1), "a body with several freedoms");
  assert.ok(all.some((f) => f.data.closures.length > 0), "a closed loop");
});

for (const fixture of all) {
  test(`${fixture.model}: every body's pose equals MuJoCo's within 1e-9`, () => {
    const model = Model.prepare(JSON.parse(JSON.stringify(fixture.data)));
    let compared = 0;
    for (const sample of fixture.samples) {
      const poses = K.forward(model, valuesVector(model, sample.values));
      model.links.forEach((link, i) => {
        const expected = sample.poses[link.name];
        assert.ok(expected, `MuJoCo has no body ${link.name}`);
        const position = K.framePosition(link, poses[i]);
        for (let k = 0; k < 3; ++k)
          assert.ok(Math.abs(position[k] - expected.position[k]) < 1e-9,
            `${link.name} position ${position} against MuJoCo's ${expected.position}`);
        for (let k = 0; k < 9; ++k)
          assert.ok(Math.abs(poses[i].R[k] - expected.rotation[k]) < 1e-9, `${link.name} rotation`);
        ++compared;
      });
      assert.strictEqual(Object.keys(sample.poses).length, model.links.length, "the same bodies");
    }
    assert.ok(compared > 0);
  });
}

test("at the home pose every link frame stands at its origin, unturned", () => {
  for (const fixture of all) {
    const model = Model.prepare(JSON.parse(JSON.stringify(fixture.data)));
    const poses = K.forward(model, model.home);
    model.links.forEach((link, i) => {
      assert.deepStrictEqual(K.framePosition(link, poses[i]).map((v, k) => Math.abs(v - link.origin[k]) < 1e-15), [true, true, true]);
      assert.deepStrictEqual(poses[i].R, [1, 0, 0, 0, 1, 0, 0, 0, 1]);
    });
  }
});
