// Writer of the CAD XML file: the top definition with every placed definition nested by value.

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include <xercesc/dom/DOM.hpp>

#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/constrain.hpp>
#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/xml_file_writer.hpp>
#include <kalo_toolkit/xml_helpers.hpp>
#include <kalo_toolkit/xml_sink.hpp>

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace {

std::string integerText(int v) {
  std::string text;
  if (!util::to_string(text, v)) throw std::runtime_error("Cannot write an integer");
  return text;
}

// Writes the nested elements into a sink (a DOM being built or the file). The
// definitions on the current branch are kept so that a model whose
// definitions place themselves, or one nested deeper than the reader accepts,
// fails instead of recursing without end.
class CadXmlWriter {
 public:
  explicit CadXmlWriter(util::XmlSink& sink) : sink(sink) {}

  void model(const CadModel& m) {
    if (std::find(branch.begin(), branch.end(), &m) != branch.end()) {
      throw std::runtime_error("The CAD model places a definition inside itself");
    }
    if (branch.size() >= CadModel::s_maxNestingDepth) {
      throw std::runtime_error("The CAD model is nested too deeply");
    }
    branch.push_back(&m);
    sink.startElement("CadModel");
    sink.quotedElement("name", m.name);
    sink.numberElement("mass", m.mass);
    sink.numbersElement("inertia", m.inertia, 6);
    sink.numberElement("volume", m.volume);
    sink.numberElement("surfaceArea", m.surfaceArea);
    sink.numbersElement("cg", m.cg, 3);
    sink.quotedElement("geometryFileName", m.geometryFileName);
    if (const kalot_vis_mat_prop* mat = m.getMatProp()) util::writeMaterialProp(sink, *mat);
    sink.startElement("cadmodels");
    for (const auto& child : m.cadmodels) ref(*child);
    sink.endElement();
    sink.startElement("constrains");
    for (const auto& c : m.constrains) constrain(*c);
    sink.endElement();
    sink.endElement();
    branch.pop_back();
  }

  void ref(const CadModelRef& r) {
    if (!r.cadModel) throw std::runtime_error("A placed reference holds no definition");
    sink.startElement("CadModelRef");
    sink.quotedElement("name", r.name);
    sink.numbersElement("translation", r.translation, 3);
    sink.numbersElement("rotation", r.rotation, 9);
    sink.textElement("flexible", integerText(r.flexible ? 1 : 0));
    sink.textElement("fixed", integerText(r.fixed ? 1 : 0));
    if (const kalot_vis_mat_prop* mat = r.getMatProp()) util::writeMaterialProp(sink, *mat);
    model(*r.cadModel);
    sink.endElement();
  }

  void constrain(const Constrain& c) {
    sink.startElement("Constrain");
    sink.quotedElement("name", c.name);
    sink.textElement("type", integerText(c.type));
    sink.quotedElement("comp1", c.comp1 ? c.comp1->getName() : std::string());
    sink.textElement("entity1Type", integerText(c.entity1Type));
    sink.numbersElement("entity1Location", c.entity1Location, 3);
    sink.numbersElement("entity1Axis", c.entity1Axis, 3);
    sink.quotedElement("comp2", c.comp2 ? c.comp2->getName() : std::string());
    sink.textElement("entity2Type", integerText(c.entity2Type));
    sink.numbersElement("entity2Location", c.entity2Location, 3);
    sink.numbersElement("entity2Axis", c.entity2Axis, 3);
    sink.endElement();
  }

 private:
  util::XmlSink& sink;
  std::vector<const CadModel*> branch;
};

// One of the writer's elements built unattached in the document.
template <typename T>
DOMElement* domElement(DOMDocument* doc, const T& object, void (CadXmlWriter::*write)(const T&)) {
  util::DomSink sink(doc, nullptr);
  CadXmlWriter writer(sink);
  (writer.*write)(object);
  return sink.first();
}

}  // namespace

DOMElement* CadModel::writeToXMLElement(DOMDocument* doc) const {
  return domElement(doc, *this, &CadXmlWriter::model);
}

DOMElement* CadModelRef::writeToXMLElement(DOMDocument* doc) const {
  return domElement(doc, *this, &CadXmlWriter::ref);
}

DOMElement* Constrain::writeToXMLElement(DOMDocument* doc) const {
  return domElement(doc, *this, &CadXmlWriter::constrain);
}

KalotError CadModel::writeToXML(const std::string& fileName) const {
  const bool written = util::writeXmlFile(fileName, [this](util::XmlSink& sink) {
    sink.startElement("OmbraXMLFile");
    sink.quotedElement("formatVersion", "1.0.4");
    CadXmlWriter(sink).model(*this);
    sink.endElement();
  });
  return written ? KALOT_SUCCESS : KALOT_XML_READ_ERROR;
}

}  // namespace kalo_toolkit
