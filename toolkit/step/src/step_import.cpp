#include <kalo_step/step_import.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>

#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Standard_Failure.hxx>

#include <boost/make_shared.hpp>

#include <kalo_toolkit/assem_comp.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/constrain.hpp>
#include <kalo_toolkit/enum_text.hpp>

#include "mate_freedom.hpp"
#include "mate_search.hpp"
#include "part_geometry.hpp"
#include "step_document.hpp"

namespace kalo_step {

namespace {

using namespace detail;
using kalo_toolkit::AssemComp;
using kalo_toolkit::CadModel;
using kalo_toolkit::CadModelRef;
using kalo_toolkit::Constrain;

// The converter's vocabulary: coincident (0) and weld (7); point, line and plane entities.
constexpr KalotConstrainType kCoincident = 0;
constexpr KalotConstrainType kWeld = 7;
constexpr KalotGeomType kPoint = 0;
constexpr KalotGeomType kLine = 1;
constexpr KalotGeomType kPlane = 2;

struct ImportError {
  std::string text;
};

std::string number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.4g", v);
  return buffer;
}

std::string count(size_t n, const std::string& one, const std::string& many) {
  return n == 1 ? one : std::to_string(n) + " " + many;
}

/// A file name made of the definition's name: letters, digits, '-', '_' and '.' kept.
std::string fileSafe(const std::string& name) {
  std::string out;
  for (unsigned char c : name) out += std::isalnum(c) || c == '-' || c == '_' || c == '.' ? char(c) : '_';
  if (out.empty() || out[0] == '.') out = "part" + out;
  return out;
}

struct MassProps {
  double mass = 0, volume = 0, area = 0;
  double cg[3] = {0, 0, 0};
  double inertia[6] = {0, 0, 0, 0, 0, 0};
};

struct Instance {
  std::vector<size_t> childPath;  ///< child indexes from the top
  size_t definition = 0;
  gp_Trsf world;     ///< document units
  std::string path;  ///< reference names from the top, joined by "/"
  std::string name;  ///< the innermost reference's name
};

struct Constraint {
  KalotConstrainType type;
  KalotGeomType geometry;  ///< both sides
  std::string kind;        ///< part of the name
  gp_Pnt point;            ///< world
  gp_Dir first, second;    ///< each side's axis or outward normal, world
};

class Importer {
 public:
  Importer(const std::string& path, const StepImportOptions& options) : path_(path), options_(options) {}

  StepImportResult run() {
    doc_ = readStepDocument(path_);
    result_.lengthUnit = doc_.fileUnit;
    result_.report = doc_.report;
    k_ = doc_.documentMetres / doc_.fileMetres;
    unit_ = kalo_toolkit::util::fromLengthUnitToStr(doc_.fileUnit);
    analyseParts();
    buildModels();
    listInstances(doc_.top, {}, gp_Trsf(), "");
    applyGround();
    makeConstraints();
    result_.model = models_[doc_.top];
    return std::move(result_);
  }

 private:
  // ---- parts: geometry, meshes, mass ------------------------------------------------------------

  void analyseParts() {
    geometry_.resize(doc_.definitions.size());
    std::set<std::string> used;
    meshNames_.resize(doc_.definitions.size());
    if (!options_.meshDir.empty()) {
      std::error_code ec;
      std::filesystem::create_directories(options_.meshDir, ec);
      if (ec) throw ImportError{"cannot make the mesh folder '" + options_.meshDir + "': " + ec.message()};
    }
    for (size_t d = 0; d < doc_.definitions.size(); ++d) {
      const Definition& def = doc_.definitions[d];
      if (def.assembly) continue;
      geometry_[d] = analysePart(def.shape);
      std::string name = fileSafe(def.name);
      for (int n = 2; used.count(name); ++n) name = fileSafe(def.name) + "-" + std::to_string(n);
      used.insert(name);
      meshNames_[d] = name + ".stl";
      if (options_.meshDir.empty()) continue;
      const std::string file = options_.meshDir + "/" + meshNames_[d];
      if (!writeBinaryStl(file, meshPart(def.shape, k_)))
        throw ImportError{"cannot write the mesh '" + file + "'"};
    }
  }

