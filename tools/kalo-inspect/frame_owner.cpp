#include <boost/pointer_cast.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/ground.hpp>

#include "reports.hpp"

namespace kalo_inspect {

FrameOwner frameOwner(const boost::shared_ptr<kalo_toolkit::Frame>& frame) {
  const boost::shared_ptr<kalo_toolkit::ZoltBase> parent = frame ? frame->getParent() : nullptr;
  if (boost::dynamic_pointer_cast<kalo_toolkit::Body>(parent)) return {"body", parent->getName()};
  if (boost::dynamic_pointer_cast<kalo_toolkit::Ground>(parent)) return {"ground", parent->getName()};
  return {"", ""};
}

}  // namespace kalo_inspect
