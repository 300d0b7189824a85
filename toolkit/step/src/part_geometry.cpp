#include "part_geometry.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>

#include <BRepAdaptor_Surface.hxx>
#include <BRepBndLib.hxx>
#include <BRepGProp.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRepTools.hxx>
#include <BRep_Tool.hxx>
#include <GProp_GProps.hxx>
#include <Poly_Triangulation.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <gp_Cylinder.hxx>
#include <gp_Pln.hxx>
#include <gp_Sphere.hxx>

namespace kalo_step::detail {

namespace {

// Relative accuracy of the adaptive integration of volumes and moments.
constexpr double kIntegrationAccuracy = 1e-11;

/// The solid's outward normal at the middle of the face's parameter range, and that point.
bool outwardNormal(const TopoDS_Face& face, const BRepAdaptor_Surface& surface, gp_Pnt& point,
                   gp_Vec& normal) {
  Standard_Real u0, u1, v0, v1;
  BRepTools::UVBounds(face, u0, u1, v0, v1);
  gp_Vec du, dv;
  surface.D1((u0 + u1) / 2, (v0 + v1) / 2, point, du, dv);
  normal = du.Crossed(dv);
  if (normal.Magnitude() < 1e-300) return false;
  if (face.Orientation() == TopAbs_REVERSED) normal.Reverse();
  normal.Normalize();
  return true;
}

const char* otherKind(GeomAbs_SurfaceType type) {
  switch (type) {
    case GeomAbs_Cone:
      return "conical";
    case GeomAbs_Torus:
      return "toroidal";
    case GeomAbs_SurfaceOfRevolution:
      return "revolved";
    case GeomAbs_SurfaceOfExtrusion:
      return "extruded";
    default:
      return "free-form";
  }
}

}  // namespace

PartGeometry analysePart(const TopoDS_Shape& shape) {
  PartGeometry part;
  part.shape = shape;
  if (shape.IsNull()) return part;
  GProp_GProps volume;
  BRepGProp::VolumeProperties(shape, volume, kIntegrationAccuracy, Standard_True);
  part.mass.volume = volume.Mass();
  if (part.mass.volume > 0) {
    part.mass.cg = volume.CentreOfMass();
    // OpenCASCADE's matrix already holds the tensor's products (-sum of x*y), as kalo stores them.
    const gp_Mat m = volume.MatrixOfInertia();
    const double values[6] = {m(1, 1), m(2, 2), m(3, 3), m(1, 2), m(1, 3), m(2, 3)};
    std::memcpy(part.mass.inertia, values, sizeof values);
  }
  GProp_GProps surface;
  BRepGProp::SurfaceProperties(shape, surface, kIntegrationAccuracy);
  part.mass.area = surface.Mass();
  BRepBndLib::Add(shape, part.box, Standard_False);

  for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next()) {
    const TopoDS_Face face = TopoDS::Face(it.Current());
    const BRepAdaptor_Surface adaptor(face);
    gp_Pnt p;
    gp_Vec n;
    if (!outwardNormal(face, adaptor, p, n)) continue;
    switch (adaptor.GetType()) {
      case GeomAbs_Plane: {
        GProp_GProps faceArea;
        BRepGProp::SurfaceProperties(face, faceArea);
        part.planes.push_back(PlaneFace{p, gp_Dir(n), face, faceArea.Mass()});
        break;
      }
      case GeomAbs_Cylinder: {
        const gp_Cylinder c = adaptor.Cylinder();
        Standard_Real u0, u1, v0, v1;
        BRepTools::UVBounds(face, u0, u1, v0, v1);
        CylinderFace cyl;
        cyl.origin = c.Location();
        cyl.axis = c.Axis().Direction();
        cyl.radius = c.Radius();
        cyl.t0 = v0;
        cyl.t1 = v1;
        cyl.span = u1 - u0;
        // Radial direction of the point: a normal pointing at the axis marks a bore.
        const gp_Vec fromOrigin(cyl.origin, p);
        const gp_Vec radial = fromOrigin - gp_Vec(cyl.axis) * fromOrigin.Dot(gp_Vec(cyl.axis));
        cyl.hole = radial.Dot(n) < 0;
        part.cylinders.push_back(cyl);
        break;
      }
      case GeomAbs_Sphere: {
        const gp_Sphere s = adaptor.Sphere();
        part.spheres.push_back(SphereFace{s.Location(), s.Radius(), gp_Vec(s.Location(), p).Dot(n) < 0});
        break;
      }
      default:
        part.others.push_back(OtherFace{otherKind(adaptor.GetType()), face});
        break;
    }
  }
  return part;
}

