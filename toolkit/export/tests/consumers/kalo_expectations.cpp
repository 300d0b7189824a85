#include "kalo_expectations.hpp"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>

#include <gtest/gtest.h>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

namespace kalo_consumers {

using namespace kalo_toolkit;

namespace {

// Conversion factors to SI, written out here rather than taken from the
// library under test.
double kilograms(KalotMassUnit u) {
  switch (u) {
    case KALOT_MASS_KG:
      return 1.0;
    case KALOT_MASS_G:
      return 1e-3;
    case KALOT_MASS_MG:
      return 1e-6;
    case KALOT_MASS_LBM:
      return 0.45359237;
    case KALOT_MASS_OZ:
      return 0.028349523125;
    case KALOT_MASS_SLUG:
      return 14.593902937206364;
  }
  return NAN;
}

double metres(KalotLengthUnit u) {
  switch (u) {
    case KALOT_LENGTH_M:
      return 1.0;
    case KALOT_LENGTH_CM:
      return 0.01;
    case KALOT_LENGTH_MM:
      return 0.001;
    case KALOT_LENGTH_KM:
      return 1000.0;
    case KALOT_LENGTH_IN:
      return 0.0254;
    case KALOT_LENGTH_FT:
      return 0.3048;
    case KALOT_LENGTH_MI:
      return 1609.344;
    case KALOT_LENGTH_YD:
      return 0.9144;
  }
  return NAN;
}

double kilogramSquareMetres(KalotInertiaUnit u) {
  const double in2 = 0.0254 * 0.0254, ft2 = 0.3048 * 0.3048;
  switch (u) {
    case KALOT_INERTIA_G_CM2:
      return 1e-7;
    case KALOT_INERTIA_KG_M2:
      return 1.0;
    case KALOT_INERTIA_SLUG_IN2:
      return 14.593902937206364 * in2;
    case KALOT_INERTIA_SLUG_FT2:
      return 14.593902937206364 * ft2;
    case KALOT_INERTIA_LBM_IN2:
      return 0.45359237 * in2;
    case KALOT_INERTIA_LBM_FT2:
      return 0.45359237 * ft2;
  }
  return NAN;
}

Vec3 worldPosition(const Frame& f) {
  const double m = metres(f.getPositionUnits());
  return {f.getPosition()[0] * m, f.getPosition()[1] * m, f.getPosition()[2] * m};
}

class Reader {
 public:
  explicit Reader(ExpectedModel* out) : out_(*out) {}

  void subsystem(const Subsystem& s, const std::string& path) {
    const int index = out_.subsystems++;
    const std::string prefix = path.empty() ? path : path + ".";
    for (size_t i = 0; i < s.getBodyRefCount(); ++i) body(*s.getBodyRefAt(i)->getBody(), prefix, index);
    for (size_t i = 0; i < s.getGroundCount(); ++i) {
      const Frame* f = s.getGroundAt(i)->getFrame().get();
      frameIndex_[f] = static_cast<int>(out_.frames.size());
      out_.frames.push_back({"", kWorld, worldPosition(*f)});
    }
    for (size_t i = 0; i < s.getJointCount(); ++i) pending_.push_back({s.getJointAt(i).get(), prefix});
    for (size_t i = 0; i < s.getSubsystemRefCount(); ++i) {
      const auto& child = s.getSubsystemRefAt(i)->getSubsystem();
      subsystem(*child, prefix + child->getName());
    }
  }

  void body(const Body& b, const std::string& prefix, int subsystem) {
    ExpectedBody e;
    e.name = prefix + b.getName();
    e.mass = b.getMass() * kilograms(b.getMassUnits());
    e.geometry = b.getFileName();
    e.subsystem = subsystem;
    const Frame* cg = nullptr;
    for (size_t i = 0; i < b.getLinkCount() && !cg; ++i)
      if (b.getLinkAt(i)->getName() == "CG") cg = b.getLinkAt(i).get();
    if (!cg && b.getLinkCount() > 0) cg = b.getLinkAt(0).get();
    if (cg) {
      e.cg = worldPosition(*cg);
      // The tensor is given in the CG frame's axes: I_world = R I R^T, R stored column by column.
      const double* o = cg->getOrientation();
      const double k = kilogramSquareMetres(b.getInertiaUnits());
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
          double sum = 0;
          for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) sum += o[i * 3 + r] * b.getInertia()[j * 3 + i] * k * o[j * 3 + c];
          e.inertia[r * 3 + c] = sum;
        }
    }
    const int index = static_cast<int>(out_.bodies.size());
    for (size_t i = 0; i < b.getLinkCount(); ++i) {
      const Frame* f = b.getLinkAt(i).get();
      frameIndex_[f] = static_cast<int>(out_.frames.size());
      out_.frames.push_back({e.name + "." + f->getName(), index, worldPosition(*f)});
    }
    out_.bodies.push_back(e);
  }

