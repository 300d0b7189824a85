#include "sample_model.hpp"

#include <sstream>

namespace kalo_qli_test {
namespace {

const std::string kSubsystem = "kaloimport.Subsystem";
const std::string kJoint = "kaloimport.Joint";

Value addBody(const Value& subsystem, const std::string& name) {
  Value body = makeBody(name, name == "A" ? 2.5 : 1.0);
  call(kSubsystem, "addBodyRef",
       {subsystem, call1("kaloimport.BodyRef", "BodyRef", {text(name + "Ref"), body})});
  return body;
}

Value joint(const std::string& how, const Value& model, const Value& base, const Value& follower,
            const Value& basePosition, const Value& followerPosition, const std::string& nodeID) {
  return call1(kJoint, how, {model, base, follower, basePosition, followerPosition, text("m"), text(nodeID)});
}

std::string name(const Value& object) { return textOf(call1("kaloimport.ZoltBase", "getName", {object})); }

std::string frameText(const Value& frame) {
  if (isEmpty(frame)) return "-";
  return name(frame) + "#" + std::to_string(int32Of(call1("kaloimport.Frame", "getID", {frame}))) +
         textOf(call1("kaloimport.Frame", "getPositionString", {frame}));
}

void outlineInto(std::ostringstream& out, const Value& subsystem, const std::string& indent) {
  const bool rigid = std::get<qcos::Logical>(call1(kSubsystem, "getRigidFlag", {subsystem})).value;
  out << indent << "subsystem " << name(subsystem) << (rigid ? " (rigid)" : "") << "\n";
  const std::string in = indent + "  ";
  for (int32_t i = 0, n = int32Of(call1(kSubsystem, "getBodyRefCount", {subsystem})); i < n; ++i) {
    const Value ref = call1(kSubsystem, "getBodyRefAt", {subsystem, static_cast<uint32_t>(i)});
    const Value body = call1("kaloimport.BodyRef", "getBody", {ref});
    out << in << "body " << name(ref) << ": " << name(body) << " "
        << textOf(call1("kaloimport.Body", "getMassString", {body}))
        << textOf(call1("kaloimport.Body", "getMassUnits", {body})) << " frames";
    for (int32_t k = 0, m = int32Of(call1("kaloimport.Body", "getLinkCount", {body})); k < m; ++k) {
      out << " " << frameText(call1("kaloimport.Body", "getLinkAt", {body, k}));
    }
    out << "\n";
  }
  for (int32_t i = 0, n = int32Of(call1(kSubsystem, "getJointCount", {subsystem})); i < n; ++i) {
    const Value j = call1(kSubsystem, "getJointAt", {subsystem, static_cast<uint32_t>(i)});
    const Value base = call1(kJoint, "getBaseFrame", {j});
    const Value follower = call1(kJoint, "getFollowerFrame", {j});
    out << in << "joint " << name(j) << " " << textOf(call1(kJoint, "getTypeName", {j})) << " "
        << frameText(call1("kaloimport.FrameRef", "getFrame", {base})) << " -> "
        << frameText(call1("kaloimport.FrameRef", "getFrame", {follower}));
    for (int32_t k = 0, m = int32Of(call1(kJoint, "getPrimitiveCount", {j})); k < m; ++k) {
      const Value p = call1(kJoint, "getPrimitiveAt", {j, static_cast<uint32_t>(k)});
      out << " " << textOf(call1("kaloimport.Primitive", "getType", {p}))
          << textOf(call1("kaloimport.Primitive", "getAxisString", {p}));
    }
    out << "\n";
  }
  for (int32_t i = 0, n = int32Of(call1(kSubsystem, "getGroundCount", {subsystem})); i < n; ++i) {
    const Value g = call1(kSubsystem, "getGroundAt", {subsystem, static_cast<uint32_t>(i)});
    out << in << "ground " << name(g) << " " << frameText(call1("kaloimport.Ground", "getFrame", {g}))
        << "\n";
  }
  for (int32_t i = 0, n = int32Of(call1(kSubsystem, "getSubsystemRefCount", {subsystem})); i < n; ++i) {
    const Value ref = call1(kSubsystem, "getSubsystemRefAt", {subsystem, static_cast<uint32_t>(i)});
    outlineInto(out, call1("kaloimport.SubsystemRef", "getSubsystem", {ref}), in);
  }
}

}  // namespace

Value makeBody(const std::string& name, double mass) {
  return call1("kaloimport.Body", "Body",
               {text(name), mass, text("kg"), matrix({1, 0, 0, 0, 2, 0, 0, 0, 3}), text("kg*m^2"), 0.5,
                text("m^3"), 4.0, text("m^2"), text(name + ".stl")});
}

Value buildSampleModel() {
  const Value top = call1(kSubsystem, "Subsystem", {text("Top")});
  const Value model =
      call1("kaloimport.ZoltModel", "ZoltModel",
            {text("kalo tests"), text("sample.cad"), text("today"), text("tester"), text("Sample"), top});
  const Value a = addBody(top, "A");
  const Value b = addBody(top, "B");
  const Value c = addBody(top, "C");
  const Value groundFrame =
      call1("kaloimport.Frame", "Frame",
            {text(""), call1("kaloimport.ZoltModel", "getNextFrameId", {model}), text("m")});
  const Value ground = call1("kaloimport.Ground", "Ground", {text("RootGround"), groundFrame});
  call(kSubsystem, "addGround", {top, ground});
  call(kSubsystem, "addJoint",
       {top, joint("zoltCreateWeldJoint", model, ground, a, column(0, 0, 0), column(1, 0, 0), "GA")});
  call(kSubsystem, "addJoint",
       {top, joint("zoltCreateWeldJoint", model, a, b, column(1, 0, 0), column(2, 0, 0), "AB")});
  const Value revolute = joint("Joint", model, b, c, row(2, 0, 0), row(3, 0, 0), "BC");
  call(kJoint, "addPrimitive", {revolute, text("revolute"), column(0, 0, 2), text("WORLD")});
  call(kSubsystem, "addJoint", {top, revolute});

  const Value sub = call1(kSubsystem, "Subsystem", {text("Sub")});
  call(kSubsystem, "addSubsystemRef",
       {top, call1("kaloimport.SubsystemRef", "SubsystemRef",
                   {text("SubRef"), sub, identity(), column(0, 0, 1)})});
  const Value d = addBody(sub, "D");
  const Value e = addBody(sub, "E");
  const Value f = addBody(sub, "F");
  call(kSubsystem, "addJoint",
       {sub, joint("zoltCreateWeldJoint", model, d, e, column(4, 0, 0), column(4, 0, 0), "DE")});
  call(kSubsystem, "addJoint",
       {sub, joint("zoltCreateSixDOFJoint", model, e, f, column(5, 0, 0), column(6, 0, 0), "EF")});
  return model;
}

std::string outline(const Value& subsystem) {
  std::ostringstream out;
  outlineInto(out, subsystem, "");
  return out.str();
}

}  // namespace kalo_qli_test
