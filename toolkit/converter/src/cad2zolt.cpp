#include <kalo_toolkit/cad2zolt.hpp>

#include <cmath>
#include <stdexcept>
#include <unordered_set>
#include <utility>
#include <vector>

#include <boost/make_shared.hpp>
#include <boost/pointer_cast.hpp>

#include <kalo_toolkit/assem_comp.hpp>
#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/cad_cs.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/cad_unit.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "conversion_context.hpp"
#include "conversion_notes.hpp"

namespace kalo_toolkit {

namespace {

// The parent links a model read from its file has: each body, joint, ground and child
// subsystem names the subsystem holding it, the top names the model. What restructures
// a model (the simplifier) finds a part's subsystem through them.
void linkParents(const boost::shared_ptr<ZoltModel>& model) {
  const boost::shared_ptr<Subsystem>& top = model->getTopSubsystem();
  top->setParent(model);
  std::unordered_set<const Subsystem*> seen;
  std::vector<boost::shared_ptr<Subsystem>> stack{top};
  while (!stack.empty()) {
    const boost::shared_ptr<Subsystem> s = stack.back();
    stack.pop_back();
    if (!s || !seen.insert(s.get()).second) continue;
    for (size_t i = 0; i < s->getBodyRefCount(); ++i) {
      const boost::shared_ptr<BodyRef> ref = s->getBodyRefAt(i);
      if (ref && ref->getBody()) ref->getBody()->setParent(s);
    }
    for (size_t i = 0; i < s->getJointCount(); ++i)
      if (const boost::shared_ptr<Joint> joint = s->getJointAt(i)) joint->setParent(s);
    for (size_t i = 0; i < s->getGroundCount(); ++i)
      if (const boost::shared_ptr<Ground> ground = s->getGroundAt(i)) ground->setParent(s);
    for (size_t i = 0; i < s->getSubsystemRefCount(); ++i) {
      const boost::shared_ptr<SubsystemRef> ref = s->getSubsystemRefAt(i);
      if (!ref || !ref->getSubsystem()) continue;
      ref->getSubsystem()->setParent(s);
      stack.push_back(ref->getSubsystem());
    }
  }
}

using detail::ConnectedSet;
using detail::ModelMap;

// Deeper nesting than this is taken for a malformed model: the build recurses
// once per level and must not run out of stack.
constexpr size_t kMaxNestingDepth = 1000;

/// Rotation (column by column), translation and uniform scale mapping a
/// model's coordinates into the top assembly's.
struct Placement {
  double rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  double translation[3] = {0, 0, 0};
  double scale = 1.0;

  void mapPoint(const double in[3], double out[3]) const {
    for (int i = 0; i < 3; ++i)
      out[i] =
          scale * (rotation[i] * in[0] + rotation[i + 3] * in[1] + rotation[i + 6] * in[2]) + translation[i];
  }
};

/// parent followed by child, composed as the cumulative transform of an
/// assembly path: the scale is the length of the first row of the combined
/// 3x3 block, the rotation that block divided by it.
Placement compose(const Placement& parent, const Transform& child, bool parentIsIdentity) {
  Placement out;
  const double* r = child.getRotation();
  const double* t = child.getTranslation();
  if (parentIsIdentity) {
    for (int i = 0; i < 9; ++i) out.rotation[i] = r[i];
    for (int i = 0; i < 3; ++i) out.translation[i] = t[i];
    out.scale = child.getScale();
    return out;
  }
  double block[9];
  const double ps = parent.scale;
  const double cs = child.getScale();
  for (int col = 0; col < 3; ++col) {
    for (int row = 0; row < 3; ++row) {
      double sum = 0;
      for (int k = 0; k < 3; ++k) sum += parent.rotation[row + 3 * k] * r[k + 3 * col];
      block[row + 3 * col] = ps * cs * sum;
    }
  }
  parent.mapPoint(t, out.translation);
  out.scale = std::sqrt(block[0] * block[0] + block[3] * block[3] + block[6] * block[6]);
  for (int i = 0; i < 9; ++i) out.rotation[i] = out.scale != 0.0 ? block[i] / out.scale : block[i];
  return out;
}

std::string pairNodeID(const std::string& a, const std::string& b) {
  return a <= b ? a + ":-:" + b : b + ":-:" + a;
}

std::string frameNodeID(const std::string& owner, const std::string& frameName) {
  return owner + "::" + frameName + "(AUTOGEN)";
}

boost::shared_ptr<Joint> share(std::unique_ptr<Joint> joint) {
  return boost::shared_ptr<Joint>(std::move(joint));
}

/// One conversion: the working structures and the steps of the driver.
class Conversion {
 public:
  Conversion(const boost::shared_ptr<CadModel>& cad, const boost::shared_ptr<ZoltModel>& model,
             std::string& message, std::vector<Cad2Zolt::PairRecord>& records)
      : cad(cad), model(model), message(message), records(records), units(*s_getDefaultCadUnit()) {}

