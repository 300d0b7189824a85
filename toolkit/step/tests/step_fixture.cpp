#include "step_fixture.hpp"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakeSphere.hxx>
#include <Interface_Static.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Quantity_Color.hxx>
#include <STEPCAFControl_Writer.hxx>
#include <STEPControl_Controller.hxx>
#include <TDataStd_Name.hxx>
#include <TopLoc_Location.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DocumentTool.hxx>

// The test processes read the same suppressions as the kalo-convert runs they start
// (opencascade.lsan.supp): OpenCASCADE's one-off registries, nothing of kalo's.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libTKernel.so\nleak:libTKXSBase.so\nleak:libTKSTEP.so\nleak:libTKXDESTEP.so\nleak:libTKVCAF."
         "so\n";
}

namespace kalo_step::testing {

gp_Trsf placement(double x, double y, double z, double degrees, const gp_Dir& axis) {
  gp_Trsf rotation, translation;
  rotation.SetRotation(gp_Ax1(gp_Pnt(0, 0, 0), axis), degrees * M_PI / 180.0);
  translation.SetTranslation(gp_Vec(x, y, z));
  return translation.Multiplied(rotation);
}

StepAssembly::StepAssembly(const std::string& topName) {
  XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", doc_);
  XCAFDoc_DocumentTool::SetLengthUnit(doc_, 0.001);
  shapes_ = XCAFDoc_DocumentTool::ShapeTool(doc_->Main());
  colours_ = XCAFDoc_DocumentTool::ColorTool(doc_->Main());
  top_ = assembly(topName);
}

StepAssembly::~StepAssembly() { XCAFApp_Application::GetApplication()->Close(doc_); }

TDF_Label StepAssembly::part(const std::string& name, const TopoDS_Shape& shape) {
  const TDF_Label label = shapes_->AddShape(shape, Standard_False);
  TDataStd_Name::Set(label, name.c_str());
  return label;
}

TDF_Label StepAssembly::assembly(const std::string& name) {
  const TDF_Label label = shapes_->NewShape();
  TDataStd_Name::Set(label, name.c_str());
  return label;
}

TDF_Label StepAssembly::place(const TDF_Label& parent, const TDF_Label& child, const gp_Trsf& where,
                              const std::string& name) {
  const TDF_Label component = shapes_->AddComponent(parent, child, TopLoc_Location(where));
  TDataStd_Name::Set(component, name.c_str());
  return component;
}

void StepAssembly::colour(const TDF_Label& label, double r, double g, double b) {
  colours_->SetColor(label, Quantity_Color(r, g, b, Quantity_TOC_RGB), XCAFDoc_ColorSurf);
}

void StepAssembly::write(const std::string& path, const std::string& unit) {
  shapes_->UpdateAssemblies();
  STEPControl_Controller::Init();
  Interface_Static::SetCVal("write.step.unit", unit.c_str());
  // The writer's statistics would fill the test log.
  const Handle(Message_Messenger) messenger = Message::DefaultMessenger();
  const Message_SequenceOfPrinters printers = messenger->Printers();
  messenger->ChangePrinters().Clear();
  STEPCAFControl_Writer writer;
  writer.SetColorMode(Standard_True);
  writer.SetNameMode(Standard_True);
  const bool written =
      writer.Transfer(doc_, STEPControl_AsIs) && writer.Write(path.c_str()) == IFSelect_RetDone;
  messenger->ChangePrinters() = printers;
  Interface_Static::SetCVal("write.step.unit", "MM");
  if (!written) throw std::runtime_error("cannot write " + path);
}

TopoDS_Shape box(double x0, double y0, double z0, double dx, double dy, double dz) {
  return BRepPrimAPI_MakeBox(gp_Pnt(x0, y0, z0), dx, dy, dz).Shape();
}

TopoDS_Shape cylinder(double x, double y, double z, const gp_Dir& axis, double radius, double height) {
  return BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(x, y, z), axis), radius, height).Shape();
}

TopoDS_Shape sphere(double x, double y, double z, double radius) {
  return BRepPrimAPI_MakeSphere(gp_Pnt(x, y, z), radius).Shape();
}

TopoDS_Shape cut(const TopoDS_Shape& from, const TopoDS_Shape& tool) {
  BRepAlgoAPI_Cut op(from, tool);
  if (!op.IsDone()) throw std::runtime_error("cut failed");
  return op.Shape();
}

TopoDS_Shape moved(const TopoDS_Shape& shape, const gp_Trsf& t) {
  return BRepBuilderAPI_Transform(shape, t, Standard_True).Shape();
}

TopoDS_Shape fuse(const TopoDS_Shape& a, const TopoDS_Shape& b) {
  BRepAlgoAPI_Fuse op(a, b);
  if (!op.IsDone()) throw std::runtime_error("fuse failed");
  op.SimplifyResult();
  return op.Shape();
}

std::string scratch(const std::string& name) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return ::testing::TempDir() + "kalo_step_" + info->test_suite_name() + "_" + info->name() + "_" + name;
}

StepImportResult importOrFail(const std::string& path, const ImportSettings& settings,
                              const std::string& meshDir) {
  StepImportOptions options;
  options.settings = settings;
  options.meshDir = meshDir;
  StepImportResult result = importStep(path, options);
  EXPECT_EQ(result.code, 0) << result.error;
  return result;
}

double stlVolume(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char header[80];
  uint32_t count = 0;
  in.read(header, 80);
  in.read(reinterpret_cast<char*>(&count), 4);
  double volume = 0;
  for (uint32_t i = 0; i < count && in; ++i) {
    float f[12];
    uint16_t attributes;
    in.read(reinterpret_cast<char*>(f), 48);
    in.read(reinterpret_cast<char*>(&attributes), 2);
    const float* a = f + 3;
    const float* b = f + 6;
    const float* c = f + 9;
    // Signed volume of the tetrahedron (origin, a, b, c).
    volume += (double(a[0]) * (double(b[1]) * c[2] - double(b[2]) * c[1]) -
               double(a[1]) * (double(b[0]) * c[2] - double(b[2]) * c[0]) +
               double(a[2]) * (double(b[0]) * c[1] - double(b[1]) * c[0])) /
              6.0;
  }
  return in ? volume : -1.0;
}

}  // namespace kalo_step::testing
