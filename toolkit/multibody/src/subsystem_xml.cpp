#include <stdexcept>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_read_helper.hpp>

#include "multibody_xml_util.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace {

// Keeps the nesting level of the context in step with the recursion, exceptions included.
class DepthGuard {
 public:
  explicit DepthGuard(ZoltReadHelper& context) : context(context) {
    if (context.subsystemDepth > ZoltReadHelper::kMaxSubsystemDepth) {
      throw mbxml::ReadError("Subsystems are nested too deeply.");
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

DOMElement* Subsystem::writeToXMLElement(DOMDocument* doc) const {
  const mbxml::Writer w(doc);
  DOMElement* e = w.element("Subsystem");
  w.quoted(e, "name", getName());
  w.quoted(e, "nodeID", getNodeID());
  w.quoted(e, "status", "");
  writeIntoXMLElement(e, doc);
  return e;
}

void Subsystem::writeIntoXMLElement(DOMElement* element, DOMDocument* doc) const {
  const WriteDepthGuard depth;
  const mbxml::Writer w(doc);

  DOMElement* bodies = w.element("bodies");
  for (const auto& ref : bodyRefs) {
    // The reference's own name and placement are not part of the file.
    bodies->appendChild(checked(checked(ref, "body reference").getBody(), "body").writeToXMLElement(doc));
  }
  w.closeList(bodies);
  element->appendChild(bodies);

  DOMElement* jointList = w.element("joints");
  for (const auto& joint : joints) jointList->appendChild(checked(joint, "joint").writeToXMLElement(doc));
  w.closeList(jointList);
  element->appendChild(jointList);

  DOMElement* groundList = w.element("grounds");
  for (const auto& ground : grounds)
    groundList->appendChild(checked(ground, "ground").writeToXMLElement(doc));
  w.closeList(groundList);
  element->appendChild(groundList);

  DOMElement* children = w.element("subsystems");
  for (const auto& ref : subsystemRefs) {
    children->appendChild(
        checked(checked(ref, "subsystem reference").getSubsystem(), "subsystem").writeToXMLElement(doc));
  }
  w.closeList(children);
  element->appendChild(children);

  DOMElement* portList = w.element("connectionPorts");
  w.closeList(portList);
  element->appendChild(portList);

  w.text(element, "id", "0");
}

boost::shared_ptr<Subsystem> Subsystem::readFromXMLElement(const DOMElement* element, ReadHelper& helper) {
  auto& context = dynamic_cast<ZoltReadHelper&>(helper);
  const DepthGuard depth(context);

  boost::shared_ptr<Subsystem> subsystem(new Subsystem(mbxml::childText(element, "name")));
  subsystem->setNodeID(mbxml::childText(element, "nodeID"));

  mbxml::forEachChild(mbxml::firstChild(element, "bodies"), "Body", [&](const DOMElement* b) {
    boost::shared_ptr<Body> body = Body::readFromXMLElement(b, helper);
    body->setParent(subsystem);
    subsystem->addBodyRef(boost::shared_ptr<BodyRef>(new BodyRef(body->getName(), body)));
  });

  // Joints are grouped by kind: all simple joints first, then the connectors.
  const DOMElement* jointList = mbxml::firstChild(element, "joints");
  auto readJoints = [&](const char* kind, KalotJointType type) {
    mbxml::forEachChild(jointList, kind, [&](const DOMElement* j) {
      boost::shared_ptr<Joint> joint = Joint::readFromXMLElement(j, helper);
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

  mbxml::forEachChild(mbxml::firstChild(element, "grounds"), "Ground", [&](const DOMElement* g) {
    boost::shared_ptr<Ground> ground = Ground::readFromXMLElement(g, helper);
    ground->setParent(subsystem);
    subsystem->addGround(ground);
  });

  mbxml::forEachChild(mbxml::firstChild(element, "subsystems"), "Subsystem", [&](const DOMElement* s) {
    boost::shared_ptr<Subsystem> child = Subsystem::readFromXMLElement(s, helper);
    child->setParent(subsystem);
    subsystem->addSubsystemRef(boost::shared_ptr<SubsystemRef>(new SubsystemRef(child->getName(), child)));
  });
  return subsystem;
}

}  // namespace kalo_toolkit