  void run() {
    const boost::shared_ptr<Subsystem>& top = model->getTopSubsystem();
    modelMap[detail::PlacementKey()] = top;
    onPath.insert(cad.get());
    buildSubsystem(*top, *cad);
    onPath.erase(cad.get());
    inferJoints(*top);
    addRootGround(*top);
    completeSixDOF(*top);
  }

 private:
  const Placement& current() const { return placements.back(); }

  boost::shared_ptr<Body> rootBody(Subsystem& s) {
    return s.getOrCreateRootBodyRef(units.massUnit, units.inertiaUnit, units.volUnit, units.sAreaUnit)
        ->getBody();
  }

  boost::shared_ptr<Frame> makeFrame(const std::string& name, const double position[3],
                                     const double orientation[9]) const {
    return boost::make_shared<Frame>(name, -1, position, units.lengthUnit, "WORLD", orientation,
                                     KALOT_ANGLE_RAD, KALOT_ROT_3X3, "WORLD");
  }

  void push(const boost::shared_ptr<CadModelRef>& ref) {
    if (path.getCadModelRefCount() >= kMaxNestingDepth)
      throw std::runtime_error("CAD assembly nested too deeply");
    placements.push_back(compose(current(), *ref, path.getCadModelRefCount() == 0));
    path.addCadModelRef(ref);
  }

  void pop() {
    path.popCadModelRef();
    placements.pop_back();
  }

  /// Guards the recursion against a definition that (indirectly) places itself.
  void enter(const CadModel& m) {
    if (!onPath.insert(&m).second) throw std::runtime_error("CAD assembly places a definition inside itself");
  }
  void leave(const CadModel& m) { onPath.erase(&m); }

  void buildSubsystem(Subsystem& s, const CadModel& m) {
    const Placement& p = current();
    double cg[3];
    p.mapPoint(m.getCG(), cg);
    s.setCGFrame(makeFrame("CG", cg, p.rotation));
    s.setOriginFrame(makeFrame("", p.translation, p.rotation));

    if (m.getCSCount() > 0) addCSFrames(*rootBody(s), m, false);

    for (size_t i = 0; i < m.getChildModelCount(); ++i) {
      const boost::shared_ptr<CadModelRef>& ref = m.cadmodels[i];
      const boost::shared_ptr<CadModel>& child = ref->getCadModel();
      // A reference without a definition has nothing to convert.
      if (!child) continue;
      const bool flexible = ref->getFlexible() && child->getChildModelCount() > 0;
      push(ref);
      if (flexible)
        addFlexible(s, *ref, *child);
      else
        addRigid(s, *ref, *child);
      pop();
    }
  }

  void addRigid(Subsystem& s, const CadModelRef& ref, const CadModel& k) {
    const Placement& p = current();
    const double f = units.inertiaFactor * p.scale * p.scale;
    const double* in = k.getInertia();
    // Rows (I0, I3, I4), (I3, I1, I5), (I4, I5, I2): symmetric, so the column order is the same.
    const double inertia[9] = {in[0] * f, in[3] * f, in[4] * f, in[3] * f, in[1] * f,
                               in[5] * f, in[4] * f, in[5] * f, in[2] * f};
    const kalot_vis_mat_prop* material = ref.getMatProp() ? ref.getMatProp() : k.getMatProp();
    const std::string name = ref.getDisplayName();
    auto body = boost::make_shared<Body>(name, k.getMass(), units.massUnit, inertia, units.inertiaUnit,
                                         k.getVolume() * p.scale * p.scale * p.scale, units.volUnit,
                                         k.getSurfaceArea() * p.scale * p.scale, units.sAreaUnit,
                                         k.getGeometryFileName(), material);
    double cgPos[3];
    p.mapPoint(k.getCG(), cgPos);
    auto cgFrame = makeFrame("CG", cgPos, p.rotation);
    auto originFrame = makeFrame("", p.translation, p.rotation);
    body->setCGFrame(cgFrame);
    body->setOriginFrame(originFrame);
    body->addLink(cgFrame);
    body->addLink(originFrame);

    // A rigid sub-assembly is one body: the coordinate systems of every model below it land on it.
    enter(k);
    addCSFrames(*body, k, true);
    leave(k);

    modelMap[detail::placementKey(path)] = body;
    auto bodyRef = boost::make_shared<BodyRef>(name, body, ref.getRotation(), ref.getTranslation(), 1.0);
    bodyRef->setNodeID(ref.getNodeID());
    body->setNodeID(ref.getNodeID());
    cgFrame->setNodeID(frameNodeID(ref.getNodeID(), cgFrame->getName()));
    originFrame->setNodeID(frameNodeID(ref.getNodeID(), originFrame->getName()));
    s.addBodyRef(bodyRef);

    if (ref.getFixed()) {
      boost::shared_ptr<Body> root = rootBody(s);
      const double* at = cgFrame->getPosition();
      s.addJoint(share(Joint::zoltCreateWeldJoint(model, root, body, at, at, units.lengthUnit,
                                                  pairNodeID(body->getNodeID(), root->getNodeID()))));
      connected.insert(root);
      connected.insert(body);
    }
  }

