#pragma once

// Internal interface between the conversion driver and the constraint-to-joint
// inference: the model map, the connected set and the conversion's tolerances.

#include <map>
#include <set>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/assem_comp.hpp>

namespace kalo_toolkit {

class CadModel;
class CadModelRef;
class Constrain;
class Joint;
class ZoltBase;
class ZoltModel;

namespace detail {

/// Tolerances the inference reads; the driver sets them for one conversion.
/// Each thread has its own (the conversion running on it).
struct Tolerances {
  double linear = 1e-5;
  double angular = 1e-5;
  double third = 1e-12;
};
Tolerances& s_tolerances();
/// Back to 1e-5, 1e-5, 1e-12.
void s_resetTolerances();

/// A placement: the references on the path from the top definition (outermost
/// first). The empty key is the top definition itself. Keyed by placement, not
/// by definition, so a definition placed several times keeps one entry each.
using PlacementKey = std::vector<const CadModelRef*>;
PlacementKey placementKey(const AssemComp& path);

/// Placement -> the Body (rigid part) or Subsystem (top, flexible sub-assembly) made for it.
using ModelMap = std::map<PlacementKey, boost::shared_ptr<ZoltBase>>;
/// Objects that already have a joint (membership only; never iterated for output).
using ConnectedSet = std::set<boost::shared_ptr<ZoltBase>>;

/// One constrained pair of parts: the constraints stated in one assembly
/// between the same two parts, in the order they were met.
class ConstrainToJoint;

/// Groups the constraints of the whole assembly (descending only into flexible
/// sub-assemblies with children) by pair of parts. The order is deterministic:
/// it never depends on memory addresses. Parts are found through modelMap
/// (subsystems yield their root body, created on demand with the default units).
std::vector<boost::shared_ptr<ConstrainToJoint>> groupConstraints(const boost::shared_ptr<CadModel>& top,
                                                                  ModelMap& modelMap);

/// The placement of the assembly in which a pair's constraints are stated
/// (its key in the model map: the driver adds the pair's joint to that subsystem).
PlacementKey assemblyKey(const ConstrainToJoint& pair);
/// The report blocks of a pair (empty unless the inference returned 4).
const std::string& pairReport(const ConstrainToJoint& pair);
/// The names of a pair's constraints, in the order they were met (for the
/// machine-readable conversion report).
std::vector<std::string> pairConstraintNames(const ConstrainToJoint& pair);

struct InferenceResult {
  boost::shared_ptr<Joint> joint;     // never empty
  KalotError status = KALOT_SUCCESS;  // 0, or 4 (welded, see the pair's report)
};

/// Builds the one joint of a pair and records base and follower in connected.
InferenceResult inferJoint(ConstrainToJoint& pair, const boost::shared_ptr<ZoltModel>& model,
                           ModelMap& modelMap, ConnectedSet& connected);

}  // namespace detail
}  // namespace kalo_toolkit
