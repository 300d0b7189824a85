#include <stdexcept>

#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/xml_helpers.hpp>

#include "multibody_xml_util.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

DOMElement* FrameRef::writeToXMLElement(DOMDocument* doc) const {
  // A reference is written as the id of its frame; without a frame there is nothing to point at.
  if (!frame) throw std::runtime_error("Frame reference " + getName() + " has no frame");
  DOMElement* e = mbxml::Writer(doc).element("Frame");
  e->setAttribute(u"ref",
                  util::toXMLString(mbxml::integerText(static_cast<long long>(frame->getID()) + 1)).c_str());
  return e;
}

}  // namespace kalo_toolkit
