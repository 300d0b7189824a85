#include <kalo_toolkit/mass_audit.hpp>

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

#include <kalo_toolkit/body.hpp>

#include <kalo_toolkit/mesh_geometry.hpp>
#include "si_units.hpp"
#include "sim_body_index.hpp"
#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

/// Four significant digits: enough to recognise a slip, short enough to read.
std::string brief(double v, int digits = 4) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out.precision(digits);
  out << (v == 0.0 ? 0.0 : v);
  return out.str();
}

std::string brief(const Vec3& v) { return brief(v[0]) + ", " + brief(v[1]) + ", " + brief(v[2]); }

Vec3 principal(const Mat3& tensor) {
  Mat3 symmetric;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) at(symmetric, i, j) = 0.5 * (at(tensor, i, j) + at(tensor, j, i));
  Vec3 values;
  Mat3 vectors;
  symmetricEigen(symmetric, &values, &vectors);
  return values;
}

double frobenius(const Mat3& m) {
  double s = 0.0;
  for (double v : m) s += v * v;
  return std::sqrt(s);
}

class Auditor {
 public:
  Auditor(const AuditOptions& options, std::vector<AuditLine>* lines) : options_(options), lines_(lines) {}

  void audit(const SimLink& link, const Body& body) {
    where_ = "body '" + link.name + "': ";
    name_ = link.name;
    const double kg = kilogramsPer(body.getMassUnits());
    const double kgm2 = kilogramSquareMetresPer(body.getInertiaUnits());
    const double m3 = std::pow(metresPer(static_cast<KalotLengthUnit>(body.getVolumeUnits())), 3);
    const double mass = body.getMass() * kg;
    const double volume = body.getVolume() * m3;
    Mat3 tensor{};
    for (int i = 0; i < 9; ++i) tensor[static_cast<size_t>(i)] = body.getInertia()[i] * kgm2;

    bool sound = true;
    const Vec3 moments = principal(tensor);
    const double largest = std::max(std::fabs(moments[0]), std::fabs(moments[2]));
    if (!link.dofs.empty() && !(mass > 0)) {
      add(AuditLevel::Error, "moves by joint '" + link.jointName + "' but has no mass");
      sound = false;
    } else if ((!link.dofs.empty() || link.free) && largest == 0) {
      // Typical of a sub-assembly handed over without its combined mass properties.
      add(AuditLevel::Warning, "moves with mass " + brief(mass) +
                                   " kg but no inertia tensor: a point mass, which no solid part is");
    }
    const double tolerance = 1e-9 * largest;
    if (moments[0] < -tolerance) {
      add(AuditLevel::Error, "principal moments " + brief(moments) + " kg*m^2 include a negative one");
      sound = false;
    } else if (moments[2] > moments[0] + moments[1] + tolerance) {
      add(AuditLevel::Error, "principal moments " + brief(moments) +
                                 " kg*m^2 break the triangle inequality (the largest exceeds the sum of the "
                                 "other two)");
      sound = false;
    }
    const bool density = mass > 0 && volume > 0;
    if (density) {
      const double rho = mass / volume;
      if (rho < options_.minDensity || rho > options_.maxDensity)
        add(AuditLevel::Warning, "density " + brief(rho) + " kg/m^3 (mass " + brief(mass) +
                                     " kg over volume " + brief(volume) + " m^3) is outside " +
                                     brief(options_.minDensity, 6) + " to " + brief(options_.maxDensity, 6) +
                                     " kg/m^3: a part without material or a unit slip");
    }
    if (link.hasMesh) auditMesh(link, mass, volume, sound && density);
  }

 private:
  void add(AuditLevel level, const std::string& what) { lines_->push_back({level, name_, where_ + what}); }

  void auditMesh(const SimLink& link, double mass, double volume, bool compareTensor) {
    MeshGeometry geometry;
    if (!readMeshFile(link.mesh.file, &geometry, nullptr)) return;
    const MeshMassProperties props = meshMassProperties(geometry);
    const double s = link.mesh.scale;
    const Mat3& r = link.mesh.rotation;

    // The centre of mass in the mesh file's own coordinates, against its bounds.
    const Vec3 local = scaled(times(transposed(r), sub(link.com, link.mesh.position)), 1.0 / s);
    const double slack = 1e-6 * norm(sub(props.upper, props.lower));
    bool inside = true;
    for (size_t i = 0; i < 3; ++i)
      inside = inside && local[i] >= props.lower[i] - slack && local[i] <= props.upper[i] + slack;
    if (!inside)
      add(AuditLevel::Warning, "centre of mass (" + brief(link.com) +
                                   ") m lies outside the bounds of its mesh '" + link.mesh.file +
                                   "' at scale " + brief(s));

    const double meshVolume = props.volume * s * s * s;
    if (volume > 0 && props.volume > 0 && std::fabs(meshVolume / volume - 1.0) > options_.meshTolerance) {
      add(AuditLevel::Warning, "mesh '" + link.mesh.file + "' at scale " + brief(s) + " encloses " +
                                   brief(meshVolume) + " m^3 against the stored volume " + brief(volume) +
                                   " m^3; --mesh-scale " + brief(s * std::cbrt(volume / meshVolume)) +
                                   " would make them agree");
      return;  // the tensor disagrees for the same reason
    }
    if (!compareTensor || !(props.volume > 0)) return;
    const double rho = mass / volume;
    const double s5 = s * s * s * s * s;
    Mat3 fromMesh = rotateTensor(r, props.inertia);
    for (double& v : fromMesh) v *= rho * s5;
    Mat3 difference;
    for (size_t i = 0; i < 9; ++i) difference[i] = fromMesh[i] - link.inertia[i];
    const double scale = frobenius(link.inertia);
    if (scale > 0 && frobenius(difference) / scale > 2 * options_.meshTolerance)
      add(AuditLevel::Warning, "inertia of its mesh at its density " + brief(rho) +
                                   " kg/m^3, principal moments " + brief(principal(fromMesh)) +
                                   " kg*m^2, differs from its tensor's " + brief(principal(link.inertia)) +
                                   " kg*m^2 by " + brief(100 * frobenius(difference) / scale) + "%");
  }

  const AuditOptions& options_;
  std::vector<AuditLine>* lines_;
  std::string where_, name_;
};

}  // namespace

bool auditMassProperties(const ZoltModel& model, const AuditOptions& options, std::vector<AuditLine>* lines,
                         std::string* error) {
  try {
    lines->clear();
    const SimTree tree = buildSimTree(model, TreeOptions{options.meshDir, options.meshScale});
    const auto bodies = bodiesByLinkName(model);
    Auditor auditor(options, lines);
    for (const SimLink& link : tree.links) {
      if (link.light) continue;
      const auto found = bodies.find(link.name);
      if (found != bodies.end()) auditor.audit(link, *found->second);
    }
    return true;
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    lines->clear();
    return false;
  }
}

std::string auditLineText(const AuditLine& line) {
  return (line.level == AuditLevel::Error ? "error: " : "warning: ") + line.text;
}

}  // namespace sim
}  // namespace kalo_toolkit