  MassProps partMass(size_t d) {
    const Definition& def = doc_.definitions[d];
    const VolumeProperties& v = geometry_[d].mass;
    MassProps m;
    const double dm = doc_.documentMetres, fm = doc_.fileMetres;
    if (!(v.volume > 0)) {
      result_.report.push_back(def.name + ": no closed solid; mass 0");
      return m;
    }
    const double volumeM3 = v.volume * dm * dm * dm;
    double density = options_.settings.defaultDensity;
    bool chosen = false;
    for (const auto& entry : options_.settings.masses)
      if (namePatternMatches(entry.first, def.name)) {
        density = entry.second / volumeM3;
        chosen = true;
        break;
      }
    for (size_t i = 0; !chosen && i < options_.settings.densities.size(); ++i)
      if (namePatternMatches(options_.settings.densities[i].first, def.name)) {
        density = options_.settings.densities[i].second;
        chosen = true;
      }
    if (!chosen) result_.report.push_back(def.name + ": density " + number(density) + " kg/m³ (the default)");
    m.mass = density * volumeM3;
    m.volume = v.volume * k_ * k_ * k_;
    m.area = v.area * k_ * k_;
    const double c[3] = {v.cg.X(), v.cg.Y(), v.cg.Z()};
    for (int i = 0; i < 3; ++i) m.cg[i] = c[i] * k_;
    const double toKgUnit2 = density * std::pow(dm, 5) / (fm * fm);
    for (int i = 0; i < 6; ++i) m.inertia[i] = v.inertia[i] * toKgUnit2;
    return m;
  }

