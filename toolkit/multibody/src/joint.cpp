#include <kalo_toolkit/joint.hpp>

#include <utility>

#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/primitive.hpp>

namespace kalo_toolkit {

const double Joint::zoltNullAxis[3] = {1.0, 1.0, 1.0};

Joint::Joint(const std::string& name, const boost::shared_ptr<FrameRef>& baseFrame,
             const boost::shared_ptr<FrameRef>& followerFrame, std::string nodeID)
    : ZoltBase(name), baseFrame(baseFrame), followerFrame(followerFrame), type(KALOT_JOINT_SIMPLE) {
  setNodeID(std::move(nodeID));
}

Joint::~Joint() = default;

boost::shared_ptr<Primitive> Joint::getPrimitiveAt(size_t i) const {
  return i < primitives.size() ? primitives[i] : boost::shared_ptr<Primitive>();
}

void Joint::addPrimitive(KalotPrimType primType, const double* axis, const std::string& refFrame) {
  primitives.push_back(boost::shared_ptr<Primitive>(new Primitive(primType, axis, refFrame)));
}

void Joint::addPrimitive(const boost::shared_ptr<Primitive>& primitive) { primitives.push_back(primitive); }

void Joint::setType(const std::string& text) { type = util::fromStrToJointType(text); }

std::string Joint::getTypeName() const { return util::fromJointTypeToStr(type); }

}  // namespace kalo_toolkit
