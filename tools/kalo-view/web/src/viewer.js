// The page: draws the model with WebGL, one slider per freedom, the kinematic
// tree, the audit and the export report, and the interface `window.kalo` that
// tests and users drive it through. Browser only; the layers it uses
// (kinematics, loops, meshes, model) are plain functions tested under Node.
"use strict";

(function () {
  const K = KaloKinematics, L = KaloLoops, M = KaloMeshes, Model = KaloModel;
  const $ = (id) => document.getElementById(id);
  const el = (tag, attrs, text) => {
    const e = document.createElement(tag);
    for (const [k, v] of Object.entries(attrs || {})) e.setAttribute(k, v);
    if (text !== undefined) e.textContent = text;
    return e;
  };
  const fmt = (v) => (Math.abs(v) < 1e-12 ? "0" : Number(v.toPrecision(6)).toString());
  const fmtVec = (v) => v.map(fmt).join(", ");

  const data = JSON.parse($("kalo-data").textContent);
  const model = Model.prepare(data);
  const q = model.home.slice();
  let poses = K.forward(model, q);
  let lastResidual = L.residual(model, poses);
  let selected = -1;
  const show = { frames: false, axes: false };
  const flagged = new Set(model.audit.map((a) => a.body));
  const meshErrors = [];

  // ---- geometry: triangles in home coordinates per link ----
  const meshTriangles = model.meshes.map((m) => {
    try {
      return M.parse(M.fromBase64(m.data), m.kind);
    } catch (e) {
      meshErrors.push(`mesh '${m.file}' not drawn: ${e.message}`);
      return null;
    }
  });

  function boxTriangles(center, axes, half) {
    const corner = (sx, sy, sz) =>
      [0, 1, 2].map((k) => center[k] + sx * half[0] * axes[3 * k] + sy * half[1] * axes[3 * k + 1] + sz * half[2] * axes[3 * k + 2]);
    const faces = [
      [[-1, -1, -1], [-1, 1, -1], [1, 1, -1], [1, -1, -1]], [[-1, -1, 1], [1, -1, 1], [1, 1, 1], [-1, 1, 1]],
      [[-1, -1, -1], [1, -1, -1], [1, -1, 1], [-1, -1, 1]], [[-1, 1, -1], [-1, 1, 1], [1, 1, 1], [1, 1, -1]],
      [[-1, -1, -1], [-1, -1, 1], [-1, 1, 1], [-1, 1, -1]], [[1, -1, -1], [1, 1, -1], [1, 1, 1], [1, -1, 1]],
    ];
    const out = [];
    for (const f of faces) {
      const c = f.map((s) => corner(...s));
      out.push(...c[0], ...c[1], ...c[2], ...c[0], ...c[2], ...c[3]);
    }
    return Float64Array.from(out);
  }

  const shapes = model.links.map((link) => {
    if (link.light) return null;
    if (link.mesh && meshTriangles[link.mesh.index]) {
      const src = meshTriangles[link.mesh.index];
      const out = new Float64Array(src.length);
      const { position, rotation, scale } = link.mesh;
      for (let i = 0; i < src.length; i += 3) {
        const p = K.mulVec(rotation, [src[i] * scale, src[i + 1] * scale, src[i + 2] * scale]);
        for (let k = 0; k < 3; ++k) out[i + k] = p[k] + position[k];
      }
      return { triangles: out, kind: "mesh" };
    }
    const box = Model.equivalentBox(link);
    if (box && Math.min(...box.half) > 1e-6 * model.size) return { triangles: boxTriangles(box.center, box.axes, box.half), kind: "box" };
    // No mass or a flat tensor: a small cube marks the centre of mass.
    const h = 0.01 * model.size;
    return { triangles: boxTriangles(link.com, [1, 0, 0, 0, 1, 0, 0, 0, 1], [h, h, h]), kind: "marker" };
  });

  // ---- WebGL ----
  const canvas = $("view");
  const gl = canvas.getContext("webgl", { antialias: false, preserveDrawingBuffer: true });
  let renderer = null;
  if (gl) {
    const info = gl.getExtension("WEBGL_debug_renderer_info");
    renderer = String(gl.getParameter(info ? info.UNMASKED_RENDERER_WEBGL : gl.RENDERER));
  }
  $("renderer").textContent = renderer ? "renderer: " + renderer : "WebGL is not available: the model cannot be drawn";

  const VS = `attribute vec3 p; attribute vec3 n; uniform mat4 vp, m; varying vec3 vn;
    void main() { vn = mat3(m) * n; gl_Position = vp * m * vec4(p, 1.0); }`;
  const FS = `precision mediump float; varying vec3 vn; uniform vec3 color, eye; uniform float lit;
    void main() { float k = lit > 0.5 ? 0.3 + 0.7 * abs(dot(normalize(vn), eye)) : 1.0;
      gl_FragColor = vec4(color * k, 1.0); }`;
  let prog = null;
  const buffers = [];
  if (gl) {
    const compile = (type, src) => {
      const s = gl.createShader(type);
      gl.shaderSource(s, src);
      gl.compileShader(s);
      if (!gl.getShaderParameter(s, gl.COMPILE_STATUS)) throw new Error(gl.getShaderInfoLog(s));
      return s;
    };
    prog = gl.createProgram();
    gl.attachShader(prog, compile(gl.VERTEX_SHADER, VS));
    gl.attachShader(prog, compile(gl.FRAGMENT_SHADER, FS));
    gl.linkProgram(prog);
    if (!gl.getProgramParameter(prog, gl.LINK_STATUS)) throw new Error(gl.getProgramInfoLog(prog));
    shapes.forEach((shape, i) => {
      if (!shape) return;
      const t = shape.triangles, count = t.length / 3;
      const pos = new Float32Array(t.length), nor = new Float32Array(t.length);
      for (let v = 0; v < t.length; v += 9) {
        const a = [t[v + 3] - t[v], t[v + 4] - t[v + 1], t[v + 5] - t[v + 2]];
        const b = [t[v + 6] - t[v], t[v + 7] - t[v + 1], t[v + 8] - t[v + 2]];
        const c = [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]];
        const l = Math.hypot(...c) || 1;
        for (let k = 0; k < 9; ++k) {
          pos[v + k] = t[v + k];
          nor[v + k] = c[k % 3] / l;
        }
      }
      const pb = gl.createBuffer();
      gl.bindBuffer(gl.ARRAY_BUFFER, pb);
      gl.bufferData(gl.ARRAY_BUFFER, pos, gl.STATIC_DRAW);
      const nb = gl.createBuffer();
      gl.bindBuffer(gl.ARRAY_BUFFER, nb);
      gl.bufferData(gl.ARRAY_BUFFER, nor, gl.STATIC_DRAW);
      buffers[i] = { pb, nb, count };
    });
  }

  // ---- camera: orbit about a target, z up ----
  // The camera frames everything drawn at home: a mesh a thousand times too large shows as such.
  const view = (() => {
    const lo = [Infinity, Infinity, Infinity], hi = [-Infinity, -Infinity, -Infinity];
    for (const shape of shapes) {
      if (!shape) continue;
      const t = shape.triangles;
      for (let v = 0; v < t.length; ++v) {
        lo[v % 3] = Math.min(lo[v % 3], t[v]);
        hi[v % 3] = Math.max(hi[v % 3], t[v]);
      }
    }
    if (!(lo[0] <= hi[0])) return { center: model.center.slice(), size: model.size };
    return { center: lo.map((v, k) => (v + hi[k]) / 2), size: Math.max(model.size, Math.hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2])) };
  })();
  const cam = { target: view.center, distance: 1.6 * view.size, yaw: -0.9, pitch: 0.45 };
  function eyeDirection() {
    return [Math.cos(cam.pitch) * Math.cos(cam.yaw), Math.cos(cam.pitch) * Math.sin(cam.yaw), Math.sin(cam.pitch)];
  }
  function cameraBasis() {
    const f = eyeDirection().map((v) => -v); // forward
    let r = [f[1], -f[0], 0];
    const rl = Math.hypot(...r) || 1;
    r = r.map((v) => v / rl);
    const u = [r[1] * f[2] - r[2] * f[1], r[2] * f[0] - r[0] * f[2], r[0] * f[1] - r[1] * f[0]];
    const d = eyeDirection();
    const eye = cam.target.map((t, k) => t + cam.distance * d[k]);
    return { f, r, u, eye };
  }
  function viewProjection() {
    const { f, r, u, eye } = cameraBasis();
    const w = canvas.width, h = canvas.height;
    const near = cam.distance / 100, far = cam.distance * 100;
    const fy = 1 / Math.tan((40 * Math.PI) / 360), fx = fy * (h / w);
    // Row-major view (rows r, u, -f) then projection; returned column-major for GL.
    const V = [r, u, f.map((v) => -v)];
    const vt = V.map((row) => -(row[0] * eye[0] + row[1] * eye[1] + row[2] * eye[2]));
    const P = [[fx, 0, 0, 0], [0, fy, 0, 0], [0, 0, (far + near) / (near - far), (2 * far * near) / (near - far)], [0, 0, -1, 0]];
    const Vm = [[...V[0], vt[0]], [...V[1], vt[1]], [...V[2], vt[2]], [0, 0, 0, 1]];
    const out = new Float32Array(16), rows = [];
    for (let i = 0; i < 4; ++i) {
      rows.push([]);
      for (let j = 0; j < 4; ++j) {
        let s = 0;
        for (let k = 0; k < 4; ++k) s += P[i][k] * Vm[k][j];
        rows[i].push(s);
        out[j * 4 + i] = s;
      }
    }
    return { gl: out, rows };
  }
  function modelMatrix(pose) {
    const R = pose.R, t = pose.t;
    return new Float32Array([R[0], R[3], R[6], 0, R[1], R[4], R[7], 0, R[2], R[5], R[8], 0, t[0], t[1], t[2], 1]);
  }
  /// CSS pixel of a world point, or null behind the camera.
  function project(x, vp) {
    const c = vp.rows.map((row) => row[0] * x[0] + row[1] * x[1] + row[2] * x[2] + row[3]);
    if (c[3] <= 0) return null;
    const rect = canvas.getBoundingClientRect();
    return [rect.left + ((c[0] / c[3] + 1) / 2) * rect.width, rect.top + ((1 - c[1] / c[3]) / 2) * rect.height];
  }

  // ---- drawing ----
  let frameRequested = false;
  function requestDraw() {
    if (frameRequested) return;
    frameRequested = true;
    requestAnimationFrame(() => {
      frameRequested = false;
      draw();
    });
  }
  function lineBuffer(points) {
    const b = gl.createBuffer();
    gl.bindBuffer(gl.ARRAY_BUFFER, b);
    gl.bufferData(gl.ARRAY_BUFFER, new Float32Array(points), gl.STREAM_DRAW);
    return b;
  }
  function drawLines(points, color, vp) {
    if (!points.length) return;
    const b = lineBuffer(points);
    const loc = gl.getAttribLocation(prog, "p");
    gl.bindBuffer(gl.ARRAY_BUFFER, b);
    gl.vertexAttribPointer(loc, 3, gl.FLOAT, false, 0, 0);
    gl.disableVertexAttribArray(gl.getAttribLocation(prog, "n"));
    gl.vertexAttrib3f(gl.getAttribLocation(prog, "n"), 0, 0, 1);
    gl.uniformMatrix4fv(gl.getUniformLocation(prog, "m"), false, modelMatrix(K.identity()));
    gl.uniform3fv(gl.getUniformLocation(prog, "color"), color);
    gl.uniform1f(gl.getUniformLocation(prog, "lit"), 0);
    gl.drawArrays(gl.LINES, 0, points.length / 3);
    gl.deleteBuffer(b);
  }
  function boundsOf(i) {
    const t = shapes[i].triangles, lo = [Infinity, Infinity, Infinity], hi = [-Infinity, -Infinity, -Infinity];
    for (let v = 0; v < t.length; ++v) {
      lo[v % 3] = Math.min(lo[v % 3], t[v]);
      hi[v % 3] = Math.max(hi[v % 3], t[v]);
    }
    return { lo, hi };
  }
  function outline(i) {
    const { lo, hi } = boundsOf(i), pose = poses[i], pts = [];
    const c = (x, y, z) => K.apply(pose, [x ? hi[0] : lo[0], y ? hi[1] : lo[1], z ? hi[2] : lo[2]]);
    for (let a = 0; a < 2; ++a)
      for (let b = 0; b < 2; ++b) {
        pts.push(...c(0, a, b), ...c(1, a, b), ...c(a, 0, b), ...c(a, 1, b), ...c(a, b, 0), ...c(a, b, 1));
      }
    return pts;
  }
  function draw() {
    if (!gl) return;
    const w = Math.max(1, Math.round(canvas.clientWidth * devicePixelRatio));
    const h = Math.max(1, Math.round(canvas.clientHeight * devicePixelRatio));
    if (canvas.width !== w || canvas.height !== h) {
      canvas.width = w;
      canvas.height = h;
    }
    gl.viewport(0, 0, w, h);
    gl.clearColor(0.97, 0.97, 0.98, 1);
    gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
    gl.enable(gl.DEPTH_TEST);
    gl.useProgram(prog);
    const vp = viewProjection();
    gl.uniformMatrix4fv(gl.getUniformLocation(prog, "vp"), false, vp.gl);
    gl.uniform3fv(gl.getUniformLocation(prog, "eye"), eyeDirection());
    const pl = gl.getAttribLocation(prog, "p"), nl = gl.getAttribLocation(prog, "n");
    model.links.forEach((link, i) => {
      const b = buffers[i];
      if (!b) return;
      gl.bindBuffer(gl.ARRAY_BUFFER, b.pb);
      gl.enableVertexAttribArray(pl);
      gl.vertexAttribPointer(pl, 3, gl.FLOAT, false, 0, 0);
      gl.bindBuffer(gl.ARRAY_BUFFER, b.nb);
      gl.enableVertexAttribArray(nl);
      gl.vertexAttribPointer(nl, 3, gl.FLOAT, false, 0, 0);
      gl.uniformMatrix4fv(gl.getUniformLocation(prog, "m"), false, modelMatrix(poses[i]));
      gl.uniform3fv(gl.getUniformLocation(prog, "color"), link.color || [0.7, 0.7, 0.72]);
      gl.uniform1f(gl.getUniformLocation(prog, "lit"), 1);
      gl.drawArrays(gl.TRIANGLES, 0, b.count);
    });
    const flaggedLines = [], selectedLines = [];
    model.links.forEach((link, i) => {
      if (!shapes[i]) return;
      if (flagged.has(link.name)) flaggedLines.push(...outline(i));
      if (i === selected) selectedLines.push(...outline(i));
    });
    drawLines(flaggedLines, [0.85, 0.1, 0.1], vp);
    drawLines(selectedLines, [0.1, 0.3, 0.9], vp);
    const s = 0.08 * model.size;
    if (show.frames) {
      const axes = [[], [], []];
      model.links.forEach((link, i) => {
        const o = K.apply(poses[i], link.origin);
        for (let k = 0; k < 3; ++k) {
          const d = K.mulVec(poses[i].R, [0, 1, 2].map((j) => (j === k ? s : 0)));
          axes[k].push(...o, o[0] + d[0], o[1] + d[1], o[2] + d[2]);
        }
      });
      axes.forEach((pts, k) => drawLines(pts, [k === 0 ? 0.9 : 0, k === 1 ? 0.7 : 0, k === 2 ? 0.9 : 0], vp));
    }
    if (show.axes) {
      const pts = [];
      const add = (pose, d) => {
        if (d.kind === "ball") return;
        const p = K.apply(pose, d.point), a = K.mulVec(pose.R, d.axis);
        pts.push(...p.map((v, k) => v - 1.5 * s * a[k]), ...p.map((v, k) => v + 1.5 * s * a[k]));
      };
      model.links.forEach((link, i) => {
        // A freedom's axis moves with the links above the freedom.
        let pose = link.parent < 0 ? K.identity() : poses[link.parent];
        for (const d of link.dofs) {
          add(pose, d);
          const v = d.kind === "ball" ? q.slice(d.offset, d.offset + 3) : q[d.offset];
          pose = K.compose(pose, K.dofMotion(d, v));
        }
      });
      for (const c of model.closures) for (const d of c.dofs) add(c.link1 < 0 ? K.identity() : poses[c.link1], d);
      drawLines(pts, [0.9, 0.6, 0], vp);
    }
  }

  // ---- picking: the nearest triangle under the pointer ----
  function pick(clientX, clientY) {
    const rect = canvas.getBoundingClientRect();
    const { f, r, u, eye } = cameraBasis();
    const fy = 1 / Math.tan((40 * Math.PI) / 360), fx = fy * (rect.height / rect.width);
    const nx = ((clientX - rect.left) / rect.width) * 2 - 1, ny = 1 - ((clientY - rect.top) / rect.height) * 2;
    const dir = [0, 1, 2].map((k) => f[k] + (nx / fx) * r[k] + (ny / fy) * u[k]);
    let best = -1, bestT = Infinity;
    shapes.forEach((shape, i) => {
      if (!shape) return;
      // The ray in the link's home coordinates.
      const Rt = K.transpose(poses[i].R);
      const o = K.mulVec(Rt, eye.map((v, k) => v - poses[i].t[k])), d = K.mulVec(Rt, dir);
      const t = shape.triangles;
      for (let v = 0; v < t.length; v += 9) {
        const e1 = [t[v + 3] - t[v], t[v + 4] - t[v + 1], t[v + 5] - t[v + 2]];
        const e2 = [t[v + 6] - t[v], t[v + 7] - t[v + 1], t[v + 8] - t[v + 2]];
        const p = [d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2], d[0] * e2[1] - d[1] * e2[0]];
        const det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
        if (Math.abs(det) < 1e-18) continue;
        const s = [o[0] - t[v], o[1] - t[v + 1], o[2] - t[v + 2]];
        const a = (s[0] * p[0] + s[1] * p[1] + s[2] * p[2]) / det;
        if (a < 0 || a > 1) continue;
        const qv = [s[1] * e1[2] - s[2] * e1[1], s[2] * e1[0] - s[0] * e1[2], s[0] * e1[1] - s[1] * e1[0]];
        const b = (d[0] * qv[0] + d[1] * qv[1] + d[2] * qv[2]) / det;
        if (b < 0 || a + b > 1) continue;
        const dist = (e2[0] * qv[0] + e2[1] * qv[1] + e2[2] * qv[2]) / det;
        if (dist > 0 && dist < bestT) {
          bestT = dist;
          best = i;
        }
      }
    });
    return best;
  }

  // ---- panels ----
  const subsystemPath = (s) => {
    const names = [];
    for (; s >= 0; s = model.subsystems[s].parent) names.unshift(model.subsystems[s].name);
    return names.join("/");
  };
  const linkIndex = new Map(model.links.map((l, i) => [l.name, i]));
  const dofByName = new Map();
  model.links.forEach((link) => link.dofs.forEach((d) => dofByName.set(d.name, d)));
  const sliders = [];

  function showSelected() {
    const box = $("selected");
    box.textContent = "";
    if (selected < 0) {
      box.appendChild(el("p", { class: "hint" }, "Click a body to see its mass properties."));
      return;
    }
    const link = model.links[selected];
    const I = link.inertia;
    const rows = [["body", link.rawName], ["subsystem", subsystemPath(link.subsystem)], ["name in the export", link.name],
      ["joint", link.jointRawName || "(none)"], ["mass", fmt(link.mass) + " kg"], ["CG", fmtVec(K.apply(poses[selected], link.com)) + " m"],
      ["inertia", `[${fmtVec(I.slice(0, 3))}; ${fmtVec(I.slice(3, 6))}; ${fmtVec(I.slice(6, 9))}] kg\u00b7m\u00b2 about the CG, world axes at home`],
      ["drawn as", shapes[selected] ? shapes[selected].kind : "nothing"]];
    const table = el("table");
    for (const [k, v] of rows) {
      const tr = el("tr");
      tr.appendChild(el("th", {}, k));
      tr.appendChild(el("td", {}, v));
      table.appendChild(tr);
    }
    box.appendChild(table);
    for (const a of model.audit.filter((x) => x.body === link.name)) box.appendChild(el("p", { class: a.level }, a.text));
  }

  function select(i) {
    selected = i;
    showSelected();
    document.querySelectorAll("#tree [data-body]").forEach((e) =>
      e.classList.toggle("chosen", i >= 0 && e.getAttribute("data-body") === model.links[i].name));
    requestDraw();
  }

  function refreshSliders() {
    for (const s of sliders) {
      s.input.value = String(q[s.index]);
      s.out.textContent = fmt(q[s.index]);
    }
    $("residual").textContent = model.closures.length
      ? `loop residual ${lastResidual.toExponential(2)} m (${model.closures.length} closure${model.closures.length > 1 ? "s" : ""})`
      : "no closed loops";
  }

  // Values set from the settings' home pose stay; the rest of each loop follows them.
  const homeHeld = model.home.map((v, k) => (v !== 0 ? k : -1)).filter((k) => k >= 0);

  function update(held) {
    if (model.closures.length) lastResidual = L.solve(model, q, held === undefined ? [] : [].concat(held)).residual;
    poses = K.forward(model, q);
    if (!model.closures.length) lastResidual = 0;
    refreshSliders();
    if (selected >= 0) showSelected();
    requestDraw();
  }

  function buildJoints() {
    const box = $("joints");
    model.links.forEach((link) => {
      link.dofs.forEach((d) => {
        const parts = d.kind === "ball" ? ["x", "y", "z"] : [""];
        parts.forEach((axis, k) => {
          const index = d.offset + k;
          const [lo, hi] = d.kind === "ball" ? [-Math.PI, Math.PI] : Model.sliderRange(model, d);
          const row = el("div", { class: "slider" });
          row.appendChild(el("label", { for: "dof-" + index, title: `${d.kind} of ${link.name}` },
            d.name + (axis ? " (" + axis + ")" : "") + (d.kind === "slide" ? " m" : " rad")));
          const input = el("input", { type: "range", id: "dof-" + index, "data-dof": d.name, "data-value": String(index),
            min: String(lo), max: String(hi), step: "any", value: String(q[index]) });
          input.addEventListener("input", () => {
            q[index] = Number(input.value);
            update(index);
          });
          const out = el("output", { for: "dof-" + index });
          row.appendChild(input);
          row.appendChild(out);
          box.appendChild(row);
          sliders.push({ input, out, index });
        });
      });
    });
    if (!sliders.length) box.appendChild(el("p", { class: "hint" }, "The model has no freedoms."));
  }

  function buildTree(node, parent) {
    const li = el("li");
    li.appendChild(el("span", { class: "subsystem" }, node.name));
    const ul = el("ul");
    for (const b of node.bodies) {
      const e = el("li", { class: "body", "data-body": b.link }, b.name);
      if (flagged.has(b.link)) e.classList.add("flagged");
      e.addEventListener("click", () => select(linkIndex.has(b.link) ? linkIndex.get(b.link) : -1));
      ul.appendChild(e);
    }
    for (const j of node.joints) ul.appendChild(el("li", { class: "joint" }, "\u27f7 " + j));
    for (const s of node.subsystems) buildTree(s, ul);
    li.appendChild(ul);
    parent.appendChild(li);
  }

  function lines(id, items, cls) {
    const box = $(id);
    if (!items.length) box.appendChild(el("p", { class: "hint" }, "none"));
    for (const item of items) box.appendChild(el("p", { class: cls(item) }, typeof item === "string" ? item : item.text));
  }

  $("title").textContent = model.model;
  buildJoints();
  const treeRoot = el("ul");
  buildTree(model.tree, treeRoot);
  $("tree").appendChild(treeRoot);
  lines("audit", model.audit, (a) => a.level);
  lines("report", (model.conversion || []).concat(model.report, meshErrors), () => "line");
  $("reset").addEventListener("click", () => api.reset());
  $("show-frames").addEventListener("change", (e) => { show.frames = e.target.checked; requestDraw(); });
  $("show-axes").addEventListener("change", (e) => { show.axes = e.target.checked; requestDraw(); });

  // Orbit with the left button, pan with the right or with shift, zoom with the wheel.
  let drag = null;
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());
  canvas.addEventListener("mousedown", (e) => { drag = { x: e.clientX, y: e.clientY, moved: false, pan: e.button === 2 || e.shiftKey }; });
  window.addEventListener("mousemove", (e) => {
    if (!drag) return;
    const dx = e.clientX - drag.x, dy = e.clientY - drag.y;
    if (Math.abs(dx) + Math.abs(dy) > 2) drag.moved = true;
    if (!drag.moved) return;
    drag.x = e.clientX;
    drag.y = e.clientY;
    if (drag.pan) {
      const { r, u } = cameraBasis(), k = cam.distance / canvas.clientHeight;
      cam.target = cam.target.map((t, i) => t - k * (dx * r[i] - dy * u[i]));
    } else {
      cam.yaw -= dx * 0.01;
      cam.pitch = Math.max(-1.55, Math.min(1.55, cam.pitch + dy * 0.01));
    }
    requestDraw();
  });
  window.addEventListener("mouseup", (e) => {
    if (drag && !drag.moved && e.target === canvas) select(pick(e.clientX, e.clientY));
    drag = null;
  });
  canvas.addEventListener("wheel", (e) => {
    e.preventDefault();
    cam.distance *= Math.exp(e.deltaY * 0.001);
    requestDraw();
  }, { passive: false });
  window.addEventListener("resize", requestDraw);

  // ---- the page's interface ----
  const copy = (v) => JSON.parse(JSON.stringify(v));
  // The nearest body above a link, past the light links of massless connectors.
  const bodyAbove = (l) => {
    let p = l.parent;
    while (p >= 0 && model.links[p].light) p = model.links[p].parent;
    return p < 0 ? null : model.links[p].name;
  };
  const api = {
    /// The WebGL renderer string, or null when WebGL is missing.
    renderer,
    /// Bodies: name (as exported), rawName, subsystem path, mass (kg), com and inertia (home, world axes), colour, audit flag.
    bodies: () => model.links.filter((l) => !l.light).map((l) => ({ name: l.name, rawName: l.rawName,
      parent: bodyAbove(l),
      subsystem: subsystemPath(l.subsystem), mass: l.mass, com: l.com.slice(), inertia: l.inertia.slice(),
      color: l.color ? l.color.slice() : null, flagged: flagged.has(l.name), drawnAs: shapes[linkIndex.get(l.name)].kind })),
    /// Joints of the tree (by the link they move) and loop closures, with their freedoms.
    joints: () => model.links.filter((l) => l.jointRawName).map((l) => ({ name: l.joint, rawName: l.jointRawName,
      link: l.name, closure: false, dofs: l.dofs.map((d) => d.name) }))
      .concat(model.closures.map((c) => ({ name: c.name, rawName: c.rawName, link: null, closure: true, dofs: c.dofs.map((d) => d.name) }))),
    /// Freedoms with a slider: name, kind, link, value (three for a ball), range.
    dofs: () => model.links.flatMap((l) => l.dofs.map((d) => ({ name: d.name, kind: d.kind, link: l.name,
      value: d.kind === "ball" ? q.slice(d.offset, d.offset + 3) : q[d.offset], range: Model.sliderRange(model, d) }))),
    /// Sets a freedom (rad or m; a ball takes a rotation vector) and closes the loops; returns the loop residual.
    setJoint(name, value) {
      const d = dofByName.get(name);
      if (!d) throw new Error(`no freedom named '${name}'`);
      if (d.kind === "ball") {
        if (!Array.isArray(value) || value.length !== 3) throw new Error(`ball '${name}' takes three values`);
        value.forEach((v, k) => (q[d.offset + k] = Number(v)));
      } else {
        q[d.offset] = Number(value);
      }
      update(d.kind === "ball" ? undefined : d.offset);
      return lastResidual;
    },
    /// Every freedom's value by name.
    jointValues: () => Object.fromEntries(model.links.flatMap((l) => l.dofs.map((d) =>
      [d.name, d.kind === "ball" ? q.slice(d.offset, d.offset + 3) : q[d.offset]]))),
    /// The body's frame now: position (m, a simulator's body position) and rotation (row by row).
    worldPose(name) {
      const i = linkIndex.get(name);
      if (i === undefined) throw new Error(`no body named '${name}'`);
      return { position: K.apply(poses[i], model.links[i].origin), rotation: poses[i].R.slice() };
    },
    /// Largest gap of any loop closure, in metres.
    loopResidual: () => lastResidual,
    /// Back to the home pose.
    reset() {
      model.home.forEach((v, k) => (q[k] = v));
      update(homeHeld);
    },
    tree: () => copy(model.tree),
    /// The export's report lines (those of the conversion, when the page was made from CAD, apart).
    report: () => model.report.slice(),
    conversionReport: () => (model.conversion || []).slice(),
    audit: () => copy(model.audit),
    select: (name) => select(linkIndex.has(name) ? linkIndex.get(name) : -1),
    selected: () => (selected < 0 ? null : model.links[selected].name),
    /// The body drawn frontmost at a CSS pixel, or null.
    pickAt(x, y) {
      const i = pick(x, y);
      return i < 0 ? null : model.links[i].name;
    },
    /// Draws now (instead of at the next animation frame).
    draw,
    /// The body's centre of mass and the bounds of what is drawn for it, in CSS pixels.
    screen(name) {
      const i = linkIndex.get(name);
      if (i === undefined || !shapes[i]) return null;
      const vp = viewProjection(), t = shapes[i].triangles;
      const box = [Infinity, Infinity, -Infinity, -Infinity];
      for (let v = 0; v < t.length; v += 3) {
        const p = project(K.apply(poses[i], [t[v], t[v + 1], t[v + 2]]), vp);
        if (!p) continue;
        box[0] = Math.min(box[0], p[0]); box[1] = Math.min(box[1], p[1]);
        box[2] = Math.max(box[2], p[0]); box[3] = Math.max(box[3], p[1]);
      }
      return { center: project(K.apply(poses[i], model.links[i].com), vp), bounds: box };
    },
  };
  window.kalo = api;
  if (homeHeld.length && model.closures.length) update(homeHeld);
  refreshSliders();
  showSelected();
  draw();
  document.body.setAttribute("data-ready", renderer ? "yes" : "no-webgl");
})();
