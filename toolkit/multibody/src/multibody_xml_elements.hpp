#pragma once

// The element readers and writers of the multibody file, written once: the
// readers take an element handle (mbxml::DomElement or util::CompactElement;
// both are instantiated beside each definition), the writers an output sink
// (a DOM being built or a file being written).

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/compact_document.hpp>
#include <kalo_toolkit/xml_sink.hpp>

#include "multibody_xml_util.hpp"

namespace kalo_toolkit {

class Body;
class Frame;
class FrameRef;
class Ground;
class Joint;
class Primitive;
class ReadHelper;
class Subsystem;
class ZoltModel;

namespace mbxml {

template <typename E>
boost::shared_ptr<ZoltModel> readModel(const E& root, ReadHelper& helper);
template <typename E>
boost::shared_ptr<Subsystem> readSubsystem(const E& element, ReadHelper& helper);
template <typename E>
boost::shared_ptr<Body> readBody(const E& element, ReadHelper& helper);
template <typename E>
boost::shared_ptr<Frame> readFrame(const E& element, ReadHelper& helper);
template <typename E>
boost::shared_ptr<Ground> readGround(const E& element, ReadHelper& helper);
template <typename E>
boost::shared_ptr<Joint> readJoint(const E& element, ReadHelper& helper);
/// The JointSide below a base or follower element.
template <typename E>
boost::shared_ptr<FrameRef> readJointSide(const E& sideParent, ReadHelper& helper);
template <typename E>
boost::shared_ptr<Primitive> readPrimitive(const E& element, ReadHelper& helper);

/// The children of the root element.
void writeModelContent(const ZoltModel& model, util::XmlSink& sink);
void writeSubsystem(const Subsystem& subsystem, util::XmlSink& sink);
/// bodies, joints, grounds, subsystems, connectionPorts and id of the open element.
void writeSubsystemContent(const Subsystem& subsystem, util::XmlSink& sink);
void writeBody(const Body& body, util::XmlSink& sink);
void writeFrame(const Frame& frame, util::XmlSink& sink);
void writeFrameRef(const FrameRef& ref, util::XmlSink& sink);
void writeGround(const Ground& ground, util::XmlSink& sink);
void writeJoint(const Joint& joint, util::XmlSink& sink);
void writeJointSide(const FrameRef* side, util::XmlSink& sink);
void writePrimitive(const Primitive& primitive, util::XmlSink& sink);

/// Element writer `write` run into a new unattached element of the document.
template <typename T, typename W>
xercesc::DOMElement* writeDomElement(xercesc::DOMDocument* doc, const T& object, W write) {
  util::DomSink sink(doc, nullptr);
  write(object, sink);
  return sink.first();
}

}  // namespace mbxml
}  // namespace kalo_toolkit

#define KALO_MBXML_INSTANTIATE(reader, Type)                                         \
  template boost::shared_ptr<Type> reader(const kalo_toolkit::mbxml::DomElement&,    \
                                          kalo_toolkit::ReadHelper&);                \
  template boost::shared_ptr<Type> reader(const kalo_toolkit::util::CompactElement&, \
                                          kalo_toolkit::ReadHelper&)
