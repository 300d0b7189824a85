// Times the STEP import of generated assemblies: N hinges (a bored block and
// a pinned arm each, every part a definition of its own) in a grid, so that
// 2N parts, N revolute pairs and many neighbours whose boxes touch. The file
// is written untimed; the import (reading, mass properties, meshes, mates) is
// timed in CPU seconds, best of the repeats, with the growth exponent between
// successive sizes.
//
//   kalo_step_import_bench [N ...]        (default 25 50 100 200)
// Environment: KALO_BENCH_DIR (folder for the files, default /tmp), KALO_BENCH_REPEAT (default 2).
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <Interface_Static.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <STEPCAFControl_Writer.hxx>
#include <STEPControl_Controller.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopLoc_Location.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <kalo_step/step_import.hpp>

#include "bench_support.hpp"

#ifndef KALO_BUILD_TYPE
#define KALO_BUILD_TYPE "unknown"
#endif

namespace {

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void name(const TDF_Label& label, const std::string& text) { TDataStd_Name::Set(label, text.c_str()); }

/// N hinges on a grid of 100 mm cells; block i is 80 + (i % 7) mm long so that no two parts share a
/// definition.
bool writeAssembly(int n, const std::string& path) {
  Handle(TDocStd_Document) doc;
  XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", doc);
  XCAFDoc_DocumentTool::SetLengthUnit(doc, 0.001);
  Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(doc->Main());
  const TDF_Label top = shapes->NewShape();
  name(top, "Grid");
  const int side = static_cast<int>(std::ceil(std::sqrt(n)));
  for (int i = 0; i < n; ++i) {
    const double length = 80 + i % 7;
    const TopoDS_Shape block =
        BRepAlgoAPI_Cut(BRepPrimAPI_MakeBox(gp_Pnt(0, 0, 0), length, 60, 20).Shape(),
                        BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(30, 30, 0), gp_Dir(0, 0, 1)), 5, 20).Shape())
            .Shape();
    const TopoDS_Shape arm =
        BRepAlgoAPI_Fuse(BRepPrimAPI_MakeBox(gp_Pnt(-10, -10, 0), 30 + i % 5, 20, 8).Shape(),
                         BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(0, 0, -20), gp_Dir(0, 0, 1)), 5, 20).Shape())
            .Shape();
    const TDF_Label b = shapes->AddShape(block, Standard_False), a = shapes->AddShape(arm, Standard_False);
    name(b, "Block" + std::to_string(i));
    name(a, "Arm" + std::to_string(i));
    // Cells of 90 x 70 mm: blocks 4 to 10 mm apart, arms reaching over their block's edge.
    gp_Trsf at;
    at.SetTranslation(gp_Vec(90.0 * (i % side), 70.0 * (i / side), 0));
    gp_Trsf armAt;
    armAt.SetRotation(gp_Ax1(gp_Pnt(0, 0, 0), gp_Dir(0, 0, 1)), (i % 12) * M_PI / 6);
    gp_Trsf lift;
    lift.SetTranslation(gp_Vec(30, 30, 20));
    name(shapes->AddComponent(top, b, TopLoc_Location(at)), "Block" + std::to_string(i));
    name(shapes->AddComponent(top, a, TopLoc_Location(at * lift * armAt)), "Arm" + std::to_string(i));
  }
  shapes->UpdateAssemblies();
  STEPControl_Controller::Init();
  Interface_Static::SetCVal("write.step.unit", "MM");
  Message::DefaultMessenger()->ChangePrinters().Clear();  // the writer's statistics are not the report
  STEPCAFControl_Writer writer;
  const bool ok = writer.Transfer(doc, STEPControl_AsIs) && writer.Write(path.c_str()) == IFSelect_RetDone;
  XCAFApp_Application::GetApplication()->Close(doc);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {25, 50, 100, 200};
  const char* dirEnv = std::getenv("KALO_BENCH_DIR");
  const std::string dir = dirEnv && *dirEnv ? dirEnv : "/tmp";
  const char* repeatEnv = std::getenv("KALO_BENCH_REPEAT");
  const int repeat = std::max(1, repeatEnv ? std::atoi(repeatEnv) : 2);

  std::printf("STEP import benchmark (%s build) on %s\n", KALO_BUILD_TYPE, kalo_bench::machine().c_str());
  std::printf("assembly: N hinges (bored block + pinned arm), 2N part definitions, in a grid\n");
  std::printf("times: cpu seconds, best of %d (wall in parentheses); meshes written\n\n", repeat);
  std::printf("%6s %6s %9s %16s %16s %7s %8s\n", "N", "parts", "STEP MiB", "import", "no meshes", "pairs",
              "growth");
  double lastCpu = 0;
  int lastN = 0;
  for (int n : sizes) {
    const std::string path = dir + "/kalo_step_bench_" + std::to_string(n) + ".step";
    if (!writeAssembly(n, path)) {
      std::printf("%6d cannot write %s\n", n, path.c_str());
      return 1;
    }
    double cpu[2] = {1e300, 1e300}, wall[2] = {1e300, 1e300};
    size_t pairs = 0;
    for (int withMeshes = 1; withMeshes >= 0; --withMeshes) {
      kalo_step::StepImportOptions options;
      if (withMeshes) options.meshDir = dir + "/kalo_step_bench_meshes";
      for (int r = 0; r < repeat; ++r) {
        const auto start = std::chrono::steady_clock::now();
        const double c0 = cpuSeconds();
        const kalo_step::StepImportResult result = kalo_step::importStep(path, options);
        const int slot = withMeshes ? 0 : 1;
        cpu[slot] = std::min(cpu[slot], cpuSeconds() - c0);
        wall[slot] = std::min(
            wall[slot], std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (result.code != 0) {
          std::printf("%6d import failed: %s\n", n, result.error.c_str());
          return 1;
        }
        pairs = result.pairs.size();
      }
    }
    std::filesystem::remove_all(dir + "/kalo_step_bench_meshes");
    char growth[16] = "";
    if (lastN > 0 && lastCpu > 0)
      std::snprintf(growth, sizeof growth, "%.2f", std::log(cpu[0] / lastCpu) / std::log(double(n) / lastN));
    std::printf("%6d %6d %9.2f %7.2f (%6.2f) %7.2f (%6.2f) %7zu %8s\n", n, 2 * n, kalo_bench::fileMiB(path),
                cpu[0], wall[0], cpu[1], wall[1], pairs, growth);
    std::fflush(stdout);
    lastCpu = cpu[0];
    lastN = n;
    std::remove(path.c_str());
  }
  std::printf("\ngrowth: exponent of import cpu time between successive sizes (1 = linear)\n");
  return 0;
}
