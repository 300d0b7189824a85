#include <stdexcept>

#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "multibody_xml_elements.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace {
const char* const kFormatVersion = "1.0.4";
}

namespace mbxml {

void writeModelContent(const ZoltModel& model, util::XmlSink& sink) {
  const boost::shared_ptr<Subsystem>& top = model.getTopSubsystem();
  if (!top) throw std::runtime_error("Model " + model.getName() + " has no top subsystem");
  sink.quotedElement("formatVersion", kFormatVersion);
  sink.textElement("internalVersion", "1");
  sink.quotedElement("createdUsing", model.getCreatedUsing());
  sink.quotedElement("createdFrom", model.getCreatedFrom());
  sink.quotedElement("createdOn", model.getCreatedOn());
  sink.quotedElement("createdBy", model.getCreatedBy());
  sink.quotedElement("name", model.getName());
  // The top subsystem is written under the model's name and node ID.
  sink.startElement("VelmoraMultibody");
  sink.quotedElement("name", model.getName());
  sink.quotedElement("nodeID", model.getNodeID());
  writeSubsystemContent(*top, sink);
  sink.endElement();
}

template <typename E>
boost::shared_ptr<ZoltModel> readModel(const E& root, ReadHelper& helper) {
  const std::string using_ = childText(root, "createdUsing");
  const std::string from = childText(root, "createdFrom");
  const std::string on = childText(root, "createdOn");
  const std::string by = childText(root, "createdBy");
  const std::string version = childText(root, "formatVersion");

  std::string modelName;
  std::string modelNodeID;
  boost::shared_ptr<Subsystem> top;
  const bool currentLayout = version.compare(kFormatVersion) >= 0;
  if (currentLayout) {
    modelName = childText(root, "name");
    E topElement = root.child("VelmoraMultibody");
    if (!topElement) topElement = root.child("Corvane");
    if (topElement) {
      top = readSubsystem(topElement, helper);
      modelNodeID = top->getNodeID();
    }
  } else {
    modelName = childText(root, "modelName");
    modelNodeID = childText(root, "nodeID");
    const E topElement = root.child("subsystem").child("Subsystem");
    if (topElement) top = readSubsystem(topElement, helper);
  }
  if (!top || modelName.empty()) return boost::shared_ptr<ZoltModel>();

  boost::shared_ptr<ZoltModel> model(new ZoltModel(using_, from, on, by, modelName, top));
  top->setParent(model);
  // The writer puts the model's node ID beside the top subsystem's content;
  // taking it back keeps a read model writing the same file.
  model->setNodeID(modelNodeID);
  return model;
}
KALO_MBXML_INSTANTIATE(readModel, ZoltModel);

}  // namespace mbxml

DOMElement* ZoltModel::writeToXMLElement(DOMDocument* doc) const {
  DOMElement* root = doc->getDocumentElement();
  util::DomSink sink(doc, root);
  mbxml::writeModelContent(*this, sink);
  return root;
}

boost::shared_ptr<ZoltModel> ZoltModel::readFromXMLElement(const DOMElement* root, ReadHelper& helper) {
  return mbxml::readModel(mbxml::DomElement(root), helper);
}

}  // namespace kalo_toolkit
