#include <stdexcept>

#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "multibody_xml_util.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace {
const char* const kFormatVersion = "1.0.4";
}

DOMElement* ZoltModel::writeToXMLElement(DOMDocument* doc) const {
  if (!topSubsystem) throw std::runtime_error("Model " + getName() + " has no top subsystem");
  const mbxml::Writer w(doc);
  DOMElement* root = doc->getDocumentElement();
  w.quoted(root, "formatVersion", kFormatVersion);
  w.text(root, "internalVersion", "1");
  w.quoted(root, "createdUsing", createdUsing);
  w.quoted(root, "createdFrom", createdFrom);
  w.quoted(root, "createdOn", createdOn);
  w.quoted(root, "createdBy", createdBy);
  w.quoted(root, "name", getName());
  // The top subsystem is written under the model's name and node ID.
  DOMElement* top = w.element("VelmoraMultibody");
  w.quoted(top, "name", getName());
  w.quoted(top, "nodeID", getNodeID());
  topSubsystem->writeIntoXMLElement(top, doc);
  root->appendChild(top);
  return root;
}

boost::shared_ptr<ZoltModel> ZoltModel::readFromXMLElement(const DOMElement* root, ReadHelper& helper) {
  const std::string using_ = mbxml::childText(root, "createdUsing");
  const std::string from = mbxml::childText(root, "createdFrom");
  const std::string on = mbxml::childText(root, "createdOn");
  const std::string by = mbxml::childText(root, "createdBy");
  const std::string version = mbxml::childText(root, "formatVersion");

  std::string modelName;
  std::string modelNodeID;
  boost::shared_ptr<Subsystem> top;
  const bool currentLayout = version.compare(kFormatVersion) >= 0;
  if (currentLayout) {
    modelName = mbxml::childText(root, "name");
    const DOMElement* topElement = mbxml::firstChild(root, "VelmoraMultibody");
    if (topElement == nullptr) topElement = mbxml::firstChild(root, "Corvane");
    if (topElement != nullptr) {
      top = Subsystem::readFromXMLElement(topElement, helper);
      modelNodeID = top->getNodeID();
    }
  } else {
    modelName = mbxml::childText(root, "modelName");
    modelNodeID = mbxml::childText(root, "nodeID");
    const DOMElement* topElement = mbxml::firstChild(mbxml::firstChild(root, "subsystem"), "Subsystem");
    if (topElement != nullptr) top = Subsystem::readFromXMLElement(topElement, helper);
  }
  if (!top || modelName.empty()) return boost::shared_ptr<ZoltModel>();

  boost::shared_ptr<ZoltModel> model(new ZoltModel(using_, from, on, by, modelName, top));
  top->setParent(model);
  // The writer puts the model's node ID beside the top subsystem's content;
  // taking it back keeps a read model writing the same file.
  model->setNodeID(modelNodeID);
  return model;
}

}  // namespace kalo_toolkit
