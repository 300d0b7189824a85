#include <string>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "mass_total.hpp"
#include "reports.hpp"
#include "text_forms.hpp"

namespace kalo_inspect {

using namespace kalo_toolkit;

namespace {

std::string vector3(const double* v) {
  return "(" + numberForText(v[0]) + ", " + numberForText(v[1]) + ", " + numberForText(v[2]) + ")";
}

std::string unitOrUnknown(const std::string& text) { return text.empty() ? "(unknown unit)" : text; }

class TextWriter {
 public:
  explicit TextWriter(std::ostream& out) : out(out) {}

  MassTotal subsystem(const Subsystem& s, const std::string& indent);

 private:
  void frame(const Frame& f, const std::string& indent);
  void jointSide(const char* label, const boost::shared_ptr<FrameRef>& side, const std::string& indent);

  std::ostream& out;
};

void TextWriter::frame(const Frame& f, const std::string& indent) {
  out << indent << "Frame " << quoteForText(f.getName());
  if (f.getID() != -1) out << " id " << f.getID();
  out << ": position " << vector3(f.getPosition()) << ' '
      << unitOrUnknown(util::fromLengthUnitToStr(f.getPositionUnits())) << '\n';
}

void TextWriter::jointSide(const char* label, const boost::shared_ptr<FrameRef>& side,
                           const std::string& indent) {
  out << indent << label << ": ";
  const boost::shared_ptr<Frame> f = side ? side->getFrame() : nullptr;
  if (!f) {
    out << "no frame\n";
    return;
  }
  out << "frame " << quoteForText(f->getName());
  if (f->getID() != -1) out << " id " << f->getID();
  const FrameOwner owner = frameOwner(f);
  if (owner.kind.empty())
    out << " (owner unknown)\n";
  else
    out << " of " << owner.kind << ' ' << quoteForText(owner.name) << '\n';
}

MassTotal TextWriter::subsystem(const Subsystem& s, const std::string& indent) {
  const std::string inner = indent + "  ";
  const std::string detail = inner + "  ";
  MassTotal total;
  out << indent << "Subsystem " << quoteForText(s.getName());
  if (!s.getNodeID().empty()) out << " nodeID " << quoteForText(s.getNodeID());
  if (s.getRigidFlag()) out << " [rigid]";
  out << '\n';

  for (size_t i = 0; i < s.getBodyRefCount(); ++i) {
    const boost::shared_ptr<BodyRef> ref = s.getBodyRefAt(i);
    const boost::shared_ptr<Body> body = ref ? ref->getBody() : nullptr;
    if (!body) continue;
    total.add(body->getMassUnits(), body->getMass());
    out << inner << "Body " << quoteForText(body->getName());
    if (!body->getNodeID().empty()) out << " nodeID " << quoteForText(body->getNodeID());
    out << ": mass " << numberForText(body->getMass()) << ' ' << massUnitText(body->getMassUnits());
    if (!body->getFileName().empty()) out << ", geometry " << quoteForText(body->getFileName());
    out << '\n';
    for (size_t k = 0; k < body->getLinkCount(); ++k)
      if (const boost::shared_ptr<Frame> f = body->getLinkAt(k)) frame(*f, detail);
  }

  for (size_t i = 0; i < s.getJointCount(); ++i) {
    const boost::shared_ptr<const Joint> joint = s.getJointAt(i);
    if (!joint) continue;
    const std::string type = joint->getTypeName();
    out << inner << "Joint " << quoteForText(joint->getName()) << ' '
        << (type.empty() ? "(unknown type)" : type) << '\n';
    jointSide("base", joint->getBaseFrame(), detail);
    jointSide("follower", joint->getFollowerFrame(), detail);
    for (size_t k = 0; k < joint->getPrimitiveCount(); ++k) {
      const boost::shared_ptr<Primitive> p = joint->getPrimitiveAt(k);
      if (!p) continue;
      const std::string ptype = util::fromPrimTypeToStr(p->getType());
      out << detail << "Primitive " << (ptype.empty() ? "(unknown type)" : ptype) << ": axis "
          << vector3(p->getAxis()) << " in " << quoteForText(p->getRefFrame()) << '\n';
    }
  }

  for (size_t i = 0; i < s.getGroundCount(); ++i) {
    const boost::shared_ptr<Ground> ground = s.getGroundAt(i);
    if (!ground) continue;
    out << inner << "Ground " << quoteForText(ground->getName()) << '\n';
    if (ground->getFrame()) frame(*ground->getFrame(), detail);
  }

  for (size_t i = 0; i < s.getSubsystemRefCount(); ++i) {
    const boost::shared_ptr<SubsystemRef> ref = s.getSubsystemRefAt(i);
    if (ref && ref->getSubsystem()) total.add(subsystem(*ref->getSubsystem(), inner));
  }
  out << inner << "Total mass: " << total.toText() << '\n';
  return total;
}

}  // namespace

void writeTextReport(std::ostream& out, const ZoltModel& model, int simplifyOption) {
  out << "Model " << quoteForText(model.getName()) << '\n';
  out << "  created using " << quoteForText(model.getCreatedUsing()) << ", from "
      << quoteForText(model.getCreatedFrom()) << ", on " << quoteForText(model.getCreatedOn()) << ", by "
      << quoteForText(model.getCreatedBy()) << '\n';
  out << "  simplifier option " << simplifyOption << '\n';
  MassTotal total;
  if (model.getTopSubsystem()) total = TextWriter(out).subsystem(*model.getTopSubsystem(), "");
  out << "Model total mass: " << total.toText() << '\n';
}

}  // namespace kalo_inspect
