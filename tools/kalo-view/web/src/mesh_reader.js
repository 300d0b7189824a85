// Reads the mesh files embedded in the page (STL, binary or ASCII, and OBJ)
// into triangle lists. The bytes come from the user's disk: anything that is
// not a whole mesh is refused with a reason, and the body is drawn as its
// inertia box instead.
"use strict";

const KaloMeshes = (function () {
  function text(bytes) {
    let s = "";
    for (let i = 0; i < bytes.length; i += 65536) s += String.fromCharCode.apply(null, bytes.subarray(i, i + 65536));
    return s;
  }

  function finite(values) {
    return values.every((v) => Number.isFinite(v));
  }

  function binaryStl(bytes) {
    const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    const count = view.getUint32(80, true);
    const positions = new Float64Array(count * 9);
    for (let t = 0; t < count; ++t)
      for (let k = 0; k < 9; ++k) positions[9 * t + k] = view.getFloat32(84 + 50 * t + 12 + 4 * k, true);
    if (!finite(positions)) throw new Error("a coordinate is not a finite number");
    return positions;
  }

  function asciiStl(source) {
    const values = [];
    const re = /\bvertex\s+(\S+)\s+(\S+)\s+(\S+)/g;
    let m;
    while ((m = re.exec(source)) !== null) values.push(Number(m[1]), Number(m[2]), Number(m[3]));
    if (!finite(values)) throw new Error("a vertex is not three finite numbers");
    if (values.length % 9 !== 0) throw new Error("the vertices do not make whole triangles");
    return Float64Array.from(values);
  }

  function obj(source) {
    const vertices = [];
    const out = [];
    source.split(/\r?\n/).forEach((line, n) => {
      const words = line.trim().split(/\s+/);
      if (words[0] === "v") {
        const v = words.slice(1, 4).map(Number);
        if (v.length !== 3 || !finite(v)) throw new Error(`line ${n + 1}: a vertex needs three finite numbers`);
        vertices.push(v);
      } else if (words[0] === "f") {
        const face = words.slice(1).map((w) => {
          const first = w.split("/")[0];
          const index = /^-?\d+$/.test(first) ? Number(first) : 0;
          const resolved = index < 0 ? vertices.length + index : index - 1;
          if (index === 0 || resolved < 0 || resolved >= vertices.length)
            throw new Error(`line ${n + 1}: face index '${w}' names no vertex defined before it`);
          return vertices[resolved];
        });
        if (face.length < 3) throw new Error(`line ${n + 1}: a face needs three vertices`);
        for (let i = 1; i + 1 < face.length; ++i) out.push(...face[0], ...face[i], ...face[i + 1]);
      }
    });
    return Float64Array.from(out);
  }

  /// Triangles of a mesh file as a flat list (nine coordinates per triangle).
  /// `kind` is the file's extension ("stl" or "obj", any case). Throws with a reason.
  function parse(bytes, kind) {
    let positions;
    switch (String(kind).toLowerCase()) {
      case "stl": {
        const count = bytes.length >= 84 ? new DataView(bytes.buffer, bytes.byteOffset).getUint32(80, true) : -1;
        if (bytes.length >= 84 && bytes.length === 84 + 50 * count) positions = binaryStl(bytes);
        else if (text(bytes.subarray(0, 5)) === "solid") positions = asciiStl(text(bytes));
        else throw new Error("neither a binary STL (size does not match its triangle count) nor an ASCII STL");
        break;
      }
      case "obj":
        positions = obj(text(bytes));
        break;
      default:
        throw new Error(`mesh kind '${kind}' is not read (only STL and OBJ)`);
    }
    if (positions.length === 0) throw new Error("the mesh has no triangles");
    return positions;
  }

  /// Bytes of base64 text (the page carries mesh files so).
  function fromBase64(b64) {
    if (typeof Buffer !== "undefined") return new Uint8Array(Buffer.from(b64, "base64"));
    const s = atob(b64);
    const out = new Uint8Array(s.length);
    for (let i = 0; i < s.length; ++i) out[i] = s.charCodeAt(i);
    return out;
  }

  /// Enclosed volume (positive for either winding) and bounds of a triangle list.
  function measure(positions) {
    let volume = 0;
    const lower = [Infinity, Infinity, Infinity], upper = [-Infinity, -Infinity, -Infinity];
    for (let i = 0; i < positions.length; i += 9) {
      const [ax, ay, az, bx, by, bz, cx, cy, cz] = positions.subarray(i, i + 9);
      volume += (ax * (by * cz - bz * cy) - ay * (bx * cz - bz * cx) + az * (bx * cy - by * cx)) / 6;
      for (let k = 0; k < 9; ++k) {
        lower[k % 3] = Math.min(lower[k % 3], positions[i + k]);
        upper[k % 3] = Math.max(upper[k % 3], positions[i + k]);
      }
    }
    return { triangles: positions.length / 9, volume: Math.abs(volume), lower, upper };
  }

  return { parse, fromBase64, measure };
})();

if (typeof module !== "undefined") module.exports = KaloMeshes;
