// Grouping of the assembly's constraints by the pair of parts they connect.

#include <cstdint>
#include <map>
#include <stdexcept>
#include <utility>

#include <boost/pointer_cast.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/cad_unit.hpp>
#include <kalo_toolkit/constrain.hpp>
#include <kalo_toolkit/subsystem.hpp>

#include "constrain_to_joint.hpp"

namespace kalo_toolkit::detail {

namespace {

/// A part's multibody side: a body as it is, a subsystem through its root body.
boost::shared_ptr<ZoltBase> partOf(const boost::shared_ptr<ZoltBase>& converted) {
  if (auto subsystem = boost::dynamic_pointer_cast<Subsystem>(converted)) {
    const CadUnit* u = s_getDefaultCadUnit();
    return subsystem->getOrCreateRootBodyRef(u->massUnit, u->inertiaUnit, u->volUnit, u->sAreaUnit)
        ->getBody();
  }
  return converted;
}

class Grouping {
 public:
  Grouping(const boost::shared_ptr<CadModel>& top, ModelMap& modelMap) : top(top), modelMap(modelMap) {}

  void group(const boost::shared_ptr<CadModel>& model, AssemComp& path) {
    // Sub-assemblies first: only those that became subsystems state constraints of their own.
    for (const boost::shared_ptr<CadModelRef>& ref : model->cadmodels) {
      if (!ref || !ref->getFlexible() || !ref->getCadModel() || ref->getCadModel()->cadmodels.empty())
        continue;
      path.addCadModelRef(ref);
      auto converted = modelMap.find(placementKey(path));
      if (converted != modelMap.end() && boost::dynamic_pointer_cast<Subsystem>(converted->second))
        group(ref->getCadModel(), path);
      path.popCadModelRef();
    }
    for (const boost::shared_ptr<Constrain>& constrain : model->constrains) {
      if (!constrain) continue;
      ConstraintEntry entry;
      entry.codes =
          classifyConstraint(constrain->getType(), constrain->getEntity1Type(), constrain->getEntity2Type());
      entry.constrain = constrain;
      entry.assemblyPath = path;
      entry.side1 = findPart(top, path, constrain->getComp1(), modelMap);
      entry.side2 = findPart(top, path, constrain->getComp2(), modelMap);
      // Both sides on one part (two parts of one rigid sub-assembly, or the
      // assembly with itself): the constraint is internal to a rigid body and
      // a joint from a body to itself would cut it off from the model.
      if (entry.side1.part == entry.side2.part) continue;
      pairFor(entry.side1.part.get(), entry.side2.part.get(), model, path).addEntry(std::move(entry));
    }
  }

  std::vector<boost::shared_ptr<ConstrainToJoint>> pairs;

 private:
  // Looked up by identity, kept in the order first met: the result never
  // depends on where objects happen to lie in memory.
  ConstrainToJoint& pairFor(const ZoltBase* first, const ZoltBase* second,
                            const boost::shared_ptr<CadModel>& model, const AssemComp& path) {
    const auto a = reinterpret_cast<std::uintptr_t>(first);
    const auto b = reinterpret_cast<std::uintptr_t>(second);
    const auto key = a < b ? std::make_pair(a, b) : std::make_pair(b, a);
    auto found = index.find(key);
    if (found != index.end()) return *pairs[found->second];
    index.emplace(key, pairs.size());
    pairs.push_back(boost::shared_ptr<ConstrainToJoint>(new ConstrainToJoint(model, path)));
    return *pairs.back();
  }

  boost::shared_ptr<CadModel> top;
  ModelMap& modelMap;
  std::map<std::pair<std::uintptr_t, std::uintptr_t>, size_t> index;
};

}  // namespace

PlacementKey placementKey(const AssemComp& path) {
  PlacementKey key;
  key.reserve(path.cadModelRefs.size());
  for (const auto& ref : path.cadModelRefs) key.push_back(ref.get());
  return key;
}

PartSide findPart(const boost::shared_ptr<CadModel>& top, const AssemComp& assemblyPath,
                  const AssemComp* component, ModelMap& modelMap) {
  AssemComp full = assemblyPath;
  if (component) {
    for (const auto& ref : component->cadModelRefs) {
      if (!ref) break;  // nothing below a missing reference can be placed
      full.addCadModelRef(ref);
    }
  }
  // The deepest converted placement on the path holds the part. A placement
  // below one that was not converted is never converted itself, so the walk
  // goes down from the top and stops at the first gap; the key grows by one
  // reference a step, which keeps a long (or hostile) component cheap.
  PlacementKey key;
  auto best = modelMap.find(key);
  if (best == modelMap.end())
    throw std::invalid_argument("the model map holds no entry for the top assembly");
  size_t bestLength = 0;
  for (const auto& ref : full.cadModelRefs) {
    key.push_back(ref.get());
    auto converted = modelMap.find(key);
    if (converted == modelMap.end()) break;
    best = converted;
    bestLength = key.size();
  }
  full.cadModelRefs.resize(bestLength);
  PartSide side;
  side.part = partOf(best->second);
  side.model = full.cadModelRefs.empty() ? top : full.cadModelRefs.back()->getCadModel();
  side.placement = full;
  return side;
}

ConstrainToJoint::ConstrainToJoint(const boost::shared_ptr<CadModel>& assemblyModel,
                                   const AssemComp& assemblyPath)
    : assemblyModel(assemblyModel), assemblyPath(assemblyPath) {}

void ConstrainToJoint::appendReport(const std::string& partNames, const std::string& constraintName,
                                    const std::string& details) {
  report += "Constrained Parts: " + partNames + "\n";
  report += "Constrain Name: " + constraintName + "\n";
  report += "Error Details: " + details + "\n";
  report += std::string(81, '-') + "\n";
}

std::vector<boost::shared_ptr<ConstrainToJoint>> groupConstraints(const boost::shared_ptr<CadModel>& top,
                                                                  ModelMap& modelMap) {
  if (!top) return {};
  Grouping grouping(top, modelMap);
  AssemComp path;
  grouping.group(top, path);
  return std::move(grouping.pairs);
}

PlacementKey assemblyKey(const ConstrainToJoint& pair) { return placementKey(pair.getAssemblyPath()); }

const std::string& pairReport(const ConstrainToJoint& pair) { return pair.getReport(); }

std::vector<std::string> pairConstraintNames(const ConstrainToJoint& pair) {
  std::vector<std::string> names;
  names.reserve(pair.getEntries().size());
  for (const ConstraintEntry& entry : pair.getEntries()) names.push_back(entry.constrain->getName());
  return names;
}

}  // namespace kalo_toolkit::detail
