// Closes the kinematic loops: the joints left out of the spanning tree become
// residuals (the gap at the closure's point, and the turn the closure's own
// freedoms do not allow), driven to zero by Gauss-Newton steps on the other
// freedoms of the loops, starting from the current values so the mechanism
// stays on the branch it is drawn in.
"use strict";

const KaloLoops = (function () {
  const K = typeof KaloKinematics !== "undefined" ? KaloKinematics : require("./kinematics.js");

  function poseOf(poses, link) {
    return link < 0 ? K.identity() : poses[link];
  }

  function sub(a, b) {
    return [a[0] - b[0], a[1] - b[1], a[2] - b[2]];
  }

  function dot(a, b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
  }

  function cross(a, b) {
    return [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]];
  }

  /// Rotation vector of a rotation matrix (the inverse of KaloKinematics.rotationVector).
  function logRotation(R) {
    const c = Math.max(-1, Math.min(1, (R[0] + R[4] + R[8] - 1) / 2));
    const angle = Math.acos(c);
    const w = [R[7] - R[5], R[2] - R[6], R[3] - R[1]];
    if (angle < 1e-8) return [w[0] / 2, w[1] / 2, w[2] / 2];
    const s = angle / (2 * Math.sin(angle));
    if (Math.PI - angle > 1e-6) return [w[0] * s, w[1] * s, w[2] * s];
    // Near a half turn the skew part vanishes: take the axis from the diagonal.
    const axis = [Math.sqrt(Math.max(0, (R[0] + 1) / 2)), Math.sqrt(Math.max(0, (R[4] + 1) / 2)),
      Math.sqrt(Math.max(0, (R[8] + 1) / 2))];
    if (R[1] + R[3] < 0) axis[1] = -axis[1];
    if (R[2] + R[6] < 0) axis[2] = -axis[2];
    return [axis[0] * angle, axis[1] * angle, axis[2] * angle];
  }

  /// Residual of one closure: the gap at its point (along its slides it may open)
  /// and the part of the relative turn its freedoms do not allow.
  function closureResidual(model, poses, c) {
    const p1 = poseOf(poses, c.link1), p2 = poseOf(poses, c.link2);
    let gap = sub(K.apply(p1, c.point), K.apply(p2, c.point));
    const kinds = c.dofs.map((d) => d.kind);
    for (const d of c.dofs)
      if (d.kind === "slide") {
        const a = K.mulVec(p1.R, d.axis);
        const along = dot(gap, a);
        gap = [gap[0] - along * a[0], gap[1] - along * a[1], gap[2] - along * a[2]];
      }
    const hinges = c.dofs.filter((d) => d.kind === "hinge");
    let turn = [];
    if (kinds.includes("ball") || hinges.length > 1) {
      turn = [];
    } else if (hinges.length === 1) {
      turn = cross(K.mulVec(p1.R, hinges[0].axis), K.mulVec(p2.R, hinges[0].axis));
    } else {
      turn = logRotation(K.mulMat(K.transpose(p1.R), p2.R));
    }
    return { gap, turn };
  }

  /// Largest gap of any closure, in metres.
  function residual(model, poses) {
    let worst = 0;
    for (const c of model.closures) worst = Math.max(worst, Math.hypot(...closureResidual(model, poses, c).gap));
    return worst;
  }

  // Turns are weighed by the model's size so that a radian counts like its span.
  function residualVector(model, q, scale) {
    const poses = K.forward(model, q);
    const r = [];
    for (const c of model.closures) {
      const { gap, turn } = closureResidual(model, poses, c);
      r.push(...gap, ...turn.map((v) => v * scale));
    }
    return r;
  }

  /// Value indices of the freedoms that lie on some loop: those between a
  /// closure's sides and their deepest common ancestor.
  function loopValues(model) {
    const chosen = new Set();
    const ancestors = (l) => {
      const out = [];
      for (; l >= 0; l = model.links[l].parent) out.push(l);
      return out;
    };
    for (const c of model.closures) {
      const a = ancestors(c.link1), b = ancestors(c.link2);
      const common = new Set(a.filter((l) => b.includes(l)));
      for (const l of [...a, ...b]) {
        if (common.has(l)) continue;
        for (const d of model.links[l].dofs) for (let k = 0; k < K.width(d); ++k) chosen.add(d.offset + k);
      }
    }
    return [...chosen].sort((x, y) => x - y);
  }

  // Solves (A + mu I) x = b for a small dense symmetric A by elimination with pivoting.
  function solveDense(A, b, n) {
    const M = A.map((row, i) => [...row, b[i]]);
    for (let col = 0; col < n; ++col) {
      let pivot = col;
      for (let r = col + 1; r < n; ++r) if (Math.abs(M[r][col]) > Math.abs(M[pivot][col])) pivot = r;
      [M[col], M[pivot]] = [M[pivot], M[col]];
      const d = M[col][col];
      if (d === 0) continue;
      for (let r = 0; r < n; ++r) {
        if (r === col) continue;
        const f = M[r][col] / d;
        if (f !== 0) for (let k = col; k <= n; ++k) M[r][k] -= f * M[col][k];
      }
    }
    return M.map((row, i) => (row[i] === 0 ? 0 : row[n] / row[i]));
  }

  /// Moves the loops' freedoms except those in `held` (value indices) until every
  /// closure meets. Returns {residual (m), iterations, converged}; q is changed in place.
  function solve(model, q, held, options) {
    const opts = Object.assign({ tolerance: 1e-12, maxIterations: 100, scale: model.size || 1 }, options || {});
    const free = loopValues(model).filter((i) => !held.includes(i));
    let r = residualVector(model, q, opts.scale);
    const norm = (v) => Math.sqrt(v.reduce((s, x) => s + x * x, 0));
    let iterations = 0;
    if (model.closures.length && free.length) {
      for (; iterations < opts.maxIterations && norm(r) > opts.tolerance * opts.scale; ++iterations) {
        // Jacobian by central differences: the residual is smooth and small.
        const h = 1e-7;
        const J = r.map(() => new Array(free.length).fill(0));
        free.forEach((vi, k) => {
          const keep = q[vi];
          q[vi] = keep + h;
          const up = residualVector(model, q, opts.scale);
          q[vi] = keep - h;
          const down = residualVector(model, q, opts.scale);
          q[vi] = keep;
          for (let i = 0; i < r.length; ++i) J[i][k] = (up[i] - down[i]) / (2 * h);
        });
        // Least-norm step: dq = -J^T (J J^T + mu I)^-1 r; mu keeps redundant rows harmless.
        const m = r.length;
        const JJ = [];
        let trace = 0;
        for (let i = 0; i < m; ++i) {
          JJ.push(new Array(m));
          for (let j = 0; j < m; ++j) {
            let s = 0;
            for (let k = 0; k < free.length; ++k) s += J[i][k] * J[j][k];
            JJ[i][j] = s;
          }
          trace += JJ[i][i];
        }
        const mu = 1e-14 * (trace / m || 1);
        for (let i = 0; i < m; ++i) JJ[i][i] += mu;
        const y = solveDense(JJ, r, m);
        let step = free.map((_, k) => -J.reduce((s, row, i) => s + row[k] * y[i], 0));
        // Far from the solution, turn at most half a radian per step.
        const big = Math.max(...step.map(Math.abs));
        if (big > 0.5) step = step.map((s) => (s * 0.5) / big);
        const before = norm(r);
        let t = 1;
        for (;;) {
          free.forEach((vi, k) => (q[vi] += t * step[k]));
          const next = residualVector(model, q, opts.scale);
          if (norm(next) < before || t < 1e-4) {
            r = next;
            break;
          }
          free.forEach((vi, k) => (q[vi] -= t * step[k]));
          t /= 2;
        }
      }
    }
    const res = residual(model, K.forward(model, q));
    return { residual: res, iterations, converged: norm(r) <= opts.tolerance * opts.scale * 10 };
  }

  return { closureResidual, residual, loopValues, solve, logRotation };
})();

if (typeof module !== "undefined") module.exports = KaloLoops;
