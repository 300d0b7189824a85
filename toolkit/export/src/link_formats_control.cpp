#include "link_formats_control.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

std::string sides(const CollisionShape& s) { return numbers(scaled(s.half, 2.0)); }

std::string meshScale(const SimLink& link) {
  const std::string s = number(link.mesh.scale);
  return s + ' ' + s + ' ' + s;
}

}  // namespace

void writeSdfMaterial(const SimLink& link, XmlText* xml) {
  if (!link.hasColour) return;
  xml->open("material");
  xml->textElement("ambient", numbers(link.rgba.data(), 4));
  xml->textElement("diffuse", numbers(link.rgba.data(), 4));
  xml->close();
}

void writeSdfCollision(const SimLink& link, XmlText* xml) {
  const CollisionShape& s = link.collision;
  if (s.kind == ShapeKind::None) return;
  xml->open("collision", {{"name", "collision"}});
  const bool mesh = s.kind == ShapeKind::Mesh;
  const Vec3 position = sub(mesh ? link.mesh.position : s.centre, link.origin);
  xml->textElement("pose",
                   numbers(position) + ' ' + numbers(rpyFromMatrix(mesh ? link.mesh.rotation : s.rotation)));
  xml->open("geometry");
  if (mesh) {
    xml->open("mesh");
    xml->textElement("uri", link.mesh.file);
    xml->textElement("scale", meshScale(link));
  } else {
    xml->open("box");
    xml->textElement("size", sides(s));
  }
  xml->close();
  xml->close();
  xml->close();
}

void writeSdfAxisControl(const DofControl& c, XmlText* xml) {
  if (c.damping > 0 || c.frictionloss > 0) {
    xml->open("dynamics");
    if (c.damping > 0) xml->textElement("damping", number(c.damping));
    if (c.frictionloss > 0) xml->textElement("friction", number(c.frictionloss));
    xml->close();
  }
  if (c.limited || c.effort > 0 || c.velocity > 0) {
    xml->open("limit");
    if (c.limited) {
      xml->textElement("lower", number(c.lower));
      xml->textElement("upper", number(c.upper));
    }
    if (c.effort > 0) xml->textElement("effort", number(c.effort));
    if (c.velocity > 0) xml->textElement("velocity", number(c.velocity));
    xml->close();
  }
}

void writeUrdfMaterial(const SimLink& link, XmlText* xml) {
  if (!link.hasColour) return;
  xml->open("material", {{"name", link.name}});
  xml->leaf("color", {{"rgba", numbers(link.rgba.data(), 4)}});
  xml->close();
}

void writeUrdfCollision(const SimLink& link, XmlText* xml) {
  const CollisionShape& s = link.collision;
  if (s.kind == ShapeKind::None) return;
  xml->open("collision");
  if (s.kind == ShapeKind::Mesh) {
    xml->leaf("origin", {{"xyz", numbers(sub(link.mesh.position, link.origin))},
                         {"rpy", numbers(rpyFromMatrix(link.mesh.rotation))}});
    xml->open("geometry");
    xml->leaf("mesh", {{"filename", link.mesh.file}, {"scale", meshScale(link)}});
  } else {
    xml->leaf("origin",
              {{"xyz", numbers(sub(s.centre, link.origin))}, {"rpy", numbers(rpyFromMatrix(s.rotation))}});
    xml->open("geometry");
    xml->leaf("box", {{"size", sides(s)}});
  }
  xml->close();
  xml->close();
}

void writeUrdfDynamics(const DofControl& c, XmlText* xml) {
  if (!(c.damping > 0 || c.frictionloss > 0)) return;
  XmlText::Attributes a;
  if (c.damping > 0) a.emplace_back("damping", number(c.damping));
  if (c.frictionloss > 0) a.emplace_back("friction", number(c.frictionloss));
  xml->leaf("dynamics", a);
}

}  // namespace sim
}  // namespace kalo_toolkit
