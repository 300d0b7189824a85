// The page's model: the data kalo-view embeds, indexed for the kinematics
// (flat value vector, home pose, ranges) and measured for drawing (each body's
// equivalent-inertia box, the model's size).
"use strict";

const KaloModel = (function () {
  const K = typeof KaloKinematics !== "undefined" ? KaloKinematics : require("./kinematics.js");

  const flat = (rows) => [].concat(...rows);

  /// Eigen-decomposition of a symmetric 3x3 matrix (row by row) by cyclic Jacobi
  /// rotations: values, and vectors as the columns of V (row by row).
  function symmetricEigen(m) {
    const a = m.slice();
    const V = [1, 0, 0, 0, 1, 0, 0, 0, 1];
    for (let sweep = 0; sweep < 50; ++sweep) {
      const off = a[1] * a[1] + a[2] * a[2] + a[5] * a[5];
      if (off < 1e-30 * (a[0] * a[0] + a[4] * a[4] + a[8] * a[8]) || off === 0) break;
      for (const [p, q] of [[0, 1], [0, 2], [1, 2]]) {
        const apq = a[3 * p + q];
        if (apq === 0) continue;
        const theta = (a[3 * q + q] - a[3 * p + p]) / (2 * apq);
        const t = Math.sign(theta || 1) / (Math.abs(theta) + Math.sqrt(theta * theta + 1));
        const c = 1 / Math.sqrt(t * t + 1), s = t * c;
        for (let k = 0; k < 3; ++k) {
          const akp = a[3 * k + p], akq = a[3 * k + q];
          a[3 * k + p] = c * akp - s * akq;
          a[3 * k + q] = s * akp + c * akq;
        }
        for (let k = 0; k < 3; ++k) {
          const apk = a[3 * p + k], aqk = a[3 * q + k];
          a[3 * p + k] = c * apk - s * aqk;
          a[3 * q + k] = s * apk + c * aqk;
        }
        for (let k = 0; k < 3; ++k) {
          const vkp = V[3 * k + p], vkq = V[3 * k + q];
          V[3 * k + p] = c * vkp - s * vkq;
          V[3 * k + q] = s * vkp + c * vkq;
        }
      }
    }
    return { values: [a[0], a[4], a[8]], vectors: V };
  }

  /// The solid box of uniform density with the body's mass and principal moments:
  /// half sizes along the principal axes (columns of `axes`), centred on the CG.
  /// Null when the body has no mass or no tensor a box can have.
  function equivalentBox(link) {
    if (!(link.mass > 0)) return null;
    const { values, vectors } = symmetricEigen(link.inertia);
    const [i1, i2, i3] = values;
    const sq = [i2 + i3 - i1, i1 + i3 - i2, i1 + i2 - i3].map((v) => (6 * v) / link.mass);
    if (sq.some((v) => !(v >= 0))) return null;
    return { center: link.com.slice(), axes: vectors, half: sq.map((v) => Math.sqrt(v) / 2) };
  }

  /// Prepares the embedded data in place and returns it.
  function prepare(data) {
    const model = data;
    for (const link of model.links) {
      link.inertia = flat(link.inertia);
      if (link.mesh) link.mesh.rotation = flat(link.mesh.rotation);
    }
    K.indexDofs(model);
    for (const c of model.closures) c.dofs.forEach((d) => (d.offset = -1));
    model.home = new Array(model.valueCount).fill(0);
    for (const link of model.links)
      for (const d of link.dofs) {
        if (d.kind === "ball") continue;
        model.home[d.offset] = Number.isFinite(d.home) ? d.home : 0;
      }
    // The model's size: the span of link origins and centres of mass, at least a centimetre.
    const lo = [Infinity, Infinity, Infinity], hi = [-Infinity, -Infinity, -Infinity];
    for (const link of model.links)
      for (const p of [link.origin, link.com])
        for (let k = 0; k < 3; ++k) {
          lo[k] = Math.min(lo[k], p[k]);
          hi[k] = Math.max(hi[k], p[k]);
        }
    model.center = model.links.length ? lo.map((v, k) => (v + hi[k]) / 2) : [0, 0, 0];
    model.size = Math.max(0.01, model.links.length ? Math.hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]) : 0);
    return model;
  }

  /// A freedom's range for a slider: the settings' range, else a turn either way
  /// for a hinge or ball and the model's size either way for a slide.
  function sliderRange(model, dof) {
    if (dof.range) return dof.range;
    return dof.kind === "slide" ? [-model.size, model.size] : [-Math.PI, Math.PI];
  }

  return { symmetricEigen, equivalentBox, prepare, sliderRange };
})();

if (typeof module !== "undefined") module.exports = KaloModel;
