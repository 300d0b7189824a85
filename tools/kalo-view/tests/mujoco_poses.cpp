// Test helper: the body poses MuJoCo computes for an MJCF file that kalo-export
// wrote, at joint values given in the page's terms, so that the page's
// kinematics can be checked against a second implementation.
//
//   kalo_view_mujoco poses FILE.mjcf < values
//     values: lines "name v..." (a hinge or slide one value, a ball a rotation
//     vector; a free joint's translations as "<joint>.slide1" ... and its turn as
//     "<joint>.ball"), each sample ended by a line "end". For each sample it prints
//     "body x y z r00 r01 ... r22" per body (rotation row by row), then "end".
//   kalo_view_mujoco fixture DIR MODEL.xml...
//     writes DIR/<model>.fixture.json for each model (the page's data, MuJoCo's
//     poses at seeded random joint values) and DIR/meshes.fixture.json (mesh
//     files with what the toolkit's reader measures), for the Node tests.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <mujoco/mujoco.h>

#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/mesh_geometry.hpp>
#include <kalo_toolkit/sim_export.hpp>
#include <kalo_toolkit/sim_view.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "page_writer.hpp"

namespace fs = std::filesystem;

namespace {

using Values = std::map<std::string, std::vector<double>>;

struct ModelDeleter {
  void operator()(mjModel* m) const { mj_deleteModel(m); }
};
struct DataDeleter {
  void operator()(mjData* d) const { mj_deleteData(d); }
};

std::string exact(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", v);
  return buffer;
}

/// Loads an MJCF file; mesh files it names that do not exist are stood in for by
/// a small tetrahedron in a scratch copy (meshes do not move bodies).
std::unique_ptr<mjModel, ModelDeleter> load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string xml = text.str();
  const fs::path from = fs::path(path).parent_path();
  const fs::path scratch = fs::temp_directory_path() / ("kalo_view_mujoco_" + std::to_string(::getpid()));
  fs::create_directories(scratch);
  for (size_t at = xml.find(" file=\""); at != std::string::npos; at = xml.find(" file=\"", at + 1)) {
    const size_t start = at + 7, end = xml.find('"', start);
    const std::string file = xml.substr(start, end - start);
    const fs::path target = scratch / file;
    fs::create_directories(target.parent_path());
    if (fs::exists(from / file)) {
      fs::copy_file(from / file, target, fs::copy_options::overwrite_existing);
    } else {
      // A tetrahedron as binary STL (MuJoCo reads no ASCII STL).
      const float v[4][3] = {{0, 0, 0}, {0.01f, 0, 0}, {0, 0.01f, 0}, {0, 0, 0.01f}};
      const int faces[4][3] = {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};
      std::string stl(80, ' ');
      const uint32_t count = 4;
      stl.append(reinterpret_cast<const char*>(&count), 4);
      for (const auto& f : faces) {
        stl.append(12, '\0');
        for (int k : f) stl.append(reinterpret_cast<const char*>(v[k]), 12);
        stl.append(2, '\0');
      }
      std::ofstream(target, std::ios::binary) << stl;
    }
  }
  const std::string copy = (scratch / fs::path(path).filename()).string();
  std::ofstream(copy, std::ios::binary) << xml;
  char error[1000] = "";
  std::unique_ptr<mjModel, ModelDeleter> m(mj_loadXML(copy.c_str(), nullptr, error, sizeof error));
  fs::remove_all(scratch);
  if (!m) std::cerr << "kalo_view_mujoco: MuJoCo does not load '" << path << "': " << error << "\n";
  return m;
}

void quatOf(const std::vector<double>& v, double* q) {
  const double angle = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  q[0] = std::cos(angle / 2);
  for (int i = 0; i < 3; ++i)
    q[1 + i] = angle > 0 ? std::sin(angle / 2) * v[static_cast<size_t>(i)] / angle : 0.0;
}

/// Sets qpos from values in the page's terms; false naming what MuJoCo lacks.
bool setValues(const mjModel* m, mjData* d, const Values& values, std::string* error) {
  mju_copy(d->qpos, m->qpos0, m->nq);
  for (int j = 0; j < m->njnt; ++j) {
    const std::string name = mj_id2name(m, mjOBJ_JOINT, j) ? mj_id2name(m, mjOBJ_JOINT, j) : "";
    double* q = d->qpos + m->jnt_qposadr[j];
    const auto get = [&](const std::string& key, size_t n) -> const std::vector<double>* {
      const auto found = values.find(key);
      return found != values.end() && found->second.size() == n ? &found->second : nullptr;
    };
    switch (m->jnt_type[j]) {
      case mjJNT_FREE: {
        const int body = m->jnt_bodyid[j];
        for (int k = 0; k < 3; ++k) {
          const auto* v = get(name + ".slide" + std::to_string(k + 1), 1);
          q[k] = m->body_pos[3 * body + k] + (v ? (*v)[0] : 0.0);
        }
        if (const auto* v = get(name + ".ball", 3)) quatOf(*v, q + 3);
        break;
      }
      case mjJNT_BALL:
        if (const auto* v = get(name, 3)) quatOf(*v, q);
        break;
      default:
        if (const auto* v = get(name, 1)) q[0] = (*v)[0];
    }
  }
  for (const auto& [name, v] : values) {
    const bool known =
        mj_name2id(m, mjOBJ_JOINT, name.c_str()) >= 0 ||
        (name.size() > 7 && mj_name2id(m, mjOBJ_JOINT, name.substr(0, name.rfind('.')).c_str()) >= 0);
    if (!known) {
      *error = "no MuJoCo joint for the value '" + name + "'";
      return false;
    }
    (void)v;
  }
  return true;
}

