#include <kalo_toolkit/body.hpp>

#include <algorithm>

#include <kalo_toolkit/frame.hpp>

namespace kalo_toolkit {

Body::Body(const std::string& name, double mass, KalotMassUnit massUnits, const double* inertia,
           KalotInertiaUnit inertiaUnits, double volume, KalotVolUnit volumeUnits, double sArea,
           KalotSAreaUnit sAreaUnits, const std::string& fileName, const kalot_vis_mat_prop* matProp)
    : ZoltBase(name),
      mass(mass),
      massUnits(massUnits),
      inertia{},
      inertiaUnits(inertiaUnits),
      volume(volume),
      volumeUnits(volumeUnits),
      sArea(sArea),
      sAreaUnits(sAreaUnits),
      fileName(fileName),
      linkNameCount(-1) {
  if (inertia) std::copy(inertia, inertia + 9, this->inertia);
  if (matProp) setMatProp(matProp);
}

Body::~Body() = default;

void Body::setMatProp(const kalot_vis_mat_prop* p) {
  matProp.reset();
  if (p) matProp.reset(new kalot_vis_mat_prop(*p));
}

boost::shared_ptr<Frame> Body::getLinkAt(size_t i) const {
  return i < links.size() ? links[i] : boost::shared_ptr<Frame>();
}

void Body::addLink(const boost::shared_ptr<Frame>& frame) {
  links.push_back(frame);
  // Only unnamed frames advance the counter, so named frames keep "CSn" dense.
  if (frame && frame->getName().empty()) {
    ++linkNameCount;
    frame->setAutoName(linkNameCount);
  }
}

}  // namespace kalo_toolkit
