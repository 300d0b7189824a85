#include "mechanism_support.hpp"

#include <cmath>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <urdf_parser/urdf_parser.h>
#include <sdf/Root.hh>

#include <kalo_toolkit/sim_verify.hpp>
#include <kalo_toolkit/zolt_model.hpp>

namespace kalo_consumers {

using namespace kalo_toolkit;

sim::ExportResult exportFile(const std::string& multibody, const std::string& out,
                             const sim::ExportOptions& options) {
  KalotError error = KALOT_GENERIC_FAILURE;
  const auto model = ZoltModel::readFromXML(&error, multibody, MechanismSimplifier::None);
  sim::ExportResult result;
  if (!model) {
    ADD_FAILURE() << multibody << " does not read (result " << error << ")";
    result.code = 1;
    return result;
  }
  result = sim::exportChecked(*model, out, options);
  std::string lines;
  for (const std::string& line : result.report) lines += line + "\n";
  EXPECT_EQ(result.code, 0) << multibody << ": " << result.error << "\n" << lines;
  return result;
}

MjModelPtr exportToMujoco(const std::string& multibody, const std::string& out, sim::ExportOptions options,
                          std::vector<std::string>* report) {
  options.format = sim::Format::Mjcf;
  options.verify = true;
  const sim::ExportResult result = exportFile(multibody, out, options);
  if (report) *report = result.report;
  if (result.code != 0) return nullptr;
  char error[1000] = "";
  MjModelPtr m(mj_loadXML(out.c_str(), nullptr, error, sizeof error));
  EXPECT_TRUE(m) << out << ": MuJoCo refuses it: " << error;
  EXPECT_STREQ(error, "") << out;
  return m;
}

int mobility(mjModel* m) {
  m->opt.jacobian = mjJAC_DENSE;
  MjDataPtr d(mj_makeData(m));
  mj_forward(m, d.get());
  std::vector<std::vector<double>> rows;
  double largest = 0;
  for (int i = 0; i < d->nefc; ++i) {
    if (d->efc_type[i] != mjCNSTR_EQUALITY) continue;
    rows.emplace_back(d->efc_J + i * m->nv, d->efc_J + (i + 1) * m->nv);
    for (double v : rows.back()) largest = std::max(largest, std::fabs(v));
  }
  // Rank by elimination with full pivoting.
  int rank = 0;
  std::vector<bool> used(rows.size(), false);
  for (;;) {
    double best = 1e-9 * largest;
    int pr = -1, pc = -1;
    for (size_t i = 0; i < rows.size(); ++i)
      for (int j = 0; !used[i] && j < m->nv; ++j)
        if (std::fabs(rows[i][static_cast<size_t>(j)]) > best) {
          best = std::fabs(rows[i][static_cast<size_t>(j)]);
          pr = static_cast<int>(i);
          pc = j;
        }
    if (pr < 0) break;
    used[static_cast<size_t>(pr)] = true;
    ++rank;
    for (size_t i = 0; i < rows.size(); ++i) {
      if (used[i]) continue;
      const double f =
          rows[i][static_cast<size_t>(pc)] / rows[static_cast<size_t>(pr)][static_cast<size_t>(pc)];
      for (int j = 0; j < m->nv; ++j)
        rows[i][static_cast<size_t>(j)] -= f * rows[static_cast<size_t>(pr)][static_cast<size_t>(j)];
    }
  }
  return m->nv - rank;
}

int jointCount(const mjModel* m, int type) {
  int n = 0;
  for (int j = 0; j < m->njnt; ++j) n += m->jnt_type[j] == type;
  return n;
}

std::vector<std::string> sdformatErrors(const std::string& file) {
  sdf::Root root;
  std::vector<std::string> out;
  for (const sdf::Error& e : root.Load(file)) out.push_back(e.Message());
  return out;
}

bool urdfdomParses(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return static_cast<bool>(urdf::parseURDF(text.str()));
}

bool hasLine(const std::vector<std::string>& report, const std::string& text) {
  for (const std::string& line : report)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

}  // namespace kalo_consumers
