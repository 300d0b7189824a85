#include "step_document.hpp"

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>

#include <IFSelect_ReturnStatus.hxx>
#include <Quantity_ColorRGBA.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPControl_Reader.hxx>
#include <TColStd_SequenceOfAsciiString.hxx>
#include <TDF_Label.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDF_Tool.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopLoc_Location.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

namespace kalo_step::detail {

namespace {

std::string labelName(const TDF_Label& label) {
  Handle(TDataStd_Name) name;
  if (!label.FindAttribute(TDataStd_Name::GetID(), name)) return "";
  const TCollection_ExtendedString& text = name->Get();
  // UTF-8 of the name (STEP names are mostly ASCII; others pass through unchanged).
  std::string out(static_cast<size_t>(text.LengthOfCString()), '\0');
  Standard_PCharacter buffer = out.data();
  text.ToUTF8CString(buffer);
  out.resize(std::char_traits<char>::length(out.c_str()));
  return out;
}

std::optional<Rgba> labelColour(const Handle(XCAFDoc_ColorTool) & colours, const TDF_Label& label) {
  Quantity_ColorRGBA c;
  if (colours->GetColor(label, XCAFDoc_ColorSurf, c) || colours->GetColor(label, XCAFDoc_ColorGen, c)) {
    Rgba out;
    // Linear RGB: the values written in the file's colour_rgb entities.
    c.GetRGB().Values(out.r, out.g, out.b, Quantity_TOC_RGB);
    out.a = c.Alpha();
    return out;
  }
  return std::nullopt;
}

class TreeReader {
 public:
  TreeReader(const Handle(XCAFDoc_ShapeTool) & shapes, const Handle(XCAFDoc_ColorTool) & colours,
             StepDocument& doc)
      : shapes_(shapes), colours_(colours), doc_(doc) {}

  size_t definitionOf(const TDF_Label& label, size_t depth) {
    if (depth > 1000) throw std::runtime_error("assemblies nested more than 1000 deep");
    TCollection_AsciiString entry;
    TDF_Tool::Entry(label, entry);
    const std::string key = entry.ToCString();
    const auto found = seen_.find(key);
    if (found != seen_.end()) {
      if (found->second == kInProgress) throw std::runtime_error("an assembly contains itself");
      return found->second;
    }
    seen_[key] = kInProgress;
    Definition def;
    def.name = labelName(label);
    def.colour = labelColour(colours_, label);
    if (XCAFDoc_ShapeTool::IsAssembly(label)) {
      def.assembly = true;
      TDF_LabelSequence components;
      XCAFDoc_ShapeTool::GetComponents(label, components, Standard_False);
      for (Standard_Integer i = 1; i <= components.Length(); ++i) {
        const TDF_Label& component = components.Value(i);
        TDF_Label referred;
        if (!XCAFDoc_ShapeTool::GetReferredShape(component, referred)) continue;
        PlacedChild child;
        child.definition = definitionOf(referred, depth + 1);
        child.name = labelName(component);
        if (child.name.empty()) child.name = doc_.definitions[child.definition].name;
        child.placement = XCAFDoc_ShapeTool::GetLocation(component).Transformation();
        child.colour = labelColour(colours_, component);
        def.children.push_back(child);
      }
    } else {
      def.shape = XCAFDoc_ShapeTool::GetShape(label);
      // The definition's own coordinates: a location on the definition's shape is not a placement.
      def.shape.Location(TopLoc_Location());
    }
    if (def.name.empty()) def.name = "Part";
    doc_.definitions.push_back(std::move(def));
    seen_[key] = doc_.definitions.size() - 1;
    return doc_.definitions.size() - 1;
  }

