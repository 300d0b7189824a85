// Forward kinematics of the exported simulation tree, the same composition a
// simulator performs on the exported file: every link frame has the world's
// axes at home, so a link's motion is its parent's motion composed with the
// motions of its own freedoms, each given by a world axis through a world
// point at home. A pose {R, t} maps a point at home to its place now:
// x = R x_home + t (R row by row).
"use strict";

const KaloKinematics = (function () {
  function identity() {
    return { R: [1, 0, 0, 0, 1, 0, 0, 0, 1], t: [0, 0, 0] };
  }

  function mulMat(a, b) {
    const c = new Array(9);
    for (let i = 0; i < 3; ++i)
      for (let j = 0; j < 3; ++j)
        c[3 * i + j] = a[3 * i] * b[j] + a[3 * i + 1] * b[3 + j] + a[3 * i + 2] * b[6 + j];
    return c;
  }

  function mulVec(m, v) {
    return [
      m[0] * v[0] + m[1] * v[1] + m[2] * v[2],
      m[3] * v[0] + m[4] * v[1] + m[5] * v[2],
      m[6] * v[0] + m[7] * v[1] + m[8] * v[2],
    ];
  }

  function transpose(m) {
    return [m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]];
  }

  /// a then b: the pose that applies b first, then a.
  function compose(a, b) {
    const t = mulVec(a.R, b.t);
    return { R: mulMat(a.R, b.R), t: [t[0] + a.t[0], t[1] + a.t[1], t[2] + a.t[2]] };
  }

  function apply(p, x) {
    const y = mulVec(p.R, x);
    return [y[0] + p.t[0], y[1] + p.t[1], y[2] + p.t[2]];
  }

  /// Rotation by `angle` about the unit `axis` (Rodrigues).
  function axisAngle(axis, angle) {
    const c = Math.cos(angle), s = Math.sin(angle), k = 1 - c;
    const [x, y, z] = axis;
    return [
      c + x * x * k, x * y * k - z * s, x * z * k + y * s,
      y * x * k + z * s, c + y * y * k, y * z * k - x * s,
      z * x * k - y * s, z * y * k + x * s, c + z * z * k,
    ];
  }

  /// Rotation of a rotation vector (axis times angle in rad).
  function rotationVector(v) {
    const angle = Math.hypot(v[0], v[1], v[2]);
    if (angle === 0) return [1, 0, 0, 0, 1, 0, 0, 0, 1];
    return axisAngle([v[0] / angle, v[1] / angle, v[2] / angle], angle);
  }

  /// Rotation R about the point p: x -> R (x - p) + p.
  function about(R, p) {
    const rp = mulVec(R, p);
    return { R, t: [p[0] - rp[0], p[1] - rp[1], p[2] - rp[2]] };
  }

  /// The number of values a freedom takes: one for a slide or hinge, three for a ball.
  function width(dof) {
    return dof.kind === "ball" ? 3 : 1;
  }

  /// The motion of one freedom at value q (a number, or three for a ball as a rotation vector).
  /// `worldAxes` makes a slide move along the world axis of its index (a free joint's translation).
  function dofMotion(dof, q, worldAxis) {
    if (dof.kind === "slide") {
      const a = worldAxis === undefined ? dof.axis : [0, 0, 0].map((_, i) => (i === worldAxis ? 1 : 0));
      return { R: [1, 0, 0, 0, 1, 0, 0, 0, 1], t: [a[0] * q, a[1] * q, a[2] * q] };
    }
    if (dof.kind === "hinge") return about(axisAngle(dof.axis, q), dof.point);
    return about(rotationVector(q), dof.point);
  }

  /// Indexes a model's freedoms: model.dofIndex[k] = {link, dof, offset} and each
  /// link's dofs get `offset` into the flat value vector. Returns the vector's length.
  function indexDofs(model) {
    let n = 0;
    model.dofIndex = [];
    model.links.forEach((link, li) => {
      link.dofs.forEach((dof, di) => {
        dof.offset = n;
        dof.link = li;
        model.dofIndex.push({ link: li, dof: di, offset: n });
        n += width(dof);
      });
    });
    model.valueCount = n;
    return n;
  }

  /// Poses of every link for the flat value vector q (links are ordered parents first).
  function forward(model, q) {
    const poses = new Array(model.links.length);
    model.links.forEach((link, i) => {
      let pose = link.parent < 0 ? identity() : poses[link.parent];
      let slide = 0;
      for (const dof of link.dofs) {
        const value = dof.kind === "ball" ? q.slice(dof.offset, dof.offset + 3) : q[dof.offset];
        // A free joint translates along the world axes whatever the model's slide axes.
        const worldAxis = link.free && dof.kind === "slide" ? slide++ : undefined;
        pose = compose(pose, dofMotion(dof, value, worldAxis));
      }
      poses[i] = pose;
    });
    return poses;
  }

  /// World position of a link's frame (a simulator's body position) for its pose.
  function framePosition(link, pose) {
    return apply(pose, link.origin);
  }

  return {
    identity, mulMat, mulVec, transpose, compose, apply, axisAngle, rotationVector, about,
    width, dofMotion, indexDofs, forward, framePosition,
  };
})();

if (typeof module !== "undefined") module.exports = KaloKinematics;