std::string posesJson(const mjModel* m, const mjData* d) {
  std::string out = "{";
  for (int b = 1; b < m->nbody; ++b) {
    if (b > 1) out += ",";
    out += "\"" + std::string(mj_id2name(m, mjOBJ_BODY, b)) + "\":{\"position\":[";
    for (int k = 0; k < 3; ++k) out += (k ? "," : "") + exact(d->xpos[3 * b + k]);
    out += "],\"rotation\":[";
    for (int k = 0; k < 9; ++k) out += (k ? "," : "") + exact(d->xmat[9 * b + k]);
    out += "]}";
  }
  return out + "}";
}

int poses(const std::string& path) {
  auto m = load(path);
  if (!m) return 1;
  std::unique_ptr<mjData, DataDeleter> d(mj_makeData(m.get()));
  Values values;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string name;
    if (!(words >> name)) continue;
    if (name != "end") {
      double v;
      while (words >> v) values[name].push_back(v);
      continue;
    }
    std::string error;
    if (!setValues(m.get(), d.get(), values, &error)) {
      std::cerr << "kalo_view_mujoco: " << error << "\n";
      return 1;
    }
    mj_kinematics(m.get(), d.get());
    for (int b = 1; b < m->nbody; ++b) {
      std::cout << mj_id2name(m.get(), mjOBJ_BODY, b);
      for (int k = 0; k < 3; ++k) std::cout << ' ' << exact(d->xpos[3 * b + k]);
      for (int k = 0; k < 9; ++k) std::cout << ' ' << exact(d->xmat[9 * b + k]);
      std::cout << "\n";
    }
    std::cout << "end" << std::endl;
    values.clear();
  }
  return 0;
}

int fixtureOf(const std::string& dir, const std::string& modelPath) {
  KalotError readError = KALOT_SUCCESS;
  const auto model =
      kalo_toolkit::ZoltModel::readFromXML(&readError, modelPath, kalo_toolkit::MechanismSimplifier::None);
  if (!model) {
    std::cerr << "kalo_view_mujoco: cannot read '" << modelPath << "'\n";
    return 1;
  }
  const std::string stem = fs::path(modelPath).stem().string();
  std::string data;
  const auto page = kalo_view::pageData(*model, kalo_view::PageOptions(), &data);
  std::string mjcf;
  const auto exported = kalo_toolkit::sim::exportToString(*model, kalo_toolkit::sim::ExportOptions(), &mjcf);
  kalo_toolkit::sim::ViewTree view;
  kalo_toolkit::sim::buildViewTree(*model, kalo_toolkit::sim::ExportOptions(), &view);
  if (page.code != 0 || exported.code != 0) {
    std::cerr << "kalo_view_mujoco: '" << modelPath << "' does not export: " << page.error << exported.error
              << "\n";
    return 1;
  }
  const std::string mjcfPath = dir + "/" + stem + ".mjcf.xml";
  std::ofstream(mjcfPath, std::ios::binary) << mjcf;
  auto m = load(mjcfPath);
  if (!m) return 1;
  std::unique_ptr<mjData, DataDeleter> d(mj_makeData(m.get()));
  std::mt19937 random(20261209);  // fixed: the same fixture every run
  std::uniform_real_distribution<double> turn(-1.2, 1.2), shift(-0.3, 0.3);
  std::string samples;
  for (int s = 0; s < 8; ++s) {
    Values values;
    std::string valuesJson = "{";
    for (const auto& link : view.links)
      for (const auto& dof : link.dofs) {
        std::vector<double> v;
        if (dof.kind == kalo_toolkit::sim::ViewDof::Ball)
          v = {turn(random) / 2, turn(random) / 2, turn(random) / 2};
        else
          v = {dof.kind == kalo_toolkit::sim::ViewDof::Slide ? shift(random) : turn(random)};
        values[dof.name] = v;
        valuesJson += std::string(valuesJson.size() > 1 ? "," : "") + "\"" + dof.name + "\":";
        if (v.size() == 1) {
          valuesJson += exact(v[0]);
        } else {
          valuesJson += "[" + exact(v[0]) + "," + exact(v[1]) + "," + exact(v[2]) + "]";
        }
      }
    std::string error;
    if (!setValues(m.get(), d.get(), values, &error)) {
      std::cerr << "kalo_view_mujoco: " << modelPath << ": " << error << "\n";
      return 1;
    }
    mj_kinematics(m.get(), d.get());
    samples += std::string(s ? "," : "") + "{\"values\":" + valuesJson +
               "},\"poses\":" + posesJson(m.get(), d.get()) + "}";
  }
  std::ofstream(dir + "/" + stem + ".fixture.json", std::ios::binary)
      << "{\"model\":\"" << stem << "\",\"data\":" << data << ",\"samples\":[" << samples << "]}\n";
  return 0;
}

