// The page's mesh reader against the toolkit's C++ reader on the same files,
// and its refusals of files that are not whole meshes.
"use strict";

const test = require("node:test");
const assert = require("node:assert");
const fs = require("node:fs");
const M = require("../src/mesh_reader.js");
const fixtures = require("./fixtures.js");

test("STL (ASCII, binary) and OBJ read as the C++ reader reads them", () => {
  const { meshes } = fixtures.load("meshes.fixture.json");
  assert.strictEqual(meshes.length, 3);
  for (const m of meshes) {
    const measured = M.measure(M.parse(new Uint8Array(fs.readFileSync(m.file)), m.kind));
    assert.strictEqual(measured.triangles, m.triangles, m.file);
    assert.ok(Math.abs(measured.volume - m.volume) <= 1e-12 * m.volume, `${m.file}: ${measured.volume} against ${m.volume}`);
    assert.deepStrictEqual(measured.lower, m.lower, m.file);
    assert.deepStrictEqual(measured.upper, m.upper, m.file);
  }
});

test("a box's volume is its closed form, for either winding", () => {
  const { meshes } = fixtures.load("meshes.fixture.json");
  const ascii = M.parse(new Uint8Array(fs.readFileSync(meshes[0].file)), "stl");
  assert.ok(Math.abs(M.measure(ascii).volume - 0.2 * 0.1 * 0.05) < 1e-15);
  const flipped = ascii.slice();
  for (let i = 0; i < flipped.length; i += 9) for (let k = 0; k < 3; ++k) [flipped[i + 3 + k], flipped[i + 6 + k]] = [flipped[i + 6 + k], flipped[i + 3 + k]];
  assert.ok(Math.abs(M.measure(flipped).volume - 0.001) < 1e-15);
});

test("refusals: truncated binary STL, text that is no STL, OBJ faces naming no vertex, unknown kinds, no triangles", () => {
  const { meshes } = fixtures.load("meshes.fixture.json");
  const binary = new Uint8Array(fs.readFileSync(meshes[1].file));
  assert.throws(() => M.parse(binary.subarray(0, binary.length - 10), "stl"), /neither a binary STL/);
  assert.throws(() => M.parse(new TextEncoder().encode("hello"), "stl"), /neither a binary STL/);
  assert.throws(() => M.parse(new TextEncoder().encode("v 0 0 0\nv 1 0 0\nf 1 2 3\n"), "obj"), /line 3: face index '3'/);
  assert.throws(() => M.parse(new TextEncoder().encode("v 0 0 0\nv 1 0 nan\n"), "obj"), /line 2/);
  assert.throws(() => M.parse(new TextEncoder().encode("solid x\nvertex 0 0 0\nendsolid\n"), "stl"), /whole triangles/);
  assert.throws(() => M.parse(new Uint8Array(4), "ply"), /not read/);
  assert.throws(() => M.parse(new TextEncoder().encode("# nothing\n"), "obj"), /no triangles/);
  const nonFinite = binary.slice();
  new DataView(nonFinite.buffer).setFloat32(84 + 12, NaN, true);
  assert.throws(() => M.parse(nonFinite, "stl"), /not a finite number/);
});

test("base64 decoding gives back the bytes", () => {
  const bytes = new Uint8Array([0, 1, 2, 250, 251, 252, 253]);
  assert.deepStrictEqual(M.fromBase64(Buffer.from(bytes).toString("base64")), bytes);
});