  /// Sum of the children's properties, each placed, about the assembly's centre of mass.
  MassProps assemblyMass(size_t d) {
    MassProps sum;
    struct Placed {
      double m, c[3], I[3][3];
    };
    std::vector<Placed> placed;
    for (const PlacedChild& child : doc_.definitions[d].children) {
      const MassProps& p = mass_[child.definition];
      const double s = std::fabs(child.placement.ScaleFactor());
      double R[3][3];
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) R[r][c] = child.placement.Value(r + 1, c + 1) / s;
      const gp_XYZ t = child.placement.TranslationPart() * k_;
      const double I[3][3] = {{p.inertia[0], p.inertia[3], p.inertia[4]},
                              {p.inertia[3], p.inertia[1], p.inertia[5]},
                              {p.inertia[4], p.inertia[5], p.inertia[2]}};
      Placed q{};
      q.m = p.mass;
      for (int r = 0; r < 3; ++r) {
        q.c[r] = s * (R[r][0] * p.cg[0] + R[r][1] * p.cg[1] + R[r][2] * p.cg[2]) + t.Coord(r + 1);
        for (int c = 0; c < 3; ++c) {
          double v = 0;
          for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b) v += R[r][a] * I[a][b] * R[c][b];
          q.I[r][c] = v * s * s;
        }
      }
      placed.push_back(q);
      sum.mass += p.mass;
      sum.volume += p.volume * s * s * s;
      sum.area += p.area * s * s;
    }
    if (sum.mass > 0)
      for (const Placed& q : placed)
        for (int i = 0; i < 3; ++i) sum.cg[i] += q.m * q.c[i] / sum.mass;
    double I[3][3] = {};
    for (const Placed& q : placed) {
      const double dv[3] = {q.c[0] - sum.cg[0], q.c[1] - sum.cg[1], q.c[2] - sum.cg[2]};
      const double d2 = dv[0] * dv[0] + dv[1] * dv[1] + dv[2] * dv[2];
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) I[r][c] += q.I[r][c] + q.m * ((r == c ? d2 : 0) - dv[r] * dv[c]);
    }
    const double six[6] = {I[0][0], I[1][1], I[2][2], I[0][1], I[0][2], I[1][2]};
    std::copy(six, six + 6, sum.inertia);
    return sum;
  }

  static kalot_vis_mat_prop material(const Rgba& c) {
    return kalot_vis_mat_prop{{c.r, c.g, c.b}, 0.2, 0.8, 0.2, 0.2, 1.0 - c.a, 0.0};
  }

  std::string geometryFileName(size_t d) const {
    // No mesh written, no name: a name without its file would only send the exports looking.
    if (doc_.definitions[d].assembly || options_.meshDir.empty()) return "";
    const std::string prefix = !options_.meshPrefix.empty() ? options_.meshPrefix
                               : options_.meshDir.empty()   ? std::string()
                                                            : options_.meshDir + "/";
    return prefix + meshNames_[d];
  }

  void buildModels() {
    models_.resize(doc_.definitions.size());
    mass_.resize(doc_.definitions.size());
    childNames_.resize(doc_.definitions.size());
    // Children are read before their parents, so one pass in order sees every child built.
    for (size_t d = 0; d < doc_.definitions.size(); ++d) {
      const Definition& def = doc_.definitions[d];
      mass_[d] = def.assembly ? assemblyMass(d) : partMass(d);
      const MassProps& m = mass_[d];
      kalot_vis_mat_prop colour;
      if (def.colour) colour = material(*def.colour);
      models_[d] = boost::make_shared<CadModel>(def.name, m.mass, m.inertia, m.cg, m.volume, m.area,
                                                geometryFileName(d), def.colour ? &colour : nullptr);
      std::set<std::string> names;
      for (const PlacedChild& child : def.children) {
        // Sibling names made unique and free of the path separator, so that every placed part has a
        // path of its own.
        std::string base = child.name;
        std::replace(base.begin(), base.end(), '/', '_');
        std::string name = base;
        for (int n = 1; names.count(name); ++n) name = base + "-" + std::to_string(n);
        names.insert(name);
        childNames_[d].push_back(name);
        const double s = std::fabs(child.placement.ScaleFactor());
        double rotation[9], translation[3];
        for (int c = 0; c < 3; ++c)
          for (int r = 0; r < 3; ++r) rotation[c * 3 + r] = child.placement.Value(r + 1, c + 1) / s;
        const gp_XYZ t = child.placement.TranslationPart() * k_;
        translation[0] = t.X(), translation[1] = t.Y(), translation[2] = t.Z();
        kalot_vis_mat_prop childColour;
        if (child.colour) childColour = material(*child.colour);
        const bool subAssembly = doc_.definitions[child.definition].assembly;
        models_[d]->addCadModelRef(
            boost::make_shared<CadModelRef>(name, "", models_[child.definition], rotation, translation, s,
                                            subAssembly, false, child.colour ? &childColour : nullptr));
      }
    }
  }

  void listInstances(size_t d, std::vector<size_t> childPath, const gp_Trsf& world, const std::string& path) {
    const Definition& def = doc_.definitions[d];
    if (!def.assembly) {
      Instance in;
      in.childPath = childPath;
      in.definition = d;
      in.world = world;
      in.path = path;
      in.name = path.substr(path.find_last_of('/') + 1);
      instances_.push_back(in);
      return;
    }
    for (size_t i = 0; i < def.children.size(); ++i) {
      childPath.push_back(i);
      listInstances(def.children[i].definition, childPath, world.Multiplied(def.children[i].placement),
                    path.empty() ? childNames_[d][i] : path + "/" + childNames_[d][i]);
      childPath.pop_back();
    }
  }

  // ---- settings ----------------------------------------------------------------------------------

  size_t findInstance(const std::string& path, const std::string& pointer) const {
    for (size_t i = 0; i < instances_.size(); ++i)
      if (instances_[i].path == path) return i;
    size_t found = instances_.size(), matches = 0;
    for (size_t i = 0; i < instances_.size(); ++i)
      if (instances_[i].name == path) found = i, ++matches;
    if (matches == 1) return found;
    throw ImportError{"settings: " + pointer + ": " +
                      (matches == 0 ? "no part \"" + path + "\" in the assembly"
                                    : "\"" + path + "\" names " + std::to_string(matches) +
                                          " parts; give its path (Sub/Part)")};
  }

  std::vector<boost::shared_ptr<CadModelRef>> refsOf(const Instance& in, size_t from = 0) const {
    std::vector<boost::shared_ptr<CadModelRef>> refs;
    size_t d = doc_.top;
    for (size_t depth = 0; depth < in.childPath.size(); ++depth) {
      const size_t i = in.childPath[depth];
      if (depth >= from) refs.push_back(models_[d]->cadmodels[i]);
      d = doc_.definitions[d].children[i].definition;
    }
    return refs;
  }

  void applyGround() {
    const std::string& ground = options_.settings.ground;
    if (ground.empty()) {
      result_.report.push_back("no ground part given: no part is fixed to the world");
      return;
    }
    const Instance& in = instances_[findInstance(ground, "/ground")];
    // Every reference on the way is fixed: the part to its sub-assembly, and so on up to the top.
    for (const auto& ref : refsOf(in)) ref->setFixed(true);
    result_.report.push_back(in.path + ": fixed to the world (ground)");
  }

  // ---- mates and constraints ---------------------------------------------------------------------

  bool isFastener(const Instance& in) const {
    for (const std::string& pattern : options_.settings.fasteners)
      if (namePatternMatches(pattern, in.name) ||
          namePatternMatches(pattern, doc_.definitions[in.definition].name))
        return true;
    return false;
  }

  std::string features(const std::vector<Mate>& mates) const {
    std::vector<const Mate*> axes, faces, balls;
    for (const Mate& m : mates)
      (m.kind == MateKind::Axis ? axes : m.kind == MateKind::Face ? faces : balls).push_back(&m);
    std::vector<std::string> parts;
    if (axes.size() == 1) parts.push_back("a " + number(axes[0]->diameter * k_) + " " + unit_ + " cylinder");
    if (axes.size() > 1) parts.push_back(std::to_string(axes.size()) + " cylinders");
    if (!faces.empty()) parts.push_back(count(faces.size(), "a face", "faces"));
    if (balls.size() == 1) parts.push_back("a " + number(balls[0]->diameter * k_) + " " + unit_ + " sphere");
    if (balls.size() > 1) parts.push_back(std::to_string(balls.size()) + " spheres");
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i)
      text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    double area = 0;
    for (const Mate& m : mates) area += m.area;
    if (area > 0) text += ", " + number(std::round(area * k_ * k_)) + " " + unit_ + "² contact";
    return text;
  }

  std::vector<Constraint> fromMates(const std::vector<Mate>& mates) const {
    std::vector<Constraint> out;
    for (const Mate& m : mates) {
      switch (m.kind) {
        case MateKind::Axis:
          out.push_back({kCoincident, kLine, "axis", m.point, m.direction, m.direction});
          break;
        case MateKind::Face:
          out.push_back({kCoincident, kPlane, "face", m.point, m.direction, m.direction.Reversed()});
          break;
        case MateKind::Ball:
          out.push_back({kCoincident, kPoint, "ball", m.point, gp_Dir(0, 0, 1), gp_Dir(0, 0, 1)});
          break;
      }
    }
    return out;
  }

  static const Mate* firstOf(const std::vector<Mate>& mates, MateKind kind) {
    for (const Mate& m : mates)
      if (m.kind == kind) return &m;
    return nullptr;
  }

  static gp_Dir perpendicular(const gp_Dir& d) {
    const gp_Vec seed = std::fabs(d.X()) < 0.6 ? gp_Vec(1, 0, 0) : gp_Vec(0, 1, 0);
    return gp_Dir(gp_Vec(d).Crossed(seed));
  }

  /// The constraints that make `joint` from the pair's mates; empty when the mates hold no such geometry.
  std::vector<Constraint> forJoint(PairJoint joint, const std::vector<Mate>& mates,
                                   const gp_Pnt& where) const {
    const Mate* axis = firstOf(mates, MateKind::Axis);
    const Mate* ball = firstOf(mates, MateKind::Ball);
    switch (joint) {
      case PairJoint::Ignore:
        return {};
      case PairJoint::Fixed:
        return {{kWeld, kPoint, "fixed", mates.empty() ? where : mates.front().point, gp_Dir(0, 0, 1),
                 gp_Dir(0, 0, 1)}};
      case PairJoint::Cylindrical:
        if (!axis) return {};
        return {{kCoincident, kLine, "axis", axis->point, axis->direction, axis->direction}};
      case PairJoint::Revolute:
        if (!axis) return {};
        return {{kCoincident, kLine, "axis", axis->point, axis->direction, axis->direction},
                {kCoincident, kPlane, "stop", axis->point, axis->direction, axis->direction.Reversed()}};
      case PairJoint::Prismatic: {
        if (axis) {
          const gp_Dir n = perpendicular(axis->direction);
          return {{kCoincident, kLine, "axis", axis->point, axis->direction, axis->direction},
                  {kCoincident, kPlane, "guide", axis->point, n, n.Reversed()}};
        }
        // Two faces that are not parallel: the slide runs along both.
        std::vector<Constraint> faces;
        for (const Mate& m : mates)
          if (m.kind == MateKind::Face &&
              (faces.empty() || gp_Vec(faces[0].first).Crossed(gp_Vec(m.direction)).Magnitude() > 1e-3)) {
            faces.push_back({kCoincident, kPlane, "face", m.point, m.direction, m.direction.Reversed()});
            if (faces.size() == 2) return faces;
          }
        return {};
      }
      case PairJoint::Ball:
        if (ball) return {{kCoincident, kPoint, "ball", ball->point, gp_Dir(0, 0, 1), gp_Dir(0, 0, 1)}};
        if (axis) return {{kCoincident, kPoint, "ball", axis->point, gp_Dir(0, 0, 1), gp_Dir(0, 0, 1)}};
        return {};
    }
    return {};
  }

  gp_Pnt worldCG(const Instance& in) const {
    const double* c = models_[in.definition]->getCG();
    return gp_Pnt(c[0] / k_, c[1] / k_, c[2] / k_).Transformed(in.world);
  }

  /// Adds the constraints to the innermost assembly holding both parts, once per copy of that assembly.
  void place(const Instance& a, const Instance& b, const std::vector<Constraint>& constraints) {
    size_t depth = 0;
    while (depth < a.childPath.size() && depth < b.childPath.size() &&
           a.childPath[depth] == b.childPath[depth])
      ++depth;
    size_t owner = doc_.top;
    for (size_t i = 0; i < depth; ++i) owner = doc_.definitions[owner].children[a.childPath[i]].definition;
    std::string key = std::to_string(owner) + ":";
    for (size_t i = depth; i < a.childPath.size(); ++i) key += std::to_string(a.childPath[i]) + ".";
    key += ":";
    for (size_t i = depth; i < b.childPath.size(); ++i) key += std::to_string(b.childPath[i]) + ".";
    if (!placedPairs_.insert(key).second) return;  // another copy of the same sub-assembly said it

    AssemComp first, second;
    for (const auto& r : refsOf(a, depth)) first.addCadModelRef(r);
    for (const auto& r : refsOf(b, depth)) second.addCadModelRef(r);
    const gp_Trsf toA = a.world.Inverted(), toB = b.world.Inverted();
    std::map<std::string, int> numbers;
    const std::string label = first.getName() + "|" + second.getName();
    for (const Constraint& c : constraints) {
      const gp_Pnt pa = c.point.Transformed(toA), pb = c.point.Transformed(toB);
      const gp_Dir da = c.first.Transformed(toA), db = c.second.Transformed(toB);
      const double la[3] = {pa.X() * k_, pa.Y() * k_, pa.Z() * k_};
      const double lb[3] = {pb.X() * k_, pb.Y() * k_, pb.Z() * k_};
      const double xa[3] = {da.X(), da.Y(), da.Z()};
      const double xb[3] = {db.X(), db.Y(), db.Z()};
      const std::string name = label + ":" + c.kind + std::to_string(++numbers[c.kind]);
      models_[owner]->addConstrain(boost::make_shared<Constrain>(name, c.type, &first, &second, c.geometry,
                                                                 c.geometry, la, xa, lb, xb));
    }
  }

  void join(size_t ia, size_t ib, const std::vector<Mate>& mates, const PairSetting* setting) {
    const Instance& a = instances_[ia];
    const Instance& b = instances_[ib];
    ImportedPair pair;
    pair.first = a.path;
    pair.second = b.path;
    const std::string head = a.path + " – " + b.path + ": ";
    const std::string from = mates.empty() ? std::string("no contact") : features(mates);
    const gp_Pnt middle((worldCG(a).XYZ() + worldCG(b).XYZ()) / 2);
    std::vector<Constraint> constraints;
    if (setting) {
      pair.origin = "settings";
      constraints = forJoint(setting->joint, mates, middle);
      if (setting->joint == PairJoint::Ignore) {
        pair.joint = "ignore";
        pair.report = head + "ignored (settings)";
      } else if (constraints.empty()) {
        constraints = forJoint(PairJoint::Fixed, mates, middle);
        pair.joint = "fixed";
        pair.report = head + "fixed: the settings ask for " + pairJointName(setting->joint) +
                      " but the parts share no geometry for it (" + from + ")";
      } else {
        pair.joint = pairJointName(setting->joint);
        pair.report = head + pair.joint + " (settings) from " + from;
      }
    } else if (isFastener(a) || isFastener(b)) {
      pair.origin = "fastener";
      pair.joint = "fixed";
      constraints = forJoint(PairJoint::Fixed, mates, middle);
      pair.report = head + "fixed (fastener " + (isFastener(a) ? a.name : b.name) + ") from " + from;
    } else {
      pair.origin = "geometry";
      pair.joint = jointOfMates(mates, options_.settings.angle);
      constraints = fromMates(mates);
      pair.report = head + pair.joint + " from " + from;
    }
    if (!constraints.empty()) place(a, b, constraints);
    result_.report.push_back(pair.report);
    result_.pairs.push_back(std::move(pair));
  }

  void makeConstraints() {
    std::vector<PlacedPart> parts;
    for (const Instance& in : instances_) parts.push_back(PlacedPart{&geometry_[in.definition], in.world});
    const double dm = doc_.documentMetres;
    MateTolerances tol{options_.settings.clearance / dm, options_.settings.distance / dm,
                       options_.settings.angle};
    const std::vector<PartPair> found = findMates(parts, tol);

    // Settings pairs by instance, in both orders; checked before anything is joined.
    std::map<std::pair<size_t, size_t>, const PairSetting*> settings;
    for (size_t i = 0; i < options_.settings.pairs.size(); ++i) {
      const PairSetting& s = options_.settings.pairs[i];
      const std::string at = "/pairs/" + std::to_string(i) + "/parts/";
      const size_t a = findInstance(s.first, at + "0"), b = findInstance(s.second, at + "1");
      if (a == b) throw ImportError{"settings: " + at + "1: a part cannot be paired with itself"};
      settings[{std::min(a, b), std::max(a, b)}] = &s;
    }
    std::set<std::pair<size_t, size_t>> done;
    for (const PartPair& p : found) {
      const auto s = settings.find({p.first, p.second});
      for (const std::string& kind : p.touching)
        result_.report.push_back(instances_[p.first].path + " – " + instances_[p.second].path + ": a " +
                                 kind + " face touches; no mate made from it");
      if (p.mates.empty() && s == settings.end()) continue;
      join(p.first, p.second, p.mates, s == settings.end() ? nullptr : s->second);
      done.insert({p.first, p.second});
    }
    // Pairs the settings join although they do not touch.
    for (const auto& [key, setting] : settings)
      if (!done.count(key)) join(key.first, key.second, {}, setting);
  }

  std::string path_;
  const StepImportOptions& options_;
  StepDocument doc_;
  StepImportResult result_;
  double k_ = 1;  ///< document units to file units
  std::string unit_;
  std::vector<PartGeometry> geometry_;
  std::vector<std::string> meshNames_;
  std::vector<MassProps> mass_;
  std::vector<boost::shared_ptr<CadModel>> models_;
  std::vector<std::vector<std::string>> childNames_;
  std::vector<Instance> instances_;
  std::set<std::string> placedPairs_;
};