  void joints() {
    for (const auto& [joint, prefix] : pending_) {
      ExpectedJoint e;
      e.name = prefix + joint->getName();
      e.baseFrame = frameOf(joint->getBaseFrame().get(), e.name);
      e.followerFrame = frameOf(joint->getFollowerFrame().get(), e.name);
      if (e.baseFrame < 0 || e.followerFrame < 0) continue;
      e.base = out_.frames[static_cast<size_t>(e.baseFrame)].body;
      e.follower = out_.frames[static_cast<size_t>(e.followerFrame)].body;
      int slides = 0, balls = 0;
      for (size_t i = 0; i < joint->getPrimitiveCount(); ++i) {
        const auto p = joint->getPrimitiveAt(i);
        const double* a = p->getAxis();
        e.axes.push_back({a[0], a[1], a[2]});
        switch (p->getType()) {
          case KALOT_PRIM_PRISMATIC:
            e.primitives.push_back(Primitive::Prismatic);
            e.freedoms += 1;
            ++slides;
            break;
          case KALOT_PRIM_REVOLUTE:
            e.primitives.push_back(Primitive::Revolute);
            e.freedoms += 1;
            break;
          case KALOT_PRIM_SPHERICAL:
            e.primitives.push_back(Primitive::Spherical);
            e.freedoms += 3;
            ++balls;
            break;
          default:
            e.primitives.push_back(Primitive::Weld);
        }
      }
      e.sixDof = slides == 3 && balls == 1 && e.primitives.size() == 4;
      out_.joints.push_back(e);
    }
  }

  // From the ground, breadth first; each body reached looks at the joints in
  // their order. Bodies that no joint ties to the ground float as a group
  // (six-DOF joints join nothing there) from the heaviest of them, the first
  // in body order among equals; a group without mass stands still.
  void spanningTree() {
    std::vector<bool> reached(out_.bodies.size(), false);
    out_.parentJoint.assign(out_.bodies.size(), -1);
    out_.floats.assign(out_.bodies.size(), false);
    grow(kWorld, false, reached);
    for (size_t first = 0; first < reached.size(); ++first) {
      if (reached[first]) continue;
      std::vector<int> group{static_cast<int>(first)};
      std::vector<bool> inGroup(reached.size(), false);
      inGroup[first] = true;
      for (size_t g = 0; g < group.size(); ++g)
        for (const ExpectedJoint& j : out_.joints) {
          if (j.sixDof || (j.base != group[g] && j.follower != group[g])) continue;
          const int other = j.base == group[g] ? j.follower : j.base;
          if (other == kWorld || inGroup[static_cast<size_t>(other)]) continue;
          inGroup[static_cast<size_t>(other)] = true;
          group.push_back(other);
        }
      std::sort(group.begin(), group.end());
      int root = group.front();
      double mass = 0;
      for (int b : group) {
        mass += out_.bodies[static_cast<size_t>(b)].mass;
        if (out_.bodies[static_cast<size_t>(b)].mass > out_.bodies[static_cast<size_t>(root)].mass) root = b;
      }
      reached[static_cast<size_t>(root)] = true;
      out_.floats[static_cast<size_t>(root)] = mass > 0;
      if (mass > 0) ++out_.floatingGroups;
      grow(root, true, reached);
    }
    for (const ExpectedJoint& j : out_.joints)
      if (!j.inTree && j.base != j.follower && !j.sixDof) ++out_.closures;
  }

  void grow(int start, bool floating, std::vector<bool>& reached) {
    std::deque<int> queue{start};
    while (!queue.empty()) {
      const int node = queue.front();
      queue.pop_front();
      for (size_t k = 0; k < out_.joints.size(); ++k) {
        ExpectedJoint& j = out_.joints[k];
        if (j.inTree || (floating && j.sixDof)) continue;
        const bool forward = j.base == node && j.follower != node && j.follower != kWorld &&
                             !reached[static_cast<size_t>(j.follower)];
        const bool reversed = !forward && j.follower == node && j.base != node && j.base != kWorld &&
                              !reached[static_cast<size_t>(j.base)];
        if (!forward && !reversed) continue;
        j.inTree = true;
        j.reversed = reversed;
        reached[static_cast<size_t>(j.child())] = true;
        out_.parentJoint[static_cast<size_t>(j.child())] = static_cast<int>(k);
        out_.treeFreedoms += j.freedoms;
        queue.push_back(j.child());
      }
    }
  }

