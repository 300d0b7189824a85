#include <stdexcept>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_read_helper.hpp>

#include "multibody_xml_elements.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace mbxml {

namespace {

// Keeps the nesting level of the context in step with the recursion, exceptions included.
class DepthGuard {
 public:
  template <typename E>
  DepthGuard(ZoltReadHelper& context, const E& element) : context(context) {
    if (context.subsystemDepth > ZoltReadHelper::kMaxSubsystemDepth) {
      failAt(element, nullptr, "Subsystems are nested too deeply.");
    }
    ++context.subsystemDepth;
  }
  ~DepthGuard() { --context.subsystemDepth; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  ZoltReadHelper& context;
};

// Nesting level of the subsystem being written; a model nested deeper than a
// file may be read back (or placing a subsystem inside itself) fails instead
// of exhausting the stack.
thread_local int s_writeDepth = 0;

class WriteDepthGuard {
 public:
  WriteDepthGuard() {
    if (s_writeDepth > ZoltReadHelper::kMaxSubsystemDepth)
      throw std::runtime_error("Subsystems are nested too deeply.");
    ++s_writeDepth;
  }
  ~WriteDepthGuard() { --s_writeDepth; }
  WriteDepthGuard(const WriteDepthGuard&) = delete;
  WriteDepthGuard& operator=(const WriteDepthGuard&) = delete;
};

template <typename T>
const T& checked(const boost::shared_ptr<T>& p, const char* what) {
  if (!p) throw std::runtime_error(std::string("Empty ") + what + " in subsystem");
  return *p;
}

}  // namespace

void writeSubsystem(const Subsystem& subsystem, util::XmlSink& sink) {
  sink.startElement("Subsystem");
  sink.quotedElement("name", subsystem.getName());
  sink.quotedElement("nodeID", subsystem.getNodeID());
  sink.quotedElement("status", "");
  writeSubsystemContent(subsystem, sink);
  sink.endElement();
}

void writeSubsystemContent(const Subsystem& s, util::XmlSink& sink) {
  const WriteDepthGuard depth;
  // Each list element stays present when empty: it then holds an empty text.
  sink.startElement("bodies");
  for (size_t i = 0; i < s.getBodyRefCount(); ++i) {
    // The reference's own name and placement are not part of the file.
    writeBody(checked(checked(s.getBodyRefAt(i), "body reference").getBody(), "body"), sink);
  }
  if (s.getBodyRefCount() == 0) sink.text("");
  sink.endElement();

  sink.startElement("joints");
  for (size_t i = 0; i < s.getJointCount(); ++i) writeJoint(checked(s.getJointAt(i), "joint"), sink);
  if (s.getJointCount() == 0) sink.text("");
  sink.endElement();

  sink.startElement("grounds");
  for (size_t i = 0; i < s.getGroundCount(); ++i) writeGround(checked(s.getGroundAt(i), "ground"), sink);
  if (s.getGroundCount() == 0) sink.text("");
  sink.endElement();

  sink.startElement("subsystems");
  for (size_t i = 0; i < s.getSubsystemRefCount(); ++i) {
    writeSubsystem(
        checked(checked(s.getSubsystemRefAt(i), "subsystem reference").getSubsystem(), "subsystem"), sink);
  }
  if (s.getSubsystemRefCount() == 0) sink.text("");
  sink.endElement();

  sink.startElement("connectionPorts");
  sink.text("");
  sink.endElement();

  sink.textElement("id", "0");
}

template <typename E>
boost::shared_ptr<Subsystem> readSubsystem(const E& element, ReadHelper& helper) {
  auto& context = dynamic_cast<ZoltReadHelper&>(helper);
  const DepthGuard depth(context, element);

  boost::shared_ptr<Subsystem> subsystem(new Subsystem(childText(element, "name")));
  subsystem->setNodeID(childText(element, "nodeID"));

  element.child("bodies").forEachChild("Body", [&](const E& b) {
    boost::shared_ptr<Body> body = readBody(b, helper);
    body->setParent(subsystem);
    subsystem->addBodyRef(boost::shared_ptr<BodyRef>(new BodyRef(body->getName(), body)));
  });

  // Joints are grouped by kind: all simple joints first, then the connectors.
  const E jointList = element.child("joints");
  auto readJoints = [&](const char* kind, KalotJointType type) {
    jointList.forEachChild(kind, [&](const E& j) {
      boost::shared_ptr<Joint> joint = readJoint(j, helper);
      joint->setType(type);
      joint->setParent(subsystem);
      subsystem->addJoint(joint);
    });
  };
  readJoints("SimpleJoint", KALOT_JOINT_SIMPLE);
  readJoints("MasslessConnector", KALOT_JOINT_MASSLESS_CONNECTOR);
  // Connector kinds that only a script can set; kept rather than dropped so that
  // a model read and written again loses no joint.
  for (KalotJointType type : {KALOT_JOINT_MASSLESS_CONNECTOR_RR, KALOT_JOINT_MASSLESS_CONNECTOR_RS,
                              KALOT_JOINT_MASSLESS_CONNECTOR_SS, KALOT_JOINT_MASSLESS_CONNECTOR_PS}) {
    const std::string kind = util::fromJointTypeToStr(type);
    if (!kind.empty()) readJoints(kind.c_str(), type);
  }

  element.child("grounds").forEachChild("Ground", [&](const E& g) {
    boost::shared_ptr<Ground> ground = readGround(g, helper);
    ground->setParent(subsystem);
    subsystem->addGround(ground);
  });

  element.child("subsystems").forEachChild("Subsystem", [&](const E& s) {
    boost::shared_ptr<Subsystem> child = readSubsystem(s, helper);
    child->setParent(subsystem);
    subsystem->addSubsystemRef(boost::shared_ptr<SubsystemRef>(new SubsystemRef(child->getName(), child)));
  });
  return subsystem;
}
KALO_MBXML_INSTANTIATE(readSubsystem, Subsystem);

}  // namespace mbxml

DOMElement* Subsystem::writeToXMLElement(DOMDocument* doc) const {
  return mbxml::writeDomElement(doc, *this, mbxml::writeSubsystem);
}

void Subsystem::writeIntoXMLElement(DOMElement* element, DOMDocument* doc) const {
  util::DomSink sink(doc, element);
  mbxml::writeSubsystemContent(*this, sink);
}

boost::shared_ptr<Subsystem> Subsystem::readFromXMLElement(const DOMElement* element, ReadHelper& helper) {
  return mbxml::readSubsystem(mbxml::DomElement(element), helper);
}

}  // namespace kalo_toolkit
