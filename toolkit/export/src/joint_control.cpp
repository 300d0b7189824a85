// Limits, actuators and gains. The gains come from the model's physics: a
// PD servo on a freedom of reflected inertia I behaves as a second-order
// system of bandwidth w when kp = I w^2 and kd = 2 z sqrt(kp I), and sags
// under a gravity load T by T / kp. The default w is the smallest that keeps
// every sag at the home pose within kSagHinge / kSagSlide.

#include "joint_control.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "home_pose.hpp"
#include "sim_text.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

constexpr double kGravity = 9.81;  // m/s^2, along -z as in every consumer's default

/// Four significant digits: report text, not file content.
std::string brief(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.4g", v + 0.0);  // no "-0"
  return buffer;
}

const char* actuatorWord(Actuators a) {
  switch (a) {
    case Actuators::Position:
      return "position";
    case Actuators::Velocity:
      return "velocity";
    case Actuators::Motor:
      return "motor";
    case Actuators::None:
      break;
  }
  return "none";
}

struct Composite {
  double mass = 0.0;
  Vec3 moment{};   ///< sum of m c, world at the home pose
  Mat3 inertia{};  ///< about the world origin
};

class ControlBuilder {
 public:
  ControlBuilder(SimTree* tree, const SimSettings& settings, const ExportOptions& options)
      : tree_(*tree), settings_(settings), options_(options) {}

  void run() {
    checkKeys();
    readSettings();
    markLoops();
    chooseActuators();
    loads();
    gains();
  }

 private:
  std::string where(const SimDof& dof) const { return "joint '" + dof.name + "'"; }

  void checkKeys() {
    std::vector<std::string> known;
    std::set<std::string> seen;
    const auto add = [&](const std::string& name) {
      if (!name.empty() && seen.insert(name).second) known.push_back(name);
    };
    for (const SimLink& link : tree_.links) {
      if (link.dofs.empty()) continue;
      add(link.jointName);
      for (const SimDof& d : link.dofs) add(d.name);
    }
    for (const SimClosure& c : tree_.closures) {
      add(c.name);
      for (const SimDof& d : c.dofs) add(d.name);
    }
    std::string error;
    if (!checkJointKeys(settings_, known, &error)) throw SettingsError(error);
  }

  void readSettings() {
    explicitActuator_.resize(tree_.links.size());
    for (size_t i = 0; i < tree_.links.size(); ++i) {
      SimLink& link = tree_.links[i];
      explicitActuator_[i].assign(link.dofs.size(), false);
      for (size_t k = 0; k < link.dofs.size(); ++k) {
        SimDof& dof = link.dofs[k];
        const JointSettings s = jointSettingsFor(settings_, {link.jointName, dof.name});
        if (s.key.empty()) continue;
        if (link.free || dof.kind == DofKind::Ball) {
          tree_.report.push_back(where(dof) + ": " + (link.free ? "free" : "ball") +
                                 " freedom; the settings of " + s.key + " apply to hinges and slides only");
          continue;
        }
        DofControl& c = dof.control;
        if (s.hasRange) {
          c.limited = true;
          c.lower = s.lower;
          c.upper = s.upper;
        }
        c.effort = s.effort.value_or(0.0);
        c.velocity = s.velocity.value_or(0.0);
        c.armature = s.armature.value_or(0.0);
        c.frictionloss = s.frictionloss.value_or(0.0);
        c.home = s.home.value_or(0.0);
        if (c.limited && (c.home < c.lower || c.home > c.upper))
          throw SettingsError(settings_.source + ": " + where(dof) + ": home " + brief(c.home) +
                              " lies outside its range " + brief(c.lower) + " .. " + brief(c.upper) +
                              " (from " + s.key + ")");
        if (c.limited && (0.0 < c.lower || 0.0 > c.upper))
          tree_.report.push_back(where(dof) + ": the CAD pose (0) lies outside its range " + brief(c.lower) +
                                 " .. " + brief(c.upper) +
                                 "; the limit pushes it in when the simulation starts");
        if (s.actuator) {
          c.actuator = *s.actuator;
          explicitActuator_[i][k] = true;
        }
        if (s.kp) kp_[&dof] = *s.kp;
        if (s.kd) kd_[&dof] = *s.kd;
      }
    }
    for (const SimClosure& c : tree_.closures) {
      std::vector<std::string> names{c.name};
      for (const SimDof& d : c.dofs) names.push_back(d.name);
      const JointSettings s = jointSettingsFor(settings_, names);
      if (!s.key.empty())
        tree_.report.push_back("joint '" + c.name + "': closes a loop; the settings of " + s.key +
                               " are not applied (the loop's tree joints carry its limits and actuators)");
    }
  }

