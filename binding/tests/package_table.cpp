#include "package_table.hpp"

namespace kalo_qli_test {
namespace {

// Kind letters of the table.
const std::string T = "char vector";
const std::string D = "double scalar";
const std::string V = "double vector";
const std::string M = "double matrix";
const std::string I = "int32 scalar";
const std::string U = "uint32 scalar";
const std::string L = "logical scalar";
const std::string ZoltBase = "kaloimport.ZoltBase";
const std::string Body = "kaloimport.Body";
const std::string BodyRef = "kaloimport.BodyRef";
const std::string Frame = "kaloimport.Frame";
const std::string FrameRef = "kaloimport.FrameRef";
const std::string Ground = "kaloimport.Ground";
const std::string Joint = "kaloimport.Joint";
const std::string Primitive = "kaloimport.Primitive";
const std::string ZoltModel = "kaloimport.ZoltModel";
const std::string Subsystem = "kaloimport.Subsystem";
const std::string SubsystemRef = "kaloimport.SubsystemRef";

using Kinds = std::vector<std::string>;

/// A method whose result count is its number of results.
TableMethod m(const std::string& name, const Kinds& arguments, const Kinds& results) {
  return {name, arguments, results, static_cast<int>(results.size())};
}

/// A constructor that reports no result.
TableMethod quietConstructor(const std::string& name, const Kinds& arguments) {
  return {name, arguments, {"kaloimport." + name}, 0};
}

std::vector<TableClass> build() {
  const Kinds none;
  const Kinds jointBuild = {ZoltModel, ZoltBase, ZoltBase, V, V, T, T};
  return {
      {ZoltBase,
       "ZoltBase",
       "",
       {m("ZoltBase", {T}, {ZoltBase}), m("isEmpty", {ZoltBase}, {I}), m("ZoltBase", none, {ZoltBase}),
        m("setName", {ZoltBase, T}, none), m("getName", {ZoltBase}, {T}), m("setNodeID", {ZoltBase, T}, none),
        m("getNodeID", {ZoltBase}, {T}), m("setParent", {ZoltBase, ZoltBase}, none),
        m("getParent", {ZoltBase}, {ZoltBase})}},
      {Body,
       "Body",
       ZoltBase,
       {m("Body", {T, D, T, M, T, D, T, D, T, T}, {Body}),
        m("getMass", {Body}, {D}),
        m("getMassString", {Body}, {T}),
        m("getMassUnits", {Body}, {T}),
        m("getInertia", {Body}, {M}),
        m("getInertiaString", {Body}, {T}),
        m("getInertiaUnits", {Body}, {T}),
        m("getVolume", {Body}, {D}),
        m("getVolumeUnits", {Body}, {T}),
        m("getSArea", {Body}, {D}),
        m("getSAreaUnits", {Body}, {T}),
        m("getFileName", {Body}, {T}),
        m("addLink", {Body, Frame}, none),
        m("getLinkCount", {Body}, {I}),
        m("getLinkAt", {Body, I}, {Frame}),
        m("setOriginFrame", {Body, Frame}, none),
        m("getOriginFrame", {Body}, {Frame}),
        m("setCGFrame", {Body, Frame}, none),
        m("getCGFrame", {Body}, {Frame}),
        m("getColor", {Body}, {V})}},
      {BodyRef,
       "BodyRef",
       ZoltBase,
       {m("BodyRef", {T, Body, M, V}, {BodyRef}), m("BodyRef", {T, Body}, {BodyRef}),
        m("getBody", {BodyRef}, {Body})}},
      {Frame,
       "Frame",
       ZoltBase,
       {m("Frame", {T, I, V, T, T, M, T, T, T}, {Frame}),
        m("Frame", {T, I, T}, {Frame}),
        m("getID", {Frame}, {I}),
        m("getPosition", {Frame}, {V}),
        m("getPositionString", {Frame}, {T}),
        m("setPosition", {Frame, V}, none),
        m("getPositionUnits", {Frame}, {T}),
        m("setPositionUnits", {Frame, T}, none),
        m("getPosRefFrame", {Frame}, {T}),
        m("setPosRefFrame", {Frame, T}, none),
        m("getOrientation", {Frame}, {M}),
        m("getOrientationString", {Frame}, {T}),
        m("setOrientation", {Frame, M}, none),
        m("getOrientationUnits", {Frame}, {T}),
        m("setOrientationUnits", {Frame, T}, none),
        m("getOrientationType", {Frame}, {T}),
        m("setOrientationType", {Frame, T}, none),
        m("getOrientationRefFrame", {Frame}, {T}),
        m("setOrientationRefFrame", {Frame, T}, none),
        m("setAutoName", {Frame, U}, none)}},
      {FrameRef,
       "FrameRef",
       ZoltBase,
       {m("FrameRef", {Frame}, {FrameRef}), m("getFrame", {FrameRef}, {Frame}),
        m("setFrame", {FrameRef, Frame}, none)}},
      {Ground,
       "Ground",
       ZoltBase,
       {quietConstructor("Ground", {T, Frame}), m("getFrame", {Ground}, {Frame})}},
      {Joint,
       "Joint",
       ZoltBase,
       {m("Joint", jointBuild, {Joint}), m("zoltCreateWeldJoint", jointBuild, {Joint}),
        m("zoltCreateSixDOFJoint", jointBuild, {Joint}), m("addPrimitive", {Joint, Primitive}, none),
        m("addPrimitive", {Joint, T, V, T}, none), m("getPrimitiveCount", {Joint}, {I}),
        m("getPrimitiveAt", {Joint, U}, {Primitive}), m("getType", {Joint}, {T}),
        m("setType", {Joint, T}, none), m("setType", {Joint, T}, none), m("getStatus", {Joint}, {T}),
        m("setStatus", {Joint, T}, none), m("getTypeName", {Joint}, {T}),
        m("addMassLessConnectorPrims", {Joint, T, V, T, V, T}, none), m("getBaseFrame", {Joint}, {FrameRef}),
        m("getFollowerFrame", {Joint}, {FrameRef})}},
      {Primitive,
       "Primitive",
       ZoltBase,
       {quietConstructor("Primitive", {T, V, T}), quietConstructor("Primitive", {T}),
        m("getAxis", {Primitive}, {V}), m("getAxisString", {Primitive}, {T}),
        m("setAxis", {Primitive, V}, none), m("getRefFrame", {Primitive}, {T}),
        m("setRefFrame", {Primitive, T}, none), m("getType", {Primitive}, {T})}},
      {ZoltModel,
       "ZoltModel",
       ZoltBase,
       {m("ZoltModel", {T, T, T, T, T, Subsystem}, {ZoltModel}),
        m("getTopSubsystem", {ZoltModel}, {Subsystem}), m("getNextFrameId", {ZoltModel}, {I}),
        m("writeToXML", {ZoltModel, T}, {T}), m("readFromXML", {T, I}, {ZoltModel, T})}},
      {Subsystem,
       "Subsystem",
       ZoltBase,
       {m("Subsystem", {T}, {Subsystem}),
        m("addBodyRef", {Subsystem, BodyRef}, none),
        m("getBodyRefCount", {Subsystem}, {I}),
        m("getBodyRefAt", {Subsystem, U}, {BodyRef}),
        m("addPort", {Subsystem, FrameRef}, none),
        m("getPortCount", {Subsystem}, {I}),
        m("getPortAt", {Subsystem, U}, {FrameRef}),
        m("addGround", {Subsystem, Ground}, none),
        m("getGroundCount", {Subsystem}, {I}),
        m("getGroundAt", {Subsystem, U}, {Ground}),
        m("addJoint", {Subsystem, Joint}, none),
        m("getJointCount", {Subsystem}, {I}),
        m("getJointAt", {Subsystem, U}, {Joint}),
        m("addSubsystemRef", {Subsystem, SubsystemRef}, none),
        m("getSubsystemRefCount", {Subsystem}, {I}),
        m("getSubsystemRefAt", {Subsystem, U}, {SubsystemRef}),
        m("getRootBodyRef", {Subsystem}, {BodyRef}),
        m("getOrCreateRootBodyRef", {Subsystem, T, T, T, T}, {BodyRef}),
        m("setCGFrame", {Subsystem, Frame}, none),
        m("getCGFrame", {Subsystem}, {Frame}),
        m("setOriginFrame", {Subsystem, Frame}, none),
        m("getOriginFrame", {Subsystem}, {Frame}),
        m("dynamiccast", {ZoltBase}, {Subsystem}),
        m("getRigidFlag", {Subsystem}, {L})}},
      {SubsystemRef,
       "SubsystemRef",
       ZoltBase,
       {m("SubsystemRef", {T, Subsystem, M, V}, {SubsystemRef}),
        m("SubsystemRef", {T, Subsystem}, {SubsystemRef}), m("getSubsystem", {SubsystemRef}, {Subsystem})}},
  };
}

}  // namespace

const std::vector<TableClass>& packageTable() {
  static const std::vector<TableClass> table = build();
  return table;
}

const TableMethod* tableMethod(const std::string& classFullName, size_t index) {
  for (const TableClass& c : packageTable()) {
    if (c.fullName == classFullName) return index < c.methods.size() ? &c.methods[index] : nullptr;
  }
  return nullptr;
}

}  // namespace kalo_qli_test