 private:
  static constexpr size_t kInProgress = static_cast<size_t>(-1);
  Handle(XCAFDoc_ShapeTool) shapes_;
  Handle(XCAFDoc_ColorTool) colours_;
  StepDocument& doc_;
  std::map<std::string, size_t> seen_;
};

std::string stem(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name.empty() ? "Assembly" : name;
}

}  // namespace

bool lengthUnitOfName(const std::string& nameIn, KalotLengthUnit* unit, double* metres) {
  std::string name;
  for (char c : nameIn) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  struct Known {
    const char* text;
    KalotLengthUnit unit;
    double metres;
  };
  // Prefixed forms first: "millimetre" also contains "metre".
  static const Known kKnown[] = {{"milli", KALOT_LENGTH_MM, 0.001},   {"centi", KALOT_LENGTH_CM, 0.01},
                                 {"kilo", KALOT_LENGTH_KM, 1000.0},   {"inch", KALOT_LENGTH_IN, 0.0254},
                                 {"foot", KALOT_LENGTH_FT, 0.3048},   {"feet", KALOT_LENGTH_FT, 0.3048},
                                 {"mile", KALOT_LENGTH_MI, 1609.344}, {"yard", KALOT_LENGTH_YD, 0.9144},
                                 {"metre", KALOT_LENGTH_M, 1.0},      {"meter", KALOT_LENGTH_M, 1.0}};
  if (name.find("micro") != std::string::npos || name.find("nano") != std::string::npos) return false;
  for (const Known& k : kKnown) {
    if (name.find(k.text) != std::string::npos) {
      *unit = k.unit;
      *metres = k.metres;
      return true;
    }
  }
  return false;
}

StepDocument readStepDocument(const std::string& path) {
  StepDocument doc;
  STEPCAFControl_Reader reader;
  reader.SetColorMode(Standard_True);
  reader.SetNameMode(Standard_True);
  reader.SetLayerMode(Standard_False);
  reader.SetPropsMode(Standard_False);
  reader.SetGDTMode(Standard_False);
  reader.SetMatMode(Standard_False);
  reader.SetViewMode(Standard_False);
  if (reader.ReadFile(path.c_str()) != IFSelect_RetDone)
    throw std::runtime_error("'" + path + "' is not a readable STEP file");

  TColStd_SequenceOfAsciiString lengths, angles, solidAngles;
  reader.ChangeReader().FileUnits(lengths, angles, solidAngles);
  if (lengths.Length() > 0) {
    const std::string name = lengths.Value(1).ToCString();
    if (!lengthUnitOfName(name, &doc.fileUnit, &doc.fileMetres))
      doc.report.push_back("the file's length unit '" + name + "' is not one of kalo's; lengths are in mm");
  }

  Handle(TDocStd_Document) xcaf;
  XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", xcaf);
  // Shapes in the file's own unit, so that nothing is rounded through a change of unit.
  XCAFDoc_DocumentTool::SetLengthUnit(xcaf, doc.fileMetres);
  const bool transferred = reader.Transfer(xcaf);
  if (!transferred) {
    XCAFApp_Application::GetApplication()->Close(xcaf);
    throw std::runtime_error("'" + path + "' holds no shape that could be read");
  }
  Standard_Real metres = doc.fileMetres;
  if (XCAFDoc_DocumentTool::GetLengthUnit(xcaf, metres) && metres > 0) doc.documentMetres = metres;

  Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(xcaf->Main());
  Handle(XCAFDoc_ColorTool) colours = XCAFDoc_DocumentTool::ColorTool(xcaf->Main());
  TDF_LabelSequence roots;
  shapes->GetFreeShapes(roots);
  if (roots.Length() == 0) {
    XCAFApp_Application::GetApplication()->Close(xcaf);
    throw std::runtime_error("'" + path + "' holds no shape");
  }
  TreeReader tree(shapes, colours, doc);
  std::vector<size_t> rootDefs;
  for (Standard_Integer i = 1; i <= roots.Length(); ++i)
    rootDefs.push_back(tree.definitionOf(roots.Value(i), 0));
  if (rootDefs.size() == 1 && doc.definitions[rootDefs[0]].assembly) {
    doc.top = rootDefs[0];
  } else {
    // Loose parts, or several roots: an assembly named after the file places them where they stand.
    Definition top;
    top.name = stem(path);
    top.assembly = true;
    for (size_t d : rootDefs) top.children.push_back(PlacedChild{doc.definitions[d].name, d, gp_Trsf(), {}});
    doc.definitions.push_back(std::move(top));
    doc.top = doc.definitions.size() - 1;
  }
  XCAFApp_Application::GetApplication()->Close(xcaf);
  return doc;
}

}  // namespace kalo_step::detail
