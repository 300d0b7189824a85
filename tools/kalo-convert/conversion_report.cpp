#include "conversion_report.hpp"

#include <map>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/cad2zolt.hpp>
#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "convert_options.hpp"
#include "json_writer.hpp"

namespace kalo_convert {

using namespace kalo_toolkit;

namespace {

struct Totals {
  long long subsystems = 0;
  long long bodies = 0;
  long long joints = 0;
  std::map<std::string, long long> jointsByKind;  // sorted: stable output
};

void count(const Subsystem& s, Totals& totals) {
  ++totals.subsystems;
  totals.bodies += static_cast<long long>(s.getBodyRefCount());
  for (size_t i = 0; i < s.getJointCount(); ++i) {
    ++totals.joints;
    ++totals.jointsByKind[jointKind(*s.getJointAt(i))];
  }
  for (size_t i = 0; i < s.getSubsystemRefCount(); ++i) {
    if (const boost::shared_ptr<Subsystem>& child = s.getSubsystemRefAt(i)->getSubsystem())
      count(*child, totals);
  }
}

/// A field whose value may be missing: written by `write`, or null.
template <typename Write>
void optionalField(JsonWriter& json, const char* key, bool present, Write write) {
  json.key(key);
  if (present)
    write();
  else
    json.null();
}

boost::shared_ptr<Frame> sideFrame(const boost::shared_ptr<FrameRef>& side) {
  return side ? side->getFrame() : boost::shared_ptr<Frame>();
}

/// The body (or ground) whose frame a joint side uses, if any.
boost::shared_ptr<ZoltBase> sideOwner(const boost::shared_ptr<FrameRef>& side) {
  const boost::shared_ptr<Frame> frame = sideFrame(side);
  return frame ? frame->getParent() : boost::shared_ptr<ZoltBase>();
}

void jointSide(JsonWriter& json, const boost::shared_ptr<FrameRef>& side) {
  json.beginObject();
  const boost::shared_ptr<Frame> frame = sideFrame(side);
  const boost::shared_ptr<ZoltBase> owner = sideOwner(side);
  optionalField(json, "part", bool(owner), [&] { json.value(owner->getName()); });
  optionalField(json, "partNodeID", bool(owner), [&] { json.value(owner->getNodeID()); });
  optionalField(json, "frame", bool(frame), [&] { json.value(frame->getName()); });
  optionalField(json, "position", bool(frame), [&] { json.numbers(frame->getPosition(), 3); });
  json.endObject();
}

void joint(JsonWriter& json, const Joint& j) {
  json.beginObject();
  json.key("name");
  json.value(j.getName());
  json.key("nodeID");
  json.value(j.getNodeID());
  json.key("type");
  json.value(j.getTypeName());
  json.key("typeCode");
  json.value(static_cast<long long>(j.getType()));
  json.key("kind");
  json.value(jointKind(j));
  json.key("status");
  json.value(j.getStatus());
  json.key("base");
  jointSide(json, j.getBaseFrame());
  json.key("follower");
  jointSide(json, j.getFollowerFrame());
  json.key("primitives");
  json.beginArray();
  for (size_t i = 0; i < j.getPrimitiveCount(); ++i) {
    const boost::shared_ptr<Primitive> p = j.getPrimitiveAt(i);
    json.beginObject();
    json.key("type");
    json.value(util::fromPrimTypeToStr(p->getType()));
    json.key("axis");
    json.numbers(p->getAxis(), 3);
    json.key("referenceFrame");
    json.value(p->getRefFrame());
    json.endObject();
  }
  json.endArray();
  json.endObject();
}

}  // namespace

std::string jointKind(const Joint& joint) {
  if (joint.getType() == KALOT_JOINT_MASSLESS_CONNECTOR) return "massless-connector";
  int weld = 0, prismatic = 0, revolute = 0, spherical = 0, other = 0;
  for (size_t i = 0; i < joint.getPrimitiveCount(); ++i) {
    switch (joint.getPrimitiveAt(i)->getType()) {
      case KALOT_PRIM_WELD:
        ++weld;
        break;
      case KALOT_PRIM_PRISMATIC:
        ++prismatic;
        break;
      case KALOT_PRIM_REVOLUTE:
        ++revolute;
        break;
      case KALOT_PRIM_SPHERICAL:
        ++spherical;
        break;
      default:
        ++other;
    }
  }
  if (other > 0) return "custom";
  if (weld > 0) return weld == 1 && prismatic + revolute + spherical == 0 ? "weld" : "custom";
  if (spherical == 0) {
    if (prismatic == 0 && revolute == 1) return "revolute";
    if (prismatic == 1 && revolute == 0) return "prismatic";
    if (prismatic == 1 && revolute == 1) return "cylindrical";
    if (prismatic == 2 && revolute == 1) return "planar";
  } else if (spherical == 1 && revolute == 0) {
    if (prismatic == 0) return "spherical";
    if (prismatic == 3) return "six-dof";
  }
  return "custom";
}

std::string weldReason(const std::string& report) {
  static const std::string kDetails = "Error Details: ";
  std::string reason;
  size_t start = 0;
  while (start < report.size()) {
    size_t end = report.find('\n', start);
    if (end == std::string::npos) end = report.size();
    if (report.compare(start, kDetails.size(), kDetails) == 0) {
      if (!reason.empty()) reason += ' ';
      reason.append(report, start + kDetails.size(), end - start - kDetails.size());
    }
    start = end + 1;
  }
  return reason;
}

std::string conversionReportJson(const Cad2Zolt& converter, const ConvertOptions& options, int result,
                                 const std::vector<std::string>& exportReport) {
  JsonWriter json;
  json.beginObject();
  json.key("input");
  json.value(options.input);
  json.key("output");
  json.value(options.output);
  json.key("units");
  json.beginObject();
  json.key("mass");
  json.value(util::fromMassUnitToStr(options.massUnit));
  json.key("length");
  json.value(util::fromLengthUnitToStr(options.lengthUnit));
  json.endObject();
  json.key("result");
  json.value(static_cast<long long>(result));
  json.key("resultText");
  json.value(util::fromErrorToStr(static_cast<KalotError>(result)));

  long long welded = 0;
  json.key("pairs");
  json.beginArray();
  for (const Cad2Zolt::PairRecord& pair : converter.getPairRecords()) {
    const bool isWelded = pair.status == KALOT_UNHANDLED_CONSTRAINT;
    welded += isWelded ? 1 : 0;
    json.beginObject();
    json.key("parts");
    json.beginArray();
    for (const auto& side : {pair.joint->getBaseFrame(), pair.joint->getFollowerFrame()}) {
      if (const boost::shared_ptr<ZoltBase> owner = sideOwner(side))
        json.value(owner->getName());
      else
        json.null();
    }
    json.endArray();
    json.key("constraints");
    json.beginArray();
    for (const std::string& name : pair.constraintNames) json.value(name);
    json.endArray();
    json.key("joint");
    joint(json, *pair.joint);
    json.key("status");
    json.value(isWelded ? "welded" : "converted");
    json.key("statusCode");
    json.value(static_cast<long long>(pair.status));
    optionalField(json, "weldReason", isWelded, [&] { json.value(weldReason(pair.report)); });
    json.endObject();
  }
  json.endArray();

  Totals totals;
  if (converter.getZoltModel() && converter.getZoltModel()->getTopSubsystem())
    count(*converter.getZoltModel()->getTopSubsystem(), totals);
  json.key("totals");
  json.beginObject();
  json.key("subsystems");
  json.value(totals.subsystems);
  json.key("bodies");
  json.value(totals.bodies);
  json.key("joints");
  json.value(totals.joints);
  json.key("jointsByKind");
  json.beginObject();
  for (const auto& entry : totals.jointsByKind) {
    json.key(entry.first);
    json.value(entry.second);
  }
  json.endObject();
  json.key("constrainedPairs");
  json.value(static_cast<long long>(converter.getPairRecords().size()));
  json.key("pairsWelded");
  json.value(welded);
  json.endObject();
  // The notes kalo-convert prints after the report: constraint sides that named no part.
  json.key("notes");
  json.beginArray();
  for (const std::string& note : converter.getConversionNotes()) json.value(note);
  json.endArray();
  if (options.toSimulator) {
    json.key("format");
    json.value(outputFormatName(options));
    json.key("exportReport");
    json.beginArray();
    for (const std::string& line : exportReport) json.value(line);
    json.endArray();
  }
  json.endObject();
  return json.text();
}

}  // namespace kalo_convert
