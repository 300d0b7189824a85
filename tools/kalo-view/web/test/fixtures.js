// The fixtures the C++ helper (kalo_view_mujoco fixture) writes for these tests.
"use strict";

const fs = require("node:fs");
const path = require("node:path");

function fixtureDir() {
  const dir = process.env.KALO_VIEW_FIXTURES;
  if (!dir || !fs.existsSync(dir))
    throw new Error("KALO_VIEW_FIXTURES must name the folder 'kalo_view_mujoco fixture' wrote (ctest sets it)");
  return dir;
}

function load(name) {
  return JSON.parse(fs.readFileSync(path.join(fixtureDir(), name), "utf8"));
}

/// Every model fixture: {model, data, samples: [{values, poses}]}.
function models() {
  return fs.readdirSync(fixtureDir()).filter((f) => f.endsWith(".fixture.json") && f !== "meshes.fixture.json")
    .sort().map(load);
}

module.exports = { fixtureDir, load, models };
