#include <kalo_toolkit/assem_comp.hpp>

#include <cmath>

#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>

namespace kalo_toolkit {

AssemComp::AssemComp() = default;
AssemComp::AssemComp(const AssemComp& other) = default;
AssemComp& AssemComp::operator=(const AssemComp& other) = default;
AssemComp::~AssemComp() = default;

AssemComp* AssemComp::copy() const { return new AssemComp(*this); }

boost::shared_ptr<CadModelRef> AssemComp::getCadModelRefAt(size_t i) const {
  return i < cadModelRefs.size() ? cadModelRefs[i] : boost::shared_ptr<CadModelRef>();
}

boost::shared_ptr<CadModelRef> AssemComp::getCadModelRefAtEnd() const {
  return cadModelRefs.empty() ? boost::shared_ptr<CadModelRef>() : cadModelRefs.back();
}

std::string AssemComp::getName() const {
  std::string path;
  for (size_t i = 0; i < cadModelRefs.size(); ++i) {
    if (i > 0) path += '/';
    path += cadModelRefs[i]->name;
  }
  return path;
}

namespace {

using Matrix4 = double[4][4];

// [scale * rotation, translation; 0 0 0 1]; rotation element (r, c) is stored at r + 3c.
void toMatrix4(const double* rotation, const double* translation, double scale, Matrix4& m) {
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) m[r][c] = scale * rotation[r + 3 * c];
    m[r][3] = translation[r];
  }
  m[3][0] = m[3][1] = m[3][2] = 0.0;
  m[3][3] = 1.0;
}

}  // namespace

void AssemComp::getCumulativeTransform(double rotation[9], double translation[3], double& scale) const {
  for (int i = 0; i < 9; ++i) rotation[i] = (i % 4 == 0) ? 1.0 : 0.0;
  translation[0] = translation[1] = translation[2] = 0.0;
  scale = 1.0;
  if (cadModelRefs.empty()) return;

  const CadModelRef& outer = *cadModelRefs.front();
  for (int i = 0; i < 9; ++i) rotation[i] = outer.rotation[i];
  for (int i = 0; i < 3; ++i) translation[i] = outer.translation[i];
  scale = outer.scale;

  for (size_t k = 1; k < cadModelRefs.size(); ++k) {
    const CadModelRef& ref = *cadModelRefs[k];
    Matrix4 a, b, c;
    toMatrix4(rotation, translation, scale, a);
    toMatrix4(ref.rotation, ref.translation, ref.scale, b);
    for (int r = 0; r < 4; ++r) {
      for (int col = 0; col < 4; ++col) {
        c[r][col] = 0.0;
        for (int j = 0; j < 4; ++j) c[r][col] += a[r][j] * b[j][col];
      }
    }
    scale = std::sqrt(c[0][0] * c[0][0] + c[0][1] * c[0][1] + c[0][2] * c[0][2]);
    // A zero scale collapses the mapping onto the translation; keep the (zero) block instead of
    // dividing by zero, so the result still maps points as the chain of references does.
    const double divisor = scale != 0.0 ? scale : 1.0;
    for (int r = 0; r < 3; ++r) {
      for (int col = 0; col < 3; ++col) rotation[r + 3 * col] = c[r][col] / divisor;
      translation[r] = c[r][3];
    }
  }
}

void AssemComp::transformToAssemCS(const double in[3], double out[3], bool isVector) const {
  double v[3] = {in[0], in[1], in[2]};
  for (auto it = cadModelRefs.rbegin(); it != cadModelRefs.rend(); ++it) {
    const CadModelRef& ref = **it;
    double next[3];
    for (int i = 0; i < 3; ++i) {
      next[i] =
          ref.scale * (ref.rotation[i] * v[0] + ref.rotation[i + 3] * v[1] + ref.rotation[i + 6] * v[2]);
      if (!isVector) next[i] += ref.translation[i];
    }
    v[0] = next[0];
    v[1] = next[1];
    v[2] = next[2];
  }
  out[0] = v[0];
  out[1] = v[1];
  out[2] = v[2];
}

// Depth-first, pre-order walk with an explicit stack. Only a branch whose path text begins the
// requested path (followed by "/") can hold it, so other branches are not entered: the result is the
// same first match, the walk needs no recursion however deep the tree, and it ends even on a model
// whose definitions place themselves. A reference without a definition can match but is not entered.
AssemComp* AssemComp::createAssemComp(const std::string& path, const boost::shared_ptr<CadModel>& top) {
  if (!top) return nullptr;
  struct Level {
    const CadModel* model;
    size_t nextChild;
    size_t pathLength;  // the branch's path text is path.substr(0, pathLength)
  };
  std::vector<Level> levels{{top.get(), 0, 0}};
  std::vector<boost::shared_ptr<CadModelRef>> branch;
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.nextChild >= level.model->cadmodels.size()) {
      levels.pop_back();
      if (!branch.empty()) branch.pop_back();
      continue;
    }
    const boost::shared_ptr<CadModelRef>& child = level.model->cadmodels[level.nextChild++];
    const std::string& name = child->name;
    const size_t start = levels.size() == 1 ? 0 : level.pathLength + 1;
    const size_t end = start + name.size();
    if (end > path.size() || path.compare(start, name.size(), name) != 0) continue;
    if (end == path.size()) {
      auto* comp = new AssemComp();
      comp->cadModelRefs = branch;
      comp->cadModelRefs.push_back(child);
      return comp;
    }
    if (path[end] == '/' && child->cadModel) {
      branch.push_back(child);
      levels.push_back(Level{child->cadModel.get(), 0, end});
    }
  }
  return nullptr;
}

}  // namespace kalo_toolkit