  /// Tree freedoms on the cycle of each loop closure. In a loop only the freedom
  /// nearest the ground is driven by default: one actuator per loop, so that
  /// servos do not fight the closure.
  void markLoops() {
    const size_t n = tree_.links.size();
    inLoop_.assign(n, false);
    loopDriver_.assign(n, false);
    for (const SimClosure& c : tree_.closures) {
      std::set<int> above;
      for (int l = c.link1; l >= 0; l = tree_.links[static_cast<size_t>(l)].parent) above.insert(l);
      int meet = -1;
      std::vector<int> path;
      for (int l = c.link2; l >= 0; l = tree_.links[static_cast<size_t>(l)].parent) {
        if (above.count(l)) {
          meet = l;
          break;
        }
        path.push_back(l);
      }
      for (int l = c.link1; l >= 0 && l != meet; l = tree_.links[static_cast<size_t>(l)].parent)
        path.push_back(l);
      int driver = -1;
      for (int l : path) {
        if (tree_.links[static_cast<size_t>(l)].dofs.empty()) continue;
        inLoop_[static_cast<size_t>(l)] = true;
        if (driver < 0 || l < driver) driver = l;
      }
      if (driver >= 0) loopDriver_[static_cast<size_t>(driver)] = true;
    }
  }

  void chooseActuators() {
    for (size_t i = 0; i < tree_.links.size(); ++i) {
      SimLink& link = tree_.links[i];
      if (link.free) continue;
      for (size_t k = 0; k < link.dofs.size(); ++k) {
        SimDof& dof = link.dofs[k];
        if (dof.kind == DofKind::Ball) continue;
        if (explicitActuator_[i][k]) continue;
        if (inLoop_[i] && !loopDriver_[i]) {
          dof.control.actuator = Actuators::None;
          if (options_.actuators != Actuators::None)
            tree_.report.push_back(where(dof) +
                                   ": in a closed loop driven by another joint; no actuator (set "
                                   "\"actuator\" in the settings to drive it)");
          continue;
        }
        dof.control.actuator = options_.actuators;
      }
    }
  }

