// Closed-form positions of the two classic loops, written apart from the page's
// solver (plane geometry, no iteration), for its tests.
"use strict";

const sub = (a, b) => a.map((v, i) => v - b[i]);
const add = (a, b) => a.map((v, i) => v + b[i]);
const dot = (a, b) => a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
const scale = (a, s) => a.map((v) => v * s);
const cross = (a, b) => [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]];
const norm = (a) => Math.sqrt(dot(a, a));

/// v turned by `angle` about the unit axis n (Rodrigues' formula on a vector).
function turn(v, n, angle) {
  const c = Math.cos(angle), s = Math.sin(angle);
  return add(add(scale(v, c), scale(cross(n, v), s)), scale(n, dot(n, v) * (1 - c)));
}

/// Rotation matrix (row by row) of `angle` about the unit axis n.
function rotation(n, angle) {
  const cols = [[1, 0, 0], [0, 1, 0], [0, 0, 1]].map((e) => turn(e, n, angle));
  return [0, 1, 2].flatMap((r) => cols.map((col) => col[r]));
}

/// Four-bar with ground pivots A (crank) and D (rocker), crank pin B and coupler
/// pin C at home, all hinges along n. Returns the rocker's turn about n for the
/// crank turned by theta: C' lies on both circles (about D and about B'), on the
/// side of line D-B' where C is at home.
function fourBarRocker({ A, B, C, D, n }, theta) {
  const Bp = add(A, turn(sub(B, A), n, theta));
  const r1 = norm(sub(C, D)), r2 = norm(sub(C, B));
  const d = sub(Bp, D), dist = norm(d);
  const ex = scale(d, 1 / dist), ey = cross(n, ex);
  const x = (dist * dist + r1 * r1 - r2 * r2) / (2 * dist);
  const y = Math.sqrt(r1 * r1 - x * x);
  const side = Math.sign(dot(sub(C, D), cross(n, sub(B, D)))) || 1;
  const Cp = add(D, add(scale(ex, x), scale(ey, y * side)));
  const u = sub(C, D), v = sub(Cp, D);
  return Math.atan2(dot(cross(u, v), n), dot(u, v));
}

/// Slider-crank: crank pivot A (axis n), crank pin B, wrist pin C on a slider
/// moving along the unit u. Returns the slider's travel s for the crank turned by
/// theta: |C + s u - B'| = |C - B|, the root nearest home.
function sliderTravel({ A, B, C, n, u }, theta) {
  const Bp = add(A, turn(sub(B, A), n, theta));
  const w = sub(C, Bp), rod = norm(sub(C, B));
  const b = dot(u, w), c = dot(w, w) - rod * rod;
  const root = Math.sqrt(b * b - c);
  const s1 = -b + root, s2 = -b - root;
  return Math.abs(s1) < Math.abs(s2) ? s1 : s2;
}

module.exports = { turn, rotation, fourBarRocker, sliderTravel };