  void addFlexible(Subsystem& s, const CadModelRef& ref, const CadModel& k) {
    const std::string name = ref.getDisplayName();
    auto sub = boost::make_shared<Subsystem>(name);
    sub->setNodeID(ref.getNodeID());
    modelMap[detail::placementKey(path)] = sub;
    enter(k);
    buildSubsystem(*sub, k);
    leave(k);
    s.addSubsystemRef(
        boost::make_shared<SubsystemRef>(name, sub, ref.getRotation(), ref.getTranslation(), 1.0));

    if (ref.getFixed()) {
      boost::shared_ptr<Body> base = rootBody(s);
      boost::shared_ptr<Body> follower = rootBody(*sub);
      const double* at = sub->getCGFrame()->getPosition();
      s.addJoint(share(Joint::zoltCreateWeldJoint(model, base, follower, at, at, units.lengthUnit,
                                                  pairNodeID(base->getNodeID(), follower->getNodeID()))));
      connected.insert(base);
      connected.insert(follower);
    }
  }

  /// Frames for the coordinate systems of m (and, when descending, of every model below it) on body.
  void addCSFrames(Body& body, const CadModel& m, bool descend) {
    const Placement& p = current();
    const bool atTop = path.getCadModelRefCount() == 0;
    for (size_t i = 0; i < m.getCSCount(); ++i) {
      const CadCS& cs = *m.coordinateSystems[i];
      const Placement placed = compose(p, cs, atTop);
      auto frame = makeFrame("", placed.translation, placed.rotation);
      frame->setNodeID(cs.getNodeID());
      frame->setDisplayName(cs.getName());
      body.addLink(frame);
    }
    if (!descend) return;
    for (size_t i = 0; i < m.getChildModelCount(); ++i) {
      const boost::shared_ptr<CadModelRef>& ref = m.cadmodels[i];
      const boost::shared_ptr<CadModel>& child = ref->getCadModel();
      if (!child) continue;
      push(ref);
      enter(*child);
      addCSFrames(body, *child, true);
      leave(*child);
      pop();
    }
  }

  void inferJoints(Subsystem& top) {
    std::vector<boost::shared_ptr<detail::ConstrainToJoint>> pairs = detail::groupConstraints(cad, modelMap);
    records.reserve(pairs.size());
    for (const auto& pair : pairs) {
      detail::InferenceResult result = detail::inferJoint(*pair, model, modelMap, connected);
      if (result.status == KALOT_UNHANDLED_CONSTRAINT) message += detail::pairReport(*pair);
      auto owner = modelMap.find(detail::assemblyKey(*pair));
      Subsystem* target = nullptr;
      if (owner != modelMap.end()) target = dynamic_cast<Subsystem*>(owner->second.get());
      // The assembly that states constraints is always a subsystem; never drop a joint if it is not.
      (target ? *target : top).addJoint(result.joint);
      records.push_back(Cad2Zolt::PairRecord{detail::pairConstraintNames(*pair), result.joint, result.status,
                                             detail::pairReport(*pair)});
    }
  }

  void addRootGround(Subsystem& top) {
    auto frame = boost::make_shared<Frame>("", model->getNextFrameId(), units.lengthUnit);
    auto ground = boost::make_shared<Ground>("RootGround", frame);
    ground->setNodeID("RootGround");
    top.addGround(ground);

    const boost::shared_ptr<BodyRef>& rootRef = top.getRootBodyRef();
    if (!rootRef || !rootRef->getBody()) return;
    boost::shared_ptr<Body> root = rootRef->getBody();
    connected.insert(ground);
    connected.insert(root);
    const double* cg = cad->getCG();
    top.addJoint(share(Joint::zoltCreateWeldJoint(model, ground, root, cg, cg, units.lengthUnit,
                                                  pairNodeID("RootGround", root->getNodeID()))));
  }