std::vector<Triangle> meshPart(const TopoDS_Shape& shape, double scale) {
  std::vector<Triangle> out;
  if (shape.IsNull()) return out;
  Bnd_Box box;
  BRepBndLib::Add(shape, box, Standard_False);
  if (box.IsVoid()) return out;
  const double size = std::sqrt(box.SquareExtent());
  // Chord and angle deflections: the angle bounds curved faces of any size (a sphere's
  // volume error is about the square of the angle), the chord bounds the large ones.
  BRepMesh_IncrementalMesh mesher(shape, 2e-4 * size, Standard_False, 0.05, Standard_False);
  (void)mesher;
  for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next()) {
    const TopoDS_Face face = TopoDS::Face(it.Current());
    TopLoc_Location location;
    const Handle(Poly_Triangulation) mesh = BRep_Tool::Triangulation(face, location);
    if (mesh.IsNull()) continue;
    const gp_Trsf place = location.Transformation();
    const bool reversed = face.Orientation() == TopAbs_REVERSED;
    for (Standard_Integer i = 1; i <= mesh->NbTriangles(); ++i) {
      Standard_Integer a, b, c;
      mesh->Triangle(i).Get(a, b, c);
      if (reversed) std::swap(b, c);
      const gp_Pnt p[3] = {mesh->Node(a).Transformed(place), mesh->Node(b).Transformed(place),
                           mesh->Node(c).Transformed(place)};
      gp_Vec n = gp_Vec(p[0], p[1]).Crossed(gp_Vec(p[0], p[2]));
      const double length = n.Magnitude();
      if (length > 0) n /= length;
      Triangle t;
      t.normal[0] = static_cast<float>(n.X());
      t.normal[1] = static_cast<float>(n.Y());
      t.normal[2] = static_cast<float>(n.Z());
      for (int k = 0; k < 3; ++k) {
        t.vertex[k][0] = static_cast<float>(p[k].X() * scale);
        t.vertex[k][1] = static_cast<float>(p[k].Y() * scale);
        t.vertex[k][2] = static_cast<float>(p[k].Z() * scale);
      }
      out.push_back(t);
    }
  }
  return out;
}

bool writeBinaryStl(const std::string& path, const std::vector<Triangle>& triangles) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  char header[80] = {};
  std::strncpy(header, "kalo STEP import", sizeof header - 1);
  out.write(header, sizeof header);
  const uint32_t count = static_cast<uint32_t>(triangles.size());
  // STL is little-endian, as is every machine kalo is built for.
  out.write(reinterpret_cast<const char*>(&count), 4);
  const uint16_t attributes = 0;
  for (const Triangle& t : triangles) {
    out.write(reinterpret_cast<const char*>(t.normal), 12);
    out.write(reinterpret_cast<const char*>(t.vertex), 36);
    out.write(reinterpret_cast<const char*>(&attributes), 2);
  }
  out.close();
  return static_cast<bool>(out);
}

double meshVolume(const std::vector<Triangle>& triangles) {
  double sum = 0;
  for (const Triangle& t : triangles) {
    const float* a = t.vertex[0];
    const float* b = t.vertex[1];
    const float* c = t.vertex[2];
    sum += a[0] * (double(b[1]) * c[2] - double(b[2]) * c[1]) -
           a[1] * (double(b[0]) * c[2] - double(b[2]) * c[0]) +
           a[2] * (double(b[0]) * c[1] - double(b[1]) * c[0]);
  }
  return sum / 6.0;
}

}  // namespace kalo_step::detail
