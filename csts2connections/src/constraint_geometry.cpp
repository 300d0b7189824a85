#include <kalo_csts2connections/constraint.hpp>
#include <kalo_csts2connections/constraint_geometry.hpp>

#include <cctype>

namespace kalo::csts2connections {

ConstraintGeometry::ConstraintGeometry(Type type, const std::vector<std::string>& instancePath,
                                       const ombra_math::Transform3_T& instanceTransform,
                                       const ombra_math::Vector3_T& position,
                                       const ombra_math::Vector3_T& direction)
    : type(type),
      originalType(type),
      instancePath(instancePath),
      instanceTransform(instanceTransform),
      position(position),
      direction(direction),
      instanceName(s_instanceName(instancePath)) {
  instanceId = s_instanceId(instanceName);
}

ConstraintGeometry::ConstraintGeometry(Type type, const std::vector<std::string>& instancePath,
                                       const ombra_math::Transform3_T& instanceTransform,
                                       const ombra_math::Vector3_T& position)
    : ConstraintGeometry(type, instancePath, instanceTransform, position, ombra_math::Vector3_T::K) {}

std::string ConstraintGeometry::s_instanceName(const std::vector<std::string>& instancePath) {
  if (instancePath.empty()) return "CAD_Assembly";
  std::string name;
  for (std::size_t i = 0; i < instancePath.size(); ++i) {
    if (i > 0) name += '/';
    name += instancePath[i];
  }
  return name;
}

std::uint32_t ConstraintGeometry::s_instanceId(const std::string& instanceName) {
  std::uint32_t h = 0;
  for (const char c : instanceName) {
    // Bytes count as signed: 0x80..0xFF add negative values (wrapping mod 2^32).
    h = h * 31u + static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
  }
  return h;
}

bool ConstraintGeometry::isEquivalent(const ConstraintGeometry& other) const {
  if (type != other.type || instanceName != other.instanceName) return false;
  if (type == Point) return Constraint::isSamePoint(position, other.position);
  if (!Constraint::isParallel(direction, other.direction)) return false;
  if (type == Plane) return true;
  return Constraint::isParallel(position - other.position, direction);
}

std::string ConstraintGeometry::typeToString() const {
  switch (type) {
    case Point:
      return "Point";
    case Line:
      return "Line";
    case Plane:
      return "Plane";
    case Cylinder:
      return "Cylinder";
    case Circle:
      return "Circle";
    case Sphere:
      return "Sphere";
    case Unknown:
      break;
  }
  return "Unknown";
}

std::string ConstraintGeometry::typeToShortString() const {
  switch (type) {
    case Point:
      return "Pnt";
    case Line:
      return "Lin";
    case Plane:
      return "Pln";
    case Cylinder:
      return "Cyl";
    case Circle:
      return "Cir";
    case Sphere:
      return "Sph";
    case Unknown:
      break;
  }
  return "Unk";
}

std::map<std::string, ConstraintGeometry::Type> ConstraintGeometry::createEnumMap() {
  return {{"point", Point},
          {"line", Line},
          {"plane", Plane},
          {"cylinder", Cylinder},
          {"ellipticalcylinder", Cylinder},
          {"cone", Cylinder},
          {"circle", Circle},
          {"ellipse", Circle},
          {"sphere", Sphere}};
}

ConstraintGeometry::Type ConstraintGeometry::getType(const std::string& name) {
  std::string key = name;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto it = s_zMapEnum.find(key);
  return it == s_zMapEnum.end() ? Unknown : it->second;
}

}  // namespace kalo::csts2connections