  /// Reflected inertia and gravity load of every freedom at the home pose, from
  /// composite bodies summed from the leaves up (linear in the bodies).
  void loads() {
    const HomePose pose = homePose(tree_);
    const size_t n = tree_.links.size();
    std::vector<Composite> sum(n);
    for (size_t i = 0; i < n; ++i) {
      const SimLink& link = tree_.links[i];
      const RigidMotion& m = pose.links[i];
      const Vec3 c = apply(m, link.com);
      Composite& s = sum[i];
      s.mass = link.mass;
      s.moment = scaled(c, link.mass);
      s.inertia = rotateTensor(m.r, link.inertia);
      const double cc = c[0] * c[0] + c[1] * c[1] + c[2] * c[2];
      for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
          at(s.inertia, r, k) +=
              link.mass * ((r == k ? cc : 0.0) - c[static_cast<size_t>(r)] * c[static_cast<size_t>(k)]);
    }
    for (size_t i = n; i-- > 0;) {
      const int parent = tree_.links[i].parent;
      if (parent < 0) continue;
      Composite& p = sum[static_cast<size_t>(parent)];
      p.mass += sum[i].mass;
      for (int k = 0; k < 3; ++k) p.moment[static_cast<size_t>(k)] += sum[i].moment[static_cast<size_t>(k)];
      for (int k = 0; k < 9; ++k) p.inertia[static_cast<size_t>(k)] += sum[i].inertia[static_cast<size_t>(k)];
    }
    for (size_t i = 0; i < n; ++i) {
      SimLink& link = tree_.links[i];
      const Composite& s = sum[i];
      for (size_t k = 0; k < link.dofs.size(); ++k) {
        SimDof& dof = link.dofs[k];
        if (dof.kind == DofKind::Ball || link.free) continue;
        const Vec3& a = pose.dofs[i][k].first;
        const Vec3& p = pose.dofs[i][k].second;
        if (dof.kind == DofKind::Slide) {
          dof.control.inertia = s.mass;
          dof.control.gravity = -kGravity * s.mass * a[2];
        } else {
          // Inertia about the axis through p: shift the origin's tensor to p.
          const Vec3 c = s.mass > 0 ? scaled(s.moment, 1.0 / s.mass) : p;
          Mat3 j = s.inertia;
          const Vec3 d = sub(c, p);
          const double cc = c[0] * c[0] + c[1] * c[1] + c[2] * c[2];
          const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
          for (int r = 0; r < 3; ++r)
            for (int q = 0; q < 3; ++q)
              at(j, r, q) +=
                  s.mass * (((r == q ? dd : 0.0) - d[static_cast<size_t>(r)] * d[static_cast<size_t>(q)]) -
                            ((r == q ? cc : 0.0) - c[static_cast<size_t>(r)] * c[static_cast<size_t>(q)]));
          const Vec3 ja = times(j, a);
          dof.control.inertia = a[0] * ja[0] + a[1] * ja[1] + a[2] * ja[2];
          // Torque of the weight (0, 0, -m g) at c about the axis: a . (d x w).
          const Vec3 torque = cross(d, {0.0, 0.0, -kGravity * s.mass});
          dof.control.gravity = a[0] * torque[0] + a[1] * torque[1] + a[2] * torque[2];
        }
        dof.control.inertia += dof.control.armature;
      }
    }
  }