  bool failed = false;

 private:
  int frameOf(const FrameRef* side, const std::string& joint) {
    const auto found = frameIndex_.find(side ? side->getFrame().get() : nullptr);
    if (found != frameIndex_.end()) return found->second;
    ADD_FAILURE() << "joint " << joint << ": a side's frame belongs to no body or ground";
    failed = true;
    return -1;
  }

  ExpectedModel& out_;
  std::map<const Frame*, int> frameIndex_;
  std::vector<std::pair<const Joint*, std::string>> pending_;
};

}  // namespace

bool readExpectations(const std::string& path, ExpectedModel* model) {
  KalotError error = KALOT_GENERIC_FAILURE;
  const auto zolt = ZoltModel::readFromXML(&error, path, MechanismSimplifier::None);
  if (!zolt || error != KALOT_SUCCESS) {
    ADD_FAILURE() << path << " does not read back (result " << error << ")";
    return false;
  }
  *model = ExpectedModel();
  Reader reader(model);
  reader.subsystem(*zolt->getTopSubsystem(), "");
  reader.joints();
  reader.spanningTree();
  for (const ExpectedBody& b : model->bodies) {
    model->totalMass += b.mass;
    for (int i = 0; i < 3; ++i) model->centreOfMass[i] += b.mass * b.cg[i];
  }
  for (double& c : model->centreOfMass) c /= model->totalMass;
  return !reader.failed;
}

std::vector<bool> ExpectedModel::downstreamOf(int joint) const {
  std::vector<bool> below(bodies.size(), false);
  for (size_t b = 0; b < bodies.size(); ++b)
    for (int at = static_cast<int>(b); at != kWorld;) {
      const int via = parentJoint[static_cast<size_t>(at)];
      if (via < 0) break;
      if (via == joint) {
        below[b] = true;
        break;
      }
      const ExpectedJoint& j = joints[static_cast<size_t>(via)];
      at = j.reversed ? j.follower : j.base;
    }
  return below;
}

bool ExpectedModel::moving(int body) const {
  for (int at = body; at != kWorld;) {
    const int via = parentJoint[static_cast<size_t>(at)];
    if (via < 0) return floats[static_cast<size_t>(at)];
    const ExpectedJoint& j = joints[static_cast<size_t>(via)];
    if (j.freedoms > 0) return true;
    at = j.reversed ? j.follower : j.base;
  }
  return false;
}

int ExpectedModel::bodyIndex(const std::string& name) const {
  for (size_t i = 0; i < bodies.size(); ++i)
    if (bodies[i].name == name) return static_cast<int>(i);
  return -1;
}

int ExpectedModel::jointIndex(const std::string& name) const {
  for (size_t i = 0; i < joints.size(); ++i)
    if (joints[i].name == name) return static_cast<int>(i);
  return -1;
}

Vec3 rotateAbout(const Vec3& p, const Vec3& a, const Vec3& point, double angle) {
  // Rodrigues: v cos + (a x v) sin + a (a . v)(1 - cos)
  const Vec3 v{p[0] - point[0], p[1] - point[1], p[2] - point[2]};
  const double c = std::cos(angle), s = std::sin(angle);
  const double d = a[0] * v[0] + a[1] * v[1] + a[2] * v[2];
  const Vec3 x{a[1] * v[2] - a[2] * v[1], a[2] * v[0] - a[0] * v[2], a[0] * v[1] - a[1] * v[0]};
  Vec3 out;
  for (int i = 0; i < 3; ++i) out[i] = point[i] + v[i] * c + x[i] * s + a[i] * d * (1 - c);
  return out;
}

double momentAbout(const ExpectedBody& body, const Vec3& a, const Vec3& point) {
  double own = 0;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) own += a[r] * body.inertia[r * 3 + c] * a[c];
  // Parallel axis: mass times the squared distance of the centre of mass from the line.
  const Vec3 v{body.cg[0] - point[0], body.cg[1] - point[1], body.cg[2] - point[2]};
  const double along = a[0] * v[0] + a[1] * v[1] + a[2] * v[2];
  const double d2 = v[0] * v[0] + v[1] * v[1] + v[2] * v[2] - along * along;
  return own + body.mass * d2;
}

}  // namespace kalo_consumers