  void completeSixDOF(Subsystem& s) {
    // getOrCreateRootBodyRef may append the root body while this walks the list; it is skipped as the root.
    for (size_t i = 0; i < s.getBodyRefCount(); ++i) {
      boost::shared_ptr<Body> body = s.getBodyRefAt(i)->getBody();
      if (!body || connected.count(body) != 0) continue;
      const boost::shared_ptr<BodyRef>& rootRef = s.getRootBodyRef();
      if (rootRef && rootRef->getBody() == body) continue;
      if (!body->getCGFrame()) continue;
      boost::shared_ptr<Body> root = rootBody(s);
      if (!root->getCGFrame()) continue;
      s.addJoint(share(Joint::zoltCreateSixDOFJoint(model, root, body, root->getCGFrame()->getPosition(),
                                                    body->getCGFrame()->getPosition(), units.lengthUnit,
                                                    pairNodeID(root->getNodeID(), body->getNodeID()))));
    }
    for (size_t i = 0; i < s.getSubsystemRefCount(); ++i)
      completeSixDOF(*s.getSubsystemRefAt(i)->getSubsystem());
  }

  const boost::shared_ptr<CadModel>& cad;
  const boost::shared_ptr<ZoltModel>& model;
  std::string& message;
  std::vector<Cad2Zolt::PairRecord>& records;

  const CadUnit units;  // the default unit system as the conversion started

  ModelMap modelMap;
  ConnectedSet connected;
  AssemComp path;
  std::vector<Placement> placements{Placement()};
  std::unordered_set<const CadModel*> onPath;
};

/// The tolerances are in force for one conversion only: whatever way it ends.
class ToleranceScope {
 public:
  ToleranceScope(double linear, double angular, double third) {
    detail::Tolerances& t = detail::s_tolerances();
    t.linear = linear;
    t.angular = angular;
    t.third = third;
  }
  ~ToleranceScope() { detail::s_resetTolerances(); }
  ToleranceScope(const ToleranceScope&) = delete;
  ToleranceScope& operator=(const ToleranceScope&) = delete;
};

}  // namespace

Cad2Zolt::Cad2Zolt(const boost::shared_ptr<CadModel>& cadModel, const std::string& createdUsing,
                   const std::string& createdFrom, const std::string& createdOn, const std::string& createdBy,
                   const std::string& modelName)
    : cadModel(cadModel),
      createdUsing(createdUsing),
      createdFrom(createdFrom),
      createdOn(createdOn),
      createdBy(createdBy),
      modelName(modelName),
      linearTolerance(1e-5),
      angularTolerance(1e-5),
      thirdTolerance(1e-12) {}

Cad2Zolt::~Cad2Zolt() = default;

void Cad2Zolt::setTolerances(double linear, double angular, double third) {
  linearTolerance = linear;
  angularTolerance = angular;
  thirdTolerance = third;
}

KalotError Cad2Zolt::convertToZoltModel() {
  ToleranceScope tolerances(linearTolerance, angularTolerance, thirdTolerance);
  conversionMessage.clear();
  conversionNotes.clear();
  pairRecords.clear();
  if (!cadModel) return KALOT_CAD_MODEL_NOT_SET;

  auto top = boost::make_shared<Subsystem>(modelName);
  zoltModel = boost::make_shared<ZoltModel>(createdUsing, createdFrom, createdOn, createdBy, modelName, top);
  top->setNodeID(modelName);
  zoltModel->setNodeID(modelName);
  try {
    Conversion(cadModel, zoltModel, conversionMessage, pairRecords).run();
    linkParents(zoltModel);
    conversionNotes = detail::conversionNotes(*cadModel);
  } catch (...) {
    // A half-built model must not be written by a later writeToXML as if it were complete.
    zoltModel.reset();
    conversionMessage.clear();
    conversionNotes.clear();
    pairRecords.clear();
    throw;
  }
  return KALOT_SUCCESS;
}

int Cad2Zolt::writeToXML(std::string& message, const std::string& path) {
  if (!zoltModel) {
    const KalotError converted = convertToZoltModel();
    if (converted != KALOT_SUCCESS) return converted;
  }
  const int written = zoltModel->writeToXML(path);
  if (written == KALOT_SUCCESS && !conversionMessage.empty()) {
    message = conversionMessage;
    return KALOT_UNHANDLED_CONSTRAINT;
  }
  return written;
}

}  // namespace kalo_toolkit
