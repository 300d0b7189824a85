#include <kalo_csts2connections/constraints2connections.hpp>

#include "instance_coordinates.hpp"

#include <algorithm>
#include <utility>

namespace kalo::csts2connections {

namespace {

bool isDuplicate(const Constraint& c, const Constraint& e) {
  return (c.geometryOne.isEquivalent(e.geometryOne) && c.geometryTwo.isEquivalent(e.geometryTwo)) ||
         (c.geometryOne.isEquivalent(e.geometryTwo) && c.geometryTwo.isEquivalent(e.geometryOne));
}

// (reference code, target code): constraints of the target bucket parallel to a
// reference constraint add nothing to it. The first rule that removes wins.
const std::pair<const char*, const char*> kRedundancyRules[] = {
    {"PlnPlnCn", "PlnPlnDt"}, {"PlnPlnCn", "PlnPlnPl"}, {"PlnPlnCn", "PlnPlnPp"}, {"PlnPlnCn", "PlnPlnAn"},
    {"PlnPlnCn", "LinLinPl"}, {"PlnPlnDt", "PlnPlnPl"}, {"PlnPlnDt", "PlnPlnPp"}, {"PlnPlnDt", "PlnPlnAn"},
    {"PlnPlnDt", "LinLinPl"}, {"CylCylCc", "LinLinCn"}, {"CylCylCc", "LinLinDt"}, {"CylCylCc", "LinLinPl"},
    {"CylCylCc", "PlnPlnPl"}, {"CylCylCc", "PlnPlnPp"}, {"LinLinCn", "LinLinPl"}, {"LinLinCn", "LinLinDt"},
    {"LinLinDt", "LinLinPl"}, {"LinLinCn", "PlnPlnPl"}, {"LinLinCn", "PlnPlnPp"}};

}  // namespace

void Constraints2Connections::add(Constraint& constraint) { pending_.push_back(constraint); }

const Constraints2Connections::ConstraintMap& Constraints2Connections::getConstraintMap() const {
  mergePending();
  return constraintMap;
}

void Constraints2Connections::mergePending() const {
  if (pending_.empty()) return;
  struct Entry {
    ConstraintKey key;
    std::size_t index;
  };
  std::vector<Entry> entries;
  entries.reserve(pending_.size());
  for (std::size_t i = 0; i < pending_.size(); ++i) {
    entries.push_back(
        {ConstraintKey(pending_[i].geometryOne.instanceId, pending_[i].geometryTwo.instanceId), i});
  }
  // Stable: within a group the constraints keep the order in which they were added,
  // and the first of them gives the group its key.
  const KeyComp less;
  std::stable_sort(entries.begin(), entries.end(),
                   [&less](const Entry& a, const Entry& b) { return less(a.key, b.key); });
  // Keys of this batch come in ascending order: into an empty map each new group
  // goes at the end without a search.
  const bool wasEmpty = constraintMap.empty();
  for (std::size_t run = 0; run < entries.size();) {
    const ConstraintKey& key = entries[run].key;
    auto group = constraintMap.end();
    if (!wasEmpty) group = constraintMap.lower_bound(key);
    if (group == constraintMap.end() || less(key, group->first)) {
      group = constraintMap.emplace_hint(group, key, Constraints());
    }
    std::size_t end = run;
    while (end < entries.size() && !less(key, entries[end].key)) ++end;
    if (group->second.empty()) group->second.reserve(end - run);
    for (; run < end; ++run) group->second.push_back(std::move(pending_[entries[run].index]));
  }
  Constraints().swap(pending_);
}

void Constraints2Connections::computeConnections() {
  mergePending();
  connections.reserve(connections.size() + constraintMap.size());
  for (const auto& group : constraintMap) connections.push_back(computeConnection(group.second));
}

Connection Constraints2Connections::computeConnection(const Constraints& constraints) const {
  const Constraints reduced = removeRedundant(constraints);
  Connection result = [&] {
    switch (reduced.size()) {
      case 1: {
        Constraint single = reduced.front();
        single.revertGeometryTypeIfNeeded();
        return processSingle(Constraints{single});
      }
      case 2:
        return processTwo(reduced);
      case 3:
        return processThree(reduced);
      default:
        return processGeneral(reduced);
    }
  }();
  // The builders record the list they received; a group that lost nothing in
  // the clean-up is already that list, unless the lone constraint was reverted.
  if (reduced.size() != constraints.size() || reduced.size() == 1) result.constraintsOriginal = constraints;
  return result;
}

Constraints2Connections::Constraints Constraints2Connections::removeRedundant(
    const Constraints& constraints) const {
  CodeMap buckets;
  bool changed = false;
  for (const Constraint& c : constraints) {
    std::vector<const Constraint*>& bucket = buckets[c.getConstraintType()];
    if (std::any_of(bucket.begin(), bucket.end(), [&](const Constraint* e) { return isDuplicate(c, *e); })) {
      changed = true;
    } else {
      bucket.push_back(&c);
    }
  }
  for (const auto& rule : kRedundancyRules) {
    if (removeIfParallel(buckets, rule.first, rule.second)) {
      changed = true;
      break;
    }
  }
  if (!changed) return constraints;
  // Buckets are visited in byte-wise order of their pair codes; the rules for
  // two and three constraints depend on this order.
  Constraints result;
  for (const auto& bucket : buckets) {
    for (const Constraint* c : bucket.second) result.push_back(*c);
  }
  return result;
}

bool Constraints2Connections::removeIfParallel(CodeMap& buckets, const std::string& reference,
                                               const std::string& target) const {
  const auto ref = buckets.find(reference);
  if (ref == buckets.end() || buckets.find(target) == buckets.end()) return false;
  bool removed = false;
  for (const Constraint* r : ref->second) {
    if (removeIfParallel(buckets, *r, target)) removed = true;
  }
  return removed;
}

bool Constraints2Connections::removeIfParallel(CodeMap& buckets, const Constraint& reference,
                                               const std::string& target) const {
  const auto it = buckets.find(target);
  if (it == buckets.end()) return false;
  std::vector<const Constraint*>& bucket = it->second;
  const ConstraintGeometry& r = reference.geometryOne;
  const auto end = std::remove_if(bucket.begin(), bucket.end(), [&](const Constraint* t) {
    return Constraint::isParallel(r.direction, detail::geometryOn(*t, r.instanceId).direction);
  });
  const bool removed = end != bucket.end();
  bucket.erase(end, bucket.end());
  if (bucket.empty()) buckets.erase(it);
  return removed;
}

std::map<std::string, Connection::Type> Constraints2Connections::createSingleConstraintMap() {
  std::map<std::string, Connection::Type> map;
  const auto put = [&map](std::initializer_list<const char*> codes, Connection::Type type) {
    for (const char* code : codes) map.emplace(code, type);
  };
  put({"PntPntCn", "SphSphCn", "SphSphCc"}, Connection::Spherical);
  put({"PntPntRg"}, Connection::Weld);
  put({"CirCirCn"}, Connection::Revolute);
  put({"PntLinCn", "LinPntCn", "CylPntCn", "PntCylCn"}, Connection::Telescoping);
  put({"LinLinCn", "LinCylCn", "CylLinCn", "CylCylCn", "CylCirCn", "CirCylCn", "CylCylCc", "CirCirCc",
       "CylCirCc", "CirCylCc", "CylLinCc", "LinCylCc"},
      Connection::Cylindrical);
  put({"PlnPlnCn", "PlnPlnDt"}, Connection::Planar);
  put({"PlnPlnPl", "LinLinPl", "CylCylPl", "LinCylPl", "CylLinPl"}, Connection::Parallel);
  put({"PlnPlnPp", "LinLinPp", "CylCylPp"}, Connection::Perpendicular);
  put({"PntPntDt"}, Connection::Distance);
  return map;
}

Connection Constraints2Connections::processSingle(const Constraints& constraints) const {
  if (constraints.empty()) return processGeneral(constraints);
  const auto it = s_zMapSingle.find(constraints.front().getConstraintType());
  if (it == s_zMapSingle.end()) return processGeneral(constraints);
  switch (it->second) {
    case Connection::Spherical:
      return createSphericalJoint(constraints);
    case Connection::Weld:
      return createWeldJoint(constraints);
    case Connection::Revolute:
      return createRevoluteJoint(constraints);
    case Connection::Cylindrical:
      return createCylindricalJoint(constraints);
    case Connection::Planar:
      return createPlanarJoint(constraints);
    case Connection::Parallel:
      return createParallelConstraint(constraints);
    case Connection::Perpendicular:
      return createPerpendicularConstraint(constraints);
    case Connection::Distance:
      return createDistanceConstraint(constraints);
    default:  // Telescoping has no builder.
      return processGeneral(constraints);
  }
}

Connection Constraints2Connections::processGeneral(const Constraints& constraints) const {
  if (constraints.empty()) {
    Connection weld(Connection::Weld, constraints);
    weld.status = Connection::s_statusNoRule;
    return weld;
  }
  Connection result = createWeldJoint(constraints);
  const auto unknownConstraint = [](const Constraint& c) { return c.type == Constraint::Unknown; };
  const auto unknownGeometry = [](const Constraint& c) {
    return c.geometryOne.type == ConstraintGeometry::Unknown ||
           c.geometryTwo.type == ConstraintGeometry::Unknown;
  };
  if (std::any_of(constraints.begin(), constraints.end(), unknownConstraint)) {
    result.status = Connection::s_statusUnknownConstraint;
  } else if (std::any_of(constraints.begin(), constraints.end(), unknownGeometry)) {
    result.status = Connection::s_statusUnknownGeometry;
  } else {
    result.status = Connection::s_statusNoRule;
  }
  return result;
}

}  // namespace kalo::csts2connections