/// Mesh files of every kind the page reads, with the toolkit reader's measures.
int meshFixture(const std::string& dir) {
  fs::create_directories(dir + "/meshes");
  struct Case {
    std::string file, bytes;
  };
  // A box 0.2 x 0.1 x 0.05 from the origin, as an ASCII STL, a binary STL and an OBJ of quads.
  const double X = 0.2, Y = 0.1, Z = 0.05;
  const double c[8][3] = {{0, 0, 0}, {X, 0, 0}, {X, Y, 0}, {0, Y, 0},
                          {0, 0, Z}, {X, 0, Z}, {X, Y, Z}, {0, Y, Z}};
  const int quads[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                           {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 4, 7, 3}};
  std::string ascii = "solid box\n", binary(80, ' '),
              obj = "# box of quads, negative indices on the last face\n";
  uint32_t count = 12;
  binary.append(reinterpret_cast<const char*>(&count), 4);
  for (const auto& v : c) obj += "v " + exact(v[0]) + " " + exact(v[1]) + " " + exact(v[2]) + "\n";
  for (int f = 0; f < 6; ++f) {
    const int* q = quads[f];
    obj += f < 5 ? "f " + std::to_string(q[0] + 1) + "/1 " + std::to_string(q[1] + 1) + "//2 " +
                       std::to_string(q[2] + 1) + " " + std::to_string(q[3] + 1) + "\n"
                 : "f " + std::to_string(q[0] - 8) + " " + std::to_string(q[1] - 8) + " " +
                       std::to_string(q[2] - 8) + " " + std::to_string(q[3] - 8) + "\n";
    const int tris[2][3] = {{q[0], q[1], q[2]}, {q[0], q[2], q[3]}};
    for (const auto& t : tris) {
      ascii += " facet normal 0 0 0\n  outer loop\n";
      binary.append(12, '\0');
      for (int k = 0; k < 3; ++k) {
        ascii += "   vertex " + exact(c[t[k]][0]) + " " + exact(c[t[k]][1]) + " " + exact(c[t[k]][2]) + "\n";
        for (int i = 0; i < 3; ++i) {
          const float f32 = static_cast<float>(c[t[k]][i]);
          binary.append(reinterpret_cast<const char*>(&f32), 4);
        }
      }
      binary.append(2, '\0');
      ascii += "  endloop\n endfacet\n";
    }
  }
  ascii += "endsolid box\n";
  const std::vector<Case> cases = {
      {"box_ascii.stl", ascii}, {"box_binary.stl", binary}, {"box_quads.obj", obj}};
  std::string out = "{\"meshes\":[";
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string path = dir + "/meshes/" + cases[i].file;
    std::ofstream(path, std::ios::binary) << cases[i].bytes;
    kalo_toolkit::sim::MeshGeometry mesh;
    std::string error;
    if (!kalo_toolkit::sim::readMeshFile(path, &mesh, &error)) {
      std::cerr << "kalo_view_mujoco: " << error << "\n";
      return 1;
    }
    const auto p = kalo_toolkit::sim::meshMassProperties(mesh);
    out += std::string(i ? "," : "") + "{\"file\":\"" + path + "\",\"kind\":\"" +
           fs::path(path).extension().string().substr(1) +
           "\",\"triangles\":" + std::to_string(mesh.triangles.size()) + ",\"volume\":" + exact(p.volume) +
           ",\"lower\":[" + exact(p.lower[0]) + "," + exact(p.lower[1]) + "," + exact(p.lower[2]) +
           "],\"upper\":[" + exact(p.upper[0]) + "," + exact(p.upper[1]) + "," + exact(p.upper[2]) + "]}";
  }
  std::ofstream(dir + "/meshes.fixture.json", std::ios::binary) << out << "]}\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "poses") return poses(args[1]);
  if (args.size() >= 2 && args[0] == "fixture") {
    fs::create_directories(args[1]);
    for (size_t i = 2; i < args.size(); ++i)
      if (fixtureOf(args[1], args[i]) != 0) return 1;
    return meshFixture(args[1]);
  }
  std::cerr << "usage: kalo_view_mujoco poses FILE.mjcf < values | fixture DIR MODEL.xml...\n";
  return 2;
}