  void gains() {
    // The bandwidth that keeps every default position servo's sag within bounds.
    double needed = kMinBandwidth;
    const SimDof* worst = nullptr;
    bool anyServo = false;
    for (SimLink& link : tree_.links)
      for (SimDof& dof : link.dofs) {
        const DofControl& c = dof.control;
        if (c.actuator == Actuators::Position || c.actuator == Actuators::Velocity) anyServo = true;
        if (c.actuator != Actuators::Position || kp_.count(&dof) || !(c.inertia > 0)) continue;
        const double w = std::sqrt(std::fabs(c.gravity) / (c.inertia * sagBound(dof)));
        if (w > needed) {
          needed = w;
          worst = &dof;
        }
      }
    if (!anyServo) return;
    const double maxBandwidth = kBandwidthStep / kMinTimestep;
    const bool given = options_.bandwidth > 0;
    double w = given ? options_.bandwidth : std::min(needed, maxBandwidth);
    const double zeta = options_.dampingRatio;

    double fastest = w;
    double worstSag = 0.0;
    const SimDof* sagging = nullptr;
    int actuated = 0;
    for (SimLink& link : tree_.links)
      for (SimDof& dof : link.dofs) {
        DofControl& c = dof.control;
        if (c.actuator == Actuators::None) continue;
        ++actuated;
        const bool slide = dof.kind == DofKind::Slide;
        const std::string per = slide ? "N/m" : "N*m/rad";
        const std::string perSpeed = slide ? "N*s/m" : "N*m*s/rad";
        std::string line = where(dof) + ": " + actuatorWord(c.actuator) + " actuator; reflected inertia " +
                           brief(c.inertia) + (slide ? " kg" : " kg*m^2") + " at the home pose";
        if (c.actuator == Actuators::Position) {
          const auto kp = kp_.find(&dof);
          c.kp = kp != kp_.end() ? kp->second : c.inertia * w * w;
          const auto kd = kd_.find(&dof);
          c.damping = kd != kd_.end() ? kd->second : 2.0 * zeta * std::sqrt(c.kp * c.inertia);
          if (c.inertia > 0) fastest = std::max(fastest, std::sqrt(c.kp / c.inertia));
          line += "; kp " + brief(c.kp) + " " + per + (kp != kp_.end() ? " (set)" : "") + ", kd " +
                  brief(c.damping) + " " + perSpeed + " on the joint's damping" +
                  (kd != kd_.end() ? " (set)" : "");
          const double sag = c.kp > 0 ? std::fabs(c.gravity) / c.kp : (c.gravity != 0 ? HUGE_VAL : 0.0);
          line += "; gravity load " + brief(c.gravity) + (slide ? " N" : " N*m") + ", sag " + brief(sag) +
                  (slide ? " m" : " rad");
          const double relative = sag / sagBound(dof);
          if (!sagging || relative > worstSag) {
            worstSag = relative;
            sagging = &dof;
          }
        } else if (c.actuator == Actuators::Velocity) {
          const auto kd = kd_.find(&dof);
          c.kv = kd != kd_.end() ? kd->second : c.inertia * w;
          line += "; kv " + brief(c.kv) + " " + perSpeed + (kd != kd_.end() ? " (set as kd)" : "");
        } else {
          line += "; gear 1, the control is the " + std::string(slide ? "force" : "torque");
        }
        if (c.effort > 0) line += "; force range +-" + brief(c.effort);
        if (c.limited) line += "; range " + brief(c.lower) + " .. " + brief(c.upper);
        tree_.report.push_back(line);
      }

    double step = kDefaultTimestep;
    for (double s : {0.001, 0.0005, 0.0002, kMinTimestep})
      if (fastest * step > kBandwidthStep) step = s;
    tree_.scene.timestep = step;

    std::string summary = "servos: " + std::to_string(actuated) + " actuated freedom" +
                          (actuated == 1 ? "" : "s") + ", bandwidth " + brief(w) + " rad/s";
    if (given) {
      summary += " (given)";
    } else if (worst) {
      summary += " chosen so that gravity bends no servo at the home pose by more than " + brief(kSagHinge) +
                 " rad or " + brief(kSagSlide) + " m (joint '" + worst->name + "' needs it)";
      if (needed > maxBandwidth) summary += ", capped at " + brief(maxBandwidth) + " rad/s";
    } else {
      summary += " (the default least; gravity needs less)";
    }
    summary += ", damping ratio " + brief(zeta);
    if (sagging)
      summary += "; largest gravity sag at the home pose " + brief(worstSag * sagBound(*sagging)) +
                 (sagging->kind == DofKind::Slide ? " m" : " rad") + " (joint '" + sagging->name + "')";
    summary += "; time step " + brief(step) + " s (fastest servo " + brief(fastest) +
               " rad/s times time step " + brief(fastest * step) + ")";
    tree_.report.push_back(summary);
  }

  static double sagBound(const SimDof& dof) { return dof.kind == DofKind::Slide ? kSagSlide : kSagHinge; }

  SimTree& tree_;
  const SimSettings& settings_;
  const ExportOptions& options_;
  std::vector<std::vector<bool>> explicitActuator_;
  std::vector<bool> inLoop_, loopDriver_;
  std::map<const SimDof*, double> kp_, kd_;
};

}  // namespace

SimSettings settingsOf(const ExportOptions& options) {
  SimSettings settings;
  std::string error;
  if (!options.settingsFile.empty()
          ? !readSimSettingsFile(options.settingsFile, &settings, &error)
          : !parseSimSettings(options.settingsText.empty() ? "{}" : options.settingsText, "settings",
                              &settings, &error))
    throw SettingsError(error);
  return settings;
}

void applyJointControl(SimTree* tree, const SimSettings& settings, const ExportOptions& options) {
  ControlBuilder(tree, settings, options).run();
}

}  // namespace sim
}  // namespace kalo_toolkit
