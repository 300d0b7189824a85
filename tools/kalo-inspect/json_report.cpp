#include <string>
#include <vector>

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

// Pretty-printed JSON, two blanks per level; values are passed as finished
// JSON texts (see text_forms.hpp).
class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out(out) {}

  void beginObject(const char* key = nullptr) { open(key, '{'); }
  void endObject() { close('}'); }
  void beginArray(const char* key = nullptr) { open(key, '['); }
  void endArray() { close(']'); }
  void value(const char* key, const std::string& json) {
    item(key);
    out << json;
  }
  void string(const char* key, const std::string& text) { value(key, quoteForJson(text)); }
  void number(const char* key, double v) { value(key, numberForJson(v)); }
  void integer(const char* key, long long v) { value(key, std::to_string(v)); }
  void boolean(const char* key, bool v) { value(key, v ? "true" : "false"); }
  void vector3(const char* key, const double* v) {
    value(key, "[" + numberForJson(v[0]) + ", " + numberForJson(v[1]) + ", " + numberForJson(v[2]) + "]");
  }
  void finish() { out << '\n'; }

 private:
  void item(const char* key) {
    if (!first.empty()) {
      if (!first.back()) out << ',';
      first.back() = false;
      out << '\n' << std::string(2 * first.size(), ' ');
    }
    if (key) out << quoteForJson(key) << ": ";
  }
  void open(const char* key, char bracket) {
    item(key);
    out << bracket;
    first.push_back(true);
  }
  void close(char bracket) {
    const bool empty = first.back();
    first.pop_back();
    if (!empty) out << '\n' << std::string(2 * first.size(), ' ');
    out << bracket;
  }

  std::ostream& out;
  std::vector<bool> first;  // per open container: no item written yet
};

void massTotal(JsonWriter& w, const MassTotal& total) {
  w.beginObject("totalMass");
  w.beginArray("byUnit");
  for (const auto& [unit, mass] : total.sums()) {
    w.beginObject();
    w.number("value", mass);
    w.string("unit", massUnitText(unit));
    w.endObject();
  }
  w.endArray();
  w.boolean("mixedUnits", total.isMixed());
  w.endObject();
}

void frame(JsonWriter& w, const char* key, const Frame& f) {
  w.beginObject(key);
  w.string("name", f.getName());
  if (f.getID() == -1)
    w.value("id", "null");
  else
    w.integer("id", f.getID());
  w.vector3("position", f.getPosition());
  w.string("positionUnits", util::fromLengthUnitToStr(f.getPositionUnits()));
  w.endObject();
}

void jointSide(JsonWriter& w, const char* key, const boost::shared_ptr<FrameRef>& side) {
  const boost::shared_ptr<Frame> f = side ? side->getFrame() : nullptr;
  if (!f) {
    w.value(key, "null");
    return;
  }
  w.beginObject(key);
  w.string("frame", f->getName());
  if (f->getID() == -1)
    w.value("frameId", "null");
  else
    w.integer("frameId", f->getID());
  const FrameOwner owner = frameOwner(f);
  if (owner.kind.empty()) {
    w.value("ownerKind", "null");
    w.value("owner", "null");
  } else {
    w.string("ownerKind", owner.kind);
    w.string("owner", owner.name);
  }
  w.endObject();
}

MassTotal subsystem(JsonWriter& w, const char* key, const Subsystem& s) {
  MassTotal total;
  w.beginObject(key);
  w.string("name", s.getName());
  w.string("nodeID", s.getNodeID());
  w.boolean("rigid", s.getRigidFlag());

  w.beginArray("bodies");
  for (size_t i = 0; i < s.getBodyRefCount(); ++i) {
    const boost::shared_ptr<BodyRef> ref = s.getBodyRefAt(i);
    const boost::shared_ptr<Body> body = ref ? ref->getBody() : nullptr;
    if (!body) continue;
    total.add(body->getMassUnits(), body->getMass());
    w.beginObject();
    w.string("name", body->getName());
    w.string("nodeID", body->getNodeID());
    w.number("mass", body->getMass());
    w.string("massUnits", massUnitText(body->getMassUnits()));
    w.string("fileName", body->getFileName());
    w.beginArray("frames");
    for (size_t k = 0; k < body->getLinkCount(); ++k)
      if (const boost::shared_ptr<Frame> f = body->getLinkAt(k)) frame(w, nullptr, *f);
    w.endArray();
    w.endObject();
  }
  w.endArray();

  w.beginArray("joints");
  for (size_t i = 0; i < s.getJointCount(); ++i) {
    const boost::shared_ptr<const Joint> joint = s.getJointAt(i);
    if (!joint) continue;
    w.beginObject();
    w.string("name", joint->getName());
    w.string("type", joint->getTypeName());
    jointSide(w, "base", joint->getBaseFrame());
    jointSide(w, "follower", joint->getFollowerFrame());
    w.beginArray("primitives");
    for (size_t k = 0; k < joint->getPrimitiveCount(); ++k) {
      const boost::shared_ptr<Primitive> p = joint->getPrimitiveAt(k);
      if (!p) continue;
      w.beginObject();
      w.string("type", util::fromPrimTypeToStr(p->getType()));
      w.vector3("axis", p->getAxis());
      w.string("refFrame", p->getRefFrame());
      w.endObject();
    }
    w.endArray();
    w.endObject();
  }
  w.endArray();

  w.beginArray("grounds");
  for (size_t i = 0; i < s.getGroundCount(); ++i) {
    const boost::shared_ptr<Ground> ground = s.getGroundAt(i);
    if (!ground) continue;
    w.beginObject();
    w.string("name", ground->getName());
    if (ground->getFrame())
      frame(w, "frame", *ground->getFrame());
    else
      w.value("frame", "null");
    w.endObject();
  }
  w.endArray();

  w.beginArray("subsystems");
  for (size_t i = 0; i < s.getSubsystemRefCount(); ++i) {
    const boost::shared_ptr<SubsystemRef> ref = s.getSubsystemRefAt(i);
    if (ref && ref->getSubsystem()) total.add(subsystem(w, nullptr, *ref->getSubsystem()));
  }
  w.endArray();

  massTotal(w, total);
  w.endObject();
  return total;
}

}  // namespace

void writeJsonReport(std::ostream& out, const ZoltModel& model, int simplifyOption) {
  JsonWriter w(out);
  w.beginObject();
  w.integer("simplify", simplifyOption);
  w.beginObject("model");
  w.string("name", model.getName());
  w.string("createdUsing", model.getCreatedUsing());
  w.string("createdFrom", model.getCreatedFrom());
  w.string("createdOn", model.getCreatedOn());
  w.string("createdBy", model.getCreatedBy());
  MassTotal total;
  if (model.getTopSubsystem())
    total = subsystem(w, "top", *model.getTopSubsystem());
  else
    w.value("top", "null");
  massTotal(w, total);
  w.endObject();
  w.endObject();
  w.finish();
}

}  // namespace kalo_inspect
