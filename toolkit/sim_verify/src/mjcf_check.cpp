// The MJCF checks, with MuJoCo.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include <mujoco/mujoco.h>

#include <kalo_toolkit/sim_facts.hpp>
#include <kalo_toolkit/sim_verify.hpp>
#include <kalo_toolkit/vector_math.hpp>

namespace kalo_toolkit {
namespace sim {

namespace {

constexpr double kLoopTolerance = 1e-9;  // m
// A body of the model with no mass of its own may be written with the smallest mass a
// simulator accepts (1e-9 kg); anything beyond that is a changed mass.
constexpr double kMassTolerance = 1.5e-9;  // kg, on top of 1e-9 relative

std::string text(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.9g", v);
  return buffer;
}

struct ModelDeleter {
  void operator()(mjModel* m) const { mj_deleteModel(m); }
  void operator()(mjData* d) const { mj_deleteData(d); }
};

class Checker {
 public:
  Checker(const ModelFacts& facts, ExportResult* result) : facts_(facts), result_(*result) {}

  void run(const std::string& path) {
    char error[1000] = "";
    model_.reset(mj_loadXML(path.c_str(), nullptr, error, sizeof error));
    if (!model_) {
      fail("MuJoCo does not compile '" + path + "': " + error + "; no further check can run");
      return;
    }
    line(error[0] == '\0', "compiles in MuJoCo " + std::string(mj_versionString()) +
                               " without error or warning" + (error[0] ? std::string(": ") + error : ""));
    mjModel* m = model_.get();
    // Equality rows as dense rows of efc_J, whatever the model's size.
    m->opt.jacobian = mjJAC_DENSE;
    data_.reset(mj_makeData(m));
    mjData* d = data_.get();
    mj_forward(m, d);
    int warnings = 0;
    for (int i = 0; i < mjNWARNING; ++i) warnings += d->warning[i].number;
    if (warnings > 0) fail("MuJoCo warns " + std::to_string(warnings) + " times at rest");
    freedoms();
    bodies();
    loops();
  }

 private:
  void line(bool ok, const std::string& what) {
    result_.report.push_back((ok ? "verify ok: " : "verify FAILED: ") + what);
    if (!ok) result_.code = kCheckFailed;
  }
  void fail(const std::string& what) { line(false, what); }

  void freedoms() {
    const int want = facts_.treeFreedoms + 6 * facts_.floatingGroups;
    line(model_->nv == want, "freedoms: MuJoCo " + std::to_string(model_->nv) + ", the model " +
                                 std::to_string(facts_.treeFreedoms) + " in its tree and 6 for each of " +
                                 std::to_string(facts_.floatingGroups) + " floating groups");
  }

  void bodies() {
    const mjModel* m = model_.get();
    const mjData* d = data_.get();
    size_t bad = 0;
    for (const ModelFacts::Body& b : facts_.bodies) {
      const int id = mj_name2id(m, mjOBJ_BODY, b.name.c_str());
      if (id < 0) {
        fail("body '" + b.name + "' is not in the file");
        ++bad;
        continue;
      }
      const double mass = m->body_mass[id];
      if (!(std::fabs(mass - b.mass) <= kMassTolerance + 1e-9 * b.mass)) {
        fail("body '" + b.name + "': mass " + text(mass) + " kg in MuJoCo, " + text(b.mass) +
             " kg in the model");
        ++bad;
      }
      // A body without mass has no centre of mass to compare.
      if (b.mass == 0.0) continue;
      double distance = 0;
      double size = 1;
      for (int k = 0; k < 3; ++k) {
        distance = std::max(distance, std::fabs(d->xipos[3 * id + k] - b.com[static_cast<size_t>(k)]));
        size = std::max(size, std::fabs(b.com[static_cast<size_t>(k)]));
      }
      if (!(distance <= 1e-9 * size)) {
        fail("body '" + b.name + "': centre of mass at rest " + text(distance) + " m from the model's");
        ++bad;
      }
    }
    if (bad == 0)
      line(true,
           "mass and centre of mass at rest of all " + std::to_string(facts_.bodies.size()) + " bodies");
    const double total = mj_getTotalmass(m);
    line(std::fabs(total - facts_.totalMass) <=
             kMassTolerance * static_cast<double>(m->nbody) + 1e-9 * facts_.totalMass,
         "total mass: MuJoCo " + text(total) + " kg, the model " + text(facts_.totalMass) + " kg");
  }

  void loops() {
    const mjModel* m = model_.get();
    const mjData* d = data_.get();
    double worst = 0;
    std::string worstName;
    const auto note = [&](double residual, const std::string& name) {
      if (residual > worst) {
        worst = residual;
        worstName = name;
      }
    };
    // Each closure's point: where the equality named after it holds its bodies together.
    for (const ModelFacts::Closure& c : facts_.closures) {
      const int id = mj_name2id(m, mjOBJ_EQUALITY, c.name.c_str());
      if (id < 0 || m->eq_type[id] != mjEQ_CONNECT) continue;
      const int body = m->eq_obj1id[id];
      const mjtNum* anchor = m->eq_data + id * mjNEQDATA;
      mjtNum world[3];
      mju_rotVecMat(world, anchor, d->xmat + 9 * body);
      double gap = 0;
      for (int k = 0; k < 3; ++k) {
        const double v = d->xpos[3 * body + k] + world[k] - c.point[static_cast<size_t>(k)];
        gap += v * v;
      }
      note(std::sqrt(gap), c.name);
    }
    // The equalities' own residuals at rest.
    std::vector<std::vector<double>> rows;
    double largest = 0;
    for (int i = 0; i < d->nefc; ++i) {
      if (d->efc_type[i] != mjCNSTR_EQUALITY) continue;
      const char* name = mj_id2name(m, mjOBJ_EQUALITY, d->efc_id[i]);
      note(std::fabs(d->efc_pos[i]), name ? name : "equality " + std::to_string(d->efc_id[i]));
      rows.emplace_back(d->efc_J + static_cast<size_t>(i) * static_cast<size_t>(m->nv),
                        d->efc_J + static_cast<size_t>(i + 1) * static_cast<size_t>(m->nv));
      for (double v : rows.back()) largest = std::max(largest, std::fabs(v));
    }
    if (!facts_.closures.empty() || !rows.empty())
      line(worst < kLoopTolerance, "loops closed at rest: largest residual " + text(worst) + " m" +
                                       (worstName.empty() ? "" : " ('" + worstName + "')") + ", below " +
                                       text(kLoopTolerance) + " m");
    const int mobility = m->nv - util::matrixRank(std::move(rows), 1e-9 * std::max(largest, 1e-300));
    line(mobility == facts_.mobility, "mobility with the loops closed: MuJoCo " + std::to_string(mobility) +
                                          " (freedoms less the rank of the equality constraints at rest), "
                                          "the model " +
                                          std::to_string(facts_.mobility));
  }

  const ModelFacts& facts_;
  ExportResult& result_;
  std::unique_ptr<mjModel, ModelDeleter> model_;
  std::unique_ptr<mjData, ModelDeleter> data_;
};

}  // namespace

bool mjcfChecksAvailable() { return true; }

ExportResult checkMjcf(const ZoltModel& model, const std::string& path, const ExportOptions& options) {
  ModelFacts facts;
  ExportResult result = exportFacts(model, options, &facts);
  if (result.code != 0) return result;
  try {
    Checker(facts, &result).run(path);
  } catch (const std::exception& e) {
    result.code = 1;
    result.error = std::string("checking '") + path + "' failed: " + e.what();
  }
  return result;
}

}  // namespace sim
}  // namespace kalo_toolkit
