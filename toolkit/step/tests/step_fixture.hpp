#pragma once

// STEP fixtures made at test time: shapes modelled with OpenCASCADE, put in
// an XCAF assembly with names, placements and colours, and written as STEP.

#include <string>
#include <vector>

#include <TDF_Label.hxx>
#include <TDocStd_Document.hxx>
#include <TopoDS_Shape.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <gp_Trsf.hxx>

#include <kalo_step/step_import.hpp>

namespace kalo_step::testing {

/// A rotation by `degrees` about `axis` through the origin, then a translation.
gp_Trsf placement(double x, double y, double z, double degrees = 0, const gp_Dir& axis = gp_Dir(0, 0, 1));

class StepAssembly {
 public:
  /// An empty document; the top assembly is named `topName`.
  explicit StepAssembly(const std::string& topName);
  ~StepAssembly();

  TDF_Label top() const { return top_; }
  TDF_Label part(const std::string& name, const TopoDS_Shape& shape);
  TDF_Label assembly(const std::string& name);
  /// Places `child` in `parent` under the instance name `name`.
  TDF_Label place(const TDF_Label& parent, const TDF_Label& child, const gp_Trsf& where,
                  const std::string& name);
  void colour(const TDF_Label& label, double r, double g, double b);
  /// Writes the file with lengths in `unit` ("MM", "M", "INCH"); throws on failure.
  void write(const std::string& path, const std::string& unit = "MM");

 private:
  Handle(TDocStd_Document) doc_;
  Handle(XCAFDoc_ShapeTool) shapes_;
  Handle(XCAFDoc_ColorTool) colours_;
  TDF_Label top_;
};

// Solids (millimetres).
TopoDS_Shape box(double x0, double y0, double z0, double dx, double dy, double dz);
TopoDS_Shape cylinder(double x, double y, double z, const gp_Dir& axis, double radius, double height);
TopoDS_Shape sphere(double x, double y, double z, double radius);
TopoDS_Shape cut(const TopoDS_Shape& from, const TopoDS_Shape& tool);
/// A copy of the solid moved by `t` (geometry moved, no location).
TopoDS_Shape moved(const TopoDS_Shape& shape, const gp_Trsf& t);
TopoDS_Shape fuse(const TopoDS_Shape& a, const TopoDS_Shape& b);

/// A scratch file path for this test.
std::string scratch(const std::string& name);

/// Imports with the given settings and meshes in `meshDir` (none when empty); fails the test on error.
StepImportResult importOrFail(const std::string& path, const ImportSettings& settings = {},
                              const std::string& meshDir = "");

/// Volume of a binary STL file, read independently of the writer.
double stlVolume(const std::string& path);

}  // namespace kalo_step::testing