/// OpenCASCADE's messages go nowhere while the import runs: kalo reports in its result, it does not log.
class QuietMessages {
 public:
  QuietMessages() : messenger_(Message::DefaultMessenger()), saved_(messenger_->Printers()) {
    messenger_->ChangePrinters().Clear();
  }
  ~QuietMessages() { messenger_->ChangePrinters() = saved_; }
  QuietMessages(const QuietMessages&) = delete;
  QuietMessages& operator=(const QuietMessages&) = delete;

 private:
  Handle(Message_Messenger) messenger_;
  Message_SequenceOfPrinters saved_;
};

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

}  // namespace

StepImportResult importStep(const std::string& path, const StepImportOptions& options) {
  StepImportResult failed;
  failed.code = 1;
  const QuietMessages quiet;
  try {
    return Importer(path, options).run();
  } catch (const ImportError& e) {
    failed.error = e.text;
  } catch (const Standard_Failure& e) {
    failed.error = "'" + path + "': OpenCASCADE failed: " + e.GetMessageString();
  } catch (const std::exception& e) {
    failed.error = e.what();
  } catch (...) {
    failed.error = "'" + path + "': the import failed";
  }
  return failed;
}

std::string matesAsSettings(const StepImportResult& result, const ImportSettings& settings) {
  std::string out = "{\n";
  if (!settings.ground.empty()) out += "  \"ground\": " + quoted(settings.ground) + ",\n";
  out += "  \"pairs\": [";
  bool first = true;
  for (const ImportedPair& p : result.pairs) {
    static const char* const kKinds[] = {"fixed", "ignore", "revolute", "prismatic", "cylindrical", "ball"};
    if (std::find(std::begin(kKinds), std::end(kKinds), p.joint) == std::end(kKinds)) continue;
    out += first ? "\n" : ",\n";
    first = false;
    out += "    {\"parts\": [" + quoted(p.first) + ", " + quoted(p.second) +
           "], \"joint\": " + quoted(p.joint) + ", \"note\": " + quoted(p.report) + "}";
  }
  out += first ? "]\n}\n" : "\n  ]\n}\n";
  return out;
}

}  // namespace kalo_step
